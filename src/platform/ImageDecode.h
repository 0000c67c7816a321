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

// The whole file; false when it cannot be read or is empty.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes);

// PNG, BMP and JPEG are told by their signatures, TGA (which has none) by the .tga extension.
// False for a missing, empty, truncated or unknown file, or one larger than 16384 pixels a side.
bool DecodePicture(const std::string& path, TPicture& picture);
