// Files: open an analysis of the served folder, save it, save it as a new project file, download
// it in every form with its results, and read files from this computer.
import { ApiError, exportFile, getJson, sendJson } from './api.js';
import { el } from './fields.js';

// A new analysis to start from: one pile and one layer, every other value its default.
export function newAnalysis() {
  return {
    title: 'New analysis',
    units: 'SI',
    pile: { type: 'steel_pipe', tip: 'open', outside_diameter: 610, inside_diameter: 584.6, elastic_modulus: 2e8, length: 20, length_increment: 0.5 },
    methods: { selected: ['FHWA', 'API_RP2A'], load_transfer: 'API_RP2A' },
    loading: { type: 'compression' },
    layers: [{ name: 'sand', top: 0, bottom: 30, soil_type: 'sand', effective_unit_weight: 9.5, friction_angle: 32, blow_count_or_yield_stress_ratio: 20 }],
  };
}

export async function openDialog(onOpen) {
  const dialog = document.getElementById('open-dialog');
  const list = document.getElementById('open-list');
  const filter = document.getElementById('open-filter');
  list.replaceChildren(el('li', { className: 'note', text: 'Reading the folder…' }));
  dialog.showModal();
  let files = [];
  try {
    files = (await getJson('/api/files')).files.filter((f) => f.kind !== 'cpt');
  } catch (e) {
    list.replaceChildren(el('li', { className: 'note', text: e.message }));
    return;
  }
  const kinds = { project: 'project file', json: 'JSON analysis', deck: 'input data file' };
  const show = () => {
    const words = filter.value.toLowerCase().split(/\s+/).filter((w) => w);
    const shown = files.filter((f) => words.every((w) => f.path.toLowerCase().includes(w)));
    list.replaceChildren();
    if (!shown.length) list.append(el('li', { className: 'note', text: 'No analysis matches.' }));
    for (const f of shown) {
      const b = el('button', { type: 'button', className: 'file', role: 'option', 'data-path': f.path });
      b.append(el('span', { className: 'path', text: f.path }), el('span', { className: 'kind', text: kinds[f.kind] || f.kind }));
      b.addEventListener('click', () => {
        dialog.close();
        onOpen(f.path);
      });
      list.append(el('li', {}, b));
    }
  };
  filter.value = '';
  filter.oninput = show;
  filter.onkeydown = (e) => {
    if (e.key === 'Enter' || e.key === 'ArrowDown') {
      e.preventDefault();
      const first = list.querySelector('button');
      if (first && e.key === 'Enter') first.click();
      else if (first) first.focus();
    }
  };
  list.onkeydown = (e) => {
    if (e.key !== 'ArrowDown' && e.key !== 'ArrowUp') return;
    const buttons = [...list.querySelectorAll('button')];
    const i = buttons.indexOf(document.activeElement);
    const next = buttons[i + (e.key === 'ArrowDown' ? 1 : -1)];
    if (next) {
      e.preventDefault();
      next.focus();
    } else if (e.key === 'ArrowUp') {
      filter.focus();
    }
  };
  show();
  filter.focus();
}

// Asks for a file name in the folder; resolves to the name, or null when cancelled.
export function askName(suggestion, note) {
  const dialog = document.getElementById('save-dialog');
  const input = document.getElementById('save-name');
  document.getElementById('save-note').textContent = note || 'A project file (.toml); the name is relative to the served folder.';
  input.value = suggestion;
  return new Promise((resolve) => {
    dialog.onclose = () => {
      if (dialog.returnValue !== 'save') return resolve(null);
      let name = input.value.trim();
      if (name && !/\.toml$/i.test(name)) name += '.toml';
      resolve(name || null);
    };
    dialog.returnValue = '';
    dialog.showModal();
    input.focus();
    input.setSelectionRange(0, Math.max(0, input.value.lastIndexOf('.')));
  });
}

// Writes the analysis as a project file; asks before replacing a file that is there. Resolves to
// the name written, or null.
export async function saveAs(analysis, name, { replace = false } = {}) {
  try {
    await sendJson('PUT', '/api/analysis', analysis, { file: name, overwrite: replace ? 'true' : undefined });
    return name;
  } catch (e) {
    if (e instanceof ApiError && e.status === 409) {
      if (!window.confirm(`${name} exists. Replace it?`)) return null;
      return saveAs(analysis, name, { replace: true });
    }
    throw e;
  }
}

function download(blob, name) {
  const url = URL.createObjectURL(blob);
  const a = el('a', { href: url, download: name });
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 1000);
}

export async function downloadAs(format, analysis, file) {
  const formats = format === 'deck' ? ['deck', 'cpt'] : [format];
  for (const f of formats) {
    const { blob, name } = await exportFile(f, analysis, file);
    download(blob, name);
  }
}

function readText(file) {
  return new Promise((resolve, reject) => {
    const reader = new FileReader();
    reader.onload = () => resolve(String(reader.result));
    reader.onerror = () => reject(reader.error);
    reader.readAsText(file);
  });
}

// Files chosen on this computer: an input data file (with a CPT file chosen with it), a project
// file, a JSON analysis, or a CPT file alone. Resolves to {analysis} or {cpt} as the server reads it.
// A CPT file: the engine's, or another program's (GEF, AGS4, CSV), read in the units of the analysis.
export function isCptFile(name) {
  return /\.(cpt|gef|ags|csv|tsv)$/i.test(name);
}

export async function readUploads(fileList, units) {
  const files = [...fileList];
  const isCpt = (f) => isCptFile(f.name);
  const analysisFile = files.find((f) => !isCpt(f));
  const cptFile = files.find(isCpt);
  if (!analysisFile && cptFile) {
    return sendJson('POST', '/api/import', { name: cptFile.name, text: await readText(cptFile), units });
  }
  if (!analysisFile) return null;
  const body = { name: analysisFile.name, text: await readText(analysisFile) };
  if (cptFile) {
    body.cpt_name = cptFile.name;
    body.cpt_text = await readText(cptFile);
  }
  return sendJson('POST', '/api/import', body);
}
