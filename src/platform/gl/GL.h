// GL - the OpenGL entry points the drawing layer uses, loaded from the open context at run time.
#pragma once

#include <cstdint>

#ifdef __EMSCRIPTEN__
// The browser's WebGL 2 is OpenGL ES 3.0: its types and constants, without the prototypes, which
// would clash with the pointers below.
#define GL_GLES_PROTOTYPES 0
#include <GLES3/gl3.h>
#else
#include <GL/glcorearb.h>
#endif

// The pointers live in a namespace of their own so they never collide with the symbols that the
// system's GL library exports under the same names.
namespace gl {

#define CALCADIA_GL_FUNCTIONS(X)                                              \
    X(PFNGLGETERRORPROC, glGetError)                                          \
    X(PFNGLGETSTRINGPROC, glGetString)                                        \
    X(PFNGLVIEWPORTPROC, glViewport)                                          \
    X(PFNGLSCISSORPROC, glScissor)                                            \
    X(PFNGLCLEARCOLORPROC, glClearColor)                                      \
    X(PFNGLCLEARPROC, glClear)                                                \
    X(PFNGLFINISHPROC, glFinish)                                              \
    X(PFNGLENABLEPROC, glEnable)                                              \
    X(PFNGLDISABLEPROC, glDisable)                                            \
    X(PFNGLBLENDFUNCSEPARATEPROC, glBlendFuncSeparate)                        \
    X(PFNGLGENTEXTURESPROC, glGenTextures)                                    \
    X(PFNGLDELETETEXTURESPROC, glDeleteTextures)                              \
    X(PFNGLBINDTEXTUREPROC, glBindTexture)                                    \
    X(PFNGLTEXIMAGE2DPROC, glTexImage2D)                                      \
    X(PFNGLTEXSUBIMAGE2DPROC, glTexSubImage2D)                                \
    X(PFNGLTEXPARAMETERIPROC, glTexParameteri)                                \
    X(PFNGLPIXELSTOREIPROC, glPixelStorei)                                    \
    X(PFNGLGENERATEMIPMAPPROC, glGenerateMipmap)                              \
    X(PFNGLACTIVETEXTUREPROC, glActiveTexture)                                \
    X(PFNGLREADPIXELSPROC, glReadPixels)                                      \
    X(PFNGLCREATESHADERPROC, glCreateShader)                                  \
    X(PFNGLSHADERSOURCEPROC, glShaderSource)                                  \
    X(PFNGLCOMPILESHADERPROC, glCompileShader)                                \
    X(PFNGLGETSHADERIVPROC, glGetShaderiv)                                    \
    X(PFNGLDELETESHADERPROC, glDeleteShader)                                  \
    X(PFNGLCREATEPROGRAMPROC, glCreateProgram)                                \
    X(PFNGLATTACHSHADERPROC, glAttachShader)                                  \
    X(PFNGLBINDATTRIBLOCATIONPROC, glBindAttribLocation)                      \
    X(PFNGLLINKPROGRAMPROC, glLinkProgram)                                    \
    X(PFNGLGETPROGRAMIVPROC, glGetProgramiv)                                  \
    X(PFNGLDELETEPROGRAMPROC, glDeleteProgram)                                \
    X(PFNGLUSEPROGRAMPROC, glUseProgram)                                      \
    X(PFNGLGETUNIFORMLOCATIONPROC, glGetUniformLocation)                      \
    X(PFNGLUNIFORM1IPROC, glUniform1i)                                        \
    X(PFNGLUNIFORM1FPROC, glUniform1f)                                        \
    X(PFNGLUNIFORM2FPROC, glUniform2f)                                        \
    X(PFNGLGENVERTEXARRAYSPROC, glGenVertexArrays)                            \
    X(PFNGLBINDVERTEXARRAYPROC, glBindVertexArray)                            \
    X(PFNGLDELETEVERTEXARRAYSPROC, glDeleteVertexArrays)                      \
    X(PFNGLGENBUFFERSPROC, glGenBuffers)                                      \
    X(PFNGLBINDBUFFERPROC, glBindBuffer)                                      \
    X(PFNGLBUFFERDATAPROC, glBufferData)                                      \
    X(PFNGLBUFFERSUBDATAPROC, glBufferSubData)                                \
    X(PFNGLDELETEBUFFERSPROC, glDeleteBuffers)                                \
    X(PFNGLVERTEXATTRIBPOINTERPROC, glVertexAttribPointer)                    \
    X(PFNGLENABLEVERTEXATTRIBARRAYPROC, glEnableVertexAttribArray)            \
    X(PFNGLDRAWELEMENTSPROC, glDrawElements)                                  \
    X(PFNGLGENFRAMEBUFFERSPROC, glGenFramebuffers)                            \
    X(PFNGLBINDFRAMEBUFFERPROC, glBindFramebuffer)                            \
    X(PFNGLFRAMEBUFFERTEXTURE2DPROC, glFramebufferTexture2D)                  \
    X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, glCheckFramebufferStatus)              \
    X(PFNGLDELETEFRAMEBUFFERSPROC, glDeleteFramebuffers)                      \
    X(PFNGLBLITFRAMEBUFFERPROC, glBlitFramebuffer)

#define CALCADIA_GL_DECLARE(type, name) extern type name;
CALCADIA_GL_FUNCTIONS(CALCADIA_GL_DECLARE)
#undef CALCADIA_GL_DECLARE

// Loads every entry point from the current context; false when any is missing.
bool LoadFunctions();

// The kind of context the drawing layer needs, asked of SDL before the window is made, and its name
// for messages.
void AskForContext();
extern const char* const CONTEXT_NAME;

// What differs between desktop OpenGL 3.3 core and WebGL 2, each backend's in GL.cpp or GLWeb.cpp.
// Shader sources start with SHADER_PROLOGUE (the version line and what the language needs besides) and
// read texels through TEXEL(), so one source serves both.
extern const char* const SHADER_PROLOGUE;
// Pictures are 0xAARRGGBB words. The desktop uploads them as they are; WebGL takes only RGBA bytes, so
// there the words go up as they lie in memory and TEXEL() puts the channels back in order.
extern const GLenum TEXEL_FORMAT;
extern const GLenum TEXEL_TYPE;
// Reads a w x h block of the bound framebuffer (bottom row first) as 0xAARRGGBB words.
void ReadArgb(int x, int y, int w, int h, uint32_t* out);

}  // namespace gl
