// The browser build in Debian's headless chromium: the page, the title's pixels, a level, typed
// digits (the keypad's too), Escape, the end of the game, the keys the browser must not act on, audio
// started by the player alone and stopped in a hidden tab, the player's language, a phone played by
// touch, frames of class pages, loading from a file, failures to load, no network, a lost WebGL
// context, and the recorded replays giving the desktop's statistics.
// Run by tests/web/run.sh after ./build.sh web.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFile, readdir } from 'node:fs/promises';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { serve, launch, decodePng, readBuild } from './browser.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const repo = path.resolve(here, '../..');
const web = path.join(repo, 'build-web');
const WIDTH = 1024, HEIGHT = 768;
// A class page that shows the game in a frame below a field of its own: ?src= the game's address, &allow=
// the frame's permissions.
const HOST = `<!DOCTYPE html><html><body style="margin: 0"><input style="display: block; height: 30px">
  <iframe width="1024" height="768" style="border: 0; display: block"></iframe><script>
  const query = new URLSearchParams(location.search), frame = document.querySelector('iframe');
  frame.allow = query.get('allow');
  frame.src = query.get('src');
</script></body></html>`;
let server, browser;

before(async () => {
  server = await serve({ '': web, replay: path.join(repo, 'build-wasm/replay') }, { '/host.html': HOST });
  browser = await launch();
});
after(async () => {
  await browser?.close();
  await server?.close();
});

// Asks the page without counting as a gesture of the player's (puppeteer's evaluate counts as one, and
// would let the page start sound).
async function peek(page, expression) {
  page.cdp ??= await page.createCDPSession();
  const { result, exceptionDetails } = await page.cdp.send('Runtime.evaluate',
    { expression, returnByValue: true, awaitPromise: true });
  if (exceptionDetails)
    throw new Error(`${expression}: ${exceptionDetails.exception?.description || exceptionDetails.text}`);
  return result.value;
}

async function until(page, expression, timeout = 60000) {
  const end = Date.now() + timeout;
  while (!(await peek(page, expression))) {
    if (Date.now() > end)
      throw new Error(`still not so after ${timeout} ms: ${expression}`);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
}

// Each page in a browser context of its own: a key pressed on one page counts as the player's go-ahead
// for audio on the next one of the same address, and each context starts with empty local storage.
// prepare runs before the page loads; ready says when it has loaded (by default: the game is drawing).
// Nothing here counts as the player's gesture.
const DRAWING = 'window.Module && Module.frames > 3';
const SHOWS_WHY = "!document.getElementById('again').hidden";
async function openGame({ address = '', url = server.url + address, prepare, ready = DRAWING,
                          viewport = { width: WIDTH, height: HEIGHT } } = {}) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  const close = page.close.bind(page);
  page.close = async () => { await close(); await context.close(); };
  await page.setViewport(viewport);
  const errors = [], consoleLines = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  page.on('console', (m) => consoleLines.push(m.text()));
  if (prepare) await prepare(page);
  await page.goto(url, { waitUntil: 'load' });
  await until(page, ready, 180000);
  page.errors = errors;
  page.consoleLines = consoleLines;
  return page;
}

// Waits for the game to draw a few more frames, so what was pressed has been seen and drawn.
async function frames(page, count) {
  await until(page, `Module.frames >= ${(await peek(page, 'Module.frames')) + count}`);
}

// A key of the keypad with Num Lock on (puppeteer's keypad has it off).
async function pressKeypad(page, digit) {
  page.cdp ??= await page.createCDPSession();
  const key = { key: digit, code: 'Numpad' + digit, windowsVirtualKeyCode: 96 + Number(digit), isKeypad: true };
  await page.cdp.send('Input.dispatchKeyEvent', { type: 'keyDown', text: digit, ...key });
  await page.cdp.send('Input.dispatchKeyEvent', { type: 'keyUp', ...key });
}

// A tap on the picture at a point of the game's 1024x768, and on a key of the on-screen pad.
async function tapGame(page, x, y) {
  const [left, top, width] = await peek(page, "(({ left, top, width }) => [left, top, width])(document.getElementById('canvas').getBoundingClientRect())");
  await page.touchscreen.tap(left + x * width / WIDTH, top + y * width / WIDTH);
}
async function tapPad(page, key) {
  const [x, y] = await peek(page, `(({ x, y, width, height }) => [x + width / 2, y + height / 2])(document.querySelector('#pad [data-key="${key}"]').getBoundingClientRect())`);
  await page.touchscreen.tap(x, y);
}
const audioState = (page) => peek(page, 'Module.SDL2 && Module.SDL2.audioContext && Module.SDL2.audioContext.state');

