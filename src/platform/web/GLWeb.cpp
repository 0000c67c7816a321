// GL in the browser: WebGL 2 (OpenGL ES 3.0) takes its shaders in GLSL ES 3.00 and pixels only as RGBA bytes.
#include "platform/gl/GL.h"

#include <SDL.h>

#include <utility>

namespace gl {

const char* const CONTEXT_NAME = "WebGL 2";

void AskForContext()
{
    // OpenGL ES 3.0 is what the browser offers as WebGL 2.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
}

const char* const SHADER_PROLOGUE = "#version 300 es\nprecision highp float;\n#define TEXEL(c) ((c).bgra)\n";
const GLenum TEXEL_FORMAT = GL_RGBA;
const GLenum TEXEL_TYPE = GL_UNSIGNED_BYTE;

void ReadArgb(int x, int y, int w, int h, uint32_t* out)
{
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, out);
    // R, G, B, A bytes to the words' B, G, R, A order in memory.
    auto* bytes = reinterpret_cast<unsigned char*>(out);
    for (size_t i = 0; i < size_t(w) * size_t(h); ++i)
        std::swap(bytes[i * 4], bytes[i * 4 + 2]);
}

}  // namespace gl
