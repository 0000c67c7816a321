// The game's words for players who cannot see the picture, and its calm motion. The address (?speak=1,
// ?calm=1) and the browser's reduced-motion preference choose the modes; the game hands every word it
// says to speakWords (src/platform/web/SpeechWeb.cpp). The words always go into a live region beside the
// picture, which screen readers read out as they come: a browser does not tell a page whether a screen
// reader runs, so the region is there for any. The browser's own voice says them only in the spoken
// mode, so that a screen reader's voice is not doubled.

// On for 1, on, true, yes or no value at all; the last of a name counts, as the last option does on a
// command line. null when the address does not name it.
function asked(query, name) {
  const values = query.getAll(name);
  if (!values.length)
    return null;
  return ['', '1', 'on', 'true', 'yes'].includes(values[values.length - 1].toLowerCase());
}

// The modes the page asks of the game: the spoken mode when the address asks for it; calm motion when
// the address asks, or else when the browser prefers reduced motion.
export function accessModes(query, reducedMotion) {
  return { speak: asked(query, 'speak') === true, calm: asked(query, 'calm') ?? !!reducedMotion };
}

// Enough of the last words for a screen reader that reads them late; older ones leave the region.
const KEPT = 4;

// A live region, out of sight, after `parent`'s other children: each of the game's words a line of it.
export function liveRegion(parent) {
  const region = document.createElement('div');
  region.id = 'spoken';
  region.setAttribute('role', 'log');
  region.setAttribute('aria-live', 'polite');
  // Out of sight but not out of the accessibility tree (display: none would take it out).
  region.style.cssText = 'position: absolute; width: 1px; height: 1px; overflow: hidden; clip-path: inset(50%); ' +
                         'white-space: nowrap';
  parent.append(region);
  return region;
}

// What the game's words do: a new line of the region, and, in the spoken mode, the browser's voice in the
// language the page speaks.
export function speaker(region, { voice, language, synthesis, Utterance }) {
  return (words) => {
    const line = document.createElement('p');
    line.textContent = words;
    region.append(line);
    while (region.childElementCount > KEPT)
      region.firstElementChild.remove();
    if (voice && synthesis && Utterance) {
      const utterance = new Utterance(words);
      const code = language();
      utterance.lang = code ? code.replace('_', '-') : 'en';
      synthesis.speak(utterance);
    }
  };
}
