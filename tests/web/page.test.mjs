// The page's pure functions, without a browser: the language it speaks, where a key goes, what a tap
// hits. Run by CTest (web_page_units); the page itself is played in tests/web/game.test.mjs.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { chooseLanguage, translate } from '../../web/page/language.mjs';
import { keyRoute } from '../../web/page/keys.mjs';
import { boxAt, gamePoint, Gestures } from '../../web/page/touch.mjs';
import { accessModes } from '../../web/page/speech.mjs';

test('the language: ?lang= first (the last one), then the browser\'s list unless English comes first', () => {
  const catalogs = { de: {}, fr: {}, pt_BR: {}, ru: {}, es: {} };
  for (const [asked, browser, want] of [[['ru'], ['de-AT'], 'ru'], [['fr', 'de'], [], 'de'], [[], ['de-AT', 'en'], 'de'],
                                        [[], ['pt-br'], 'pt_BR'], [[], ['pt'], 'pt_BR'], [[], ['en-GB', 'fr'], ''],
                                        [['xx'], ['fr'], ''], [[], ['sw', 'es-MX'], 'es'], [[], ['de_DE.UTF-8'], 'de']])
    assert.equal(chooseLanguage(asked, browser, catalogs), want, `${asked} ${browser}`);
  // A text the catalog lacks stays English; a value that is not given stays a placeholder.
  assert.equal(translate({ 'Reload': 'Neu laden' }, 'Reload'), 'Neu laden');
  assert.equal(translate(null, '{file} of {size}', { file: 'a.data' }), 'a.data of {size}');
  assert.equal(translate({ '{n}!': '¡{n}!' }, '{n}!', { n: 0 }), '¡0!');
});

test('keys: the browser keeps zoom, and Tab on the title; the game keeps the rest it would lose', () => {
  const key = (code, key, more = {}) => ({ code, key, ctrlKey: false, metaKey: false, altKey: false, location: 0, ...more });
  const ctrl = { ctrlKey: true };
  for (const [event, screen, want] of [
    [key('Equal', '=', ctrl), 'Game', 'browser'], [key('Minus', '-', ctrl), 'Title', 'browser'],
    [key('Digit0', '0', ctrl), 'Game', 'browser'], [key('NumpadAdd', '+', ctrl), 'Game', 'browser'],
    // Ctrl and + where a layout puts + on a key of its own.
    [key('BracketRight', '+', ctrl), 'Game', 'browser'], [key('Equal', '=', { metaKey: true }), 'Game', 'browser'],
    [key('Tab', 'Tab'), 'Title', 'browser'], [key('Tab', 'Tab', { shiftKey: true }), 'Title', 'browser'],
    [key('Tab', 'Tab'), 'Game', 'game'], [key('Tab', 'Tab'), 'GameOver', 'game'],
    [key('KeyF', 'f', ctrl), 'Game', 'fullscreen'], [key('KeyD', 'd', ctrl), 'Title', 'game'],
    [key('Equal', '=', { ctrlKey: true, altKey: true }), 'Game', 'game'],
    [key('Backspace', 'Backspace'), 'Game', 'game'], [key('Digit0', '0'), 'Game', 'pass'],
    [key('Numpad7', '7', { location: 3 }), 'Game', 'typed'], [key('Numpad7', 'Home', { location: 3 }), 'Game', 'pass'],
  ])
    assert.equal(keyRoute(event, screen), want, `${JSON.stringify(event)} on ${screen}`);
});

test('taps: a point of the page in game pixels, the row it hits, and one gesture on one screen', () => {
  // The picture shown at half size, 100 px from the left and 20 from the top.
  const box = { left: 100, top: 20, width: 512, height: 384 };
  assert.deepEqual(gamePoint(100, 20, box), [0, 0]);
  assert.deepEqual(gamePoint(612, 404, box), [1024, 768]);
  const rows = [[260, 256, 630, 40], [260, 296, 630, 40]];
  for (const [point, want] of [[[260, 256], 0], [[889.9, 295.9], 0], [[500, 296], 1], [[259.9, 300], -1],
                               [[890, 300], -1], [[500, 336], -1], [[500, 255.9], -1]])
    assert.equal(boxAt(rows, point), want, String(point));
  assert.equal(boxAt([], [500, 300]), -1);

  const gestures = new Gestures();
  gestures.down(1, 7);
  assert.equal(gestures.up(1, 7), true, 'lifted on the screen it touched');
  gestures.down(1, 7);
  assert.equal(gestures.up(1, 8), false, 'the touch-down left its screen');
  // A second finger's touch is a gesture of its own, and a lift with no touch-down seen acts on nothing.
  gestures.down(1, 8);
  gestures.down(2, 9);
  assert.deepEqual([gestures.up(2, 9), gestures.up(1, 9), gestures.up(3, 9)], [true, false, false]);
});

test('the spoken and calm modes: the address, then the browser\'s reduced motion; the words in a region', () => {
  const modes = (address, reduced) => accessModes(new URLSearchParams(address), reduced);
  assert.deepEqual(modes('', false), { speak: false, calm: false });
  assert.deepEqual(modes('?speak=1', false), { speak: true, calm: false });
  assert.deepEqual(modes('?speak=1&speak=0', true), { speak: false, calm: true });
  assert.deepEqual(modes('?calm', false), { speak: false, calm: true });
  // The address says no to calm motion even where the browser prefers it.
  assert.deepEqual(modes('?calm=0', true), { speak: false, calm: false });
});
