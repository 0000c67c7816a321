// Image loader fuzz target: PNG, BMP and JPEG are told by their signatures, TGA by its extension, so
// the first byte picks the extension (odd: ".tga") and the rest is the file. A picture that loads must
// have a sane size and pixels for every cell of it; cutting it into a strip must stay in bounds.
#include <cstdint>
#include <cstdlib>

#include "FuzzFile.h"
#include "platform/Image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const std::string path = WriteFuzzFile(data + 1, size - 1, (data[0] & 1) ? ".tga" : ".img");
    const TImagePtr image = LoadImageFile(path, -1);
    if (image) {
        const int w = ImageWidth(image), h = ImageHeight(image);
        if (w <= 0 || h <= 0 || w > 16384 || h > 16384 || (long long)w * h > (1LL << 24))
            std::abort();
        PixelBuffer pixels = LockImagePixels(image, 0, 1, 0);
        if (!pixels.data || pixels.width != w || pixels.height != h)
            std::abort();
        // The corners are where an off-by-one in a decoder shows.
        (void)pixels.Read(0, 0);
        (void)pixels.Read(w - 1, h - 1);
        UnlockImagePixels(image, 0);
    }
    // A strip of cells as big as the data says, as LoadAnimImageChecked would cut one.
    const int cell = 1 + data[0] % 64;
    if (const TImagePtr strip = LoadImageStrip(path, cell, cell, 0, 1 + data[0] % 4, -1)) {
        PixelBuffer pixels = LockImagePixels(strip, 0, 1, 0);
        if (!pixels.data || pixels.width != cell || pixels.height != cell)
            std::abort();
        (void)pixels.Read(cell - 1, cell - 1);
        UnlockImagePixels(strip, 0);
    }
    return 0;
}