// The canvas fills the 4:3 viewport exactly, so screenshot pixels are game pixels.
async function shot(page) {
  return decodePng(Buffer.from(await page.screenshot({ type: 'png' })));
}

function near(rgb, want, tolerance = 24) {
  return rgb.every((v, i) => Math.abs(v - want[i]) <= tolerance);
}

function count(picture, want, x0, y0, x1, y1) {
  let n = 0;
  for (let y = y0; y < y1; y += 2)
    for (let x = x0; x < x1; x += 2)
      if (near(picture.at(x, y), want)) ++n;
  return n;
}

const BACKGROUND = [50, 0, 50], HEADING = [100, 150, 255];
const headingPixels = (p) => count(p, HEADING, 0, 0, WIDTH, 200);

test('the title, a level with digits of the keypad, Escape back to the title and Escape to the end', async () => {
  const page = await openGame();
  assert.equal(await page.title(), 'Calcadia V0.51');
  // A player with a keyboard and a mouse sees no pad, and the picture is drawn at the size it is shown.
  assert.equal(await peek(page, "document.getElementById('pad').hidden"), true);
  assert.equal(await peek(page, "document.getElementById('canvas').width"), WIDTH);
  const title = await shot(page);
  assert.deepEqual(title.at(5, 5), BACKGROUND);
  assert.ok(headingPixels(title) > 500, `heading pixels: ${headingPixels(title)}`);

  await page.keyboard.press('1');   // Addition
  await frames(page, 30);
  const level = await shot(page);
  assert.ok(headingPixels(level) < headingPixels(title) / 4, 'the level replaced the title');
  // Below the question, where the answer is typed and a judged answer falls, the level shows only its
  // background until a digit is typed (a one-digit answer is judged at once, so the digit may already
  // be on its way down, in red, with its explosion).
  const drawn = (p) => 112 * 150 - count(p, BACKGROUND, 400, 390, 624, 690);
  const before = drawn(level);
  await pressKeypad(page, '8');
  await frames(page, 4);
  const typed = drawn(await shot(page));
  assert.ok(typed > before + 300, `drawn below the question: ${before} before typing, ${typed} after`);

  await page.keyboard.press('Escape');
  await frames(page, 10);
  assert.ok(headingPixels(await shot(page)) > 500, 'Escape returned to the title');

  await page.keyboard.press('Escape');
  await page.waitForFunction(() => Module.exitCode !== undefined, { timeout: 30000 });
  assert.equal(await page.evaluate(() => Module.exitCode), 0);
  assert.match(await page.$eval('#message', (e) => e.textContent), /The game has ended/);
  assert.equal(await page.$eval('#again', (e) => e.hidden), false);
  assert.equal(await page.$eval('#canvas', (e) => e.hidden), true);
  assert.deepEqual(page.errors, []);
  // Nothing the page or the browser asked for was missing (a favicon, say).
  assert.deepEqual(server.missing, []);
  await page.close();
});

