// Backend - the drawing contract: what the drawing layer (gfx/) needs of a backend, and so what each
// backend provides: the GL objects behind textures and the pipeline (shader, vertex buffers, blend
// states) that carries out a recorded frame. The desktop's and the browser's are gl/'s TextureGL.cpp,
// Pipeline.cpp with ShaderSource.cpp, GL.cpp that loads the entry points, ReadBack.cpp, and Display.cpp
// for the window, its GL context and presenting. Everything else of the drawing layer (textures' rules,
// the atlas, the batch's recording and merging, skipping unchanged frames, the draw state, shapes,
// images and fonts) is the same on every backend. Only the platform's own .cpp files include this.
#pragma once

#include <cstdint>

#include "platform/gfx/Recording.h"

namespace gfx::backend {

// The size of the open display's picture (the game space); false while none is open.
bool PictureSize(int& width, int& height);

// Textures: storage of the given size (level 0 only, or room for a whole chain), filled with 0xAARRGGBB
// texels. WriteTexels writes a rectangle of level 0 and leaves the texture bound, so WriteLevel can
// follow with its smaller levels.
unsigned NewTexture(int width, int height, bool filtered, bool mipmapped);
void WriteTexels(unsigned texture, int x, int y, int w, int h, const uint32_t* argb);
void WriteLevel(int level, int w, int h, const uint32_t* argb);
void DeleteTexture(unsigned texture);

// The vertex and fragment shaders' source for this backend's GL dialect.
const char* VertexShaderSource();
const char* FragmentShaderSource();

// The pipeline: made and dropped with the GL context; false when the shader or buffers cannot be made.
bool OpenPipeline(int gameWidth, int gameHeight);
void ClosePipeline();
// Uploads `quadCount` quads (four vertices each) for the draw calls that follow, in one go.
void UploadQuads(const TVertex* vertices, int quadCount);
// Clears the whole picture, or as much of it as LimitDrawing allows.
void ClearPicture(float r, float g, float b);
// Clears and draws change only the box's pixels from now on; an empty box lifts the limit.
void LimitDrawing(const TBox& box);
// Draws the draw call's range of the uploaded quads (from its firstQuad) with its texture and blend mode.
void DrawQuads(const TCommand& run);

}  // namespace gfx::backend
