// Benchmark (not a test): frames per second reaching the page, the time from the server taking a
// frame off the board to the page having drawn it, and the server's CPU share while it streams,
// for a 1024 x 1024 and a 4096 x 4096 window (the server scales the latter down to 1024).
// Usage: npm run bench [-- seconds]; KESTREL_TOOL names the kestrel binary.
import { spawn } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { chromium } from 'playwright-core';

const kestrel = process.env.KESTREL_TOOL ?? '../../build/dev/bin/kestrel';
const seconds = Number(process.argv[2] ?? 10);
const ticks = 100; // USER_HZ of /proc/PID/stat

function cpuTicks(pid) {
  const fields = readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
  return Number(fields[11]) + Number(fields[12]); // utime, stime
}

async function measure(browser, side) {
  const child = spawn(kestrel, ['serve', '--port', '0'], { stdio: ['ignore', 'pipe', 'inherit'] });
  const url = await new Promise((resolve) => {
    let printed = '';
    child.stdout.on('data', (chunk) => {
      printed += chunk;
      const match = printed.match(/http:\/\/127\.0\.0\.1:\d+\/\?token=[0-9a-f]{32}/);
      if (match) resolve(match[0]);
    });
  });
  const page = await browser.newPage({ viewport: { width: 1600, height: 1000 } });
  await page.goto(url);
  await page.waitForSelector('body[data-ready="true"]');
  const token = new URL(url).searchParams.get('token');
  for (const [name, value] of [['FG_WIDTH', side], ['FG_HEIGHT', side]]) {
    await page.evaluate(async ([n, v, t]) => {
      await fetch('/api/set', { method: 'POST', headers: { 'X-Kestrel-Token': t }, body: JSON.stringify({ name: n, value: String(v) }) });
    }, [name, value, token]);
  }
  await page.click('#live-toggle');
  await page.waitForFunction((s) => window.kestrelLive.width === s && window.kestrelLive.frames > 10, side, { timeout: 60000 });
  const start = await page.evaluate(() => ({ frames: window.kestrelLive.frames, at: performance.now() }));
  await page.evaluate(() => { window.kestrelLive.latencyMs = []; });
  const cpuBefore = cpuTicks(child.pid);
  const wallBefore = Date.now();
  await page.waitForTimeout(seconds * 1000);
  const cpu = (cpuTicks(child.pid) - cpuBefore) / ticks / ((Date.now() - wallBefore) / 1000);
  const end = await page.evaluate(() => ({ frames: window.kestrelLive.frames, at: performance.now(), latency: window.kestrelLive.latencyMs }));
  const fps = ((end.frames - start.frames) * 1000) / (end.at - start.at);
  const sorted = end.latency.sort((a, b) => a - b);
  const quantile = (q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
  const status = await page.evaluate(async (t) => (await fetch('/api/status', { headers: { 'X-Kestrel-Token': t } })).json(), token);
  await page.close();
  child.kill('SIGINT');
  await new Promise((resolve) => child.on('exit', resolve));
  return { side, fps, latencyMedianMs: quantile(0.5), latencyP95Ms: quantile(0.95), serverCpuShare: cpu, boardFrames: status.frames };
}

const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
});
for (const side of [1024, 4096]) {
  const r = await measure(browser, side);
  console.log(`${r.side} x ${r.side}: ${r.fps.toFixed(1)} frames/s drawn, latency median ${r.latencyMedianMs} ms, ` +
    `95% ${r.latencyP95Ms} ms, server CPU ${(100 * r.serverCpuShare).toFixed(0)} % of one core`);
}
await browser.close();
