// Editable tables: the soil profile (layers with their values as one number or top / bottom), the
// CPT sounding (which takes a paste from a spreadsheet) and the small lists of rows (areas along the
// pile, t-z modifiers). Rows can be added, inserted, moved and deleted from the keyboard.
import { el, defaultText, allowedText, part, unitOf, words } from './fields.js';
import { clone, getAt, layerText, layerValue, numberOrText } from './model.js';

// Short column headings of the soil values, with the groups of columns shown together.
const SOIL_HEADINGS = {
  name: 'Name', top: 'Top', bottom: 'Bottom', depth: 'Depth', soil_type: 'Soil',
  effective_unit_weight: 'γ′', friction_angle: 'φ′', shear_strength: 'su',
  blow_count_or_yield_stress_ratio: 'N or YSR', lateral_earth_pressure: 'K', bearing_capacity_factor: 'Nq',
  remolded_strength: 'su,r', plasticity_index: 'PI', cone_resistance: 'qc', max_unit_friction: 'f max',
  max_unit_bearing: 'q max', lrfd_friction_factor: 'LRFD f', lrfd_bearing_factor: 'LRFD q',
  user_unit_friction: 'f user', user_unit_bearing: 'q user', adhesion_case_or_tip_movement: 'Adhesion / z tip',
  peak_movement: 'z peak', residual_ratio: 't res / t peak',
};
const SOIL_GROUPS = [
  { id: 'main', title: 'Main', keys: ['effective_unit_weight', 'friction_angle', 'shear_strength', 'blow_count_or_yield_stress_ratio'] },
  { id: 'strength', title: 'Strength', keys: ['lateral_earth_pressure', 'bearing_capacity_factor', 'remolded_strength', 'plasticity_index', 'cone_resistance'] },
  { id: 'limits', title: 'Limits, LRFD', keys: ['max_unit_friction', 'max_unit_bearing', 'lrfd_friction_factor', 'lrfd_bearing_factor'] },
  { id: 'general', title: 'General method', keys: ['user_unit_friction', 'user_unit_bearing'] },
  { id: 'curves', title: 't-z curves', keys: ['adhesion_case_or_tip_movement', 'peak_movement', 'residual_ratio'] },
];
const FIXED_LAYER = ['name', 'top', 'bottom', 'soil_type'];
const FIXED_POINT = ['name', 'depth', 'soil_type'];

let shownGroup = 'main';

function rowButton(label, text, onClick) {
  const b = el('button', { type: 'button', className: 'row-button', 'aria-label': label, title: label, text });
  b.addEventListener('click', onClick);
  return b;
}

// Up and down arrows move between the rows of a table, Enter to the next row, as in a spreadsheet.
function tableKeys(tableElement) {
  tableElement.addEventListener('keydown', (e) => {
    const input = e.target;
    if (!(input instanceof HTMLInputElement) || input.type !== 'text') return;
    const down = e.key === 'ArrowDown' || (e.key === 'Enter' && !e.shiftKey);
    const up = e.key === 'ArrowUp' || (e.key === 'Enter' && e.shiftKey);
    if (!down && !up) return;
    const cell = input.closest('td');
    const row = cell.parentElement;
    const target = down ? row.nextElementSibling : row.previousElementSibling;
    if (!target) return;
    const next = target.children[cell.cellIndex] && target.children[cell.cellIndex].querySelector('input, select');
    if (next) {
      e.preventDefault();
      next.focus();
      if (next.select) next.select();
    }
  });
}

function headingCell(f, system, key, className) {
  const unit = f ? unitOf(f, system) : '';
  const th = el('th', { scope: 'col', className });
  th.append(el('span', { text: SOIL_HEADINGS[key] || words(key) }));
  if (unit) th.append(el('span', { className: 'unit', text: unit }));
  if (f) th.title = `${words(f.key)}: ${f.meaning}${f.allowed ? ` (allowed ${allowedText(f, system)})` : ''}`;
  return th;
}

