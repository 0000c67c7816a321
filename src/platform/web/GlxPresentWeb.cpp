// GlxPresent in the browser: a page's canvas has no GLX, so frames are always swapped whole.
#include "platform/x11/GlxPresent.h"

void LoadGlxPresent() {}

bool GlxTellsBackBufferAge() { return false; }

bool GlxBackBufferHoldsLastFrame() { return false; }

bool GlxCopiesBoxes() { return false; }

void GlxCopyBoxesToWindow(const TWindowBox*, int, int) {}
