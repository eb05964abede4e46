// The server's endpoints. Every request carries the token of the page's address in a header.
export const token = new URLSearchParams(location.search).get('token') ?? '';
const headers = { 'X-Kestrel-Token': token };

export async function getJson(path) {
  const response = await fetch(path, { headers });
  const body = await response.json();
  if (!response.ok) throw new Error(body.error ?? response.statusText);
  return body;
}

// { ok, body } with the server's own message in body.error when it refused.
export async function post(path, body = {}, type = 'application/json') {
  const response = await fetch(path, {
    method: 'POST',
    headers: { ...headers, 'Content-Type': type },
    body: typeof body === 'string' ? body : JSON.stringify(body),
  });
  let reply = {};
  try { reply = await response.json(); } catch { reply = { error: response.statusText }; }
  return { ok: response.ok, body: reply };
}

// A frame: its shape from the headers, its samples as 8- or 16-bit numbers; null when none came.
export async function getFrame(path, signal) {
  const response = await fetch(path, { headers, signal, cache: 'no-store' });
  if (response.status === 204) return null;
  if (!response.ok) throw new Error((await response.json()).error ?? response.statusText);
  const number = (name) => Number(response.headers.get(name));
  const bits = number('X-Frame-Bits');
  const bytes = await response.arrayBuffer();
  return {
    number: number('X-Frame-Number'),
    width: number('X-Frame-Width'),
    height: number('X-Frame-Height'),
    fullWidth: number('X-Frame-Full-Width'),
    fullHeight: number('X-Frame-Full-Height'),
    scale: number('X-Frame-Scale'),
    takenMs: number('X-Frame-Taken-Ms'),
    bits,
    stats: JSON.parse(response.headers.get('X-Frame-Stats') ?? '{}'),
    samples: bits === 16 ? new Uint16Array(bytes) : new Uint8Array(bytes),
  };
}
