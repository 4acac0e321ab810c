// Fields and forms: the field table of the server (/api/fields) made into labelled inputs. Every
// input carries as its name the path that the problems of the server use ("pile.length"), so that
// a problem finds its input.
import { getAt, numberOrText } from './model.js';

let table = null;

export function setFieldTable(fields) {
  table = fields;
}

export function part(key) {
  return table.parts.find((p) => p.key === key);
}

export function field(partKey, key) {
  const p = part(partKey);
  return p ? p.fields.find((f) => f.key === key) : undefined;
}

export function unitSystems() {
  return table.unit_systems;
}

// The unit system of an analysis ("English" or "SI"), as its "units" value names it.
export function unitSystemOf(analysis) {
  const u = analysis && analysis.units;
  const entry = table.unit_systems.find((s) => s.name.toLowerCase() === String(u).toLowerCase() || s.code === u);
  return entry ? entry.name : 'English';
}

export function unitOf(f, system) {
  return f && f.units ? f.units[system] || '' : '';
}

// "outside_diameter" -> "Outside diameter"
export function words(key) {
  const text = key.replace(/_/g, ' ').replace(/\b(lrfd|cpt|icp|usace|api|fhwa|ngi|uwa)\b/gi, (w) => w.toUpperCase());
  return text.charAt(0).toUpperCase() + text.slice(1);
}

export function defaultText(f) {
  if (f.required) return 'required';
  if (f.default_note) return `default ${f.default_note}`;
  if (f.default === null || f.default === undefined) return '';
  if (typeof f.default === 'boolean') return `default ${f.default ? 'yes' : 'no'}`;
  if (f.default === '') return '';
  return `default ${f.default}`;
}

export function allowedText(f, system) {
  return f.allowed ? f.allowed[system] : '';
}

// The line of help shown for the input that has the focus.
export function helpText(f, system) {
  const unit = unitOf(f, system);
  const parts = [`${words(f.key)}${unit ? ` (${unit})` : ''}: ${f.meaning}`];
  const d = defaultText(f);
  if (d) parts.push(d);
  const a = allowedText(f, system);
  if (a) parts.push(`allowed ${a}`);
  return parts.join(' · ');
}

let uniqueId = 0;
function idFor(path) {
  uniqueId += 1;
  return `in-${path.replace(/[^a-zA-Z0-9]+/g, '-')}-${uniqueId}`;
}

function el(tag, attrs = {}, ...children) {
  const e = document.createElement(tag);
  for (const [k, v] of Object.entries(attrs)) {
    if (v === undefined || v === null || v === false) continue;
    if (k === 'text') e.textContent = v;
    else if (k === 'className') e.className = v;
    else e.setAttribute(k, v === true ? '' : v);
  }
  for (const c of children) if (c) e.append(c);
  return e;
}
export { el };

// The value an input holds, as the analysis states it (undefined: the key's default).
// A switch whose default depends on other values is a choice of three: its default, yes or no.
function threeWay(f) {
  return f.type === 'switch' && Boolean(f.default_note);
}

export function inputValue(f, input) {
  if (threeWay(f)) return input.value === '' ? undefined : input.value === 'yes';
  switch (f.type) {
    case 'switch': return input.checked;
    case 'choice': return input.value === '' ? undefined : input.value;
    case 'text': return input.value === '' ? undefined : input.value;
    case 'real_list': {
      const t = input.value.trim();
      if (t === '') return undefined;
      return t.split(/[\s,;]+/).filter((s) => s !== '').map(numberOrText);
    }
    default: return numberOrText(input.value);
  }
}

function choiceMatches(choice, value) {
  if (value === undefined || value === null) return false;
  if (typeof value === 'number') return choice.code === value;
  const simple = (s) => String(s).toLowerCase().replace(/[\s_\-/]/g, '');
  return [choice.name, ...choice.aliases].some((n) => simple(n) === simple(value));
}

