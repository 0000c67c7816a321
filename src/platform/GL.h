// GL - the OpenGL entry points the drawing layer uses, loaded from the open context at run time.
#pragma once

#include <GL/glcorearb.h>

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

}  // namespace gl
