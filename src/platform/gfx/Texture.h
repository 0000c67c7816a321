// Texture - the textures of the open display: made, filled from 0xAARRGGBB texels (with a whole chain
// of smaller levels where asked) and deleted. The bottom of the drawing layer: the atlas is built on
// it and the batch draws with it, and it calls neither. Only the platform's own .cpp files include this.
#pragma once

#include <cstdint>

namespace gfx {

// Changes every time a display opens and is 0 while none is open. A texture made under one
// generation is dead in every other, because the GL context that owned it is gone.
uint64_t DisplayGeneration();

// A spot of a texture that is plain white (the corner block of an atlas page), so solid shapes drawn
// next to text and pictures can share their draw call.
struct TWhiteTexel { float u, v; };

// What the drawing above textures must hear of, since recorded draws sample textures when they are
// carried out, not when they are recorded. flush: carry out what is recorded now, before texels it
// samples change or go. changed: the picture last presented no longer tells what the same draws show.
struct TTextureWatcher {
    void (*flush)() = nullptr;
    void (*changed)() = nullptr;
};
// Textures can be made from here on the current GL context, and the watcher hears of their changes.
void OpenTextures(TTextureWatcher watcher);
// No texture can be made until the next OpenTextures; those made die with the context.
void CloseTextures();
bool TexturesOpen();
// Tells the watcher: carry out the recorded draws now / the presented picture is doubtful.
void FlushPendingDraws();
void TexturesChanged();

// Filtered = linear filtering; mipmapped adds a whole chain, which UploadArgb makes.
unsigned CreateTexture(int width, int height, bool filtered, bool mipmapped);
// Uploads a whole ARGB frame, flushing first when pending quads use it.
void UploadArgb(unsigned texture, int width, int height, const uint32_t* argb, bool mipmapped);
// Uploads ARGB texels into a rectangle of a texture without smaller levels; no flush: the caller knows
// whether pending quads sample that rectangle.
void UploadArgbRect(unsigned texture, int x, int y, int w, int h, const uint32_t* argb);
// The next smaller level of w x h ARGB texels, each a rounded average of a 2 x 2 block (the last row or
// column repeats when a side is odd).
void HalveTexels(const uint32_t* source, int w, int h, uint32_t* out);
// Deletes a texture of the given generation, if that generation's display is still open.
void ReleaseTexture(unsigned texture, uint64_t generation);
// Deletes a texture of the open display at once, without flushing: for owners whose pages go with
// the display (recorded draws die with it too).
void DropTexture(unsigned texture);

}  // namespace gfx