export function showValue(f, input, value) {
  if (threeWay(f)) {
    input.value = value === undefined ? '' : value === true || value === 1 ? 'yes' : 'no';
    return;
  }
  switch (f.type) {
    case 'switch':
      input.checked = value === undefined ? Boolean(f.default) : value === true || value === 1;
      break;
    case 'choice': {
      const choice = f.choices.find((c) => choiceMatches(c, value));
      input.value = choice ? choice.name : '';
      break;
    }
    case 'real_list':
      input.value = Array.isArray(value) ? value.join(', ') : '';
      break;
    default:
      input.value = value === undefined || value === null ? '' : String(value);
  }
}

// One labelled input of a field at `path`; onChange(path, value) on every edit.
export function fieldControl(f, path, system, onChange, onFocus) {
  const id = idFor(path);
  const unit = unitOf(f, system);
  const wrap = el('div', { className: `field field-${f.type}`, 'data-path': path });
  let input;
  if (threeWay(f)) {
    const label = el('label', { for: id });
    label.append(document.createTextNode(words(f.key)));
    input = el('select', { id, name: path });
    input.append(el('option', { value: '', text: `default: ${f.default_note}` }), el('option', { value: 'yes', text: 'yes' }),
      el('option', { value: 'no', text: 'no' }));
    wrap.append(label, input);
  } else if (f.type === 'switch') {
    input = el('input', { type: 'checkbox', id, name: path });
    const label = el('label', { for: id, className: 'check' });
    label.append(input, document.createTextNode(` ${words(f.key)}`));
    wrap.append(label);
  } else {
    const label = el('label', { for: id });
    label.append(document.createTextNode(words(f.key)));
    if (unit) label.append(el('span', { className: 'unit', text: unit }));
    if (f.type === 'choice') {
      input = el('select', { id, name: path });
      if (!f.required) input.append(el('option', { value: '', text: `(default: ${f.default ?? 'none'})` }));
      for (const c of f.choices) input.append(el('option', { value: c.name, text: words(c.name) }));
    } else {
      input = el('input', {
        type: 'text', id, name: path, autocomplete: 'off', spellcheck: 'false',
        inputmode: f.type === 'real' || f.type === 'integer' ? 'decimal' : undefined,
        placeholder: f.type === 'real_list' ? 'values separated by commas' : (f.required ? '' : placeholderOf(f)),
      });
    }
    wrap.append(label, input);
    const hint = [defaultText(f), allowedText(f, system)].filter((s) => s).join(' · ');
    if (hint) wrap.append(el('div', { className: 'hint', text: hint }));
  }
  const msg = el('div', { className: 'msg', id: `${id}-msg`, role: 'alert' });
  wrap.append(msg);
  input.setAttribute('aria-describedby', `${id}-msg`);
  if (f.required) input.setAttribute('aria-required', 'true');
  input.title = f.meaning;
  const changed = () => onChange(path, inputValue(f, input));
  input.addEventListener(f.type === 'switch' || f.type === 'choice' ? 'change' : 'input', changed);
  input.addEventListener('focus', () => onFocus && onFocus(f));
  return { wrap, input, field: f };
}

function placeholderOf(f) {
  if (f.default_note) return f.default_note;
  if (f.default === null || f.default === undefined || f.default === '') return '';
  return String(f.default);
}

// The inputs of the fields of one part of the analysis, in a grid.
export function fieldGrid(partKey, analysis, system, onChange, onFocus, options = {}) {
  const p = part(partKey);
  const grid = el('div', { className: 'field-grid' });
  const controls = [];
  for (const f of p.fields) {
    if (options.skip && options.skip.includes(f.key)) continue;
    const path = partKey ? `${partKey}.${f.key}` : f.key;
    const value = getAt(analysis, path);
    // A restated switch of an input data file appears only when the file gave one.
    if (f.restates_input_data_file && value === undefined) continue;
    if (options.applies && !options.applies(f, value)) continue;
    const c = fieldControl(f, path, system, onChange, onFocus);
    showValue(f, c.input, value);
    grid.append(c.wrap);
    controls.push(c);
  }
  return { grid, controls };
}
