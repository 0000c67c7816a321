// Makes the published folder of the browser build from what emcc linked, from Data/ and from what the
// native build compiled beside it (locale/, the message catalogs, and page-texts.js, the page's texts):
//
//     node web/package.mjs LINKED_DIR DATA_DIR OUT_DIR
//
// OUT_DIR gets the page (index.html, with its texts and its own program, web/page/, inside), the script
// and module with a hash of their content in their names, Data/ in two files of the same kind (what the title needs, and the sound,
// which the page fetches in the background) and each language's catalog in one of its own (the page
// fetches only the player's), the service worker, the manifest and the icon; and
// calcadia-offline.html, the whole game in one file that plays opened from a disk or a USB stick.
// Every hashed file that gzip shrinks by a tenth or more has a FILE.gz beside it, which the page fetches
// and unpacks itself: a first visit then downloads compressed bytes from any web server, set up to
// compress or not. Files of earlier builds that the new page no longer names are removed.
import { execFileSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import { readFile, writeFile, readdir, rm, mkdir, mkdtemp, copyFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { gunzipSync, gzipSync } from 'node:zlib';
import { bundle } from './bundle.mjs';

const [linked, data, out] = process.argv.slice(2);
if (!out) {
  console.error('usage: node web/package.mjs LINKED_DIR DATA_DIR OUT_DIR');
  process.exit(2);
}
const web = path.dirname(fileURLToPath(import.meta.url));
const built = path.dirname(path.resolve(data));
// The music and the level's sound effects: nine tenths of the data, it barely compresses, and the title
// is up before any of it is needed (its music waits for the player's first key anyway). Fetched in
// this order after the rest, each handed to the game as soon as it is in.
const LATER = ['Music/title.ogg', 'Sound/accelerate.wav', 'Sound/correct.wav', 'Sound/explosion.wav',
               'Sound/success.wav', 'Sound/timeup.wav', 'Music/game.ogg', 'Music/levelcomplete.ogg',
               'Music/gameover.ogg'].map((name) => 'Data/' + name);
const HASHED = /^(calcadia|start|sound|locale-[\w@]+)\.[0-9a-f]{12}\.(js|wasm|data)(\.gz)?$/;

const hash = (...parts) => {
  const h = createHash('sha256');
  for (const part of parts)
    h.update(part);
  return h.digest('hex').slice(0, 12);
};

async function filesUnder(dir, prefix = '') {
  const found = [];
  for (const entry of (await readdir(dir, { withFileTypes: true })).sort((a, b) => (a.name < b.name ? -1 : 1))) {
    const name = prefix + entry.name;
    if (entry.isDirectory())
      found.push(...await filesUnder(path.join(dir, entry.name), name + '/'));
    else if (entry.isFile())
      found.push(name);
  }
  return found;
}

// One data file: the files' bytes one after another, and where each lies, under the path the game
// opens it by (its path under the build folder).
async function pack(kind, names) {
  const parts = [], files = [];
  let at = 0;
  for (const name of names) {
    const bytes = await readFile(path.join(built, name));
    parts.push(bytes);
    files.push(['/' + name, at, at + bytes.length]);
    at += bytes.length;
  }
  const bytes = Buffer.concat(parts);
  return { file: `${kind}.${hash(bytes)}.data`, size: bytes.length, files, bytes };
}

const script = await readFile(path.join(linked, 'calcadia.js'));
const module = await readFile(path.join(linked, 'calcadia.wasm'));
// Not the window's icon: a page has none (the same picture is its favicon, served beside it).
const names = (await filesUnder(data, 'Data/')).filter((name) => name !== 'Data/Images/icon.png');
// Hindi (and Arabic and Hebrew when they come) must be shaped, which the browser build cannot do yet.
const SHAPED = ['ar', 'he', 'hi'];
const locales = (await readdir(path.join(built, 'locale'), { withFileTypes: true }))
  .filter((entry) => entry.isDirectory()).map((entry) => entry.name).sort();
const languages = locales.filter((language) => !SHAPED.includes(language));
const missing = LATER.filter((name) => !names.includes(name));
if (missing.length) {
  console.error(`web/package.mjs: ${built} has no ${missing.join(', ')}`);
  process.exit(1);
}
// A language's own letters (Data/Fonts/LANG.ttf, with its licence) travel with its catalog.
const own = (language, name) => name.startsWith(`Data/Fonts/${language}.`) || name.startsWith(`Data/Fonts/${language}-`);
const shared = (name) => !LATER.includes(name) && !locales.some((language) => own(language, name));
const packs = [await pack('start', names.filter(shared)), await pack('sound', LATER)];
const catalogs = {};
for (const language of languages)
  catalogs[language] = await pack('locale-' + language, [
    ...await filesUnder(path.join(built, 'locale', language), `locale/${language}/`),
    ...names.filter((name) => own(language, name))]);
const page = await readFile(path.join(web, 'index.html'), 'utf8');
const program = await bundle(path.join(web, 'page/main.mjs'));
const worker = await readFile(path.join(web, 'sw.js'), 'utf8');
const manifest = await readFile(path.join(web, 'manifest.webmanifest'));
const icon = await readFile(path.join(data, 'Images/icon.png'));
const texts = await readFile(path.join(built, 'page-texts.js'), 'utf8');

// gzip at its smallest, since every first visit downloads it: zopfli where it is installed
// (scripts/web-deps.sh installs it; its output is a few per cent smaller than zlib's best, and any gzip
// reader unpacks it), zlib's best otherwise. The copy an earlier build left of the same content (its
// name carries the hash) is taken again when it unpacks to these very bytes.
const scratch = await mkdtemp(path.join(tmpdir(), 'calcadia-package-'));
async function gzipSmallest(file, bytes) {
  try {
    const earlier = await readFile(path.join(out, file + '.gz'));
    if (gunzipSync(earlier).equals(bytes))
      return earlier;
  } catch {
    // None, or not a whole one: made again.
  }
  const plain = path.join(scratch, file);
  await writeFile(plain, bytes);
  try {
    return execFileSync('zopfli', ['--i10', '-c', plain], { maxBuffer: 1 << 30, stdio: ['ignore', 'pipe', 'ignore'] });
  } catch {
    return gzipSync(bytes, { level: 9 });
  }
}

// The gzip copies, by the name of the file they hold.
const packed = new Map();
async function entry(file, bytes, files) {
  const gzip = await gzipSmallest(file, bytes);
  const described = { file, size: bytes.length, ...(files ? { files } : {}) };
  if (gzip.length > bytes.length * 0.9)
    return described;
  packed.set(file, gzip);
  return { ...described, packed: { file: file + '.gz', size: gzip.length } };
}
await mkdir(out, { recursive: true });
const build = {
  script: await entry(`calcadia.${hash(script)}.js`, script),
  module: await entry(`calcadia.${hash(module)}.wasm`, module),
  packs: await Promise.all(packs.map(({ file, bytes, files }) => entry(file, bytes, files))),
  languages: Object.fromEntries(await Promise.all(Object.entries(catalogs).map(async ([language, { file, bytes, files }]) =>
    [language, await entry(file, bytes, files)]))),
};
await rm(scratch, { recursive: true, force: true });
const dataFiles = [...packs, ...Object.values(catalogs)];
build.version = hash(JSON.stringify(build), page, program, texts, worker, manifest, icon);

// The page's placeholders, each of which must be there exactly once.
function fill(text, marks) {
  for (const [mark, value] of Object.entries(marks)) {
    const parts = text.split(mark);
    if (parts.length !== 2)
      throw new Error(`web/package.mjs: ${mark} must appear once`);
    text = parts[0] + value + parts[1];
  }
  return text;
}
// Inside a script element nothing may read as its end.
const json = (value) => JSON.stringify(value).replace(/</g, '\\u003c');
const textsScript = `<script>\n${texts.replace(/<\//g, '<\\/')}</script>`;
const programScript = `<script>\n${program.replace(/<\//g, '<\\/')}</script>`;

const written = new Set(['index.html', 'calcadia-offline.html', 'sw.js', 'manifest.webmanifest', 'icon.png']);
for (const [name, bytes] of [[build.script.file, script], [build.module.file, module],
                             ...dataFiles.map((p) => [p.file, p.bytes])]) {
  await writeFile(path.join(out, name), bytes);
  written.add(name);
  if (packed.has(name)) {
    await writeFile(path.join(out, name + '.gz'), packed.get(name));
    written.add(name + '.gz');
  }
}
await writeFile(path.join(out, 'index.html'), fill(page, {
  // The icon is given once the title is up (the page does that): fetched at once, it would share the
  // network with the module. Until then an empty one keeps the browser from asking for favicon.ico.
  '<!--calcadia:links-->': '<link rel="manifest" href="manifest.webmanifest">\n' +
                           '<link rel="icon" href="data:," data-later="icon.png">\n' +
                           '<link rel="apple-touch-icon" href="icon.png">',
  '<!--calcadia:texts-->': textsScript,
  '<!--calcadia:files-->': '',
  '<!--calcadia:page-->': programScript,
  '/*calcadia:build*/{}': json(build),
}));
await writeFile(path.join(out, 'sw.js'), fill(worker, {
  "/*calcadia:version*/''": json(build.version),
  // Each hashed file with its gzip copy, if any: the worker keeps the one its browser's page fetches.
  '/*calcadia:files*/[]': json([...['index.html', 'manifest.webmanifest', 'icon.png'].map((file) => [file]),
                                ...[build.script, build.module, ...build.packs].map((e) => [e.file, e.packed?.file])]),
}));
await writeFile(path.join(out, 'manifest.webmanifest'), manifest);
await copyFile(path.join(data, 'Images/icon.png'), path.join(out, 'icon.png'));

// The single file: every file above inside the page, in base64, where the page reads them from.
const inside = (name, bytes) =>
  `<script type="application/octet-stream" id="file:${name}">${bytes.toString('base64')}</script>\n`;
await writeFile(path.join(out, 'calcadia-offline.html'), fill(page, {
  '<!--calcadia:links-->': `<link rel="icon" type="image/png" href="data:image/png;base64,${icon.toString('base64')}">`,
  '<!--calcadia:texts-->': textsScript,
  '<!--calcadia:page-->': programScript,
  '<!--calcadia:files-->': inside(build.script.file, script) + inside(build.module.file, module) +
                           dataFiles.map((p) => inside(p.file, p.bytes)).join(''),
  '/*calcadia:build*/{}': json({ ...build, embedded: true }),
}));

// What earlier builds left: hashed files this page does not name, and the unhashed ones of old.
for (const name of await readdir(out))
  if ((HASHED.test(name) && !written.has(name)) || ['calcadia.js', 'calcadia.wasm', 'calcadia.data'].includes(name))
    await rm(path.join(out, name));
