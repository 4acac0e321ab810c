// The input panels made of plain fields: the analysis (titles, units, steps), the pile, the methods
// with the loading and the options, and the load-transfer tables.
import { el, field, fieldGrid, part } from './fields.js';
import { getAt } from './model.js';
import { listTable } from './tables.js';

function section(title, ...children) {
  const s = el('fieldset', { className: 'group' });
  s.append(el('legend', { text: title }), ...children);
  return s;
}

export function buildAnalysisPanel(panel, ctx) {
  const a = ctx.analysis();
  const { grid } = fieldGrid('', a, ctx.system(), ctx.change, ctx.focus);
  const other = ctx.system() === 'SI' ? 'English' : 'SI';
  const convert = el('button', { type: 'button', className: 'add-row', id: 'convert-units', text: `Convert every value to ${other} units` });
  convert.addEventListener('click', () => ctx.convertUnits(other));
  panel.replaceChildren(section('Analysis', grid,
    el('p', { className: 'note', text: 'Choosing the units above relabels the values as they stand; the button converts them.' }),
    el('div', { className: 'table-actions' }, convert)));
}

// Whether a pile value applies to the pile type (a value that is given is always shown).
function pileApplies(analysis) {
  const type = getAt(analysis, 'pile.type');
  const axialArea = String(getAt(analysis, 'pile.axial_area') || '').toLowerCase();
  return (f, value) => {
    if (value !== undefined) return true;
    // The uniform area is read for axial_area = "uniform" only.
    if (f.key === 'cross_section_area') return axialArea === 'uniform';
    if (!f.pile_types) return true;
    return f.pile_types.some((t) => String(t).toLowerCase() === String(type).toLowerCase());
  };
}

export function buildPilePanel(panel, ctx) {
  const a = ctx.analysis();
  const system = ctx.system();
  const { grid, controls } = fieldGrid('pile', a, system, ctx.change, ctx.focus, { applies: pileApplies(a) });
  // The pile type and the source of the axial area decide which values are asked for.
  for (const c of controls) {
    if (c.field.key === 'type' || c.field.key === 'axial_area') {
      c.input.addEventListener('change', () => ctx.rebuild('pile', c.input.name));
    }
  }
  const children = [section('Pile', grid)];
  const axialArea = String(getAt(a, 'pile.axial_area') || '').toLowerCase();
  const rows = getAt(a, 'pile.area_table');
  if (axialArea === 'table' || (Array.isArray(rows) && rows.length > 0)) {
    children.push(section(part('pile.area_table').title,
      listTable(ctx, { partKey: 'pile.area_table', rowsPath: 'pile.area_table', rowWord: 'area row' })));
  }
  panel.replaceChildren(...children);
}

export function buildMethodsPanel(panel, ctx) {
  const a = ctx.analysis();
  const system = ctx.system();
  const selectedField = field('methods', 'selected');
  const selected = (getAt(a, 'methods.selected') || []).map((s) => String(s).toLowerCase());
  const boxes = el('div', { className: 'method-boxes', role: 'group', 'aria-label': 'Methods to compute' });
  for (const c of selectedField.choices) {
    const id = `method-${c.code}`;
    const box = el('input', { type: 'checkbox', id, name: 'methods.selected', value: c.name });
    box.checked = [c.name, ...c.aliases].some((n) => selected.includes(n.toLowerCase()) || selected.includes(String(c.code)));
    box.addEventListener('change', () => {
      const list = [...boxes.querySelectorAll('input')].filter((i) => i.checked).map((i) => i.value);
      ctx.change('methods.selected', list);
    });
    box.addEventListener('focus', () => ctx.focus(selectedField));
    const label = el('label', { for: id, className: 'check' });
    label.append(box, document.createTextNode(` ${c.name.replace(/_/g, ' ')}`));
    boxes.append(label);
  }
  const msg = el('div', { className: 'msg', role: 'alert' });
  const selectedWrap = el('div', { className: 'field field-choice_list', 'data-path': 'methods.selected' },
    el('div', { className: 'label', text: 'Methods to compute' }), boxes, msg);
  const methods = fieldGrid('methods', a, system, ctx.change, ctx.focus, { skip: ['selected'] });
  const loading = fieldGrid('loading', a, system, ctx.change, ctx.focus);
  const options = fieldGrid('options', a, system, ctx.change, ctx.focus);
  const design = fieldGrid('design', a, system, ctx.change, ctx.focus);
  panel.replaceChildren(
    section('Methods', selectedWrap, methods.grid),
    section('Loading', loading.grid),
    section('Options', options.grid),
    section('Design loads', el('p', { className: 'note', text: 'The least embedded length each method needs for each load: the Design tab after a run.' }), design.grid));
}

export function buildTransferPanel(panel, ctx) {
  const a = ctx.analysis();
  const system = ctx.system();
  const lists = fieldGrid('load_transfer', a, system, ctx.change, ctx.focus);
  const factorsPath = 'load_transfer.tip_curve_factors';
  const factorsGiven = getAt(a, factorsPath) !== undefined;
  const toggle = el('input', { type: 'checkbox', id: 'tip-factors-on' });
  toggle.checked = factorsGiven;
  toggle.addEventListener('change', () => {
    ctx.change(factorsPath, toggle.checked ? { load_factor: 1, movement_factor: 1 } : undefined, { rebuild: 'transfer' });
  });
  const toggleLabel = el('label', { for: 'tip-factors-on', className: 'check' });
  toggleLabel.append(toggle, document.createTextNode(' Multiply the tip (q-w) curve'));
  const factors = el('div', {}, toggleLabel);
  if (factorsGiven) factors.append(fieldGrid(factorsPath, a, system, ctx.change, ctx.focus).grid);
  panel.replaceChildren(
    section('Load-settlement analysis', lists.grid),
    section(part('load_transfer.modifiers').title,
      el('p', { className: 'note', text: 'Multipliers of the t-z curves by depth.' }),
      listTable(ctx, { partKey: 'load_transfer.modifiers', rowsPath: 'load_transfer.modifiers', rowWord: 'modifier' })),
    section(part(factorsPath).title, factors));
}