test('the browser acts on none of its own keys but zoom, Ctrl+F switches full screen; the buffer is the game\'s at ratio 2', async () => {
  // A screen of pixel ratio 2: the drawing buffer stays the game's own 1024x768, which the browser
  // scales (a larger one would show the same picture magnified, at a quarter of the frame rate).
  // Zoom keys are kept as they come, ahead of the page's own listeners, to see if anyone cancelled them.
  const page = await openGame({
    viewport: { width: WIDTH, height: HEIGHT, deviceScaleFactor: 2 },
    prepare: (p) => p.evaluateOnNewDocument(() => {
      window.zoom = [];
      window.addEventListener('keydown', (e) => { if (e.ctrlKey && /^[-=0]$/.test(e.key)) window.zoom.push(e); }, true);
    }),
  });
  assert.equal(await peek(page, "(c => [c.width, c.height].join('x'))(document.getElementById('canvas'))"), `${WIDTH}x${HEIGHT}`);
  await page.evaluate(() => {
    window.seen = [];
    window.addEventListener('keydown', (e) => seen.push([e.ctrlKey ? 'Ctrl+' + e.key : e.key, e.defaultPrevented]));
  });
  for (const key of ['d', 'x', 'f', '=', '-', '0']) {
    await page.keyboard.down('Control');
    await page.keyboard.press(key === 'x' ? 'KeyS' : /[a-z]/.test(key) ? `Key${key.toUpperCase()}` : key);
    await page.keyboard.up('Control');
  }
  await page.keyboard.press('Backspace');
  const seen = await page.evaluate(() => window.seen);
  // Ctrl+F is kept from the game (the page switches full screen itself); the rest reach it, unacted on.
  assert.deepEqual(seen.filter(([key]) => key !== 'Ctrl+Control'), [['Ctrl+d', true], ['Ctrl+s', true], ['Backspace', true]]);
  // Zoom is the browser's: not cancelled, and never the game's (not seen above).
  assert.deepEqual(await page.evaluate(() => window.zoom.map((e) => [e.key, e.defaultPrevented])),
                   [['=', false], ['-', false], ['0', false]]);
  assert.equal(await page.evaluate(() => !!document.fullscreenElement), true);
  await page.keyboard.down('Control');
  await page.keyboard.press('KeyF');
  await page.keyboard.up('Control');
  await page.waitForFunction(() => !document.fullscreenElement, { timeout: 10000 });
  await frames(page, 5);
  assert.deepEqual(page.errors, []);
  await page.close();
});

// The browser holds sound back until the player acts (see launch), and nothing the test asks of the page
// counts as the player acting: Shift does not either, so the audio is still waiting after it.
test('a key or a click starts the audio, Shift does not; a hidden tab\'s audio waits until it shows', async () => {
  for (const [name, act] of [['a key', (page) => page.keyboard.press('KeyA')],
                             ['a click', (page) => page.mouse.click(500, 700)]]) {
    const page = await openGame();
    await until(page, 'Module.SDL2 && Module.SDL2.audioContext');
    await page.keyboard.press('Shift');
    await frames(page, 5);
    assert.equal(await audioState(page), 'suspended', name);
    await act(page);
    await until(page, "Module.SDL2.audioContext.state === 'running'", 10000);
    if (name === 'a click') {
      const other = await page.browserContext().newPage();
      await other.bringToFront();
      await until(page, "document.hidden && Module.SDL2.audioContext.state === 'suspended'", 10000);
      await page.bringToFront();
      await until(page, "!document.hidden && Module.SDL2.audioContext.state === 'running'", 10000);
    }
    await page.close();
  }
});

// Where the title shows a mode's best score, in its own quieter colour: right of the mode names.
const BEST = [90, 150, 160];
const bestPixels = (p, row) => count(p, BEST, 690, 265 + 40 * row, 870, 300 + 40 * row);
const SCORES = 'calcadia/data/best-scores', SETTINGS = 'calcadia/config/settings';
const NOT_SAVED = /best scores will not be saved: the browser keeps no local storage/;

// A seeded division run at level 1, where every answer is 1, 2 or 3: with seed 5 the first question
// is 1 / 1, so typing 1 scores once. The level's minute then runs out, and the run ends.
async function playScoredRun(page) {
  await page.keyboard.press('4');
  await frames(page, 30);
  await page.keyboard.type('1');
  // The level's 3600 frames and the 80 of its end.
  await until(page, "Module.screen === 'Game Over'", 300000);
}

// The same run on a phone, by touch alone: a tap on Division's row of the title, the pad's 1, and a tap
// on the game-over screen back to the title. The first tap (on nothing in particular) starts the sound.
const PHONE = { width: 412, height: 915, deviceScaleFactor: 2.625, isMobile: true, hasTouch: true };
async function playScoredRunByTouch(page) {
  await until(page, 'Module.SDL2 && Module.SDL2.audioContext');
  assert.equal(await audioState(page), 'suspended');
  await tapGame(page, 512, 600);
  await until(page, "Module.SDL2.audioContext.state === 'running'", 10000);
  await tapGame(page, 400, 276 + 3 * 40);
  await until(page, "Module.screen === 'Game'", 10000);
  await frames(page, 30);
  await tapPad(page, '1');
  await until(page, "Module.screen === 'Game Over'", 300000);
  // In the middle of the picture, where the title has Division's row: the touch-down continues to the
  // title, and its lift, on a screen it did not start on, chooses nothing.
  await tapGame(page, 512, 384);
  await until(page, "Module.screen === 'Title'", 10000);
  await frames(page, 30);
  assert.equal(await peek(page, 'Module.screen'), 'Title');
}

