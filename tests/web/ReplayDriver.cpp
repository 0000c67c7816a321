// The replay runner in the browser: the page's only video driver stands in for the desktop's offscreen one.
#include <cstdlib>

namespace {
const int driverNamed = setenv("SDL_VIDEODRIVER", "emscripten", 1);
}
