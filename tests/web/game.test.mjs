// The browser build in Debian's headless chromium: the page, the title's pixels, a level, typed
// digits, Escape, the end of the game, the keys the browser must not act on, audio started by the
// player, and the recorded replays giving the desktop's statistics.
// Run by tests/web/run.sh after ./build.sh web.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFile, readdir } from 'node:fs/promises';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { serve, launch, decodePng } from './browser.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const repo = path.resolve(here, '../..');
const WIDTH = 1024, HEIGHT = 768;
let server, browser;

before(async () => {
  server = await serve({ '': path.join(repo, 'build-web'), replay: path.join(repo, 'build-wasm/replay') });
  browser = await launch();
});
after(async () => {
  await browser?.close();
  await server?.close();
});

// Each page in a browser context of its own: a key pressed on one page counts as the player's go-ahead
// for audio on the next one of the same address.
async function openGame(inBrowser = browser) {
  const context = await inBrowser.createBrowserContext();
  const page = await context.newPage();
  const close = page.close.bind(page);
  page.close = async () => { await close(); await context.close(); };
  await page.setViewport({ width: WIDTH, height: HEIGHT });
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  await page.goto(server.url, { waitUntil: 'load' });
  await page.waitForFunction(() => window.Module && Module.frames > 3, { timeout: 180000, polling: 100 });
  page.errors = errors;
  return page;
}

// Waits for the game to draw a few more frames, so what was pressed has been seen and drawn.
async function frames(page, count) {
  const now = await page.evaluate(() => Module.frames);
  await page.waitForFunction((n) => Module.frames >= n, { timeout: 60000, polling: 50 }, now + count);
}

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

test('the title, a level with typed digits, Escape back to the title and Escape to the end', async () => {
  const page = await openGame();
  assert.equal(await page.title(), 'Calcadia V0.51');
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
  await page.keyboard.type('8');
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
  await page.close();
});

test('the browser acts on none of its own keys, and Ctrl+F switches full screen', async () => {
  const page = await openGame();
  await page.evaluate(() => {
    window.seen = [];
    window.addEventListener('keydown', (e) => seen.push([e.ctrlKey ? 'Ctrl+' + e.key : e.key, e.defaultPrevented]));
  });
  for (const key of ['d', 'x', 'f']) {
    await page.keyboard.down('Control');
    await page.keyboard.press(key === 'x' ? 'KeyS' : `Key${key.toUpperCase()}`);
    await page.keyboard.up('Control');
  }
  await page.keyboard.press('Backspace');
  const seen = await page.evaluate(() => window.seen);
  // Ctrl+F is kept from the game (the page switches full screen itself); the rest reach it, unacted on.
  assert.deepEqual(seen.filter(([key]) => key !== 'Ctrl+Control'), [['Ctrl+d', true], ['Ctrl+s', true], ['Backspace', true]]);
  assert.equal(await page.evaluate(() => !!document.fullscreenElement), true);
  await page.keyboard.down('Control');
  await page.keyboard.press('KeyF');
  await page.keyboard.up('Control');
  await page.waitForFunction(() => !document.fullscreenElement, { timeout: 10000 });
  await frames(page, 5);
  assert.deepEqual(page.errors, []);
  await page.close();
});

// Headless chromium under automation lets a page play sound from the start; a desktop browser holds
// it back until the player acts. The test holds it back itself, as such a browser would.
for (const [name, act] of [['a click', (page) => page.mouse.click(500, 700)],
                           ['a key', (page) => page.keyboard.press('Shift')]]) {
  test(`${name} starts the audio`, async () => {
    const page = await openGame();
    await page.waitForFunction(() => Module.SDL2 && Module.SDL2.audioContext, { timeout: 10000 });
    await page.evaluate(() => Module.SDL2.audioContext.suspend());
    await frames(page, 5);
    assert.equal(await page.evaluate(() => Module.SDL2.audioContext.state), 'suspended');
    await act(page);
    await page.waitForFunction(() => Module.SDL2.audioContext.state === 'running', { timeout: 10000 });
    await page.close();
  });
}

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
