// GL - loads the OpenGL entry points through SDL from whichever context is current.
#include "platform/gl/GL.h"

#include <SDL.h>

namespace gl {

#define CALCADIA_GL_DEFINE(type, name) type name = nullptr;
CALCADIA_GL_FUNCTIONS(CALCADIA_GL_DEFINE)
#undef CALCADIA_GL_DEFINE

bool LoadFunctions()
{
    bool complete = true;
#define CALCADIA_GL_LOAD(type, name)                                          \
    name = reinterpret_cast<type>(SDL_GL_GetProcAddress(#name));              \
    if (!name) complete = false;
    CALCADIA_GL_FUNCTIONS(CALCADIA_GL_LOAD)
#undef CALCADIA_GL_LOAD
    return complete;
}

}  // namespace gl
