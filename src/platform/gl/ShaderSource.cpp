// Shader source - the one shader pair every quad is drawn with, in the GLSL that desktop OpenGL 3.3 and
// WebGL 2 share; each backend puts its own version line and texel order in front (gl::SHADER_PROLOGUE).
#include "platform/gfx/Backend.h"

namespace gfx::backend {

const char* VertexShaderSource()
{
    return R"(
layout(location = 0) in vec2 position;
layout(location = 1) in vec2 texCoord;
layout(location = 2) in vec4 colour;
uniform vec2 toClip;
out vec2 uv;
// Every quad has one colour: not interpolating it saves a software rasteriser an eighth of its work
// on the large blended explosions.
flat out vec4 tint;
void main()
{
    uv = texCoord;
    tint = colour;
    // Game space has y downwards; clip space has it upwards.
    gl_Position = vec4(position.x * toClip.x - 1.0, 1.0 - position.y * toClip.y, 0.0, 1.0);
}
)";
}

const char* FragmentShaderSource()
{
    return R"(
in vec2 uv;
flat in vec4 tint;
uniform sampler2D picture;
uniform float alphaCutoff;
out vec4 fragment;
void main()
{
    vec4 c = TEXEL(texture(picture, uv)) * tint;
    if (c.a < alphaCutoff)
        discard;
    fragment = c;
}
)";
}

}  // namespace gfx::backend
