// Read-back - the picture's pixels for tests, benchmarks and screenshots, read from the GL context.
#include "platform/gl/GLTesting.h"

#include <png.h>

#include <algorithm>

#include "platform/gfx/Backend.h"
#include "platform/gfx/DrawBatch.h"
#include "platform/gfx/PictureHash.h"
#include "platform/gl/GL.h"

using namespace gl;

void FinishDrawing()
{
    int w = 0, h = 0;
    if (gfx::backend::PictureSize(w, h))
        glFinish();
}

std::vector<uint32_t> ReadBackBuffer()
{
    int w = 0, h = 0;
    if (!gfx::backend::PictureSize(w, h))
        return {};
    // The picture must hold everything recorded so far; whoever reads it may change what is shown.
    gfx::Submit();
    gfx::InvalidatePresented();
    std::vector<uint32_t> pixels(size_t(w) * h);
    gl::ReadArgb(0, 0, w, h, pixels.data());
    // GL hands rows bottom first; callers want the top row first.
    for (int y = 0; y < h / 2; ++y)
        std::swap_ranges(pixels.begin() + size_t(y) * w, pixels.begin() + size_t(y + 1) * w,
                         pixels.begin() + size_t(h - 1 - y) * w);
    return pixels;
}

uint32_t ReadPixel(int x, int y)
{
    int w = 0, h = 0;
    if (!gfx::backend::PictureSize(w, h) || x < 0 || y < 0 || x >= w || y >= h)
        return 0;
    gfx::Submit();
    gfx::InvalidatePresented();
    uint32_t pixel = 0;
    gl::ReadArgb(x, h - 1 - y, 1, 1, &pixel);
    return pixel;
}

bool SaveBackBufferPng(const std::string& path)
{
    int w = 0, h = 0;
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    if (pixels.empty() || !gfx::backend::PictureSize(w, h))
        return false;
    std::vector<uint8_t> rgba(pixels.size() * 4);
    for (size_t i = 0; i < pixels.size(); ++i) {
        rgba[i * 4 + 0] = uint8_t(pixels[i] >> 16);
        rgba[i * 4 + 1] = uint8_t(pixels[i] >> 8);
        rgba[i * 4 + 2] = uint8_t(pixels[i]);
        rgba[i * 4 + 3] = uint8_t(pixels[i] >> 24);
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(w);
    image.height = static_cast<png_uint_32>(h);
    image.format = PNG_FORMAT_RGBA;
    const bool ok = png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}
