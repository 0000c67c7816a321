// GlxPresent - the X side of WindowSystem.h for presenting: GLX_EXT_buffer_age and
// GLX_MESA_copy_sub_buffer, looked up through SDL on the current GL context.
//
// GLX_EXT_buffer_age is the window system's answer to how many frames old the back buffer is once
// swapped: 1 when it still holds the last frame, 0 when the driver cannot tell. GLX_MESA_copy_sub_buffer
// copies a rectangle of the back buffer to the window (Mesa's GLX offers it, Xvfb's included) and leaves
// the back buffer as it was. Both are looked up by name, so nothing here needs the X or GLX headers.
#include "platform/window/WindowSystem.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace {

// The functions, null where not offered.
struct TGlx {
    using CurrentDisplay = void* (*)();
    using CurrentDrawable = unsigned long (*)();
    using QueryDrawable = void (*)(void*, unsigned long, int, unsigned*);
    using QueryExtensions = const char* (*)(void*, int);
    using CopySubBuffer = void (*)(void*, unsigned long, int, int, int, int);
    CurrentDisplay currentDisplay = nullptr;
    CurrentDrawable currentDrawable = nullptr;
    QueryDrawable queryDrawable = nullptr;
    CopySubBuffer copySubBuffer = nullptr;
} glx;

constexpr int GLX_BACK_BUFFER_AGE = 0x20F4;

bool OnX11()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "x11") == 0;
}

}  // namespace

void LoadPresentWays()
{
    glx = {};
    if (!OnX11())
        return;
    auto current = reinterpret_cast<TGlx::CurrentDisplay>(SDL_GL_GetProcAddress("glXGetCurrentDisplay"));
    auto extensions = reinterpret_cast<TGlx::QueryExtensions>(SDL_GL_GetProcAddress("glXQueryExtensionsString"));
    auto drawable = reinterpret_cast<TGlx::CurrentDrawable>(SDL_GL_GetProcAddress("glXGetCurrentDrawable"));
    if (!current || !extensions || !drawable || !current())
        return;
    const char* list = extensions(current(), 0);
    if (!list)
        return;
    glx.currentDisplay = current;
    glx.currentDrawable = drawable;
    if (std::strstr(list, "GLX_EXT_buffer_age"))
        glx.queryDrawable = reinterpret_cast<TGlx::QueryDrawable>(SDL_GL_GetProcAddress("glXQueryDrawable"));
    if (std::strstr(list, "GLX_MESA_copy_sub_buffer"))
        glx.copySubBuffer = reinterpret_cast<TGlx::CopySubBuffer>(SDL_GL_GetProcAddress("glXCopySubBufferMESA"));
}

bool WindowTellsBackBufferAge() { return glx.queryDrawable != nullptr; }

bool BackBufferHoldsLastFrame()
{
    if (!glx.queryDrawable)
        return false;
    unsigned age = 0;
    glx.queryDrawable(glx.currentDisplay(), glx.currentDrawable(), GLX_BACK_BUFFER_AGE, &age);
    return age == 1;
}

bool WindowCopiesBoxes() { return glx.copySubBuffer != nullptr; }

void CopyBoxesToWindow(const TWindowBox* boxes, int count, int height)
{
    if (!glx.copySubBuffer || count <= 0)
        return;
    // One copy of the box around them all, since each copy waits for the X server's answer (a round trip
    // costs more of this process's time than the server's copying of the pixels between the boxes).
    TWindowBox all = boxes[0];
    for (int b = 1; b < count; ++b) {
        all.left = std::min(all.left, boxes[b].left);
        all.top = std::min(all.top, boxes[b].top);
        all.right = std::max(all.right, boxes[b].right);
        all.bottom = std::max(all.bottom, boxes[b].bottom);
    }
    // GL's rows run upwards from the window's bottom.
    glx.copySubBuffer(glx.currentDisplay(), glx.currentDrawable(), all.left, height - all.bottom,
                      all.right - all.left, all.bottom - all.top);
}
