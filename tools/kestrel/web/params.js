// The parameter tree: one row per feature under its categories. An edit goes to the applet through
// the server; a refusal shows the applet's own message under the row. Values and access words are
// read again every moment, so that counters move and read-only features grey out and back.
import { getJson, post } from './api.js';

const rows = new Map(); // name -> { row, input, feature }
const kRefreshMs = 700;

export async function showParameters(container, filter, onChanged) {
  const { tree } = await getJson('/api/params');
  container.replaceChildren(...tree.map((node) => nodeElement(node, 0, onChanged)));
  filter.addEventListener('input', () => applyFilter(filter.value.trim().toLowerCase()));
  setInterval(refresh, kRefreshMs);
}

function nodeElement(node, depth, onChanged) {
  if (node.category === undefined) return featureRow(node, onChanged);
  const details = document.createElement('details');
  details.open = depth === 0;
  const summary = document.createElement('summary');
  summary.textContent = node.category;
  details.append(summary, ...node.children.map((child) => nodeElement(child, depth + 1, onChanged)));
  return details;
}

function featureRow(feature, onChanged) {
  const row = document.createElement('div');
  row.className = 'feature';
  row.dataset.name = feature.name;
  const label = document.createElement('label');
  label.textContent = feature.displayName || feature.name;
  label.title = `${feature.name} (${feature.kind}, ${feature.access})`;
  const input = feature.kind === 'enumeration' ? entrySelect(feature) : document.createElement('input');
  input.name = feature.name;
  label.htmlFor = input.id = `parameter-${feature.name}`;
  const range = document.createElement('span');
  range.className = 'range';
  range.textContent = [feature.unit, feature.range].filter(Boolean).join('  ');
  const refusal = document.createElement('span');
  refusal.className = 'refusal';
  refusal.setAttribute('role', 'alert');
  row.append(label, input, range, refusal);
  const entry = { row, input, feature, refusal };
  rows.set(feature.name, entry);
  show(entry, feature.value, feature.access);

  const commit = async () => {
    const { ok, body } = await post('/api/set', { name: feature.name, value: input.value });
    refusal.textContent = ok ? '' : body.error;
    if (ok) {
      show(entry, body.value, feature.access);
      onChanged?.(feature.name);
    }
  };
  if (input.tagName === 'SELECT') input.addEventListener('change', commit);
  else input.addEventListener('keydown', (event) => { if (event.key === 'Enter') commit(); });
  return row;
}

function entrySelect(feature) {
  const select = document.createElement('select');
  for (const entry of feature.entries) {
    const option = document.createElement('option');
    option.value = entry.name;
    option.textContent = entry.displayName ? `${entry.displayName} (${entry.name})` : entry.name;
    select.append(option);
  }
  return select;
}

// An enumeration reads back as "SYMBOL (value)"; a text value in quotes.
function plain(feature, value) {
  if (value === null) return '';
  if (feature.kind === 'enumeration') return value.split(' ')[0];
  if (feature.kind === 'string' && value.startsWith('"') && value.endsWith('"')) return value.slice(1, -1);
  return value;
}

function show(entry, value, access) {
  const { row, input, feature } = entry;
  feature.access = access;
  const readOnly = !access.includes('W');
  row.classList.toggle('readonly', readOnly);
  input.disabled = readOnly;
  if (document.activeElement !== input) input.value = plain(feature, value);
}

async function refresh() {
  let values;
  try {
    ({ values } = await getJson('/api/values'));
  } catch {
    return;
  }
  for (const [name, { value, access }] of Object.entries(values)) {
    const entry = rows.get(name);
    if (entry) show(entry, value, access);
  }
}

function applyFilter(text) {
  for (const [name, { row, feature }] of rows) {
    const shown = !text || name.toLowerCase().includes(text) || feature.displayName.toLowerCase().includes(text);
    row.hidden = !shown;
    if (shown && text) for (let d = row.parentElement; d?.tagName === 'DETAILS'; d = d.parentElement) d.open = true;
  }
}