test('best scores live in local storage: kept over a reload, damage set aside, no storage no stop; ' +
     'a phone plays by touch', async () => {
  // The run with storage, one in a page whose storage throws on every use (as a private window or
  // turned-off site data may) and one on a phone play side by side, to wait for one minute of play
  // rather than three.
  const kept = await openGame({ address: '?seed=5' });
  const denied = await openGame({
    address: '?seed=5',
    prepare: (page) => page.evaluateOnNewDocument(() => Object.defineProperty(window, 'localStorage', {
      get() { throw new DOMException('The operation is insecure.', 'SecurityError'); } })),
  });
  // A touch laptop's screen of 4:3 (a mouse too, so no pad until a touch): the first tap on "1: Addition"
  // starts it, as the pad comes only after the finger has lifted.
  const laptop = await openGame();
  assert.equal(await peek(laptop, "document.getElementById('pad').hidden"), true);
  await tapGame(laptop, 400, 276);
  await until(laptop, "Module.screen === 'Game'", 10000);
  assert.equal(await peek(laptop, "document.getElementById('pad').hidden"), false);
  await laptop.close();
  const phone = await openGame({ address: '?seed=5', viewport: PHONE });
  // A touch screen alone: the pad shows, and the picture is drawn at the game's own size (not at the
  // size shown times the phone's pixel ratio).
  assert.equal(await peek(phone, "document.getElementById('pad').hidden"), false);
  assert.equal(await peek(phone, "(c => [c.width, c.height].join('x'))(document.getElementById('canvas'))"), `${WIDTH}x${HEIGHT}`);
  assert.equal(bestPixels(await shot(kept), 3), 0, 'no best score before the first run');
  await Promise.all([playScoredRun(kept), playScoredRun(denied), playScoredRunByTouch(phone)]);
  assert.match(await kept.evaluate((key) => localStorage.getItem(key), SCORES), /^division 10 1 /m);
  assert.match(await phone.evaluate((key) => localStorage.getItem(key), SCORES), /^division 10 1 /m);
  assert.deepEqual(phone.errors, []);
  await phone.close();
  assert.equal(denied.consoleLines.filter((line) => NOT_SAVED.test(line)).length, 1, denied.consoleLines.join('\n'));
  assert.deepEqual(denied.errors, []);
  await denied.close();

  await kept.reload({ waitUntil: 'load' });
  await until(kept, DRAWING, 180000);
  const title = await shot(kept);
  assert.ok(bestPixels(title, 3) > 100, `Division's best: ${bestPixels(title, 3)} pixels`);
  for (const row of [0, 1, 2, 4]) assert.equal(bestPixels(title, row), 0, `row ${row} has no best score`);
  assert.deepEqual(kept.errors, []);
  await kept.close();

  // A table the game cannot parse, and settings holding text it never writes (a character above 255):
  // both set aside under the first free .bad key, with a line each, and the title plays on.
  const damaged = await openGame({
    prepare: (page) => page.evaluateOnNewDocument((scores, settings) => {
      localStorage.setItem(scores, 'calcadia best scores 1\ndivision ten\n');
      localStorage.setItem(scores + '.bad.1', 'an older one');
      localStorage.setItem(settings, 'music-volume 50 \u20ac\n');
    }, SCORES, SETTINGS),
  });
  const stored = await damaged.evaluate(() => ({ ...localStorage }));
  assert.deepEqual(stored, { [SCORES + '.bad.1']: 'an older one', [SCORES + '.bad.2']: 'calcadia best scores 1\ndivision ten\n',
                             [SETTINGS + '.bad.1']: 'music-volume 50 \u20ac\n' });
  const asideLines = damaged.consoleLines.filter((line) => / moved to browser local storage: /.test(line));
  assert.equal(asideLines.length, 2, damaged.consoleLines.join('\n'));
  assert.ok(headingPixels(await shot(damaged)) > 500, 'the title is up');
  assert.deepEqual(damaged.errors, []);
  await damaged.close();
});

// The part of the level's picture that shows the question.
function questionPixels(picture) {
  const white = [];
  for (let y = 200; y < 420; y += 2)
    for (let x = 250; x < 780; x += 2)
      if (near(picture.at(x, y), [255, 255, 255], 60)) white.push(y * WIDTH + x);
  return white;
}

