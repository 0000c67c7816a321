// The keys: which the game gets and which the browser acts on, and the keys a tap types.

// Keys the browser would act on (find, bookmark, back, scrolling, help): the game's while it runs.
const GAME_KEEPS = ['Backspace', 'Tab', 'Space', 'ArrowUp', 'ArrowDown', 'ArrowLeft', 'ArrowRight', 'PageUp',
                    'PageDown', 'Home', 'End', 'Slash', 'Quote', 'F1', 'F3', 'F5', 'F6', 'F7'];
// The browser's zoom (Ctrl with +, - or 0, on either keyboard, whatever the layout puts them on).
const ZOOM_CODES = ['Equal', 'Minus', 'Digit0', 'NumpadAdd', 'NumpadSubtract', 'Numpad0'];
const ZOOM_KEYS = ['+', '=', '-', '0'];

// What a key pressed while the game runs does, given the screen up:
//   'fullscreen'  Ctrl+F: the page's own full-screen switch, so that the browser's Escape out of full
//                 screen and Ctrl+F always agree
//   'browser'     the browser's alone, and the game never sees it: zoom, and Tab (or Shift+Tab) on the
//                 title, which leaves the game for the rest of the page
//   'game'        the game's alone: the browser's own action is cancelled
//   'typed'       the keypad's digits: the game's, and the browser still sends their character (the
//                 game's library cancels every keydown of the keypad, taking them for function keys,
//                 and a cancelled keydown types nothing)
//   'pass'        everything else, left to the game's library
export function keyRoute({ code, key, ctrlKey, metaKey, altKey, location }, screen) {
  const ctrl = ctrlKey || metaKey;
  if (ctrl && code === 'KeyF')
    return 'fullscreen';
  if (ctrl && !altKey && (ZOOM_CODES.includes(code) || ZOOM_KEYS.includes(key)))
    return 'browser';
  if (code === 'Tab' && !ctrl && !altKey && screen === 'Title')
    return 'browser';
  if (ctrl || altKey || GAME_KEEPS.includes(code))
    return 'game';
  if (location === 3 /* the keypad */ && /^[0-9]$/.test(key))
    return 'typed';
  return 'pass';
}

// Ahead of the game's own key handling (the page's listeners come first). game says what is up:
// { screen, ended }; toggleFullScreen is the page's switch; typing() is told of every key the player
// typed on a keyboard.
export function installKeys(game, toggleFullScreen, typing) {
  window.addEventListener('keydown', (e) => {
    if (game.ended())
      return;
    if (e.isTrusted)
      typing();
    switch (keyRoute(e, game.screen())) {
    case 'fullscreen':
      e.preventDefault();
      e.stopImmediatePropagation();
      if (!e.repeat)
        toggleFullScreen();
      break;
    case 'browser':
      e.stopImmediatePropagation();
      break;
    case 'game':
      e.preventDefault();
      break;
    case 'typed':
      e.preventDefault = () => {};
      break;
    }
  }, true);
  window.addEventListener('keyup', (e) => {
    if (!game.ended() && ['fullscreen', 'browser'].includes(keyRoute(e, game.screen())))
      e.stopImmediatePropagation();
  }, true);
}

// A key of the on-screen pad, or a tap that stands in for one, goes to the game as the keyboard's
// own key would: down, its character (for a digit) and up.
export function press(key) {
  const digit = /^[0-9]$/.test(key);
  const keyCode = digit ? 48 + Number(key) : key === 'Enter' ? 13 : 8;
  const code = digit ? 'Digit' + key : key;
  for (const type of digit ? ['keydown', 'keypress', 'keyup'] : ['keydown', 'keyup']) {
    const event = new KeyboardEvent(type, { key, code, bubbles: true, cancelable: true });
    // The game's library reads the legacy codes, which a made event leaves at 0.
    for (const [name, value] of [['keyCode', keyCode], ['which', keyCode], ['charCode', type === 'keypress' ? keyCode : 0]])
      Object.defineProperty(event, name, { value });
    window.dispatchEvent(event);
  }
}
