// ImageDecode - turns picture files into 0xAARRGGBB pixels; used by the image loaders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TPicture {
    int width = 0;
    int height = 0;
    bool hasAlpha = false;          // the file carries its own alpha (alpha channel or transparency)
    std::vector<uint32_t> argb;     // top row first; alpha 255 throughout when hasAlpha is false
};

// PNG, BMP and JPEG are told by their signatures, TGA (which has none) by the .tga extension.
// False for a file that cannot be read (see FileRead.h), one that is empty, truncated or of no known
// kind ("not a picture"), or one larger than 16384 pixels a side or 2^24 pixels in all ("too large");
// failure, when given, receives that reason.
bool DecodePicture(const std::string& path, TPicture& picture, std::string* failure = nullptr);

// Scales a picture larger than maxSide on either side down to fit, keeping its shape; each pixel
// becomes the alpha-weighted average of the ones it covers. Smaller pictures are left as they are.
void ShrinkPicture(TPicture& picture, int maxSide);