// The first two questions of an All of the Above run (the widest choice of questions); a typed answer,
// right or wrong, brings the second.
async function firstQuestions(page) {
  await page.keyboard.press('5');
  await frames(page, 60);
  const first = questionPixels(await shot(page));
  await page.keyboard.type('0');
  await frames(page, 120);
  return [first, questionPixels(await shot(page))];
}

// The page's own clock (performance.now) reads the same at every load until the first animation frame:
// whatever the game seeds from before it, if it counts from the page's start, is the same every time.
function samePageClock(page) {
  return page.evaluateOnNewDocument(() => {
    const real = performance.now.bind(performance);
    const START = 350;
    let thawed = null;
    performance.now = () => (thawed === null ? START : START + real() - thawed);
    const request = window.requestAnimationFrame.bind(window);
    window.requestAnimationFrame = (callback) => request((time) => {
      if (thawed === null) thawed = real();
      callback(time);
    });
  });
}

test('?seed= in the address asks the same questions on every load, no seed asks others; a bad one starts no game', async () => {
  const questions = [], unseeded = [];
  for (let load = 0; load < 2; ++load) {
    const page = await openGame({ address: '?seed=1234567' });
    questions.push(await firstQuestions(page));
    await page.close();
    const free = await openGame({ prepare: samePageClock });
    unseeded.push(await firstQuestions(free));
    await free.close();
  }
  for (const question of questions[0]) assert.ok(question.length > 300, `question pixels: ${question.length}`);
  assert.notDeepEqual(questions[0][1], questions[0][0]);
  assert.deepEqual(questions[1], questions[0]);
  // Without a seed, a load is seeded from a clock that does not start with the page.
  assert.notDeepEqual(unseeded[1], unseeded[0]);

  const bad = await openGame({ address: '?seed=12x', ready: 'window.Module && Module.exitCode !== undefined' });
  assert.equal(await bad.evaluate(() => [Module.exitCode, Module.frames].join()), '2,0');
  assert.match(await bad.$eval('#message', (e) => e.textContent), /bad seed '12x': a whole number from 0 to 2147483647/);
  assert.equal(await bad.$eval('#canvas', (e) => e.hidden), true);
  await bad.close();
});

test('the language: ?lang= first, then the browser\'s languages, English when none has a catalog', async () => {
  const languages = (list) => (page) => page.evaluateOnNewDocument((l) => {
    Object.defineProperty(navigator, 'languages', { get: () => l });
  }, list);
  for (const [address, list, want] of [['?lang=ru', ['de-AT'], 'ru'], ['', ['de-AT', 'en'], 'de'],
                                       ['', ['pt-br'], 'pt_BR'], ['', ['en-GB', 'fr'], ''],
                                       ['?lang=xx', ['fr'], ''], ['', ['sw', 'es-MX'], 'es']]) {
    const page = await openGame({ address, prepare: languages(list) });
    assert.equal(await page.evaluate(() => Module.calcadiaLanguage), want, `${address} ${list}`);
    await page.close();
  }
  // The game reads its packed catalog itself: a bad seed's complaint in Russian, the page's words around it too.
  const bad = await openGame({ address: '?seed=12x&lang=ru', ready: 'window.Module && Module.exitCode !== undefined' });
  const message = await bad.$eval('#message', (e) => e.textContent);
  assert.match(message, /неверное зерно '12x': целое число от 0 до 2147483647 \(в адресе страницы, \?seed=\)/);
  assert.match(message, /Игра окончена\.$/);
  assert.equal(await bad.$eval('#again', (e) => e.textContent), 'Играть снова');
  assert.equal(await bad.evaluate(() => document.documentElement.lang), 'ru');
  await bad.close();
  // Its catalog cannot be fetched: the game speaks English, and so does the page around it.
  const noCatalog = await openGame({
    address: '?seed=12x&lang=ru', ready: 'window.Module && Module.exitCode !== undefined',
    prepare: (page) => page.setRequestInterception(true).then(() => page.on('request', (request) =>
      (/\/locale-ru\./.test(request.url()) ? request.abort() : request.continue()))),
  });
  assert.match(await noCatalog.$eval('#message', (e) => e.textContent), /^calcadia: bad seed '12x'[^]*The game has ended\.$/);
  assert.equal(await noCatalog.$eval('#again', (e) => e.textContent), 'Play again');
  assert.equal(await noCatalog.evaluate(() => document.documentElement.lang), 'en');
  await noCatalog.close();
});

