// JpegDecode in the browser: the page's pictures are the game's own PNGs, so the module leaves libjpeg
// out (38 KB of the compressed module, downloaded before the title) and a JPEG reads as no picture.
#include "platform/gfx/DecodeParts.h"

TDecode DecodeJpeg(const std::vector<uint8_t>&, TPicture&) { return TDecode::NotPicture; }
