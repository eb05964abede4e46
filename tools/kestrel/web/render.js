// Drawing a frame: grey samples to a canvas through a window/level for 16-bit frames, and the
// histogram of its samples.
export function drawFrame(canvas, frame, view = { window: 65536, level: 32768 }) {
  if (canvas.width !== frame.width || canvas.height !== frame.height) {
    canvas.width = frame.width;
    canvas.height = frame.height;
  }
  const context = canvas.getContext('2d');
  const image = context.createImageData(frame.width, frame.height);
  const rgba = new Uint32Array(image.data.buffer);
  const grey = greyTable(frame.bits, view);
  const { samples } = frame;
  for (let i = 0; i < samples.length; i++) rgba[i] = grey[samples[i]];
  context.putImageData(image, 0, 0);
}

// One opaque RGBA word per sample value (little-endian: alpha in the top byte).
function greyTable(bits, { window, level }) {
  const size = bits === 16 ? 65536 : 256;
  const table = new Uint32Array(size);
  const low = bits === 16 ? level - window / 2 : 0;
  const span = bits === 16 ? Math.max(1, window) : 255;
  for (let v = 0; v < size; v++) {
    const g = Math.max(0, Math.min(255, Math.round(((v - low) * 255) / span)));
    table[v] = 0xff000000 | (g << 16) | (g << 8) | g;
  }
  return table;
}

export function drawHistogram(canvas, frame) {
  const bins = new Uint32Array(256);
  const shift = frame.bits === 16 ? 8 : 0;
  for (const v of frame.samples) bins[v >> shift]++;
  let most = 1;
  for (const n of bins) most = Math.max(most, n);
  const context = canvas.getContext('2d');
  context.clearRect(0, 0, canvas.width, canvas.height);
  context.fillStyle = '#0b62c4';
  for (let i = 0; i < 256; i++) {
    const h = Math.ceil((Math.log1p(bins[i]) / Math.log1p(most)) * canvas.height);
    context.fillRect(i, canvas.height - h, 1, h);
  }
}

export function statsText(stats) {
  if (stats?.mean === undefined) return '';
  return `min ${stats.min}  mean ${stats.mean.toFixed(1)}  max ${stats.max}  sd ${stats.sd.toFixed(2)}`;
}