// Whether a request is for the build's file of this entry, or for its gzip copy. (An answer the test
// makes up is sent unpacked either way, as a server that names the copy gzip-encoded would have the
// browser see it.)
const requestFor = (request, { file }) => new RegExp(`/${file.replace(/\./g, '\\.')}(\\.gz)?$`).test(request.url());

// Answers the request for the data file that holds file with answer(its bytes, where file lies in them).
async function answerForData(file, answer) {
  const pack = (await readBuild(web)).packs.find((p) => p.files.some(([name]) => name === '/Data/' + file));
  const [, start, end] = pack.files.find(([name]) => name === '/Data/' + file);
  const response = answer(await readFile(path.join(web, pack.file)), start, end);
  return (page) => page.setRequestInterception(true).then(() => page.on('request', (request) =>
    requestFor(request, pack) ? request.respond(response) : request.continue()));
}

// The packed data with one file's bytes overwritten (the length kept, so the pack still loads).
const damagedData = (file) =>
  answerForData(file, (data, start, end) => ({ status: 200, body: data.fill(0x78, start, end) }));

test('bad data and a browser without WebGL 2, as on the desktop', async () => {
  // A damaged picture the game cannot do without ends it, with its message in the page.
  const picture = await openGame({ prepare: await damagedData('Images/explosion.png'),
                                   ready: 'window.Module && Module.exitCode !== undefined' });
  assert.equal(await picture.evaluate(() => Module.exitCode), -1);
  assert.match(await picture.$eval('#message', (e) => e.textContent), /Error loading image .*explosion\.png[^]*The game has ended/);
  await picture.close();

  // A damaged sound is silent: the mode's confirmation is missing, with its line, and the level starts.
  const sound = await openGame({ prepare: await damagedData('Sound/select.wav') });
  await sound.keyboard.press('1');
  await frames(sound, 30);
  assert.ok(headingPixels(await shot(sound)) < 500, 'the level replaced the title');
  assert.ok(sound.consoleLines.includes('PlayGameSound tried to play a null sound'), sound.consoleLines.join('\n'));
  assert.deepEqual(sound.errors, []);
  await sound.close();

  const noWebGL = await openGame({
    prepare: (page) => page.evaluateOnNewDocument(() => {
      const getContext = HTMLCanvasElement.prototype.getContext;
      HTMLCanvasElement.prototype.getContext = function (kind, ...rest) {
        return kind === 'webgl2' ? null : getContext.call(this, kind, ...rest);
      };
    }),
    ready: "document.readyState === 'complete'",
  });
  assert.match(await noWebGL.$eval('#message', (e) => e.textContent), /needs WebGL 2/);
  assert.equal(await noWebGL.evaluate(() => window.Module), undefined, 'the game was not even loaded');
  await noWebGL.close();
});

