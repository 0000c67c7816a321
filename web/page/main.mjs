// The page's program: chooses the language, installs the keys, touch and the tab's life, loads the
// files and starts the game. What the page and the game tell each other is written at the top of
// src/WebMain.cpp.
import { chooseLanguage } from './language.mjs';
import { tr, speak, show, gameEnded, progress } from './panel.mjs';
import { installKeys } from './keys.mjs';
import { installTouch } from './touch.mjs';
import { installAudio, installLostContext, toggleFullScreen } from './tab.mjs';
import { LoadError, loader } from './loading.mjs';
import { accessModes, liveRegion, speaker } from './speech.mjs';

// What the build made (web/package.mjs puts it in the page): the file names, which carry a hash of
// their content, their sizes, and which data file holds which file of Data/.
const BUILD = window.CALCADIA_BUILD;
const canvas = document.getElementById('canvas');
// The spoken mode and calm motion, from the address and the browser's preference.
const modes = accessModes(new URLSearchParams(location.search),
                          !!(window.matchMedia && window.matchMedia('(prefers-reduced-motion: reduce)').matches));
const pad = document.getElementById('pad');

let language = chooseLanguage(new URLSearchParams(location.search).getAll('lang'),
                              navigator.languages || [navigator.language || ''], window.CALCADIA_PAGE_TEXTS || {});
speak(language);

// What the game last told of itself (see onScreen below).
const game = {
  name: '',
  count: 0,
  rowBoxes: [],
  screen: () => game.name,
  screenCount: () => game.count,
  boxes: () => game.rowBoxes,
  ended: gameEnded,
};

// What the game last wrote to its error output in one go (a failed load is two lines: what failed and
// where it was looked for), to show if that ends the game.
let lastError = [];
let errorBurstOpen = false;

function start() {
  // Without WebGL 2 the game cannot draw at all: say so instead of loading 2 MB for nothing.
  if (!document.createElement('canvas').getContext('webgl2')) {
    show(tr('Calcadia needs WebGL 2, which this browser does not offer (or has turned off). ' +
            'A current Firefox, Chrome, Edge or Safari with hardware acceleration allowed will play it.'), '');
    return;
  }

  // The drawing buffer is the game's own 1024 x 768, whatever the screen's pixel ratio: the game draws
  // that picture and nothing finer, so a larger buffer would only be the same picture magnified, at a
  // cost (a quarter of the frame rate at ratio 2 on a software rasteriser). The browser scales the
  // buffer to the size shown. The game's library sizes the buffer by devicePixelRatio, so the page
  // answers it 1.
  Object.defineProperty(window, 'devicePixelRatio', { get: () => 1, configurable: true });

  installAudio();
  // A page inside a frame gets no keys until the frame has the focus, and the game's own handling of a
  // press cancels the focus the press would give. So a press on the game gives it.
  window.addEventListener('pointerdown', () => {
    if (!gameEnded())
      canvas.focus({ preventScroll: true });
  }, true);
  const touch = installTouch(game, canvas, pad);
  // Someone typing on a keyboard needs no pad on the screen.
  installKeys(game, toggleFullScreen, touch.typing);
  installLostContext(canvas);
  load();
}

