// DecodeParts - what the picture decoders share: their result, the size check and the pixel packing;
// and the JPEG decoder, which lives in a file of its own because the browser's module carries none.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/ImageDecode.h"

enum class TDecode { Ok, NotPicture, TooLarge };

// Checked before any pixel memory is allocated, so a few bytes of header cannot ask for gigabytes.
TDecode SizeCheck(long width, long height);

inline uint32_t Argb(unsigned a, unsigned r, unsigned g, unsigned b)
{
    return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

// A JPEG file from memory, through libjpeg.
TDecode DecodeJpeg(const std::vector<uint8_t>& bytes, TPicture& picture);
