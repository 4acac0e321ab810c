// The page: one analysis being edited, run again after every edit (the last answer wins), with its
// inputs, profile, results and problems kept in step.
import { ApiError, getJson, sendJson } from './api.js';
import { helpText, setFieldTable, unitSystemOf } from './fields.js';
import { askName, downloadAs, isCptFile, newAnalysis, openDialog, readUploads, saveAs } from './files.js';
import { buildAnalysisPanel, buildMethodsPanel, buildPilePanel, buildTransferPanel } from './forms.js';
import { clone, setAt } from './model.js';
import { drawProfile } from './profile.js';
import { renderCapacity, renderCurves, renderDesign, renderProblems, renderSettlement, renderSummary, renderTables } from './results.js';
import { buildSheet } from './sheet.js';
import { cptTable, soilTable } from './tables.js';

const RUN_DELAY_MS = 250;

const state = {
  info: null,
  file: null,        // the analysis's file in the served folder, or null
  uploaded: null,    // the name of an uploaded file the analysis came from
  analysis: {},
  system: 'SI',
  dirty: false,
  result: null,      // the last answer of a run
  problems: [],
  runNumber: 0,
  runTimer: null,
  controller: null,
  reportWanted: false,
};

const $ = (id) => document.getElementById(id);

// ---------------------------------------------------------------------------------------------
// Inputs

const panels = {
  analysis: (p) => buildAnalysisPanel(p, ctx),
  pile: (p) => buildPilePanel(p, ctx),
  methods: (p) => buildMethodsPanel(p, ctx),
  soil: (p) => p.replaceChildren(soilTable(ctx)),
  cpt: (p) => p.replaceChildren(cptTable(ctx, () => chooseUpload('.cpt,.gef,.ags,.csv,.tsv'))),
  transfer: (p) => buildTransferPanel(p, ctx),
};

const ctx = {
  analysis: () => state.analysis,
  system: () => state.system,
  result: () => state.result,
  convertUnits: (to) => convertUnits(to),
  change(path, value, options = {}) {
    setAt(state.analysis, path, value);
    setDirty(true);
    if (path === 'units') {
      state.system = unitSystemOf(state.analysis);
      rebuildAll(document.activeElement && document.activeElement.name);
    } else if (options.rebuild) {
      rebuild(options.rebuild, options.focus);
    }
    redrawProfile();
    scheduleRun();
  },
  focus(f) {
    $('help-line').textContent = helpText(f, state.system);
  },
  rebuild: (panel, focus) => rebuild(panel, focus),
  panelOf: (path) => (path.startsWith('pile') ? 'pile' : path.startsWith('cpt') ? 'cpt' : 'transfer'),
};

function rebuild(name, focusName) {
  const active = document.activeElement;
  const keep = focusName || (active && active.name) || null;
  panels[name]($(`panel-${name}`));
  markProblems();
  if (keep) {
    const target = document.querySelector(`.inputs [name="${CSS.escape(keep)}"]`);
    if (target && (focusName || active && $(`panel-${name}`).contains(target))) target.focus();
  }
}

function rebuildAll(focusName) {
  for (const name of Object.keys(panels)) panels[name]($(`panel-${name}`));
  markProblems();
  if (focusName) {
    const target = document.querySelector(`.inputs [name="${CSS.escape(focusName)}"]`);
    if (target) target.focus();
  }
  redrawProfile();
}

// The profile figure with the water table and the sounding of the last run.
function redrawProfile() {
  const r = state.result;
  drawProfile($('profile-figure'), state.analysis, state.system, r && r.water_table_depth, r && r.sounding);
}

function setDirty(dirty) {
  state.dirty = dirty;
  const name = state.file || (state.uploaded ? `${state.uploaded} (uploaded)` : 'Untitled analysis');
  $('file-name').textContent = `${name}${dirty ? ' •' : ''}`;
  $('file-name').title = dirty ? 'Changed since it was opened or saved' : 'The analysis being edited';
  document.title = `${dirty ? '• ' : ''}${state.analysis.title || name} - VORTA`;
}

// ---------------------------------------------------------------------------------------------
// Problems, each beside its input

function inputsOf(path) {
  const all = document.querySelectorAll('.inputs [name]');
  const list = path.endsWith(']') ? [`${path}[`, `${path}.`] : [];
  return [...all].filter((i) => i.name === path || list.some((prefix) => i.name.startsWith(prefix)));
}

