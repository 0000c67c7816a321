// web_budget - the browser build's figures, after ./build.sh web and a native build (build/):
//
//     node bench/web_budget.mjs [--repeats N] [--web FOLDER] [--servers all,text,none]
//
// FOLDER (build-web/ by default) may hold another build of the page, to compare the two.
//
//   transfer     bytes a first play fetches (page, script, module, data, and what the page fetches in
//                the background), from a server that compresses everything; the budget is 3 MiB
//   school net   navigation to the title's first frame with chromium's network throttled to 4 Mbit/s
//                and 40 ms latency, the bytes sent until then and the bytes of the whole first play
//                (what loads in the background after the title included); median of the repeats; for
//                each kind of server named: one that compresses 'all' it sends with gzip, one that
//                compresses only pages and scripts ('text': the default settings of common servers)
//                and one that compresses 'none'
//   frame rate   the game's frames a second in a level at the screen's pixel ratios 1 and 2
//   start-up     navigation to the title's first frame in headless chromium, and exec to the first
//                presented frame of the native game (game_hold title, offscreen) in the same run, with
//                their ratio; median of the repeats
//   frame work   the game's own work per frame in the browser (logic, drawing, presenting: the time
//                the frame callback spends in the game) over a scripted run through the title, a level
//                with typed answers and back: median, 99th percentile and maximum
// Whole-process and whole-page figures on a shared machine: compare within a run, not across runs.
import { spawn } from 'node:child_process';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { serve, launch } from '../tests/web/browser.mjs';

const repo = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const option = (name) => (process.argv.includes(name) ? process.argv[process.argv.indexOf(name) + 1] : undefined);
const repeats = Number(option('--repeats')) || 3;
const folder = path.resolve(option('--web') || path.join(repo, 'build-web'));
const servers = (option('--servers') || 'all,text,none').split(',');

function median(values) {
  const v = [...values].sort((a, b) => a - b);
  return v.length % 2 ? v[v.length >> 1] : (v[v.length / 2 - 1] + v[v.length / 2]) / 2;
}
function percentile(values, p) {
  const v = [...values].sort((a, b) => a - b);
  return v[Math.min(v.length - 1, Math.ceil(p / 100 * v.length) - 1)];
}

// Exec to the byte game_hold writes once its first frame is up.
function nativeStartMs() {
  return new Promise((resolve, reject) => {
    const start = performance.now();
    const child = spawn(path.join(repo, 'build/bench/game_hold'), ['title', '1'], {
      cwd: path.join(repo, 'build'),
      env: { ...process.env, SDL_VIDEODRIVER: 'offscreen', SDL_AUDIODRIVER: 'dummy', CALCADIA_READY_FD: '3' },
      stdio: ['ignore', 'ignore', 'inherit', 'pipe'],
    });
    let at = null;
    child.stdio[3].once('data', () => { at = performance.now() - start; });
    child.on('error', reject);
    child.on('exit', (code) => (at === null ? reject(new Error(`game_hold ended with ${code}`)) : resolve(at)));
  });
}