function inputCell(name, text, label, className, onInput, onFocus) {
  const input = el('input', { type: 'text', name, autocomplete: 'off', spellcheck: 'false', 'aria-label': label });
  input.value = text;
  input.addEventListener('input', () => onInput(input.value));
  if (onFocus) input.addEventListener('focus', onFocus);
  const td = el('td', { className });
  td.append(input);
  return td;
}

function choiceCell(name, f, value, label, className, onChange, onFocus) {
  const select = el('select', { name, 'aria-label': label });
  for (const c of f.choices) select.append(el('option', { value: c.name, text: c.name }));
  const match = f.choices.find((c) => [c.name, ...c.aliases].some((n) => n.toLowerCase() === String(value).toLowerCase()) || c.code === value);
  select.value = match ? match.name : '';
  select.addEventListener('change', () => onChange(select.value));
  if (onFocus) select.addEventListener('focus', onFocus);
  const td = el('td', { className });
  td.append(select);
  return td;
}

// The soil profile: the layers (top and bottom depths) or, for a profile that does not pair into
// layers, its points.
export function soilTable(ctx) {
  const a = ctx.analysis();
  const system = ctx.system();
  const layers = Array.isArray(a.layers) || !Array.isArray(a.soil_points);
  const listKey = layers ? 'layers' : 'soil_points';
  const rows = getAt(a, listKey) || [];
  const p = part(listKey);
  const byKey = Object.fromEntries(p.fields.map((f) => [f.key, f]));
  const fixed = layers ? FIXED_LAYER : FIXED_POINT;
  const grouped = new Set(SOIL_GROUPS.flatMap((g) => g.keys));
  const groups = SOIL_GROUPS.map((g) => ({ ...g }));
  const others = p.fields.map((f) => f.key).filter((k) => !fixed.includes(k) && !grouped.has(k));
  if (others.length) groups.push({ id: 'other', title: 'Other', keys: others });
  const valueKeys = groups.flatMap((g) => g.keys).filter((k) => byKey[k]);
  const groupOf = Object.fromEntries(groups.flatMap((g) => g.keys.map((k) => [k, g.id])));

  const wrap = el('div', { className: 'soil-editor' });
  const switcher = el('div', { className: 'column-groups', role: 'group', 'aria-label': 'Columns shown' });
  const table = el('table', { className: `grid soil show-${shownGroup}` });
  for (const g of groups) {
    const b = el('button', { type: 'button', className: 'group-button', 'aria-pressed': String(g.id === shownGroup), 'data-group': g.id, text: g.title });
    b.addEventListener('click', () => {
      shownGroup = g.id;
      table.className = `grid soil show-${g.id}`;
      for (const other of switcher.children) other.setAttribute('aria-pressed', String(other === b));
    });
    switcher.append(b);
  }

  const head = el('tr', {}, el('th', { scope: 'col', className: 'num', text: '#' }));
  for (const k of fixed) head.append(headingCell(byKey[k], system, k, `c-${k}`));
  for (const k of valueKeys) head.append(headingCell(byKey[k], system, k, `g-${groupOf[k]}`));
  head.append(el('th', { scope: 'col', className: 'actions', text: '' }));
  const body = el('tbody');
  const word = layers ? 'layer' : 'soil point';

  const commit = (list, focusName) => ctx.change(listKey, list, { rebuild: 'soil', focus: focusName });
  rows.forEach((row, i) => {
    const n = i + 1;
    const tr = el('tr', {}, el('th', { scope: 'row', className: 'num', text: String(n) }));
    for (const k of fixed) {
      const f = byKey[k];
      const name = `${listKey}[${n}].${k}`;
      const label = `${words(word)} ${n} ${words(k).toLowerCase()}`;
      const focus = () => ctx.focus(f);
      if (f && f.type === 'choice') {
        tr.append(choiceCell(name, f, row[k], label, `c-${k}`, (v) => ctx.change(name, v), focus));
      } else {
        tr.append(inputCell(name, k === 'name' ? (row[k] ?? '') : layerText(row[k]), label, `c-${k}`,
          (text) => ctx.change(name, k === 'name' ? (text === '' ? undefined : text) : numberOrText(text)), focus));
      }
    }
    for (const k of valueKeys) {
      const f = byKey[k];
      const name = `${listKey}[${n}].${k}`;
      const label = `${words(word)} ${n} ${words(k).toLowerCase()}`;
      const parse = layers ? layerValue : numberOrText;
      const td = f.type === 'choice'
        ? choiceCell(name, f, row[k], label, `g-${groupOf[k]}`, (v) => ctx.change(name, v), () => ctx.focus(f))
        : inputCell(name, layerText(row[k]), label, `g-${groupOf[k]}`, (text) => ctx.change(name, parse(text)), () => ctx.focus(f));
      if (!row[k] && row[k] !== 0) td.querySelector('input, select').placeholder = f.default_note ? '' : String(f.default ?? '');
      tr.append(td);
    }
    const actions = el('td', { className: 'actions' });
    actions.append(
      rowButton(`Insert a ${word} above ${word} ${n}`, '+', () => {
        const list = clone(rows);
        const copy = clone(row);
        delete copy.name;
        if (layers && typeof row.top === 'number' && typeof row.bottom === 'number') {
          // The new layer takes the upper half of this one.
          const middle = Math.round(((row.top + row.bottom) / 2) * 1000) / 1000;
          copy.bottom = middle;
          list[i].top = middle;
        }
        list.splice(i, 0, copy);
        commit(list, `${listKey}[${n}].name`);
      }),
      rowButton(`Move ${word} ${n} up`, '↑', () => {
        if (i === 0) return;
        commit(swapped(rows, i - 1, layers), `${listKey}[${n - 1}].name`);
      }),
      rowButton(`Move ${word} ${n} down`, '↓', () => {
        if (i === rows.length - 1) return;
        commit(swapped(rows, i, layers), `${listKey}[${n + 1}].name`);
      }),
      rowButton(`Delete ${word} ${n}`, '✕', () => {
        const list = clone(rows);
        list.splice(i, 1);
        commit(list, `${listKey}[${Math.min(n, list.length)}].name`);
      }));
    tr.append(actions);
    body.append(tr);
  });
  table.append(el('thead', {}, head), body);
  tableKeys(table);

  const add = el('button', { type: 'button', className: 'add-row', id: 'add-layer', text: layers ? 'Add layer' : 'Add soil point' });
  add.addEventListener('click', () => {
    const list = clone(rows);
    const last = rows[rows.length - 1];
    if (layers) {
      const top = last && typeof last.bottom === 'number' ? last.bottom : 0;
      const thickness = last && typeof last.top === 'number' && typeof last.bottom === 'number' && last.bottom > last.top
        ? last.bottom - last.top : 5;
      const weight = last ? last.effective_unit_weight : undefined;
      list.push({ top, bottom: Math.round((top + thickness) * 1000) / 1000, soil_type: last ? last.soil_type : 'sand',
        effective_unit_weight: Array.isArray(weight) ? weight[1] : weight });
    } else {
      list.push(last ? clone(last) : { depth: 0, soil_type: 'sand' });
    }
    commit(list, `${listKey}[${list.length}].${layers ? 'bottom' : 'depth'}`);
  });
  const hint = el('p', { className: 'note', text: layers
    ? 'Each value is one number for the whole layer, or top / bottom (e.g. 25 / 40), linear between them. Up, Down and Enter move between rows.'
    : 'This profile does not pair into layers from the top down: it is edited point by point.' });
  wrap.append(switcher, el('div', { className: 'table-scroll' }, table), el('div', { className: 'table-actions' }, add), hint);
  return wrap;
}