function messageBoxOf(input) {
  const field = input.closest('.field');
  if (field) return field.querySelector('.msg');
  const cell = input.closest('td');
  if (!cell) return null;
  let box = cell.querySelector('.msg');
  if (!box) {
    box = document.createElement('div');
    box.className = 'msg';
    box.setAttribute('role', 'alert');
    cell.append(box);
  }
  return box;
}

function markProblems() {
  for (const input of document.querySelectorAll('.inputs [aria-invalid]')) input.removeAttribute('aria-invalid');
  for (const box of document.querySelectorAll('.inputs .msg')) box.textContent = '';
  for (const tab of document.querySelectorAll('#input-tabs [role=tab]')) tab.classList.remove('has-problem');
  for (const p of state.problems) {
    if (!p.path) continue;
    for (const input of inputsOf(p.path)) {
      input.setAttribute('aria-invalid', 'true');
      const box = messageBoxOf(input);
      if (box && !box.textContent.includes(p.message)) box.textContent = box.textContent ? `${box.textContent}; ${p.message}` : p.message;
      const panel = input.closest('[role=tabpanel]');
      if (panel) $(panel.getAttribute('aria-labelledby')).classList.add('has-problem');
    }
  }
}

function goTo(path) {
  const input = inputsOf(path)[0];
  if (!input) return;
  const panel = input.closest('[role=tabpanel]');
  if (panel) selectTab($(panel.getAttribute('aria-labelledby')));
  input.focus();
  if (input.select) input.select();
}

// ---------------------------------------------------------------------------------------------
// Runs

function setRunState(kind, text) {
  const box = $('run-state');
  box.className = `run-state ${kind}`;
  box.textContent = text;
  state.runState = { kind, text };
}

function scheduleRun() {
  clearTimeout(state.runTimer);
  state.runTimer = setTimeout(run, RUN_DELAY_MS);
}

async function run() {
  const number = ++state.runNumber;
  if (state.controller) state.controller.abort();
  state.controller = new AbortController();
  setRunState('running', 'Running…');
  document.body.classList.add('running');
  const started = performance.now();
  try {
    const answer = await sendJson('POST', '/api/run', state.analysis,
      { file: state.file, report: state.reportWanted ? 'true' : undefined }, state.controller.signal);
    if (number !== state.runNumber) return;
    const ms = Math.round(performance.now() - started);
    state.result = answer;
    state.problems = answer.problems;
    document.body.classList.remove('stale');
    const errors = answer.problems.filter((p) => p.severity === 'error').length;
    if (answer.status === 0) setRunState('ok', `Completed in ${ms} ms${answer.problems.length ? ` · ${answer.problems.length} warning${answer.problems.length > 1 ? 's' : ''}` : ''}`);
    else setRunState('stopped', `Stopped on its input · ${errors || answer.messages.length} problem${(errors || answer.messages.length) === 1 ? '' : 's'}`);
    showResults();
  } catch (e) {
    if (e.name === 'AbortError' || number !== state.runNumber) return;
    if (e instanceof ApiError && e.status === 422) {
      state.problems = e.body.problems || [];
      document.body.classList.add('stale');
      setRunState('error', `Cannot run: ${state.problems.length} problem${state.problems.length === 1 ? '' : 's'} to mend (the results shown are of the last analysis that ran)`);
    } else {
      state.problems = [{ severity: 'error', code: 'server', path: null, message: e.message }];
      setRunState('error', e.message);
    }
    renderProblems($('panel-problems'), $('problem-count'), state.problems, goTo);
    renderSummary($('summary'), state.result, state.runState);
    markProblems();
  } finally {
    if (number === state.runNumber) document.body.classList.remove('running');
  }
}

function showResults() {
  const r = state.result;
  renderSummary($('summary'), r, state.runState);
  renderCapacity($('panel-capacity'), r);
  renderSettlement($('panel-settlement'), r);
  renderCurves($('panel-curves'), r);
  renderTables($('panel-tables'), r);
  renderDesign($('panel-design'), $('tab-design'), r);
  renderProblems($('panel-problems'), $('problem-count'), state.problems, goTo);
  $('report-text').textContent = r.report !== undefined ? r.report : 'The report is made when this tab is open.';
  markProblems();
  redrawProfile();
  if (state.analysis.cpt && state.analysis.cpt.file !== undefined) rebuild('cpt');
}

// ---------------------------------------------------------------------------------------------
// Files

function loadAnalysis(analysis, file, uploaded = null, { runNow = true } = {}) {
  state.analysis = analysis;
  state.file = file;
  state.uploaded = uploaded;
  state.system = unitSystemOf(analysis);
  state.result = null;
  state.problems = [];
  const url = file ? `/?file=${encodeURIComponent(file)}` : '/';
  history.replaceState(null, '', url);
  setDirty(false);
  rebuildAll();
  if (runNow) run();
}

