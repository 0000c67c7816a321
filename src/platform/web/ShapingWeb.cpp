// ShapingWeb - the browser's stand-in for Shaping.cpp until HarfBuzz and FriBidi are built for it: no
// line is shaped, so every line is drawn character by character, and the languages that need shaping
// are not packed for the browser (web/package.mjs).
#include "platform/gfx/Shaping.h"

namespace gfx {

bool NeedsShaping(const std::string&) { return false; }

TShapedLine ShapeLine(const std::string&, const std::vector<FT_Face>&, TLineDirection) { return {}; }

TShapedLine ShapeLineWithFiles(const std::string&, const std::vector<std::string>&, int, TLineDirection)
{
    return {};
}

}  // namespace gfx
