// Texture - the rules every texture of the drawing layer follows, whatever the backend: nothing is made
// without an open display, recorded draws reach GL before the texels they sample change, and smaller
// levels are averaged here rather than by the driver.
#include "platform/gfx/Texture.h"
#include "platform/gfx/GfxTesting.h"

#include <algorithm>
#include <vector>

#include "platform/gfx/Backend.h"

namespace gfx {
namespace {

bool open = false;
TTextureWatcher watcher;
uint64_t textureUploads = 0;

// Mipmaps are averaged here rather than by glGenerateMipmap: a software rasteriser makes each level by
// drawing it with a blit shader of its own, compiled on first use, which costs a hundred milliseconds
// for a large texture. The same 2 x 2 box filter on the CPU takes about a millisecond.
// One scratch buffer serves every upload, so building mipmaps allocates only when a larger texture
// than ever before comes along.
std::vector<uint32_t>& MipScratch(size_t texels)
{
    static std::vector<uint32_t>& scratch = *new std::vector<uint32_t>;
    if (scratch.size() < texels)
        scratch.resize(texels);
    return scratch;
}

// Makes and writes every smaller level of the bound texture whose level 0 is `base`, w x h texels.
void WriteMipChain(const uint32_t* base, int w, int h)
{
    size_t total = 0;
    for (int lw = w / 2, lh = h / 2; lw > 0 || lh > 0; lw /= 2, lh /= 2)
        total += size_t(std::max(lw, 1)) * std::max(lh, 1);
    uint32_t* out = MipScratch(total).data();
    const uint32_t* source = base;
    for (int level = 1; w > 1 || h > 1; ++level) {
        const int nw = std::max(1, w / 2), nh = std::max(1, h / 2);
        HalveTexels(source, w, h, out);
        backend::WriteLevel(level, nw, nh, out);
        source = out;
        out += size_t(nw) * nh;
        w = nw;
        h = nh;
    }
}

}  // namespace

void OpenTextures(TTextureWatcher w)
{
    open = true;
    watcher = w;
}

void CloseTextures()
{
    open = false;
    watcher = TTextureWatcher{};
}

bool TexturesOpen() { return open; }

void FlushPendingDraws()
{
    if (watcher.flush)
        watcher.flush();
}

void TexturesChanged()
{
    if (watcher.changed)
        watcher.changed();
}

unsigned CreateTexture(int width, int height, bool filtered, bool mipmapped)
{
    if (!open || width <= 0 || height <= 0)
        return 0;
    return backend::NewTexture(width, height, filtered, mipmapped);
}

void HalveTexels(const uint32_t* source, int w, int h, uint32_t* out)
{
    const int nw = std::max(1, w / 2), nh = std::max(1, h / 2);
    for (int y = 0; y < nh; ++y) {
        const uint32_t* row0 = source + size_t(std::min(2 * y, h - 1)) * w;
        const uint32_t* row1 = source + size_t(std::min(2 * y + 1, h - 1)) * w;
        for (int x = 0; x < nw; ++x) {
            const int x0 = std::min(2 * x, w - 1), x1 = std::min(2 * x + 1, w - 1);
            // Averaging the four bytes of each word channel by channel does not care which byte is which.
            uint32_t word = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                const uint32_t sum = ((row0[x0] >> shift) & 0xFF) + ((row0[x1] >> shift) & 0xFF) +
                                     ((row1[x0] >> shift) & 0xFF) + ((row1[x1] >> shift) & 0xFF);
                word |= ((sum + 2) / 4) << shift;
            }
            out[size_t(y) * nw + x] = word;
        }
    }
}

void UploadArgb(unsigned texture, int width, int height, const uint32_t* argb, bool mipmapped)
{
    if (!open || texture == 0)
        return;
    // Quads recorded before the upload must show the old pixels.
    FlushPendingDraws();
    TexturesChanged();
    ++textureUploads;
    backend::WriteTexels(texture, 0, 0, width, height, argb);
    if (mipmapped)
        WriteMipChain(argb, width, height);
}

void UploadArgbRect(unsigned texture, int x, int y, int w, int h, const uint32_t* argb)
{
    if (!open || texture == 0 || w <= 0 || h <= 0)
        return;
    // The same quads may look different from the last presented frame's now.
    TexturesChanged();
    ++textureUploads;
    backend::WriteTexels(texture, x, y, w, h, argb);
}

void ReleaseTexture(unsigned texture, uint64_t generation)
{
    if (!open || texture == 0 || generation != DisplayGeneration())
        return;
    // Recorded quads may use it, and GL may hand its name to a new texture with other pixels.
    FlushPendingDraws();
    TexturesChanged();
    backend::DeleteTexture(texture);
}

void DropTexture(unsigned texture)
{
    if (texture)
        backend::DeleteTexture(texture);
}

}  // namespace gfx

uint64_t TextureUploadCount() { return gfx::textureUploads; }
