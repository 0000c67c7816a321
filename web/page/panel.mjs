// The page's own words: the panel that says what is happening (loading, an error, the game's end, a
// lost picture), in the player's language, and whether the game has ended.
import { translate } from './language.mjs';

const panel = document.getElementById('panel');
const message = document.getElementById('message');
const bar = document.getElementById('bar');
const fill = document.getElementById('fill');
const again = document.getElementById('again');
const canvas = document.getElementById('canvas');
const pad = document.getElementById('pad');

const catalogs = window.CALCADIA_PAGE_TEXTS || {};
let catalog = null;
let ended = false;

// A text of the page in the language it speaks; {name} in it stands for values[name].
export const tr = (text, values) => translate(catalog, text, values);

// The page's texts in the language of this catalog code ('' for English). Called again when a
// catalog cannot be had, so that the page falls back to English with the game.
export function speak(code) {
  catalog = catalogs[code] || null;
  document.documentElement.lang = code ? code.replace('_', '-') : 'en';
  for (const element of [message, again]) {
    element.dataset.text ??= element.textContent;
    element.textContent = tr(element.dataset.text);
  }
  for (const element of document.querySelectorAll('[aria-label]')) {
    element.dataset.label ??= element.getAttribute('aria-label');
    element.setAttribute('aria-label', tr(element.dataset.label));
  }
}

export const gameEnded = () => ended;

// The keys go to the page's own button only where they were the page's already: a page in another's
// frame takes the focus only when the player is in it (a teacher typing beside it keeps the keys).
function mayTakeFocus() {
  return window.top === window || document.hasFocus();
}

// The panel over the game, with text and a button (none when '') that does act.
function showPanel(text, button, act) {
  panel.hidden = false;
  bar.hidden = true;
  message.textContent = text;
  again.hidden = !button;
  again.textContent = button;
  again.onclick = act;
}

// The game is over (or never started): the panel in its place, with a way on. By default the button
// plays again.
export function show(text, button = tr('Play again'), act = () => location.reload()) {
  ended = true;
  canvas.hidden = true;
  pad.hidden = true;
  showPanel(text, button, act);
  if (button && mayTakeFocus())
    again.focus();
}

// A word over the game while it waits (a lost picture): the game is not over, and hideNotice takes it
// away again.
export function notice(text, button, act) {
  showPanel(text, button, act);
}
export function hideNotice() {
  if (!ended)
    panel.hidden = true;
}

// The loading bar, at this share of what is to come (0 to 1).
export function progress(share) {
  const percent = Math.min(100, 100 * share);
  fill.style.width = percent.toFixed(1) + '%';
  bar.setAttribute('aria-valuenow', String(Math.round(percent)));
}