function leaveChanges() {
  return !state.dirty || window.confirm('The analysis has changes that are not saved. Leave them?');
}

async function openFile(path, { startup = false } = {}) {
  if (!startup && !leaveChanges()) return;
  setRunState('running', `Opening ${path}…`);
  try {
    const analysis = await getJson('/api/analysis', { file: path });
    // An input data file is saved as a project file beside it.
    loadAnalysis(analysis, path);
  } catch (e) {
    if (startup) loadAnalysis(newAnalysis(), null, null, { runNow: false });
    state.problems = e.body && e.body.problems ? e.body.problems : [{ severity: 'error', code: 'file', path: null, message: e.message }];
    renderProblems($('panel-problems'), $('problem-count'), state.problems, goTo);
    selectTab($('tab-problems'));
    setRunState('error', `${path} cannot be opened: ${state.problems.map((p) => p.message).join('; ')}`);
  }
}

function isProjectFile(name) {
  return /\.toml$/i.test(name || '');
}

async function save(asNew) {
  if (state.info.read_only) {
    setRunState('error', 'The server is read-only: use Download to keep the analysis.');
    return;
  }
  let name = state.file;
  let replace = true;
  if (asNew || !isProjectFile(name)) {
    const base = state.file || state.uploaded || 'analysis';
    const suggestion = base.replace(/\.[^./]*$/, '') + (asNew && isProjectFile(state.file) ? '-copy' : '') + '.toml';
    name = await askName(suggestion);
    if (!name) return;
    replace = false;
  }
  try {
    const written = await saveAs(state.analysis, name, { replace });
    if (!written) return;
    state.file = written;
    state.uploaded = null;
    history.replaceState(null, '', `/?file=${encodeURIComponent(written)}`);
    setDirty(false);
    setRunState('ok', `Saved ${written}`);
  } catch (e) {
    const problems = e.body && e.body.problems;
    if (problems) {
      state.problems = problems;
      renderProblems($('panel-problems'), $('problem-count'), problems, goTo);
      markProblems();
    }
    setRunState('error', `Not saved: ${problems ? problems.map((p) => p.message).join('; ') : e.message}`);
  }
}

// The analysis with every value in the other unit system, as the engine converts it.
async function convertUnits(to) {
  try {
    const converted = await sendJson('POST', '/api/units', state.analysis, { to, file: state.file });
    state.analysis = converted;
    state.system = unitSystemOf(converted);
    setDirty(true);
    rebuildAll('units');
    run();
  } catch (e) {
    const problems = e.body && e.body.problems;
    setRunState('error', `Not converted: ${problems ? problems.map((p) => `${p.path ? `${p.path}: ` : ''}${p.message}`).join('; ') : e.message}`);
  }
}

function chooseUpload(accept) {
  const input = $('upload-input');
  input.accept = accept || '.dat,.cpt,.gef,.ags,.csv,.tsv,.toml,.json,.txt';
  input.value = '';
  input.click();
}

async function uploaded(files) {
  if (!files.length) return;
  try {
    const answer = await readUploads(files, state.analysis.units);
    if (!answer) return;
    if (answer.cpt) {
      const cpt = state.analysis.cpt;
      if (cpt && (cpt.file || (cpt.points && cpt.points.length)) && !window.confirm('Replace the CPT sounding of the analysis?')) return;
      ctx.change('cpt', answer.cpt, { rebuild: 'cpt' });
      selectTab($('tab-cpt'));
      const notes = (answer.notes || []).join('; ');
      setRunState(notes ? 'stopped' : 'ok', `Read ${answer.cpt.points.length} points (${answer.format})${notes ? `: ${notes}` : ''}`);
      return;
    }
    if (!leaveChanges()) return;
    const name = [...files].find((f) => !isCptFile(f.name)).name;
    loadAnalysis(answer.analysis, null, name);
    setDirty(true);
  } catch (e) {
    const problems = e.body && e.body.problems;
    state.problems = problems || [{ severity: 'error', code: 'file', path: null, message: e.message }];
    renderProblems($('panel-problems'), $('problem-count'), state.problems, goTo);
    selectTab($('tab-problems'));
    setRunState('error', 'The file cannot be read: see Problems');
  }
}

// ---------------------------------------------------------------------------------------------
// Tabs, menus and keys

