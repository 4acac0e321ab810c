// Line charts of the results as SVG, the charts that `vorta plot` draws (the server sends their
// series, titles and axes), with the values of the nearest point shown on hover. Series are told
// apart by colour, line style and marker, so that a black-and-white print still reads.
const SVG = 'http://www.w3.org/2000/svg';
const COLOURS = ['#000000', '#1f4e9e', '#b22222', '#2e7d32', '#6a1b9a', '#b35900', '#00707a'];
const DASHES = ['', '7 3', '2 3', '9 3 2 3', '14 4', '4 2 1 2'];
const MARKERS = ['circle', 'square', 'triangle', 'diamond', 'down', 'cross', 'plus'];

function node(tag, attrs = {}, text) {
  const e = document.createElementNS(SVG, tag);
  for (const [k, v] of Object.entries(attrs)) if (v !== undefined && v !== null) e.setAttribute(k, String(v));
  if (text !== undefined) e.textContent = text;
  return e;
}

// Ticks from `low` to `high` in steps of 1, 2 or 5 times a power of ten, taking in zero and the data.
export function niceTicks(dataMin, dataMax, wanted = 6) {
  let lo = Math.min(0, dataMin);
  let hi = Math.max(0, dataMax);
  if (!(hi > lo)) hi = lo + 1;
  const rough = (hi - lo) / wanted;
  const power = 10 ** Math.floor(Math.log10(rough));
  const step = [1, 2, 5, 10].map((m) => m * power).find((s) => s >= rough) || 10 * power;
  lo = Math.floor(lo / step + 1e-9) * step;
  hi = Math.ceil(hi / step - 1e-9) * step;
  const decimals = Math.max(0, -Math.floor(Math.log10(step) + 1e-9));
  const values = [];
  for (let v = lo; v <= hi + step * 1e-6; v += step) values.push(Number(v.toFixed(decimals)));
  return { low: lo, high: hi, step, decimals, values };
}

// A tick or axis end in few characters: 40000 -> 40k, 2500000 -> 2.5M.
export function compactNumber(v) {
  const a = Math.abs(v);
  if (a >= 1e6) return `${formatNumber(v / 1e6)}M`;
  if (a >= 1e4) return `${formatNumber(v / 1e3)}k`;
  return formatNumber(v);
}

// At most four significant digits, no exponent for ordinary magnitudes.
export function formatNumber(v) {
  if (typeof v !== 'number' || !Number.isFinite(v)) return String(v);
  if (v === 0) return '0';
  const a = Math.abs(v);
  if (a >= 1e6 || a < 1e-4) return v.toExponential(3).replace(/\.?0+e/, 'e');
  const decimals = Math.max(0, 3 - Math.floor(Math.log10(a)));
  return Number(v.toFixed(decimals)).toString();
}

function marker(kind, x, y, colour) {
  const r = 3.2;
  const filled = { fill: colour, stroke: colour };
  switch (kind) {
    case 'square': return node('rect', { x: x - r, y: y - r, width: 2 * r, height: 2 * r, ...filled });
    case 'triangle': return node('path', { d: `M${x},${y - r - 0.5} L${x + r},${y + r} L${x - r},${y + r} Z`, ...filled });
    case 'down': return node('path', { d: `M${x},${y + r + 0.5} L${x + r},${y - r} L${x - r},${y - r} Z`, ...filled });
    case 'diamond': return node('path', { d: `M${x},${y - r - 1} L${x + r + 1},${y} L${x},${y + r + 1} L${x - r - 1},${y} Z`, ...filled });
    case 'cross': return node('path', { d: `M${x - r},${y - r} L${x + r},${y + r} M${x - r},${y + r} L${x + r},${y - r}`, fill: 'none', stroke: colour, 'stroke-width': 1.5 });
    case 'plus': return node('path', { d: `M${x - r},${y} L${x + r},${y} M${x},${y - r} L${x},${y + r}`, fill: 'none', stroke: colour, 'stroke-width': 1.5 });
    default: return node('circle', { cx: x, cy: y, r, ...filled });
  }
}