const server = await serve({ '': folder });
const browser = await launch();
const transfers = [], pageStarts = [], nativeStarts = [], school = {}, frameRates = {};
let work = [];
try {
  for (let r = 0; r < repeats; ++r) {
    nativeStarts.push(await nativeStartMs());
    // A fresh page in a fresh context: nothing cached from the repeat before.
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.setViewport({ width: 1024, height: 768 });
    server.sent.bytes = 0;
    await page.goto(server.url, { waitUntil: 'load' });
    await page.waitForFunction(() => window.Module && Module.frames > 0, { timeout: 300000, polling: 20 });
    pageStarts.push(await page.evaluate(() => Module.firstFrameAt));
    // All of it: what the page fetches in the background after the title too.
    await page.waitForNetworkIdle({ idleTime: 1000, timeout: 300000 });
    transfers.push(server.sent.bytes);
    if (r === 0) {
      // The scripted run: the title, a level of Addition with an answer typed every second, the title.
      const wait = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
      await wait(2000);
      await page.keyboard.press('1');
      for (let i = 0; i < 10; ++i) {
        await wait(1000);
        await page.keyboard.type(String(10 + i));
        await page.keyboard.press('Enter');
      }
      await page.keyboard.press('Escape');
      await wait(2000);
      work = await page.evaluate(() => Module.frameWorkMs);
    }
    await context.close();
  }
  // A school's network: the same first visit at 4 Mbit/s with 40 ms of latency, from each kind of server.
  for (const compress of servers) {
    const own = await serve({ '': folder }, {}, compress);
    const figures = school[compress] = { starts: [], toTitle: [], total: [] };
    for (let r = 0; r < repeats; ++r) {
      const context = await browser.createBrowserContext();
      const page = await context.newPage();
      await page.setViewport({ width: 1024, height: 768 });
      await page.emulateNetworkConditions({ download: 4e6 / 8, upload: 4e6 / 8, latency: 40 });
      own.sent.bytes = 0;
      await page.goto(own.url, { waitUntil: 'load' });
      await page.waitForFunction(() => window.Module && Module.frames > 0, { timeout: 300000, polling: 20 });
      figures.starts.push(await page.evaluate(() => Module.firstFrameAt));
      // The browser's own count: the server hands its bytes over at once, and the throttle holds them.
      figures.toTitle.push(await page.evaluate(() => [...performance.getEntriesByType('navigation'),
        ...performance.getEntriesByType('resource')].filter((e) => e.responseEnd <= Module.firstFrameAt)
        .reduce((sum, e) => sum + e.transferSize, 0)));
      // What follows the title in the background, until the network has been quiet for a second.
      await page.waitForNetworkIdle({ idleTime: 1000, timeout: 300000 });
      figures.total.push(own.sent.bytes);
      await context.close();
    }
    await own.close();
  }
  // The frame rate in a level (the picture moves every frame), at each pixel ratio of the screen.
  for (const ratio of [1, 2]) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.setViewport({ width: 1024, height: 768, deviceScaleFactor: ratio });
    await page.goto(server.url, { waitUntil: 'load' });
    await page.waitForFunction(() => window.Module && Module.frames > 10, { timeout: 300000, polling: 20 });
    await page.keyboard.press('1');
    await page.waitForFunction(() => Module.screen === 'Game', { timeout: 60000, polling: 20 });
    const [frames, ms] = await page.evaluate(() => new Promise((resolve) => {
      const [from, start] = [Module.frames, performance.now()];
      setTimeout(() => resolve([Module.frames - from, performance.now() - start]), 5000);
    }));
    frameRates[ratio] = { fps: frames * 1000 / ms, buffer: await page.evaluate(() => [Module.canvas.width, Module.canvas.height].join('x')) };
    await context.close();
  }
} finally {
  await browser.close();
  await server.close();
}

const mib = (b) => (b / 1048576).toFixed(2);
console.log(`transfer for a first play: ${transfers[0]} bytes (${mib(transfers[0])} MiB, gzip), budget 3 MiB: ` +
            (transfers[0] <= 3 * 1048576 ? 'within' : 'OVER'));
const page = median(pageStarts), native = median(nativeStarts);
console.log(`start-up, median of ${repeats}: navigation to title's first frame ${page.toFixed(0)} ms ` +
            `[${Math.min(...pageStarts).toFixed(0)}..${Math.max(...pageStarts).toFixed(0)}], native exec to ` +
            `first frame ${native.toFixed(0)} ms [${Math.min(...nativeStarts).toFixed(0)}..` +
            `${Math.max(...nativeStarts).toFixed(0)}], ratio ${(page / native).toFixed(2)}x`);
for (const [compress, { starts, toTitle, total }] of Object.entries(school))
  console.log(`at 4 Mbit/s and 40 ms, server compressing ${compress}, median of ${repeats}: navigation to title's ` +
              `first frame ${median(starts).toFixed(0)} ms [${Math.min(...starts).toFixed(0)}..` +
              `${Math.max(...starts).toFixed(0)}]; received until then ${median(toTitle)} bytes, ` +
              `the whole first play ${median(total)} bytes`);
for (const [ratio, { fps, buffer }] of Object.entries(frameRates))
  console.log(`frame rate in a level at pixel ratio ${ratio}: ${fps.toFixed(1)} frames a second, drawing buffer ${buffer}`);
console.log(`frame work over ${work.length} frames: median ${median(work).toFixed(2)} ms, ` +
            `p99 ${percentile(work, 99).toFixed(2)} ms, max ${Math.max(...work).toFixed(2)} ms`);
