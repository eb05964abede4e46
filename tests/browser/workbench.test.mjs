// The workbench page in Debian's headless Chromium against a running `kestrel serve`: each test
// starts its own server (the board is opened by one process at a time) and a fresh browser page.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawn, execFileSync } from 'node:child_process';
import { chromium } from 'playwright-core';

const kestrel = process.env.KESTREL_TOOL ?? '../../build/dev/bin/kestrel';
const chromiumPath = process.env.CHROMIUM ?? '/usr/bin/chromium';
let browser;

before(async () => {
  browser = await chromium.launch({
    executablePath: chromiumPath,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
});
after(() => browser?.close());

// Starts `kestrel serve` on a free port; resolves with its URL once printed.
function startServer(extra = []) {
  const child = spawn(kestrel, ['serve', '--port', '0', ...extra], { stdio: ['ignore', 'pipe', 'inherit'] });
  return new Promise((resolve, reject) => {
    let printed = '';
    child.stdout.on('data', (chunk) => {
      printed += chunk;
      const match = printed.match(/http:\/\/127\.0\.0\.1:\d+\/\?token=[0-9a-f]{32}/);
      if (match) resolve({ url: match[0], stop: () => stopServer(child) });
    });
    child.on('exit', (code) => reject(new Error(`kestrel serve exited with ${code}: ${printed}`)));
  });
}

function stopServer(child) {
  return new Promise((resolve) => {
    child.removeAllListeners('exit');
    child.on('exit', resolve);
    child.kill('SIGINT');
  });
}

// A server and a page on it, with every console error and page error collected.
async function workbench(t) {
  const server = await startServer();
  const page = await browser.newPage({ viewport: { width: 1600, height: 1000 } });
  const errors = [];
  page.on('console', (message) => { if (message.type() === 'error') errors.push(message.text()); });
  page.on('pageerror', (error) => errors.push(error.message));
  t.after(async () => { await page.close(); await server.stop(); });
  await page.goto(server.url);
  await page.waitForSelector('body[data-ready="true"]');
  return { page, errors, server };
}

const live = (page) => page.evaluate(() => ({ ...window.kestrelLive }));

async function startLive(page) {
  await page.click('#live-toggle');
  await page.waitForFunction(() => window.kestrelLive.frames >= 3);
}

// Distinct grey levels drawn on the canvas: 1 for a blank one.
function greyLevels(page, selector) {
  return page.$eval(selector, (canvas) => {
    const { data } = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
    const levels = new Set();
    for (let i = 0; i < data.length; i += 4 * 97) levels.add(data[i]);
    return levels.size;
  });
}

test('the page loads with its tree and no console error', async (t) => {
  const { page, errors } = await workbench(t);
  assert.ok(await page.isVisible('#parameter-FG_WIDTH'));
  assert.equal(await page.inputValue('#parameter-FG_FORMAT'), 'FG_GRAY');
  assert.ok(await page.locator('.feature.readonly :disabled').count() > 0, 'no read-only feature greyed out');
  await page.waitForTimeout(1500); // a few refreshes of the values and events
  assert.deepEqual(errors, []);
});

test('frames arrive: the canvas shows a picture and the counter grows', async (t) => {
  const { page, errors } = await workbench(t);
  await startLive(page);
  const first = Number(await page.textContent('#frame-counter'));
  await page.waitForFunction((n) => Number(document.querySelector('#frame-counter').textContent) > n + 5, first);
  assert.ok(await greyLevels(page, '#frame') > 10, 'the canvas is blank');
  assert.match(await page.textContent('#frame-stats'), /^min \d+ {2}mean [\d.]+ {2}max \d+ {2}sd [\d.]+$/);
  assert.deepEqual(errors, []);
});

test('editing FG_WIDTH changes the live frame, a refused value shows the applet\'s message', async (t) => {
  const { page } = await workbench(t);
  await startLive(page);
  await page.fill('#parameter-FG_WIDTH', '512');
  await page.press('#parameter-FG_WIDTH', 'Enter');
  await page.waitForFunction(() => window.kestrelLive.width === 512);
  assert.equal(await page.$eval('#frame', (canvas) => canvas.width), 512);

  let cli = '';
  try {
    execFileSync(kestrel, ['set', 'FG_WIDTH=100000'], { stdio: 'pipe' });
  } catch (failure) {
    cli = failure.stderr.toString().trim().replace(/^kestrel: /, '');
  }
  assert.match(cli, /^FG_WIDTH: 100000 refused: .*allowed/);
  await page.fill('#parameter-FG_WIDTH', '100000');
  await page.press('#parameter-FG_WIDTH', 'Enter');
  const refusal = page.locator('[data-name="FG_WIDTH"] .refusal');
  await refusal.filter({ hasText: 'refused' }).waitFor();
  assert.equal(await refusal.textContent(), cli);
  assert.equal((await live(page)).width, 512);
});

test('a software pulse yields a frame', async (t) => {
  const { page } = await workbench(t);
  await startLive(page);
  await page.click('#software-trigger'); // switches to software mode and sends the first pulse
  // Wait until the free-running frames have stopped coming.
  let number = -1;
  for (let steady = 0; steady < 3;) {
    await page.waitForTimeout(300);
    const now = (await live(page)).number;
    steady = now === number ? steady + 1 : 0;
    number = now;
  }
  await page.click('#software-trigger');
  await page.waitForFunction((n) => window.kestrelLive.number > n, number);
});

test('the flat-field journey flattens the frame in three clicks', async (t) => {
  const { page, errors } = await workbench(t);
  await page.click('#record-black');
  await page.locator('#shading-message', { hasText: 'black recorded' }).waitFor();
  await page.click('#record-gray');
  await page.locator('#shading-message', { hasText: 'gray recorded' }).waitFor();
  await page.click('#compute-shading');
  const message = page.locator('#shading-message', { hasText: 'correction on' });
  await message.waitFor({ timeout: 20000 });
  const [, before, afterSd] = (await message.textContent()).match(/sd ([\d.]+) → ([\d.]+)/).map(Number);
  assert.ok(afterSd < before / 3, `sd ${before} → ${afterSd} is not flat`);
  await page.waitForFunction(() => document.querySelector('#shading-after').width > 1);
  assert.ok(await greyLevels(page, '#shading-before') > 5);
  assert.deepEqual(errors, []);
});

test('the token is required', async () => {
  const server = await startServer();
  try {
    const page = await browser.newPage();
    const base = server.url.replace(/\?token=.*/, '');
    assert.equal((await page.goto(base)).status(), 401);
    assert.equal((await page.goto(`${base}?token=${'0'.repeat(32)}`)).status(), 403);
    assert.equal((await page.goto(`${base}api/params`)).status(), 401);
    await page.close();
  } finally {
    await server.stop();
  }
});
