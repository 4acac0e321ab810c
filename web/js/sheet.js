// The calculation sheet that the page prints: the inputs, the soil profile, the result tables and
// the charts, on plain white pages.
import { drawChart } from './charts.js';
import { el, part, unitOf, words } from './fields.js';
import { layerText } from './model.js';
import { capacityTable } from './results.js';

function valueText(v) {
  if (Array.isArray(v)) return v.map((x) => (Array.isArray(x) ? `[${x.join(', ')}]` : String(x))).join(', ');
  if (typeof v === 'boolean') return v ? 'yes' : 'no';
  if (v && typeof v === 'object') return JSON.stringify(v);
  return String(v);
}

// The values given in one part of the analysis, as a two-column table.
function givenValues(title, partKey, values, system) {
  if (!values || typeof values !== 'object') return null;
  const p = part(partKey);
  const rows = [];
  for (const f of p.fields) {
    if (values[f.key] === undefined || (f.type === 'real_list' && !values[f.key].length)) continue;
    const unit = unitOf(f, system);
    rows.push(el('tr', {}, el('th', { scope: 'row', text: words(f.key) }), el('td', { text: valueText(values[f.key]) }), el('td', { className: 'unit', text: unit })));
  }
  if (!rows.length) return null;
  const table = el('table', { className: 'sheet-values' });
  table.append(el('tbody', {}, ...rows));
  return el('section', { className: 'sheet-part' }, el('h3', { text: title }), table);
}

function layerTable(analysis, system) {
  const layers = Array.isArray(analysis.layers);
  const rows = (layers ? analysis.layers : analysis.soil_points) || [];
  if (!rows.length) return null;
  const p = part(layers ? 'layers' : 'soil_points');
  const keys = p.fields.map((f) => f.key).filter((k) => rows.some((r) => r && r[k] !== undefined));
  const table = el('table', { className: 'sheet-layers' });
  const head = el('tr', {}, el('th', { text: '#' }));
  for (const k of keys) {
    const f = p.fields.find((x) => x.key === k);
    const unit = unitOf(f, system);
    head.append(el('th', {}, document.createTextNode(words(k)), unit ? el('span', { className: 'unit', text: unit }) : null));
  }
  const body = el('tbody');
  rows.forEach((r, i) => {
    const tr = el('tr', {}, el('td', { text: String(i + 1) }));
    for (const k of keys) tr.append(el('td', { text: layerText(r[k]) }));
    body.append(tr);
  });
  table.append(el('thead', {}, head), body);
  return el('section', { className: 'sheet-part wide' }, el('h3', { text: layers ? 'Soil layers (top / bottom where they differ)' : 'Soil points' }), table);
}

export function buildSheet(sheet, { analysis, system, file, result, problems, version, profile }) {
  sheet.replaceChildren();
  const now = new Date();
  const header = el('header', { className: 'sheet-header' },
    el('h1', { text: analysis.title || 'Pile analysis' }),
    el('table', { className: 'sheet-facts' }, el('tbody', {},
      ...[['Designer', analysis.designer], ['Job number', analysis.job_number], ['File', file || 'not saved'],
        ['Units', system], ['Printed', now.toLocaleString()], ['Program', `VORTA ${version || ''}`]]
        .filter(([, v]) => v).map(([k, v]) => el('tr', {}, el('th', { text: k }), el('td', { text: String(v) }))))));
  sheet.append(header);

  const inputs = el('section', { className: 'sheet-section' }, el('h2', { text: 'Inputs' }));
  const top = {};
  for (const f of part('').fields) if (analysis[f.key] !== undefined && !['title', 'designer', 'job_number'].includes(f.key)) top[f.key] = analysis[f.key];
  const cpt = analysis.cpt && Array.isArray(analysis.cpt.points) ? analysis.cpt.points : [];
  inputs.append(el('div', { className: 'sheet-columns' },
    givenValues('Analysis', '', top, system),
    givenValues('Pile', 'pile', analysis.pile, system),
    givenValues('Methods', 'methods', analysis.methods, system),
    givenValues('Loading', 'loading', analysis.loading, system),
    givenValues('Options', 'options', analysis.options, system),
    givenValues('Load transfer', 'load_transfer', analysis.load_transfer, system),
    givenValues('Design loads', 'design', analysis.design, system)));
  inputs.append(layerTable(analysis, system) || el('p', { text: 'No soil profile.' }));
  if (cpt.length) {
    inputs.append(el('p', { text: `CPT sounding: ${cpt.length} points from ${cpt[0][0]} to ${cpt[cpt.length - 1][0]} ${unitOf(part('cpt.points').fields[0], system)}.` }));
  }
  sheet.append(inputs);

  const figure = el('section', { className: 'sheet-section sheet-profile' }, el('h2', { text: 'Soil profile' }));
  if (profile) figure.append(profile.cloneNode(true));
  sheet.append(figure);

  const results = el('section', { className: 'sheet-section' }, el('h2', { text: 'Results' }));
  if (!result) {
    results.append(el('p', { text: 'No results: the analysis could not run.' }));
  } else {
    results.append(el('p', { text: result.status === 0 ? 'The run completed.' : 'The run stopped on its input.' }));
    const summary = document.getElementById('summary-table');
    if (summary) results.append(summary.cloneNode(true));
    const design = document.getElementById('design-table');
    if (result.design && design) results.append(el('h3', { text: 'Length each design load needs' }), design.cloneNode(true));
    for (const t of result.tables || []) results.append(el('div', { className: 'sheet-table' }, el('h3', { text: t.title }), capacityTable(t)));
    for (const section of result.charts || []) {
      const s = el('section', { className: 'sheet-charts' }, el('h3', { text: section.heading }));
      for (const c of section.charts) s.append(drawChart(c, { width: 640, height: 330 }));
      results.append(s);
    }
  }
  if (problems.length) {
    results.append(el('h3', { text: 'Problems and warnings' }),
      el('ul', {}, ...problems.map((p) => el('li', { text: `${p.severity}: ${p.path ? `${p.path}: ` : ''}${p.message}` }))));
  }
  sheet.append(results);
}