// Two neighbouring layers change places; each keeps its thickness, the pair its depths.
function swapped(rows, i, layers) {
  const list = clone(rows);
  const upper = list[i];
  const lower = list[i + 1];
  if (layers && [upper.top, upper.bottom, lower.top, lower.bottom].every((v) => typeof v === 'number')) {
    const top = upper.top;
    const lowerThickness = lower.bottom - lower.top;
    const upperThickness = upper.bottom - upper.top;
    lower.top = top;
    lower.bottom = top + lowerThickness;
    upper.top = lower.bottom;
    upper.bottom = upper.top + upperThickness;
  }
  list[i] = lower;
  list[i + 1] = upper;
  return list;
}

// A list of rows of one part (pile.area_table, load_transfer.modifiers): each row a table of values.
export function listTable(ctx, { partKey, rowsPath, rowWord }) {
  const a = ctx.analysis();
  const system = ctx.system();
  const p = part(partKey);
  const rows = getAt(a, rowsPath) || [];
  const table = el('table', { className: 'grid' });
  const head = el('tr', {}, el('th', { scope: 'col', className: 'num', text: '#' }));
  for (const f of p.fields) head.append(headingCell(f, system, f.key, ''));
  head.append(el('th', { scope: 'col', className: 'actions' }));
  const body = el('tbody');
  const commit = (list, focus) => ctx.change(rowsPath, list.length ? list : undefined, { rebuild: ctx.panelOf(rowsPath), focus });
  rows.forEach((row, i) => {
    const n = i + 1;
    const tr = el('tr', {}, el('th', { scope: 'row', className: 'num', text: String(n) }));
    for (const f of p.fields) {
      const name = `${rowsPath}[${n}].${f.key}`;
      tr.append(inputCell(name, row[f.key] === undefined ? '' : String(row[f.key]), `${rowWord} ${n} ${words(f.key).toLowerCase()}`, '',
        (text) => ctx.change(name, numberOrText(text)), () => ctx.focus(f)));
    }
    const actions = el('td', { className: 'actions' });
    actions.append(rowButton(`Delete ${rowWord} ${n}`, '✕', () => {
      const list = clone(rows);
      list.splice(i, 1);
      commit(list);
    }));
    tr.append(actions);
    body.append(tr);
  });
  table.append(el('thead', {}, head), body);
  tableKeys(table);
  const add = el('button', { type: 'button', className: 'add-row', text: `Add ${rowWord}` });
  add.addEventListener('click', () => {
    const list = clone(rows);
    const row = {};
    for (const f of p.fields) row[f.key] = f.default ?? 0;
    list.push(row);
    commit(list, `${rowsPath}[${list.length}].${p.fields[0].key}`);
  });
  const defaults = p.fields.map((f) => `${words(f.key)}: ${defaultText(f) || 'no default'}`).join(' · ');
  return el('div', { className: 'list-editor' }, el('div', { className: 'table-scroll' }, table),
    el('div', { className: 'table-actions' }, add), el('p', { className: 'note', text: defaults }));
}

