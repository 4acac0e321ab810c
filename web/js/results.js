// The results of a run on the page: the capacities at the full pile length, the charts, the result
// tables, the design answers, the problems and the report.
import { drawChart, formatNumber } from './charts.js';
import { el } from './fields.js';

const DECIMALS = { pile_length: 2, depth: 2, plug_length: 2, skin_friction: 1, tip_resistance: 1, ultimate_capacity: 1, unit_friction: 3 };

export function fixed(key, v) {
  if (typeof v !== 'number') return String(v);
  const d = DECIMALS[key] ?? 3;
  const text = v.toFixed(d);
  return /^-0\.?0*$/.test(text) ? text.slice(1) : text;
}

function column(table, key) {
  return table.columns.findIndex((c) => c.key === key);
}

function methodName(t) {
  return t.method ? t.method.replace(/_/g, ' ') : t.title;
}

function tipHeading(t) {
  return t.tension ? 'Self weight' : 'End bearing';
}

// The capacities of every method at the full pile length.
export function renderSummary(box, result, state) {
  box.replaceChildren();
  const status = el('div', { className: `status status-${state.kind}`, text: state.text });
  box.append(status);
  if (!result || !result.tables || !result.tables.length) return;
  const u = result.units;
  const t0 = result.tables[0];
  const lastLength = t0.rows.length ? t0.rows[t0.rows.length - 1][column(t0, 'pile_length')] : 0;
  const table = el('table', { className: 'summary-table', id: 'summary-table' });
  table.append(el('caption', { text: `At the full pile length, ${fixed('pile_length', lastLength)} ${u.length} below ground` }));
  const head = el('tr', {}, el('th', { scope: 'col', text: 'Method' }), el('th', { scope: 'col', text: `Skin friction (${u.force})` }),
    el('th', { scope: 'col', text: `End bearing or self weight (${u.force})` }), el('th', { scope: 'col', text: `Ultimate capacity (${u.force})` }));
  const body = el('tbody');
  for (const t of result.tables) {
    const row = t.rows[t.rows.length - 1];
    if (!row) continue;
    const tr = el('tr', { 'data-method': t.method },
      el('th', { scope: 'row', text: methodName(t) }),
      el('td', { text: fixed('skin_friction', row[column(t, 'skin_friction')]) }),
      el('td', { text: `${fixed('tip_resistance', row[column(t, 'tip_resistance')])}${row[column(t, 'plug_mark')] ? ' *' : ''}` }),
      el('td', { className: 'ultimate', text: fixed('ultimate_capacity', row[column(t, 'ultimate_capacity')]) }));
    body.append(tr);
  }
  table.append(el('thead', {}, head), body);
  box.append(table);
}

function chartsOf(result, sectionId) {
  const s = (result.charts || []).find((c) => c.id === sectionId);
  return s ? s.charts : [];
}

function chooser(label, options, onChoose, chosen) {
  const id = `choose-${label.replace(/\W+/g, '-').toLowerCase()}`;
  const select = el('select', { id });
  options.forEach((o, i) => select.append(el('option', { value: String(i), text: o })));
  select.value = String(Math.min(chosen, options.length - 1));
  select.addEventListener('change', () => onChoose(Number(select.value)));
  return el('label', { className: 'chooser', for: id }, document.createTextNode(`${label} `), select);
}

const chosen = { capacity: 0, table: 0 };

export function renderCapacity(panel, result) {
  panel.replaceChildren();
  const charts = chartsOf(result, 'capacity');
  if (!charts.length) {
    panel.append(el('p', { className: 'note', text: 'No capacity tables: the run stopped before the methods ran.' }));
    return;
  }
  const all = charts.find((c) => c.id === 'ultimate');
  const each = charts.filter((c) => c.id !== 'ultimate');
  if (all) panel.append(drawChart(all));
  const holder = el('div');
  const show = (i) => {
    chosen.capacity = i;
    holder.replaceChildren(drawChart(each[i]));
  };
  panel.append(chooser('Method', result.tables.map(methodName), show, chosen.capacity), holder);
  show(Math.min(chosen.capacity, each.length - 1));
}

export function renderSettlement(panel, result) {
  panel.replaceChildren();
  const charts = chartsOf(result, 'load-settlement');
  if (!charts.length) {
    panel.append(el('p', { className: 'note', text: 'No load-settlement analysis in this run.' }));
    return;
  }
  for (const c of charts) panel.append(drawChart(c));
  const steps = result.load_steps;
  panel.append(el('h3', { text: 'Load steps' }), dataTable(steps.columns, steps.rows, 'load-steps'));
}

export function renderCurves(panel, result) {
  panel.replaceChildren();
  const charts = [...chartsOf(result, 'load-transfer'), ...chartsOf(result, 'verification')];
  if (!charts.length) {
    panel.append(el('p', { className: 'note', text: 'No load-transfer curves in this run.' }));
    return;
  }
  for (const c of charts) panel.append(drawChart(c, { height: 260 }));
}