function load() {
  // The module and the data the title needs come first, together, and the loading bar counts them
  // together. The music of the later screens (most of the data, and it barely compresses) follows in
  // the background while the title is up. The single-file copy carries every file inside itself.
  const embedded = !!BUILD.embedded;
  const fromFile = location.protocol === 'file:';
  const CACHE = 'calcadia-' + BUILD.version;
  // What was fetched is kept for the service worker, which then plays the page with no network.
  const keeping = !embedded && 'serviceWorker' in navigator && window.isSecureContext && 'caches' in window;
  const [startPack, laterPack] = BUILD.packs;
  // The catalog of the player's language, when it is not English.
  const languagePack = (BUILD.languages || {})[language];
  let received = 0, total = 0;
  const files = loader({
    embedded, fromFile,
    keep: (file, response) => {
      if (keeping)
        caches.open(CACHE).then((cache) => cache.put(file, response)).catch(() => {});
    },
    counted: (bytes) => progress((received += bytes) / total),
  });
  for (const entry of [BUILD.script, BUILD.module, startPack, languagePack])
    total += entry ? files.travelling(entry) : 0;

  // Every failure to load says what failed and what to do. Opened from a disk, the page cannot help
  // itself: its button opens the copy that plays there.
  function failed(error) {
    if (gameEnded())
      return;
    if (!(error instanceof LoadError))
      error = new LoadError(tr('This browser could not start the game: {reason}\n\nA current Firefox, Chrome, ' +
                               'Edge or Safari will play it.', { reason: (error && error.message) || error }));
    if (fromFile)
      show(error.message, 'calcadia-offline.html', () => location.assign('calcadia-offline.html'));
    else
      show(error.message, tr('Reload'));
  }

  // Writes the files of a data file into the game's file system: those not written yet whose bytes are
  // all in. False when there was none.
  function unpack(pack, bytes, length = bytes.length) {
    const first = pack.written || 0;
    let next = first;
    for (; next < pack.files.length && pack.files[next][2] <= length; ++next) {
      const [file, from, to] = pack.files[next];
      window.Module.FS.mkdirTree(file.slice(0, file.lastIndexOf('/')));
      window.Module.FS.writeFile(file, bytes.subarray(from, to));
    }
    pack.written = next;
    return next > first;
  }

  const scriptBytes = files.fetchFile(BUILD.script, true);
  const compiled = files.compileModule(BUILD.module);
  compiled.then(() => performance.mark('calcadia:compiled'), () => {});
  const startBytes = files.fetchFile(startPack, true);
  // Without its catalog the game speaks English, and so does the page: one language at a time.
  const languageBytes = !languagePack ? Promise.resolve(null) : files.fetchFile(languagePack, true).catch((error) => {
    console.error(error.message);
    language = '';
    speak(language);
    return null;
  });
  // The first of them to fail says why; the game cannot start without any of them.
  for (const loading of [scriptBytes, compiled, startBytes])
    loading.catch(failed);
  // The sound, in the background once the rest is in: each file goes to the game as soon as all of
  // it has arrived and the title is on the screen (decoding music would only hold up the first frame).
  let soundIn = 0, soundBytes = null, drawing = false;
  function soundArrived() {
    if (drawing && !gameEnded() && soundBytes && unpack(laterPack, soundBytes, soundIn)) {
      window.Module._SoundArrived();
      window.Module.allArrived = laterPack.written === laterPack.files.length;
    }
  }
  Promise.all([compiled, startBytes, languageBytes])
    .then(() => files.fetchFile(laterPack, false, (length, bytes) => {
      [soundIn, soundBytes] = [length, bytes];
      soundArrived();
    }))
    .then(() => {
      // Everything is here: the service worker keeps it for the next visit, with or without a network.
      if (keeping)
        navigator.serviceWorker.register('sw.js').catch(() => {});
    })
    .catch((error) => {
      // Without it the game is silent, and plays on.
      if (!gameEnded())
        console.error('The sound could not be loaded: ' + error.message);
    });

  window.Module = {
    canvas,
    calcadiaLanguage: language,
    calcadiaModes: modes,
    speakWords: speaker(liveRegion(document.body), {
      voice: modes.speak, language: () => language, synthesis: window.speechSynthesis,
      Utterance: window.SpeechSynthesisUtterance,
    }),
    // The game's library makes its audio context only if there is none, which takes long enough (a
    // tenth of a second) to hold up the first picture; here it is made while the files download.
    SDL2: { audioContext: (() => { try { return new AudioContext(); } catch { return undefined; } })() },
    print: (text) => console.log(text),
    printErr: (text) => {
      console.error(text);
      if (!errorBurstOpen) {
        errorBurstOpen = true;
        lastError = [];
        queueMicrotask(() => { errorBurstOpen = false; });
      }
      lastError.push(text);
    },
    instantiateWasm: (imports, receive) => {
      compiled.then((module) => WebAssembly.instantiate(module, imports).then((instance) => receive(instance, module)))
        .catch(failed);
      return {};
    },
    preRun: [() => {
      window.Module.addRunDependency('calcadia-data');
      Promise.all([startBytes, languageBytes]).then(([bytes, catalog]) => {
        unpack(startPack, bytes);
        if (catalog)
          unpack(languagePack, catalog);
        // The page's choice stands unless its catalog could not be had.
        window.Module.calcadiaLanguage = language;
        window.Module.removeRunDependency('calcadia-data');
      }, failed);
    }],
    onRuntimeInitialized: () => {
      performance.mark('calcadia:started');
      document.getElementById('panel').hidden = true;
      canvas.classList.remove('loading');
      // The game takes the keys at once only as the page itself: in another page's frame, the player
      // (or the teacher typing beside it) gives them with a click or a tap.
      if (window.top === window)
        canvas.focus();
    },
    frames: 0,
    frameWorkMs: [],
    onGameFrame: (workMs) => {
      const m = window.Module;
      if (m.frames++ === 0) {
        m.firstFrameAt = performance.mark('calcadia:first-frame').startTime;
        drawing = true;
        // Not from inside the game's frame, which is still running.
        setTimeout(soundArrived);
        const icon = document.querySelector('link[rel="icon"][data-later]');
        if (icon)
          icon.href = icon.dataset.later;
      }
      if (m.frameWorkMs.length < 100000)
        m.frameWorkMs.push(workMs);
    },
    // The screen the game shows ('Title', 'Game', ...), and the boxes a tap chooses on it.
    screen: '',
    onScreen: (name, boxes) => {
      window.Module.screen = game.name = name;
      game.rowBoxes = boxes;
      ++game.count;
    },
    onGameEnd: (code) => {
      window.Module.exitCode = code;
      if (document.fullscreenElement)
        document.exitFullscreen().catch(() => {});
      if (code === 0)
        show(tr('The game has ended. Thank you for playing!'));
      else
        show((lastError.join('\n') || tr('Calcadia stopped on an error.')) + '\n\n' + tr('The game has ended.'));
    },
  };
  // The module itself failing (it could not be compiled, or it stopped on a fault) ends the game too.
  window.Module.onAbort = () => { if (!gameEnded()) window.Module.onGameEnd(-1); };

  scriptBytes.then((bytes) => {
    const script = document.createElement('script');
    script.text = new TextDecoder().decode(bytes);
    document.body.appendChild(script);
  }, failed);
}

start();
