// The live view: asks for the frame after the one it has, draws it while the next is on its way,
// so that the page takes frames as fast as it can show them and skips what it cannot.
import { getFrame } from './api.js';
import { drawFrame, drawHistogram, statsText } from './render.js';

const kMaxSide = 1024;

export class LiveView {
  constructor(elements) {
    this.e = elements;
    this.frame = null;
    this.drawn = 0;
    this.times = [];
    // Read by the browser tests and the benchmark: frames drawn, the last frame's way from the
    // server taking it to the screen, frames per second over the last second.
    window.kestrelLive = { frames: 0, number: 0, width: 0, height: 0, latencyMs: [], fps: 0, stats: null };
    this.e.zoom.addEventListener('change', () => this.applyZoom());
    for (const slider of [this.e.window, this.e.level]) slider.addEventListener('input', () => this.redraw());
    this.e.canvas.addEventListener('pointermove', (event) => this.showPixel(event));
    this.applyZoom();
    this.loop();
  }

  view() {
    return { window: Number(this.e.window.value), level: Number(this.e.level.value) };
  }

  // The request for the next frame is on its way while this one is drawn: the server waits for
  // the camera and the page draws at the same time, instead of one after the other.
  async loop() {
    const next = (after) => getFrame(`/api/frame?after=${after}&max=${kMaxSide}`);
    let coming = next(0);
    for (;;) {
      try {
        const frame = await coming;
        coming = next(frame?.number ?? this.frame?.number ?? 0);
        if (frame) this.show(frame);
      } catch {
        await new Promise((resolve) => setTimeout(resolve, 500));
        coming = next(this.frame?.number ?? 0);
      }
    }
  }

  show(frame) {
    this.frame = frame;
    this.redraw();
    const now = Date.now();
    this.times.push(now);
    while (this.times.length && this.times[0] < now - 1000) this.times.shift();
    const live = window.kestrelLive;
    live.frames += 1;
    live.number = frame.number;
    live.width = frame.fullWidth;
    live.height = frame.fullHeight;
    live.stats = frame.stats;
    live.fps = this.times.length;
    live.latencyMs.push(now - frame.takenMs);
    if (live.latencyMs.length > 1000) live.latencyMs.shift();
    this.e.counter.value = frame.number;
    this.e.fps.value = this.times.length.toFixed(1);
    this.e.size.textContent = `${frame.fullWidth} × ${frame.fullHeight}, ${frame.bits}-bit` +
      (frame.scale > 1 ? `, shown 1:${frame.scale}` : '');
    this.e.stats.textContent = statsText(frame.stats);
    this.e.windowLevel.hidden = frame.bits !== 16;
    drawHistogram(this.e.histogram, frame);
  }

  redraw() {
    if (this.frame) drawFrame(this.e.canvas, this.frame, this.view());
  }

  applyZoom() {
    const zoom = this.e.zoom.value;
    this.e.viewport.classList.toggle('fit', zoom === 'fit');
    const { canvas } = this.e;
    canvas.style.width = zoom === 'fit' ? '' : `${canvas.width * Number(zoom)}px`;
    canvas.style.height = zoom === 'fit' ? '' : `${canvas.height * Number(zoom)}px`;
  }

  showPixel(event) {
    const { frame } = this;
    if (!frame) return;
    const box = this.e.canvas.getBoundingClientRect();
    const x = Math.floor(((event.clientX - box.left) / box.width) * frame.width);
    const y = Math.floor(((event.clientY - box.top) / box.height) * frame.height);
    if (x < 0 || y < 0 || x >= frame.width || y >= frame.height) return;
    this.e.pixel.textContent = `(${x * frame.scale}, ${y * frame.scale}) = ${frame.samples[y * frame.width + x]}`;
  }
}
