// What the browser tests and the benchmark share: a static server for build-web/ on 127.0.0.1 (with
// gzip, as a web server may send it), Debian's headless chromium, and screenshots as pixels.
import { createHash } from 'node:crypto';
import { createServer } from 'node:http';
import { readFile, mkdtemp, rm } from 'node:fs/promises';
import { gzipSync, inflateSync } from 'node:zlib';
import { tmpdir } from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const TYPES = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.data': 'application/octet-stream', '.replay': 'text/plain', '.expected': 'text/plain',
                '.webmanifest': 'application/manifest+json', '.png': 'image/png' };

// Serves each folder of roots under its key ('' for the top), and pages given as text under their
// address, and counts the bytes sent and keeps the addresses it did not have. What it compresses with
// gzip, for a browser that takes it: 'all' files, only the 'text' ones (pages and scripts, as common
// servers' default settings do) or 'none'. A file is compressed once, as a web server keeps it
// compressed, so that the time it takes to compress it counts as no part of a download.
export async function serve(roots, pages = {}, compress = 'all') {
  const sent = { bytes: 0 }, missing = [];
  const compressed = new Map();
  const gzip = (body) => {
    const key = createHash('sha1').update(body).digest('hex');
    if (!compressed.has(key))
      compressed.set(key, gzipSync(body, { level: 9 }));
    return compressed.get(key);
  };
  const server = createServer(async (req, res) => {
    let url = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    if (url.endsWith('/')) url += 'index.html';
    const [, first, ...rest] = url.split('/');
    const root = roots[first] !== undefined && rest.length ? roots[first] : roots[''];
    const file = path.join(root, roots[first] !== undefined && rest.length ? rest.join('/') : url);
    try {
      let body = pages[url] !== undefined ? Buffer.from(pages[url]) : await readFile(file);
      const headers = { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream',
                        'Cache-Control': 'no-store' };
      const compressing = compress === 'all' || (compress === 'text' && /^\.(html|js)$/.test(path.extname(file)));
      if (compressing && /\bgzip\b/.test(req.headers['accept-encoding'] || '')) {
        body = gzip(body);
        headers['Content-Encoding'] = 'gzip';
      }
      headers['Content-Length'] = body.length;
      sent.bytes += body.length;
      res.writeHead(200, headers);
      res.end(body);
    } catch {
      missing.push(url);
      res.writeHead(404);
      res.end();
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { url: `http://127.0.0.1:${server.address().port}/`, sent, missing,
           close: () => new Promise((resolve) => { server.close(resolve); server.closeAllConnections(); }) };
}

// What the build made, as its page names it: the files with their sizes, and where each file of Data/
// lies in which data file.
export async function readBuild(folder) {
  const page = await readFile(path.join(folder, 'index.html'), 'utf8');
  return JSON.parse(/CALCADIA_BUILD = (\{.*\});/.exec(page)[1]);
}

// Debian's chromium, headless, with a profile of its own that is thrown away afterwards. WebGL 2 runs
// on its software rasteriser. Sound waits for the player's first key, click or tap, as in a desktop
// browser (under automation chromium would otherwise play it from the start).
export async function launch() {
  const profile = await mkdtemp(path.join(tmpdir(), 'calcadia-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    protocolTimeout: 900000,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           `--user-data-dir=${profile}`, '--enable-unsafe-swiftshader', '--use-angle=swiftshader',
           '--window-size=1024,768', '--autoplay-policy=document-user-activation-required'],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => { await close(); await rm(profile, { recursive: true, force: true }); };
  return browser;
}

// A PNG screenshot as { width, height, at(x, y) -> [r, g, b] }.
export function decodePng(png) {
  let at = 8, width = 0, height = 0, channels = 0;
  const idat = [];
  while (at < png.length) {
    const length = png.readUInt32BE(at), type = png.toString('latin1', at + 4, at + 8);
    const data = png.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = data.readUInt32BE(0);
      height = data.readUInt32BE(4);
      if (data[8] !== 8 || data[12] !== 0) throw new Error('only 8-bit, non-interlaced screenshots');
      channels = { 2: 3, 6: 4 }[data[9]];
    } else if (type === 'IDAT') idat.push(data);
    at += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(idat));
  const stride = width * channels, out = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)], line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? out[y * stride + x - channels] : 0;
      const b = y > 0 ? out[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? out[(y - 1) * stride + x - channels] : 0;
      const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
      const predict = [0, a, b, (a + b) >> 1, pa <= pb && pa <= pc ? a : pb <= pc ? b : c][filter];
      out[y * stride + x] = (line[x] + predict) & 255;
    }
  }
  return { width, height, at: (x, y) => [...out.subarray((y * width + x) * channels, (y * width + x) * channels + 3)] };
}
