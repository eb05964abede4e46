// The workbench page: the parameter tree, the live view, the flat-field journey, configuration
// files and the event log, each over the server's endpoints.
import { getFrame, getJson, post } from './api.js';
import { showParameters } from './params.js';
import { LiveView } from './live.js';
import { drawFrame, statsText } from './render.js';

const $ = (id) => document.getElementById(id);

function say(element, text, bad = false) {
  element.textContent = text;
  element.classList.toggle('bad', bad);
}

async function refreshStatus() {
  const status = await getJson('/api/status');
  $('live-toggle').textContent = status.live ? 'Stop' : 'Start';
  $('live-toggle').dataset.live = status.live;
  $('scene').value = status.scene;
  $('board-status').textContent = `board ${status.board}, ${status.applet}` +
    (status.config ? `, settings kept in ${status.config}` : '');
  return status;
}

async function setUpControls() {
  const status = await refreshStatus();
  $('scene').replaceChildren(...status.scenes.map((name) => new Option(name, name)));
  $('scene').value = status.scene;
  const message = $('live-message');
  const act = async (path, body) => {
    const { ok, body: reply } = await post(path, body);
    say(message, ok ? '' : reply.error, !ok);
    await refreshStatus();
    return ok;
  };
  $('live-toggle').addEventListener('click', () => act('/api/live', { on: $('live-toggle').dataset.live !== 'true' }));
  $('scene').addEventListener('change', () => act('/api/scene', { scene: $('scene').value }));
  $('software-trigger').addEventListener('click', () => act('/api/trigger'));
  $('free-run').addEventListener('click', () => act('/api/set', { name: 'FG_AREATRIGGERMODE', value: 'ATM_GENERATOR' }));
}

function setUpFlatField() {
  const message = $('shading-message');
  const step = (path, done) => async () => {
    say(message, 'working ...');
    const { ok, body } = await post(path);
    if (!ok) return say(message, body.error, true);
    say(message, done(body));
    await refreshStatus();
  };
  $('record-black').addEventListener('click', step('/api/shading/black', (r) => `black recorded: ${statsText(r.stats)}`));
  $('record-gray').addEventListener('click', step('/api/shading/gray', (r) => `gray recorded: ${statsText(r.stats)}`));
  $('compute-shading').addEventListener('click', step('/api/shading/compute', (r) => {
    $('before-stats').textContent = `before: ${statsText(r.before)}`;
    $('after-stats').textContent = `after: ${statsText(r.after)}`;
    showComparison();
    return `correction on: sd ${r.before.sd.toFixed(2)} → ${r.after?.sd.toFixed(2)}`;
  }));
}

async function showComparison() {
  const before = await getFrame('/api/shading/before?max=512');
  if (before) drawFrame($('shading-before'), before);
  const after = await getFrame('/api/shading/after?max=512');
  if (after) drawFrame($('shading-after'), after);
}

function setUpConfiguration() {
  $('config-upload').addEventListener('change', async (event) => {
    const [file] = event.target.files;
    if (!file) return;
    const { ok, body } = await post('/api/config', await file.text(), 'text/plain');
    say($('config-message'), ok ? `loaded ${file.name}` : body.error, !ok);
    event.target.value = '';
  });
}

async function followEvents() {
  let after = 0;
  const list = $('event-list');
  for (;;) {
    try {
      const { events } = await getJson(`/api/events?after=${after}`);
      for (const event of events) {
        after = event.sequence;
        const item = document.createElement('li');
        item.textContent = `${(event.boardTimeNs / 1e9).toFixed(6)} s  ${event.name}` +
          (event.folded ? ` (+${event.folded})` : '');
        list.prepend(item);
      }
      while (list.children.length > 200) list.lastChild.remove();
    } catch {
      // the server went away; try again shortly
    }
    await new Promise((resolve) => setTimeout(resolve, 400));
  }
}

new LiveView({
  canvas: $('frame'), viewport: $('viewport'), zoom: $('zoom'), window: $('window'), level: $('level'),
  windowLevel: $('window-level'), counter: $('frame-counter'), fps: $('fps'), size: $('frame-size'),
  stats: $('frame-stats'), histogram: $('histogram'), pixel: $('pixel-value'),
});
await setUpControls();
setUpFlatField();
setUpConfiguration();
followEvents();
await showParameters($('parameter-tree'), $('parameter-filter'), () => refreshStatus());
document.body.dataset.ready = 'true';