test('in a class page\'s frame, of the same site or another, the teacher keeps the keys until the game is clicked, ' +
     'and Shift+Tab on the title gives them back', async () => {
  // Full screen where the frame allows it; where it does not, Ctrl+F does nothing and logs nothing.
  for (const [site, allow] of [[server.url.replace('127.0.0.1', 'localhost'), ''], [server.url, 'fullscreen; autoplay']]) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.setViewport({ width: WIDTH, height: HEIGHT + 40 });
    // Inside the frame, every time something asks for the focus. (Whether a browser lets a frame of
    // another site take it from the page around it is the browser's own policy, which changes.)
    await page.evaluateOnNewDocument(() => {
      if (window.top === window)
        return;
      const focus = HTMLElement.prototype.focus;
      HTMLElement.prototype.focus = function (...rest) {
        window.focusAsked = (window.focusAsked || 0) + 1;
        return focus.apply(this, rest);
      };
    });
    await page.goto(`${server.url}host.html?` + new URLSearchParams({ src: site, allow }), { waitUntil: 'load' });
    // The teacher types in the page's own field while the game loads, and goes on after it has started.
    await page.click('input');
    const frame = await (await page.waitForSelector('iframe')).contentFrame();
    await frame.waitForFunction(DRAWING, { timeout: 180000, polling: 100 });
    await new Promise((resolve) => setTimeout(resolve, 1500));
    // Some frames of the game's own, so that a key it had been given has been seen.
    const gameFrames = async () => {
      const count = await frame.evaluate(() => Module.frames);
      await frame.waitForFunction(`Module.frames > ${count + 10}`, { timeout: 60000, polling: 50 });
    };
    await page.keyboard.type('1');
    await gameFrames();
    assert.equal(await page.$eval('input', (e) => e.value), '1', site);
    assert.equal(await frame.evaluate(() => Module.screen), 'Title', site);
    assert.equal(await frame.evaluate(() => window.focusAsked || 0), 0, `${site}: the game asked for the focus itself`);
    // What the browser refuses (and logs) is never asked for.
    await frame.evaluate(() => document.addEventListener('fullscreenerror', () => { window.refused = true; }));
    // A click gives the game the keys; Shift+Tab on the title hands them back to the page.
    await page.mouse.click(500, 700);
    await page.keyboard.down('Shift');
    await page.keyboard.press('Tab');
    await page.keyboard.up('Shift');
    assert.equal(await page.evaluate(() => document.activeElement.tagName), 'INPUT', site);
    await page.keyboard.type('2');
    await gameFrames();
    assert.equal(await frame.evaluate(() => Module.screen), 'Title', site);
    await page.mouse.click(500, 700);
    await page.keyboard.down('Control');
    await page.keyboard.press('KeyF');
    await page.keyboard.up('Control');
    await page.keyboard.press('1');
    await frame.waitForFunction("Module.screen === 'Game'", { timeout: 60000, polling: 100 });
    assert.deepEqual(await frame.evaluate(() => [!!document.fullscreenElement, !!window.refused]),
                     [allow !== '', false], site);
    await context.close();
  }
});

test('what fails to load says why, sound that comes late is used; from a disk the single file plays', async () => {
  // A host that answers 404 for the title's data, to a German player.
  const missing = await openGame({ address: '?lang=de', ready: SHOWS_WHY,
                                   prepare: await answerForData('Fonts/beware.ttf', () => ({ status: 404 })) });
  const { packs: [start, sound] } = await readBuild(web);
  assert.match(await peek(missing, "document.getElementById('message').textContent"),
               new RegExp(`^Der Server antwortete „404( Not Found)?“ auf ${start.file.replace(/\./g, '\\.')}(\\.gz)?, `));
  await missing.close();

  // The sound held back until a level has started: the level's effects play once it has come.
  let release;
  const held = new Promise((resolve) => { release = resolve; });
  const late = await openGame({ prepare: (page) => page.setRequestInterception(true).then(() =>
    page.on('request', async (request) => {
      if (requestFor(request, sound))
        await held;
      request.continue();
    })) });
  const silent = () => late.consoleLines.filter((line) => line === 'PlayGameSound tried to play a null sound');
  await late.keyboard.press('1');
  await until(late, "Module.screen === 'Game'");
  assert.equal(silent().length, 1, 'the level\'s starting sound had not come');
  release();
  await until(late, 'Module.allArrived');
  await late.keyboard.type('0');
  await late.keyboard.press('Enter');
  await frames(late, 10);
  assert.equal(silent().length, 1, 'the answer\'s sound had come');
  await late.close();

  // The page opened from a file, where the browser refuses it the files beside it.
  const fromDisk = await openGame({ url: pathToFileURL(path.join(web, 'index.html')).href, ready: SHOWS_WHY });
  assert.match(await peek(fromDisk, "document.getElementById('message').textContent"), /opened from a file[^]*calcadia-offline\.html/);
  // Reloading cannot help there: the page's button opens the single file, which plays.
  assert.equal(await peek(fromDisk, "document.getElementById('again').textContent"), 'calcadia-offline.html');
  await Promise.all([fromDisk.waitForNavigation(), fromDisk.click('#again')]);
  await until(fromDisk, DRAWING, 180000);
  assert.match(fromDisk.url(), /\/calcadia-offline\.html$/);
  await fromDisk.close();

  const single = await openGame({ url: pathToFileURL(path.join(web, 'calcadia-offline.html')).href });
  assert.ok(headingPixels(await shot(single)) > 500, 'the title is up');
  await until(single, 'Module.allArrived');
  await single.keyboard.press('1');
  await until(single, "Module.screen === 'Game'", 10000);
  assert.deepEqual(single.errors, []);
  await single.close();
});