function selectTab(tab) {
  const list = tab.closest('[role=tablist]');
  for (const t of list.querySelectorAll('[role=tab]')) {
    const on = t === tab;
    t.setAttribute('aria-selected', String(on));
    t.tabIndex = on ? 0 : -1;
    $(t.getAttribute('aria-controls')).hidden = !on;
  }
  if (tab.id === 'tab-report' && !state.reportWanted) {
    state.reportWanted = true;
    run();
  }
}

function wireTabs(list) {
  list.addEventListener('click', (e) => {
    const tab = e.target.closest('[role=tab]');
    if (tab) selectTab(tab);
  });
  list.addEventListener('keydown', (e) => {
    const tabs = [...list.querySelectorAll('[role=tab]')].filter((t) => !t.hidden);
    const i = tabs.indexOf(document.activeElement);
    if (i < 0) return;
    let next = null;
    if (e.key === 'ArrowRight') next = tabs[(i + 1) % tabs.length];
    if (e.key === 'ArrowLeft') next = tabs[(i - 1 + tabs.length) % tabs.length];
    if (e.key === 'Home') next = tabs[0];
    if (e.key === 'End') next = tabs[tabs.length - 1];
    if (next) {
      e.preventDefault();
      selectTab(next);
      next.focus();
    }
  });
}

function wireMenu() {
  const button = $('download-button');
  const list = $('download-list');
  const close = () => {
    list.hidden = true;
    button.setAttribute('aria-expanded', 'false');
  };
  button.addEventListener('click', () => {
    list.hidden = !list.hidden;
    button.setAttribute('aria-expanded', String(!list.hidden));
    if (!list.hidden) list.querySelector('button').focus();
  });
  list.addEventListener('keydown', (e) => {
    const items = [...list.querySelectorAll('button')];
    const i = items.indexOf(document.activeElement);
    if (e.key === 'Escape') {
      close();
      button.focus();
    } else if (e.key === 'ArrowDown' || e.key === 'ArrowUp') {
      e.preventDefault();
      items[(i + (e.key === 'ArrowDown' ? 1 : items.length - 1)) % items.length].focus();
    }
  });
  document.addEventListener('click', (e) => {
    if (!$('download-menu').contains(e.target)) close();
  });
  list.addEventListener('click', async (e) => {
    const item = e.target.closest('[data-download]');
    if (!item) return;
    close();
    try {
      await downloadAs(item.dataset.download, state.analysis, state.file || (state.uploaded ? state.uploaded : undefined));
    } catch (err) {
      setRunState('error', `Not downloaded: ${err.body && err.body.problems ? err.body.problems.map((p) => p.message).join('; ') : err.message}`);
    }
  });
}

function printSheet() {
  buildSheet($('sheet'), {
    analysis: state.analysis, system: state.system, file: state.file, result: state.result,
    problems: state.problems, version: state.info && state.info.version, profile: $('profile-figure').querySelector('svg'),
  });
}

async function main() {
  const [info, fields] = await Promise.all([getJson('/api/info'), getJson('/api/fields')]);
  state.info = info;
  setFieldTable(fields);
  if (info.read_only) {
    for (const id of ['save-button', 'save-as-button']) {
      $(id).disabled = true;
      $(id).title = 'The server is read-only (--read-only): use Download';
    }
  }
  wireTabs($('input-tabs'));
  wireTabs($('result-tabs'));
  wireMenu();
  $('new-button').addEventListener('click', () => {
    if (leaveChanges()) loadAnalysis(newAnalysis(), null);
  });
  $('open-button').addEventListener('click', () => openDialog(openFile));
  $('save-button').addEventListener('click', () => save(false));
  $('save-as-button').addEventListener('click', () => save(true));
  $('upload-button').addEventListener('click', () => chooseUpload());
  $('upload-input').addEventListener('change', (e) => uploaded(e.target.files));
  $('print-button').addEventListener('click', () => window.print());
  window.addEventListener('beforeprint', printSheet);
  window.addEventListener('beforeunload', (e) => {
    if (state.dirty) e.preventDefault();
  });
  document.addEventListener('keydown', (e) => {
    const key = e.key.toLowerCase();
    if ((e.ctrlKey || e.metaKey) && key === 's') {
      e.preventDefault();
      save(e.shiftKey);
    } else if ((e.ctrlKey || e.metaKey) && key === 'o') {
      e.preventDefault();
      openDialog(openFile);
    }
  });
  const file = new URLSearchParams(window.location.search).get('file');
  if (file) await openFile(file, { startup: true });
  else loadAnalysis(newAnalysis(), null);
}

// For the page's tests and for scripts: the analysis being edited and the last answer.
window.vorta = { state, clone: () => clone(state.analysis) };

main().catch((e) => setRunState('error', `The page could not start: ${e.message}`));
