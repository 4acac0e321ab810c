// The soil profile drawn to scale: the layers coloured by soil type with their names, the pile with
// its stickup and tip, the water table the engine assumed, and the main strength values (su, the
// friction angle, qc) against depth.
import { compactNumber, formatNumber, niceTicks } from './charts.js';
import { field, unitOf } from './fields.js';

const SVG = 'http://www.w3.org/2000/svg';
const SOIL_COLOURS = { sand: '#f2dc9b', clay: '#b9c7d8', silt: '#cfd8a8' };
const SOIL_PATTERN = { sand: 'dots', clay: 'lines', silt: 'dashes' };

function node(tag, attrs = {}, text) {
  const e = document.createElementNS(SVG, tag);
  for (const [k, v] of Object.entries(attrs)) if (v !== undefined && v !== null) e.setAttribute(k, String(v));
  if (text !== undefined) e.textContent = text;
  return e;
}

const num = (v) => (typeof v === 'number' && Number.isFinite(v) ? v : undefined);
const topOf = (v) => (Array.isArray(v) ? num(v[0]) : num(v));
const bottomOf = (v) => (Array.isArray(v) ? num(v[1]) : num(v));

// The intervals of the profile, each with its soil type, name and the values at its top and bottom.
export function profileIntervals(analysis) {
  const out = [];
  if (Array.isArray(analysis.layers)) {
    for (const layer of analysis.layers) {
      if (!layer || num(layer.top) === undefined || num(layer.bottom) === undefined) continue;
      out.push({ top: layer.top, bottom: layer.bottom, soil: String(layer.soil_type || '').toLowerCase(), name: layer.name || '',
        at: (key, end) => (end === 0 ? topOf(layer[key]) : bottomOf(layer[key])) });
    }
  } else if (Array.isArray(analysis.soil_points)) {
    const pts = analysis.soil_points;
    for (let i = 0; i + 1 < pts.length; i++) {
      const a = pts[i];
      const b = pts[i + 1];
      if (!a || !b || num(a.depth) === undefined || num(b.depth) === undefined || b.depth <= a.depth) continue;
      out.push({ top: a.depth, bottom: b.depth, soil: String(a.soil_type || '').toLowerCase(), name: a.name || '',
        at: (key, end) => num((end === 0 ? a : b)[key]) });
    }
  }
  return out;
}

function strip(svg, x, width, title, unit, series, depthToY, top, bottom) {
  const values = series.flatMap((s) => s.points.map((p) => p[0])).filter((v) => v !== undefined);
  svg.append(node('text', { x: x + width / 2, y: 12, 'text-anchor': 'middle', class: 'strip-title' }, title));
  svg.append(node('text', { x: x + width / 2, y: 23, 'text-anchor': 'middle', class: 'strip-unit' }, unit));
  svg.append(node('rect', { x, y: top, width, height: bottom - top, class: 'strip-frame' }));
  if (!values.length) {
    svg.append(node('text', { x: x + width / 2, y: top + 14, 'text-anchor': 'middle', class: 'strip-none' }, 'none'));
    return;
  }
  const ticks = niceTicks(0, Math.max(...values, 0));
  const xOf = (v) => x + 3 + ((v - ticks.low) / (ticks.high - ticks.low || 1)) * (width - 6);
  svg.append(node('text', { x: x + width - 2, y: bottom + 11, 'text-anchor': 'end', class: 'strip-max' }, compactNumber(ticks.high)));
  svg.append(node('text', { x: x + 2, y: bottom + 11, class: 'strip-max' }, '0'));
  for (const s of series) {
    const pts = s.points.filter((p) => p[0] !== undefined);
    if (s.markers) {
      for (const p of pts) svg.append(node('circle', { cx: xOf(p[0]), cy: depthToY(p[1]), r: 1.6, class: 'strip-marker' }));
    } else if (pts.length) {
      svg.append(node('polyline', { points: pts.map((p) => `${xOf(p[0]).toFixed(1)},${depthToY(p[1]).toFixed(1)}`).join(' '), class: 'strip-line' }));
    }
  }
}