test('after one visit the game plays with no network, and a newer build takes over', async () => {
  const pages = {};
  const own = await serve({ '': web }, pages);
  const page = await openGame({ url: own.url });
  await until(page, 'Module.allArrived && navigator.serviceWorker.controller !== null');
  // A newer build published in its place (only its version differs): its worker takes over and drops
  // the older build's files.
  const { version } = await readBuild(web);
  for (const file of ['index.html', 'sw.js'])
    pages['/' + file] = (await readFile(path.join(web, file), 'utf8')).replaceAll(version, 'newer');
  await page.reload({ waitUntil: 'load' });
  await until(page, "caches.keys().then((names) => names.join() === 'calcadia-newer')");
  await own.close();
  await page.reload({ waitUntil: 'load' });
  await until(page, DRAWING, 60000);
  await until(page, 'Module.allArrived');
  assert.ok(headingPixels(await shot(page)) > 500, 'the title is up');
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('a lost WebGL context says so at once, and comes back with the picture and no complaint', async () => {
  const page = await openGame();
  await peek(page, "window.lose = document.getElementById('canvas').getContext('webgl2').getExtension('WEBGL_lose_context'), lose.loseContext(), true");
  await until(page, "document.getElementById('canvas').getContext('webgl2').isContextLost()");
  // Well before the page gives up waiting on it (5 s).
  await until(page, "!document.getElementById('panel').hidden", 2000);
  assert.match(await peek(page, "document.getElementById('message').textContent"), /graphics processor stopped drawing/);
  await peek(page, 'lose.restoreContext(), true');
  await frames(page, 10);
  assert.equal(await peek(page, "document.getElementById('panel').hidden"), true);
  assert.ok(headingPixels(await shot(page)) > 500, 'the title is up again');
  // The lost context's objects went with it; none is deleted in the new one.
  assert.deepEqual(page.consoleLines.filter((line) => /INVALID_OPERATION/.test(line)), []);
  await page.keyboard.press('1');
  await frames(page, 30);
  assert.ok(headingPixels(await shot(page)) < 500, 'and a level follows');
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('the recorded replays give the statistics of the desktop', async () => {
  const scripts = path.join(repo, 'tests/replay/scripts');
  const names = (await readdir(scripts)).filter((f) => f.endsWith('.replay')).map((f) => f.slice(0, -7));
  assert.ok(names.length >= 5);
  for (const name of names) {
    const page = await browser.newPage();
    await page.goto(`${server.url}replay/index.html?${name}`, { waitUntil: 'load' });
    await page.waitForFunction(() => replay.exitCode !== null, { timeout: 600000, polling: 500 });
    const result = await page.evaluate(() => replay);
    const expected = await readFile(path.join(scripts, `${name}.expected`), 'utf8');
    assert.equal(result.lines.join('\n') + '\n', expected, `${name}: ${result.errors.join('\n')}`);
    await page.close();
  }
});

test('the live region carries the title, a question and a result; with ?speak=1 the browser says them too', async () => {
  const page = await openGame({
    address: '?speak=1',
    prepare: (p) => p.evaluateOnNewDocument(() => {
      window.said = [];
      // The voice heard here rather than through a sound card.
      if (window.speechSynthesis)
        window.speechSynthesis.speak = (utterance) => window.said.push(utterance.text);
    }),
  });
  const REGION = "[...document.querySelectorAll('#spoken p')].map((p) => p.textContent)";
  const lastIs = (pattern) => `${pattern}.test(${REGION}.at(-1) || '')`;
  assert.match((await peek(page, REGION))[0],
               /^Choose a Mode: 1: Addition\. 2: Subtraction\. .* P pauses a game at any time\. Escape quits\.$/);
  await page.keyboard.press('3');
  await until(page, lastIs('/^Get 3 Right\\. \\d+ times \\d+$/'));
  // The question as it was heard is enough to answer it.
  const [, a, b] = /(\d+) times (\d+)$/.exec((await peek(page, REGION)).at(-1));
  await page.keyboard.type(String(a * b));
  await until(page, lastIs('/^Right\\. \\d+ times \\d+$/'));
  assert.equal(await peek(page, "document.getElementById('spoken').getAttribute('aria-live')"), 'polite');
  assert.deepEqual(await peek(page, 'window.said'), await peek(page, REGION));
  assert.deepEqual(page.errors, []);
  await page.close();
});
