// Texture GL - textures as OpenGL 3.3 objects: 0xAARRGGBB words go up as BGRA bytes, clamped at the edges.
#include "platform/gfx/Backend.h"

#include "platform/gl/GL.h"

using namespace gl;

namespace gfx::backend {

unsigned NewTexture(int width, int height, bool filtered, bool mipmapped)
{
    unsigned texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const GLint magnify = filtered ? GL_LINEAR : GL_NEAREST;
    GLint minify = magnify;
    if (mipmapped)
        minify = filtered ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minify);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magnify);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    if (!mipmapped)
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, gl::TEXEL_FORMAT, gl::TEXEL_TYPE, nullptr);
    return texture;
}

void WriteTexels(unsigned texture, int x, int y, int w, int h, const uint32_t* argb)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    // 0xAARRGGBB words read as BGRA bytes on any byte order with the reversed packed type.
    glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, gl::TEXEL_FORMAT, gl::TEXEL_TYPE, argb);
}

void WriteLevel(int level, int w, int h, const uint32_t* argb)
{
    glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, w, h, 0, gl::TEXEL_FORMAT, gl::TEXEL_TYPE, argb);
}

void DeleteTexture(unsigned texture) { glDeleteTextures(1, &texture); }

}  // namespace gfx::backend