// `sounding`: the points a run read from the analysis's sounding file, drawn where the analysis
// holds none of its own.
export function drawProfile(container, analysis, system, waterDepth, sounding) {
  const intervals = profileIntervals(analysis);
  const pile = analysis.pile || {};
  const length = num(pile.length) ?? 0;
  const stickup = num(pile.stickup) ?? 0;
  const batter = num(pile.batter_angle) ?? 0;
  const tipDepth = Math.max(0, (length - stickup) * Math.cos((batter * Math.PI) / 180));
  const deepest = Math.max(num(analysis.deepest_soil_depth) ?? 0, ...intervals.map((i) => i.bottom), tipDepth, 1);
  const depthUnit = unitOf(field('layers', 'top'), system);

  const width = 290;
  const height = 560;
  const top = 34;
  const bottom = height - 22;
  const depthTicks = niceTicks(0, deepest, 8);
  const y0 = -Math.max(stickup, deepest * 0.03) * 1.15;
  const y1 = deepest;
  const depthToY = (d) => top + ((d - y0) / (y1 - y0 || 1)) * (bottom - top);

  const svg = node('svg', { viewBox: `0 0 ${width} ${height}`, class: 'profile-svg', role: 'img',
    'aria-label': `Soil profile to ${formatNumber(deepest)} ${depthUnit}, pile tip at ${formatNumber(tipDepth)} ${depthUnit}` });
  const defs = node('defs');
  defs.innerHTML = `
    <pattern id="pat-dots" width="6" height="6" patternUnits="userSpaceOnUse"><circle cx="2" cy="2" r="0.8" fill="#8a7443"/></pattern>
    <pattern id="pat-lines" width="8" height="8" patternUnits="userSpaceOnUse"><path d="M0,4 H8" stroke="#5b6f88" stroke-width="0.7"/></pattern>
    <pattern id="pat-dashes" width="8" height="6" patternUnits="userSpaceOnUse"><path d="M1,3 H4" stroke="#6f7b45" stroke-width="0.8"/></pattern>`;
  svg.append(defs);

  // Depth axis.
  const axisX = 34;
  const columnX = 38;
  const columnW = 96;
  for (const t of depthTicks.values) {
    if (t < 0 || t > y1) continue;
    const y = depthToY(t);
    svg.append(node('line', { x1: axisX - 3, y1: y, x2: axisX, y2: y, class: 'axis' }));
    svg.append(node('text', { x: axisX - 5, y: y + 3.5, 'text-anchor': 'end', class: 'tick' }, formatNumber(t)));
  }
  svg.append(node('line', { x1: axisX, y1: top, x2: axisX, y2: bottom, class: 'axis' }));
  svg.append(node('text', { x: 4, y: 12, class: 'strip-title' }, 'Depth'));
  svg.append(node('text', { x: 4, y: 23, class: 'strip-unit' }, depthUnit));

  // Layers.
  for (const iv of intervals) {
    const yTop = depthToY(iv.top);
    const h = Math.max(0.5, depthToY(iv.bottom) - yTop);
    const colour = SOIL_COLOURS[iv.soil] || '#e0e0e0';
    svg.append(node('rect', { x: columnX, y: yTop, width: columnW, height: h, fill: colour, class: 'layer' }));
    if (SOIL_PATTERN[iv.soil]) svg.append(node('rect', { x: columnX, y: yTop, width: columnW, height: h, fill: `url(#pat-${SOIL_PATTERN[iv.soil]})`, class: 'layer-pattern' }));
    if (h >= 11) {
      const label = iv.name || iv.soil;
      svg.append(node('text', { x: columnX + 22, y: yTop + Math.min(h / 2 + 4, 13), class: 'layer-name' }, label.length > 13 ? `${label.slice(0, 12)}…` : label));
    }
  }
  // Ground surface.
  svg.append(node('line', { x1: columnX - 4, y1: depthToY(0), x2: width - 4, y2: depthToY(0), class: 'ground' }));

  // Water table.
  if (typeof waterDepth === 'number') {
    const y = depthToY(waterDepth);
    svg.append(node('line', { x1: columnX, y1: y, x2: columnX + columnW, y2: y, class: 'water' }));
    svg.append(node('path', { d: `M${columnX + columnW - 16},${y - 8} h10 l-5,7 z`, class: 'water-mark' }));
    svg.append(node('title', {}, `Water table assumed at ${formatNumber(waterDepth)} ${depthUnit}`));
  }

  // The pile, from the head (the stickup above ground) to the tip.
  if (length > 0) {
    const pileX = columnX + 7;
    const yHead = depthToY(-stickup);
    const yTip = depthToY(tipDepth);
    const closed = String(pile.tip || 'open').toLowerCase() === 'closed';
    svg.append(node('rect', { x: pileX, y: yHead, width: 9, height: Math.max(1, yTip - yHead), class: 'pile' }));
    svg.append(node('path', { d: closed ? `M${pileX},${yTip} h9 l-4.5,6 z` : `M${pileX},${yTip} h9`, class: 'pile-tip' }));
    svg.append(node('text', { x: pileX + 13, y: Math.min(yTip + 12, bottom - 2), class: 'tip-label' }, `tip ${formatNumber(tipDepth)} ${depthUnit}`));
    if (batter) svg.append(node('text', { x: pileX + 13, y: yHead + 9, class: 'tip-label' }, `batter ${formatNumber(batter)}°`));
  }

  // Strength values against depth.
  const valueSeries = (key) => intervals.map((iv) => ({ points: [[iv.at(key, 0), iv.top], [iv.at(key, 1), iv.bottom]] }));
  const suField = field('layers', 'shear_strength');
  const qcField = field('cpt.points', 'cone_resistance');
  const stripX = columnX + columnW + 8;
  const stripW = (width - stripX - 6) / 3;
  strip(svg, stripX, stripW - 4, 'su', unitOf(suField, system), valueSeries('shear_strength').map((s) => ({
    points: s.points.filter((p, i, all) => all.some((q) => (q[0] ?? 0) > 0)) })), depthToY, top, bottom);
  strip(svg, stripX + stripW, stripW - 4, 'φ′', 'deg', valueSeries('friction_angle').map((s) => ({
    points: s.points.filter((p, i, all) => all.some((q) => (q[0] ?? 0) > 0)) })), depthToY, top, bottom);
  const own = analysis.cpt && Array.isArray(analysis.cpt.points) ? analysis.cpt.points : null;
  const cpt = (own || (sounding && Array.isArray(sounding.points) ? sounding.points : []))
    .filter((p) => Array.isArray(p) && num(p[0]) !== undefined && num(p[1]) !== undefined).map((p) => [p[1], p[0]]);
  strip(svg, stripX + 2 * stripW, stripW - 4, 'qc', unitOf(qcField, system),
    [{ points: cpt, markers: cpt.length > 60 }, ...valueSeries('cone_resistance').map((s) => ({
      points: s.points.filter((p, i, all) => all.some((q) => (q[0] ?? 0) > 0)) }))], depthToY, top, bottom);

  const legend = document.createElement('ul');
  legend.className = 'profile-legend';
  for (const [soil, colour] of Object.entries(SOIL_COLOURS)) {
    const li = document.createElement('li');
    const swatch = document.createElement('span');
    swatch.className = 'swatch';
    swatch.style.background = colour;
    li.append(swatch, document.createTextNode(soil));
    legend.append(li);
  }
  if (typeof waterDepth === 'number') {
    const li = document.createElement('li');
    li.innerHTML = '<span class="swatch water-swatch"></span>';
    li.append(document.createTextNode(`water table ${formatNumber(waterDepth)} ${depthUnit}`));
    legend.append(li);
  }
  container.replaceChildren(svg, legend);
}