// A chart as a <figure>: the SVG and a legend. `width` in SVG units (the figure scales to its box).
export function drawChart(chart, { width = 520, height = 300 } = {}) {
  const figure = document.createElement('figure');
  figure.className = 'chart';
  figure.dataset.chart = chart.id;
  const left = 62;
  const right = width - 14;
  const top = chart.y_downward ? 52 : 28;
  const bottom = height - (chart.y_downward ? 14 : 40);
  const guides = chart.guides || [];
  const marks = chart.marks || [];
  const xs = [...chart.series.flatMap((s) => s.points.map((p) => p[0])), ...guides.map((g) => g.x)];
  const ys = chart.series.flatMap((s) => s.points.map((p) => p[1]));
  const xt = niceTicks(xs.length ? Math.min(...xs) : 0, xs.length ? Math.max(...xs) : 1);
  const yt = niceTicks(ys.length ? Math.min(...ys) : 0, ys.length ? Math.max(...ys) : 1);
  const px = (x) => left + ((x - xt.low) / (xt.high - xt.low)) * (right - left);
  const py = chart.y_downward
    ? (y) => top + ((y - yt.low) / (yt.high - yt.low)) * (bottom - top)
    : (y) => bottom - ((y - yt.low) / (yt.high - yt.low)) * (bottom - top);

  const svg = node('svg', { viewBox: `0 0 ${width} ${height}`, class: 'chart-svg', role: 'img', 'aria-label': chart.title });
  svg.append(node('text', { x: left, y: 13, class: 'chart-title' }, chart.title));
  const grid = node('g', { class: 'grid-lines' });
  for (const v of xt.values) grid.append(node('line', { x1: px(v), y1: top, x2: px(v), y2: bottom }));
  for (const v of yt.values) grid.append(node('line', { x1: left, y1: py(v), x2: right, y2: py(v) }));
  svg.append(grid);
  svg.append(node('rect', { x: left, y: top, width: right - left, height: bottom - top, class: 'plot-frame' }));
  const xAxisY = chart.y_downward ? top : bottom;
  for (const v of xt.values) {
    svg.append(node('text', { x: px(v), y: chart.y_downward ? xAxisY - 5 : xAxisY + 13, 'text-anchor': 'middle', class: 'tick' },
      v.toFixed(xt.decimals)));
  }
  for (const v of yt.values) {
    svg.append(node('text', { x: left - 5, y: py(v) + 3.5, 'text-anchor': 'end', class: 'tick' }, v.toFixed(yt.decimals)));
  }
  svg.append(node('text', { x: (left + right) / 2, y: chart.y_downward ? xAxisY - 20 : height - 6, 'text-anchor': 'middle', class: 'axis-label' }, chart.x_label));
  svg.append(node('text', { x: 12, y: (top + bottom) / 2, 'text-anchor': 'middle', class: 'axis-label',
    transform: `rotate(-90 12 ${(top + bottom) / 2})` }, chart.y_label));

  const clipId = `clip-${chart.id}-${Math.random().toString(36).slice(2, 8)}`;
  const clip = node('clipPath', { id: clipId });
  clip.append(node('rect', { x: left - 5, y: top - 5, width: right - left + 10, height: bottom - top + 10 }));
  svg.append(clip);
  const plot = node('g', { 'clip-path': `url(#${clipId})` });
  chart.series.forEach((s, i) => {
    const colour = COLOURS[i % COLOURS.length];
    const path = s.points.map((p, j) => `${j ? 'L' : 'M'}${px(p[0]).toFixed(1)},${py(p[1]).toFixed(1)}`).join(' ');
    plot.append(node('path', { d: path, fill: 'none', stroke: colour, 'stroke-width': 1.6, 'stroke-dasharray': DASHES[i % DASHES.length] || undefined }));
    const every = Math.max(1, Math.ceil(s.points.length / 24));
    s.points.forEach((p, j) => {
      if (j % every === 0 || j === s.points.length - 1) plot.append(marker(MARKERS[i % MARKERS.length], px(p[0]), py(p[1]), colour));
    });
  });
  // Design loads: a dashed line at the capacity each needs; the length each method needs: a ring.
  guides.forEach((g, i) => {
    plot.append(node('line', { x1: px(g.x), y1: top, x2: px(g.x), y2: bottom, class: 'design-guide', stroke: '#7a0000', 'stroke-dasharray': '8 4' }));
    const y = chart.y_downward ? bottom - 5 - 13 * i : top + 12 + 13 * i;
    plot.append(node('text', { x: px(g.x) - 4, y, 'text-anchor': 'end', class: 'design-label', fill: '#7a0000' }, g.label));
  });
  for (const m of marks) {
    plot.append(node('circle', { cx: px(m.x), cy: py(m.y), r: 5, class: 'design-mark', fill: 'none', stroke: '#7a0000', 'stroke-width': 2 }));
    plot.append(node('text', { x: px(m.x) + 8, y: py(m.y) - 6, class: 'design-label', fill: '#7a0000' }, m.label));
  }
  svg.append(plot);

  // The values of the point nearest the pointer.
  const hover = node('g', { class: 'hover', visibility: 'hidden' });
  const ring = node('circle', { r: 5.5, class: 'hover-ring' });
  const box = node('rect', { rx: 3, class: 'hover-box' });
  const line1 = node('text', { class: 'hover-text' });
  const line2 = node('text', { class: 'hover-text' });
  hover.append(ring, box, line1, line2);
  svg.append(hover);
  const catcher = node('rect', { x: left, y: top, width: right - left, height: bottom - top, fill: 'transparent', class: 'hover-catcher' });
  svg.append(catcher);
  const xName = chart.x_label;
  const yName = chart.y_label;
  catcher.addEventListener('mousemove', (e) => {
    const r = svg.getBoundingClientRect();
    const mx = ((e.clientX - r.left) / r.width) * width;
    const my = ((e.clientY - r.top) / r.height) * height;
    let best = null;
    chart.series.forEach((s, i) => s.points.forEach((p) => {
      const d = (px(p[0]) - mx) ** 2 + (py(p[1]) - my) ** 2;
      if (!best || d < best.d) best = { d, p, s, i };
    }));
    if (!best) return;
    const x = px(best.p[0]);
    const y = py(best.p[1]);
    ring.setAttribute('cx', x);
    ring.setAttribute('cy', y);
    ring.setAttribute('stroke', COLOURS[best.i % COLOURS.length]);
    line1.textContent = best.s.name;
    line2.textContent = `${xName.replace(/ \(.*\)$/, '')} ${formatNumber(best.p[0])} · ${yName.replace(/ \(.*\)$/, '')} ${formatNumber(best.p[1])}`;
    const textWidth = Math.max(line1.getComputedTextLength(), line2.getComputedTextLength()) + 12;
    const bx = Math.max(2, x + 10 + textWidth > right ? x - 10 - textWidth : x + 10);
    const by = y - 36 < top ? y + 8 : y - 36;
    box.setAttribute('x', bx);
    box.setAttribute('y', by);
    box.setAttribute('width', textWidth);
    box.setAttribute('height', 32);
    line1.setAttribute('x', bx + 6);
    line1.setAttribute('y', by + 13);
    line2.setAttribute('x', bx + 6);
    line2.setAttribute('y', by + 26);
    hover.setAttribute('visibility', 'visible');
    figure.dataset.hover = `${best.p[0]},${best.p[1]}`;
  });
  catcher.addEventListener('mouseleave', () => hover.setAttribute('visibility', 'hidden'));
  figure.append(svg);

  const legend = document.createElement('ul');
  legend.className = 'legend';
  chart.series.forEach((s, i) => {
    const li = document.createElement('li');
    const sample = node('svg', { width: 34, height: 10, viewBox: '0 0 34 10', 'aria-hidden': 'true' });
    const colour = COLOURS[i % COLOURS.length];
    sample.append(node('line', { x1: 1, y1: 5, x2: 33, y2: 5, stroke: colour, 'stroke-width': 1.6, 'stroke-dasharray': DASHES[i % DASHES.length] || undefined }));
    sample.append(marker(MARKERS[i % MARKERS.length], 17, 5, colour));
    li.append(sample, document.createTextNode(` ${s.name}`));
    legend.append(li);
  });
  figure.append(legend);
  return figure;
}
