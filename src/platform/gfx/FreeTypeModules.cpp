// FreeTypeModules on the desktop: FreeType with every module it was built with, so any font format the
// system's FreeType reads can be the game's font or a fallback face.
#include "platform/gfx/FontFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H

int gfx::OpenFreeType(FT_Library* library) { return FT_Init_FreeType(library); }
