// The server's JSON API: every request of the page goes through here.

export class ApiError extends Error {
  constructor(status, body) {
    super(body && body.error ? body.error : `the server answered ${status}`);
    this.status = status;
    this.body = body || {};
  }
}

async function answer(response) {
  const type = response.headers.get('Content-Type') || '';
  const body = type.startsWith('application/json') ? await response.json() : await response.text();
  if (!response.ok) throw new ApiError(response.status, typeof body === 'string' ? { error: body } : body);
  return body;
}

function query(params) {
  const q = new URLSearchParams();
  for (const [k, v] of Object.entries(params || {})) if (v !== undefined && v !== null && v !== '') q.set(k, v);
  const text = q.toString();
  return text ? `?${text}` : '';
}

export async function getJson(path, params) {
  return answer(await fetch(path + query(params), { headers: { Accept: 'application/json' } }));
}

export async function sendJson(method, path, body, params, signal) {
  return answer(await fetch(path + query(params), {
    method,
    headers: { 'Content-Type': 'application/json', Accept: 'application/json' },
    body: JSON.stringify(body),
    signal,
  }));
}

// A download: the text and the name the server gives it.
export async function exportFile(format, analysis, file) {
  const response = await fetch('/api/export' + query({ format, file }), {
    method: 'POST',
    headers: { 'Content-Type': 'application/json' },
    body: JSON.stringify(analysis),
  });
  if (!response.ok) {
    const type = response.headers.get('Content-Type') || '';
    throw new ApiError(response.status, type.startsWith('application/json') ? await response.json() : {});
  }
  const disposition = response.headers.get('Content-Disposition') || '';
  const match = /filename="([^"]+)"/.exec(disposition);
  return { blob: await response.blob(), name: match ? match[1] : `analysis.${format}` };
}
