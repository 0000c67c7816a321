// Play by touch: the number pad beside the picture, and taps on the title's mode rows.
import { press } from './keys.mjs';

// A point of the page (clientX, clientY) in the game's 1024 x 768 pixels, on a picture shown in box
// (a DOMRect-like { left, top, width, height }).
export function gamePoint(clientX, clientY, box) {
  return [(clientX - box.left) * 1024 / box.width, (clientY - box.top) * 768 / box.height];
}

// The index of the box ([x, y, width, height]) that holds the point, -1 when none does.
export function boxAt(boxes, [x, y]) {
  return boxes.findIndex(([left, top, width, height]) =>
    x >= left && x < left + width && y >= top && y < top + height);
}

// One gesture acts on one screen. A touch starts on the screen up then; when that screen has gone by
// the time the finger lifts (the touch-down itself continued from game over to the title, say), the
// lift belongs to no screen and does nothing.
export class Gestures {
  constructor() {
    this.started = new Map();
  }
  down(pointer, screenCount) {
    this.started.set(pointer, screenCount);
  }
  // True when the lift of this pointer lands on the screen its touch started on.
  up(pointer, screenCount) {
    const started = this.started.get(pointer);
    this.started.delete(pointer);
    return started === screenCount;
  }
}

// game: { screen(), screenCount(), boxes(), ended() }, what the game last told of its screens.
export function installTouch(game, canvas, pad) {
  // Where the page is used by touch (a tablet or a phone, or a touch on a screen that has a keyboard
  // too), the pad shows beside the picture, outside the game's own 1024x768.
  function useTouch(on) {
    if (on === document.body.classList.contains('touch') || (on && game.ended()))
      return;
    document.body.classList.toggle('touch', on);
    pad.hidden = !on;
  }
  if (matchMedia('(any-pointer: coarse)').matches && !matchMedia('(any-pointer: fine)').matches)
    useTouch(true);
  // The pad comes once the finger has lifted, never during a touch: it moves and shrinks the picture,
  // and the lift would then land somewhere else than the touch began. (After the picture's own
  // listeners: the window's bubbling listeners run last.)
  for (const type of ['pointerup', 'pointercancel'])
    window.addEventListener(type, (e) => {
      if (e.pointerType === 'touch' || e.pointerType === 'pen')
        useTouch(true);
    });
  pad.addEventListener('click', (e) => {
    const button = e.target.closest('button');
    if (button && !game.ended())
      press(button.dataset.key);
  });

  // A tap on one of the title's mode rows chooses the mode, as its number key does. (A tap on the
  // level-complete and game-over screens reaches the game as a click, which continues.)
  const gestures = new Gestures();
  canvas.addEventListener('pointerdown', (e) => gestures.down(e.pointerId, game.screenCount()));
  canvas.addEventListener('pointerup', (e) => {
    if (!gestures.up(e.pointerId, game.screenCount()) || e.pointerType === 'mouse' || game.screen() !== 'Title')
      return;
    const row = boxAt(game.boxes(), gamePoint(e.clientX, e.clientY, canvas.getBoundingClientRect()));
    if (row >= 0)
      press(String(row + 1));
  });

  return { typing: () => useTouch(false) };
}
