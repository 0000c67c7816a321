// GL on the desktop: an OpenGL 3.3 core context, GLSL 3.30, and pixels in the BGRA words the game keeps.
#include "platform/gl/GL.h"

#include <SDL.h>

namespace gl {

const char* const CONTEXT_NAME = "OpenGL 3.3";

void AskForContext()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
}

const char* const SHADER_PROLOGUE = "#version 330 core\n#define TEXEL(c) (c)\n";
const GLenum TEXEL_FORMAT = GL_BGRA;
const GLenum TEXEL_TYPE = GL_UNSIGNED_INT_8_8_8_8_REV;

void ReadArgb(int x, int y, int w, int h, uint32_t* out)
{
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(x, y, w, h, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, out);
}

}  // namespace gl