// Rows of numbers pasted from a spreadsheet (tabs, commas, semicolons or blanks between values).
export function pastedRows(text) {
  return text.split(/\r?\n/).map((line) => line.trim()).filter((line) => line !== '')
    .map((line) => line.split(/[\t,;]+|\s+/).filter((s) => s !== '').map(numberOrText))
    .filter((cells) => cells.some((c) => typeof c === 'number'));
}

// The CPT sounding: depth and cone resistance per point; a paste of several lines fills the table
// from the row pasted into.
export function cptTable(ctx, onImport) {
  const a = ctx.analysis();
  const system = ctx.system();
  const importButton = el('button', { type: 'button', className: 'add-row', text: 'Import a CPT file…' });
  importButton.addEventListener('click', onImport);
  const file = getAt(a, 'cpt.file');
  if (file !== undefined) {
    // The sounding is read from a file of the folder when the analysis runs.
    const result = ctx.result();
    const used = result && result.sounding && result.sounding.file === file ? result.sounding.points : null;
    const inline = el('button', { type: 'button', className: 'add-row', text: 'Put the points in the analysis' });
    inline.disabled = !used;
    inline.addEventListener('click', () => ctx.change('cpt', { points: used }, { rebuild: 'cpt' }));
    return el('div', { className: 'cpt-editor' },
      el('p', { className: 'note', text: `The sounding is read from ${file}${used ? `: ${used.length} points` : ''}, when the analysis runs.` }),
      el('div', { className: 'table-actions' }, inline, importButton));
  }
  const p = part('cpt.points');
  const points = getAt(a, 'cpt.points') || [];
  const [depthField, qcField] = p.fields;
  const table = el('table', { className: 'grid cpt' });
  const head = el('tr', {}, el('th', { scope: 'col', className: 'num', text: '#' }),
    headingCell(depthField, system, 'depth', ''), headingCell(qcField, system, 'cone_resistance', ''),
    el('th', { scope: 'col', className: 'actions' }));
  const body = el('tbody');
  const commit = (list, focus) => {
    const cpt = clone(getAt(a, 'cpt')) || {};
    cpt.points = list;
    if (!list.length && !cpt.header) ctx.change('cpt', undefined, { rebuild: 'cpt', focus });
    else ctx.change('cpt', cpt, { rebuild: 'cpt', focus });
  };
  const paste = (e, index) => {
    const text = e.clipboardData.getData('text/plain');
    if (!/\n/.test(text.trim())) return;
    e.preventDefault();
    const rows = pastedRows(text).map((cells) => [cells[0], cells[1]]);
    const list = clone(points);
    list.splice(index, Math.max(0, list.length - index), ...rows);
    commit(list, `cpt.points[${index + 1}][1]`);
  };
  points.forEach((point, i) => {
    const n = i + 1;
    const tr = el('tr', {}, el('th', { scope: 'row', className: 'num', text: String(n) }));
    [depthField, qcField].forEach((f, j) => {
      const name = `cpt.points[${n}][${j + 1}]`;
      const td = inputCell(name, point[j] === undefined ? '' : String(point[j]), `CPT point ${n} ${words(f.key).toLowerCase()}`, '',
        (text) => ctx.change(name, numberOrText(text)), () => ctx.focus(f));
      td.querySelector('input').addEventListener('paste', (e) => paste(e, i));
      tr.append(td);
    });
    const actions = el('td', { className: 'actions' });
    actions.append(rowButton(`Delete CPT point ${n}`, '✕', () => {
      const list = clone(points);
      list.splice(i, 1);
      commit(list);
    }));
    tr.append(actions);
    body.append(tr);
  });
  table.append(el('thead', {}, head), body);
  tableKeys(table);

  const add = el('button', { type: 'button', className: 'add-row', text: 'Add point' });
  add.addEventListener('click', () => {
    const list = clone(points);
    const last = list[list.length - 1];
    list.push([last ? last[0] : 0, last ? last[1] : 0]);
    commit(list, `cpt.points[${list.length}][1]`);
  });
  const pasteArea = el('textarea', { className: 'paste', rows: '3', 'aria-label': 'Paste a sounding', placeholder: 'Paste two columns from a spreadsheet here: depth and cone resistance, one point a line. The sounding is replaced.' });
  pasteArea.addEventListener('paste', (e) => {
    e.preventDefault();
    const rows = pastedRows(e.clipboardData.getData('text/plain')).map((cells) => [cells[0], cells[1]]);
    if (rows.length) commit(rows, 'cpt.points[1][1]');
  });
  const clear = el('button', { type: 'button', className: 'add-row', text: 'Clear the sounding' });
  clear.addEventListener('click', () => commit([]));
  const count = el('p', { className: 'note', text: points.length
    ? `${points.length} points, from ${points[0][0]} to ${points[points.length - 1][0]} ${depthField.units[system]}.`
    : 'No sounding: the CPT-based methods take qc from the layers (qc) or estimate it.' });
  return el('div', { className: 'cpt-editor' }, count,
    el('div', { className: 'table-actions' }, add, importButton, clear), pasteArea,
    el('div', { className: 'table-scroll tall' }, table));
}

