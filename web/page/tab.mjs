// The tab's life: sound that starts with the player, stops in a hidden tab, the page's full screen, and
// a WebGL context the browser takes away and gives back.
import { tr, gameEnded, notice, hideNotice, show } from './panel.mjs';

function audioContext() {
  const sdl = window.Module && window.Module.SDL2;
  return sdl && sdl.audioContext;
}

// Audio may only start after the player does something: the first key, click or tap starts it, and
// the music of the screen in view begins then. A touch starts it only when the finger lifts (the
// browser does not count the touch's start), so both ends of a tap and of a click are listened to. A
// hidden tab stops the game's frames, so its music stops too, and goes on when the tab shows again.
export function installAudio() {
  function startAudio() {
    const context = audioContext();
    if (context && context.state === 'suspended' && !document.hidden)
      context.resume().catch(() => {});
  }
  for (const type of ['keydown', 'mousedown', 'pointerup', 'touchend'])
    window.addEventListener(type, startAudio, true);
  let hiddenWhilePlaying = false;
  document.addEventListener('visibilitychange', () => {
    const context = audioContext();
    if (!context)
      return;
    if (document.hidden) {
      hiddenWhilePlaying = context.state === 'running';
      if (hiddenWhilePlaying)
        context.suspend();
    } else if (hiddenWhilePlaying) {
      hiddenWhilePlaying = false;
      context.resume().catch(() => {});
    }
  });
}

// Full screen only where the page may have it: a frame whose host does not allow it would only log a
// refusal.
export function toggleFullScreen() {
  if (document.fullscreenElement)
    document.exitFullscreen().catch(() => {});
  else if (document.fullscreenEnabled)
    document.documentElement.requestFullscreen().catch(() => {});
}

// A lost WebGL context (a reset of the graphics processor, a driver update, a tab restored on a
// tablet) leaves nothing on the screen. The game waits, and the page says why at once; when the browser
// gives the context back, the game makes its display again, and every picture and font its textures.
// A context that does not come back within 5 s leaves the way to reload.
export function installLostContext(canvas) {
  const LOST = () => tr('The graphics processor stopped drawing the game (it may have been reset or updated). ' +
                        'Reload the page to play on; best scores are kept.');
  let lostFor = null;
  canvas.addEventListener('webglcontextlost', (e) => {
    // Without this the browser never gives the context back.
    e.preventDefault();
    if (gameEnded())
      return;
    window.Module.pauseMainLoop();
    notice(LOST(), tr('Reload'), () => location.reload());
    lostFor = setTimeout(() => show(LOST(), tr('Reload')), 5000);
  });
  canvas.addEventListener('webglcontextrestored', () => {
    if (gameEnded())
      return;
    clearTimeout(lostFor);
    hideNotice();
    window.Module._RestoreDisplay();
    window.Module.resumeMainLoop();
  });
}