function dataTable(columns, rows, id) {
  const table = el('table', { className: 'data', id });
  const head = el('tr');
  for (const c of columns) head.append(el('th', { scope: 'col' }, document.createTextNode(c.label), c.unit ? el('span', { className: 'unit', text: c.unit }) : null));
  const body = el('tbody');
  for (const r of rows) {
    const tr = el('tr');
    r.forEach((v, i) => tr.append(el('td', { text: typeof v === 'boolean' ? (v ? '*' : '') : fixed(columns[i].key, v) })));
    body.append(tr);
  }
  table.append(el('thead', {}, head), body);
  return table;
}

// One capacity table with the columns its report prints.
export function capacityTable(t) {
  const keys = ['pile_length'];
  if (t.battered) keys.push('depth');
  keys.push('skin_friction', 'tip_resistance', 'ultimate_capacity');
  if (t.plug_column) keys.push('plug_length', 'plug_mark');
  const columns = keys.map((k) => {
    const c = t.columns[column(t, k)];
    return k === 'tip_resistance' ? { ...c, label: tipHeading(t) } : c;
  });
  // The rows the report prints (the run gives every row, with the printed ones marked).
  const printed = column(t, 'printed');
  const rows = t.rows.filter((r) => printed < 0 || r[printed]).map((r) => keys.map((k) => r[column(t, k)]));
  const table = dataTable(columns, rows, `table-${t.method}`);
  table.dataset.method = t.method;
  return table;
}

export function renderTables(panel, result) {
  panel.replaceChildren();
  if (!result.tables || !result.tables.length) {
    panel.append(el('p', { className: 'note', text: 'No capacity tables: the run stopped before the methods ran.' }));
    return;
  }
  const holder = el('div', { className: 'table-scroll tall' });
  const show = (i) => {
    chosen.table = i;
    const t = result.tables[i];
    holder.replaceChildren(el('h3', { text: t.title }), capacityTable(t));
  };
  panel.append(chooser('Table', result.tables.map(methodName), show, chosen.table), holder);
  show(Math.min(chosen.table, result.tables.length - 1));
}

// The design answers of a run, when the server gives them: a list of answers, each a method and
// its values, shown as they come.
export function renderDesign(panel, tab, result) {
  const design = result && result.design;
  tab.hidden = !design;
  panel.replaceChildren();
  if (!design) return;
  const u = result.units;
  const tension = (result.tables || []).some((t) => t.tension);
  const factored = design.some((a) => a.factored);
  const intro = 'The least embedded length at which the capacity' + (factored ? ' (factored by the layers\' resistance factors)' : '') +
    ' divided by the factor of safety reaches each ' + (tension ? 'uplift ' : '') + 'load, linear between the rows of the computation.';
  panel.append(el('p', { className: 'note', text: intro }));
  const table = el('table', { className: 'data design-table', id: 'design-table' });
  const head = el('tr', {});
  for (const [text, unit] of [['Method', ''], [tension ? 'Uplift load' : 'Load', u.force], ['Factor of safety', ''],
    ['Embedded length', u.length], ['Capacity', u.force], ['Note', '']]) {
    head.append(el('th', { scope: 'col' }, document.createTextNode(text), unit ? el('span', { className: 'unit', text: unit }) : null));
  }
  const body = el('tbody');
  for (const a of design) {
    const reached = a.embedded_length !== null;
    const notes = [];
    if (!reached) notes.push(`not reached within the pile (largest ${fixed('ultimate_capacity', a.capacity)} ${u.force} at ${fixed('pile_length', a.capacity_length)} ${u.length})`);
    if (a.falls_below_again_at !== null) notes.push(`lost again from ${fixed('pile_length', a.falls_below_again_at)} ${u.length}`);
    if (a.advisory) notes.push(a.advisory);
    body.append(el('tr', { 'data-method': a.method, className: reached ? '' : 'not-reached' },
      el('th', { scope: 'row', text: a.method.replace(/_/g, ' ') }),
      el('td', { text: fixed('ultimate_capacity', a.load) }),
      el('td', { text: formatNumber(a.factor_of_safety) }),
      el('td', { text: reached ? fixed('pile_length', a.embedded_length) : '\u2014' }),
      el('td', { text: reached ? fixed('ultimate_capacity', a.capacity) : '' }),
      el('td', { className: 'note-cell', text: notes.join('; ') })));
  }
  table.append(el('thead', {}, head), body);
  panel.append(table);
}

// The problems and warnings, each with a link to its input.
export function renderProblems(panel, badge, problems, onGoTo) {
  panel.replaceChildren();
  const errors = problems.filter((p) => p.severity === 'error');
  const others = problems.filter((p) => p.severity !== 'error');
  badge.textContent = problems.length ? String(problems.length) : '';
  badge.className = `badge${errors.length ? ' error' : problems.length ? ' warning' : ''}`;
  if (!problems.length) {
    panel.append(el('p', { className: 'note', text: 'No problems found.' }));
    return;
  }
  const list = el('ul', { className: 'problems', id: 'problem-list' });
  for (const p of [...errors, ...others]) {
    const li = el('li', { className: `problem ${p.severity}` });
    li.append(el('span', { className: 'severity', text: p.severity }));
    if (p.path) {
      const go = el('button', { type: 'button', className: 'link', text: p.path, title: 'Go to the input' });
      go.addEventListener('click', () => onGoTo(p.path));
      li.append(go, document.createTextNode(' '));
    }
    li.append(el('span', { className: 'message', text: p.message }));
    list.append(li);
  }
  panel.append(list);
}
