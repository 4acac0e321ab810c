// Values of a JSON analysis by path: "pile.length", "layers[2].shear_strength", "cpt.points[5][1]".
// List positions in paths count from 1, as the problems of the server name them.

export function parsePath(path) {
  const steps = [];
  const re = /([^.[\]]+)|\[(\d+)\]/g;
  let m;
  while ((m = re.exec(path)) !== null) steps.push(m[1] !== undefined ? m[1] : Number(m[2]) - 1);
  return steps;
}

export function getAt(root, path) {
  let node = root;
  for (const step of parsePath(path)) {
    if (node === undefined || node === null) return undefined;
    node = node[step];
  }
  return node;
}

// Sets a value; undefined removes it (the key's default). Tables on the way are made.
export function setAt(root, path, value) {
  const steps = parsePath(path);
  let node = root;
  for (let i = 0; i < steps.length - 1; i++) {
    if (node[steps[i]] === undefined || node[steps[i]] === null || typeof node[steps[i]] !== 'object') {
      node[steps[i]] = typeof steps[i + 1] === 'number' ? [] : {};
    }
    node = node[steps[i]];
  }
  const last = steps[steps.length - 1];
  if (value === undefined) {
    if (Array.isArray(node)) node[last] = undefined;
    else delete node[last];
    if (!Array.isArray(node) && Object.keys(node).length === 0 && steps.length > 1) {
      // An empty table is left out, as a project file leaves it out.
      const parent = getAt(root, pathOf(steps.slice(0, -1).slice(0, -1)));
      const key = steps[steps.length - 2];
      if (parent && typeof key === 'string' && !Array.isArray(parent)) delete parent[key];
    }
  } else {
    node[last] = value;
  }
}

export function pathOf(steps) {
  let text = '';
  for (const s of steps) text += typeof s === 'number' ? `[${s + 1}]` : (text ? '.' : '') + s;
  return text;
}

// A number as the user types it: "12.5", "1e6", "-3"; anything else is kept as text, for the server
// to name ("expected a number in m, found a text").
export function numberOrText(text) {
  const t = String(text).trim();
  if (t === '') return undefined;
  if (/^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$/.test(t)) return Number(t);
  return t;
}

// A layer's value: one number, or "top / bottom".
export function layerValue(text) {
  const t = String(text).trim();
  if (t === '') return undefined;
  const parts = t.split(/\s*(?:\/|;|→|\s)\s*/).filter((p) => p !== '');
  if (parts.length === 2) return [numberOrText(parts[0]), numberOrText(parts[1])];
  return numberOrText(t);
}

export function layerText(value) {
  if (value === undefined || value === null) return '';
  if (Array.isArray(value)) return value.map((v) => (v === undefined ? '' : String(v))).join(' / ');
  return String(value);
}

export function clone(value) {
  return value === undefined ? undefined : JSON.parse(JSON.stringify(value));
}
