// DrawBatch - every quad of a frame goes through one streaming vertex buffer and one shader.
//
// Flush rules: quads are appended with their corners already transformed on the CPU. A run of quads
// that share a texture and a blend mode is drawn with one glDrawElements; the run ends (one upload,
// one bind, one draw) when a quad brings another texture or blend mode, when the buffer is full,
// before the back buffer is cleared, read or presented, and before a texture the run uses is
// re-uploaded or deleted. Solid rectangles and lines borrow the white corner of a glyph atlas when
// one is being batched, so text, bars and outlines share draw calls.
#include "platform/DrawBatch.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/GL.h"

using namespace gl;

namespace gfx {
namespace {

struct TVertex {
    float x, y, u, v;
    TColour colour;
};

constexpr int MAX_QUADS = 4096;   // 16384 vertices: 16-bit indices suffice

const char* VERTEX_SHADER = R"(#version 330 core
layout(location = 0) in vec2 position;
layout(location = 1) in vec2 texCoord;
layout(location = 2) in vec4 colour;
uniform vec2 toClip;
out vec2 uv;
out vec4 tint;
void main()
{
    uv = texCoord;
    tint = colour;
    // Game space has y downwards; clip space has it upwards.
    gl_Position = vec4(position.x * toClip.x - 1.0, 1.0 - position.y * toClip.y, 0.0, 1.0);
}
)";

const char* FRAGMENT_SHADER = R"(#version 330 core
in vec2 uv;
in vec4 tint;
uniform sampler2D picture;
uniform float alphaCutoff;
out vec4 fragment;
void main()
{
    vec4 c = texture(picture, uv) * tint;
    if (c.a < alphaCutoff)
        discard;
    fragment = c;
}
)";

struct TBatch {
    bool open = false;
    unsigned program = 0, vao = 0, vbo = 0, ibo = 0, whiteTexture = 0;
    int cutoffLocation = -1;
    std::vector<TVertex> vertices;
    unsigned runTexture = 0;
    int runBlend = 0;
    bool runHasWhite = false;
    TWhiteTexel runWhite{0, 0};
    int appliedBlend = -1;
    int drawCallsThisFrame = 0;
    int drawCallsLastFrame = 0;
};
// Never destroyed: fonts and images held in globals release their textures during the program's
// exit, and must find the batch still there whatever the order of static destruction.
TBatch& batch = *new TBatch;

unsigned CompileShader(GLenum kind, const char* source)
{
    unsigned shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    int ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// Sets the GL blend state for a draw-state blend mode: 1 masked (no blending, texels under half alpha
// cut away), 2 solid, 3 alpha, 4 light (additive), 5 shade (multiply). Unknown modes draw masked.
void ApplyBlend(int mode)
{
    if (mode == batch.appliedBlend)
        return;
    batch.appliedBlend = mode;
    float cutoff = -1.0f;
    switch (mode) {
    case 2:
        glDisable(GL_BLEND);
        break;
    case 3:
        glEnable(GL_BLEND);
        glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        break;
    case 4:
        glEnable(GL_BLEND);
        glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE, GL_ZERO, GL_ONE);
        break;
    case 5:
        glEnable(GL_BLEND);
        glBlendFuncSeparate(GL_DST_COLOR, GL_ZERO, GL_ZERO, GL_ONE);
        break;
    default:
        glDisable(GL_BLEND);
        cutoff = 0.5f;
        break;
    }
    glUniform1f(batch.cutoffLocation, cutoff);
}

}  // namespace

TColour StateColour()
{
    const TDrawState& s = GetDrawState();
    auto byte = [](int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); };
    // Alpha is clamped first, then scaled and truncated. NaN goes to 0 rather than anywhere.
    float a = s.alpha;
    if (!(a > 0.0f))
        a = 0.0f;
    if (a > 1.0f)
        a = 1.0f;
    return {byte(s.r), byte(s.g), byte(s.b), static_cast<uint8_t>(a * 255.0f)};
}

bool OpenBatch(int gameWidth, int gameHeight)
{
    batch = TBatch{};
    unsigned vs = CompileShader(GL_VERTEX_SHADER, VERTEX_SHADER);
    unsigned fs = CompileShader(GL_FRAGMENT_SHADER, FRAGMENT_SHADER);
    if (!vs || !fs) {
        if (vs) glDeleteShader(vs);
        if (fs) glDeleteShader(fs);
        return false;
    }
    batch.program = glCreateProgram();
    glAttachShader(batch.program, vs);
    glAttachShader(batch.program, fs);
    glLinkProgram(batch.program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    int linked = 0;
    glGetProgramiv(batch.program, GL_LINK_STATUS, &linked);
    if (!linked) {
        glDeleteProgram(batch.program);
        batch.program = 0;
        return false;
    }
    glUseProgram(batch.program);
    glUniform1i(glGetUniformLocation(batch.program, "picture"), 0);
    glUniform2f(glGetUniformLocation(batch.program, "toClip"), 2.0f / gameWidth, 2.0f / gameHeight);
    batch.cutoffLocation = glGetUniformLocation(batch.program, "alphaCutoff");

    glGenVertexArrays(1, &batch.vao);
    glBindVertexArray(batch.vao);
    glGenBuffers(1, &batch.vbo);
    glBindBuffer(GL_ARRAY_BUFFER, batch.vbo);
    glBufferData(GL_ARRAY_BUFFER, MAX_QUADS * 4 * sizeof(TVertex), nullptr, GL_STREAM_DRAW);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(TVertex), reinterpret_cast<void*>(offsetof(TVertex, x)));
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(TVertex), reinterpret_cast<void*>(offsetof(TVertex, u)));
    glVertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(TVertex),
                          reinterpret_cast<void*>(offsetof(TVertex, colour)));
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    glEnableVertexAttribArray(2);

    std::vector<uint16_t> indices(MAX_QUADS * 6);
    for (int q = 0; q < MAX_QUADS; ++q) {
        const uint16_t base = static_cast<uint16_t>(q * 4);
        const uint16_t quad[6] = {base, uint16_t(base + 1), uint16_t(base + 2), base, uint16_t(base + 2), uint16_t(base + 3)};
        std::copy(quad, quad + 6, indices.begin() + q * 6);
    }
    glGenBuffers(1, &batch.ibo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, batch.ibo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, indices.size() * sizeof(uint16_t), indices.data(), GL_STATIC_DRAW);

    batch.open = true;
    batch.whiteTexture = CreateTexture(1, 1, false, false, false);
    const uint32_t white = 0xFFFFFFFFu;
    UploadArgb(batch.whiteTexture, 1, 1, &white, false);
    batch.vertices.reserve(MAX_QUADS * 4);
    glActiveTexture(GL_TEXTURE0);
    return glGetError() == GL_NO_ERROR;
}

void CloseBatch()
{
    if (!batch.open)
        return;
    // Pending quads die with the display: nothing is left to show them on.
    glDeleteTextures(1, &batch.whiteTexture);
    glDeleteBuffers(1, &batch.vbo);
    glDeleteBuffers(1, &batch.ibo);
    glDeleteVertexArrays(1, &batch.vao);
    glDeleteProgram(batch.program);
    const int lastFrame = batch.drawCallsLastFrame;
    batch = TBatch{};
    batch.drawCallsLastFrame = lastFrame;
}

void Flush()
{
    if (!batch.open || batch.vertices.empty())
        return;
    ApplyBlend(batch.runBlend);
    glBindTexture(GL_TEXTURE_2D, batch.runTexture);
    const auto bytes = static_cast<GLsizeiptr>(batch.vertices.size() * sizeof(TVertex));
    // Orphaning the buffer lets the driver hand out fresh storage instead of waiting on the last draw.
    glBufferData(GL_ARRAY_BUFFER, MAX_QUADS * 4 * sizeof(TVertex), nullptr, GL_STREAM_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, batch.vertices.data());
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(batch.vertices.size() / 4 * 6), GL_UNSIGNED_SHORT, nullptr);
    ++batch.drawCallsThisFrame;
    batch.vertices.clear();
}

void AddQuad(unsigned texture, const TPoint corners[4], float u0, float v0, float u1, float v1,
             TColour colour, const TWhiteTexel* white)
{
    if (!batch.open || texture == 0)
        return;
    const int blend = GetDrawState().blend;
    if (texture != batch.runTexture || blend != batch.runBlend || batch.vertices.size() + 4 > MAX_QUADS * 4) {
        Flush();
        batch.runTexture = texture;
        batch.runBlend = blend;
    }
    // A run keeps the white texel of its texture so solid quads can join it later.
    if (white) {
        batch.runHasWhite = true;
        batch.runWhite = *white;
    } else if (batch.vertices.empty()) {
        batch.runHasWhite = texture == batch.whiteTexture;
        batch.runWhite = {0.5f, 0.5f};
    }
    batch.vertices.push_back({corners[0].x, corners[0].y, u0, v0, colour});
    batch.vertices.push_back({corners[1].x, corners[1].y, u1, v0, colour});
    batch.vertices.push_back({corners[2].x, corners[2].y, u1, v1, colour});
    batch.vertices.push_back({corners[3].x, corners[3].y, u0, v1, colour});
}

void AddSolidQuad(const TPoint corners[4], TColour colour)
{
    if (!batch.open)
        return;
    if (batch.runHasWhite && batch.runBlend == GetDrawState().blend) {
        const TWhiteTexel w = batch.runWhite;
        AddQuad(batch.runTexture, corners, w.u, w.v, w.u, w.v, colour, &w);
        return;
    }
    const TWhiteTexel w{0.5f, 0.5f};
    AddQuad(batch.whiteTexture, corners, w.u, w.v, w.u, w.v, colour, &w);
}

void EndFrameCount()
{
    batch.drawCallsLastFrame = batch.drawCallsThisFrame;
    batch.drawCallsThisFrame = 0;
}

unsigned CreateTexture(int width, int height, bool filtered, bool mipmapped, bool alphaOnly)
{
    if (!batch.open || width <= 0 || height <= 0)
        return 0;
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
    // Atlas levels beyond 3 would blur neighbouring glyphs together; text that small is unreadable anyway.
    if (!mipmapped)
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    else if (alphaOnly)
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 3);
    if (alphaOnly) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_R, GL_ONE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_G, GL_ONE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_B, GL_ONE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_RED);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, width, height, 0, GL_RED, GL_UNSIGNED_BYTE, nullptr);
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
    }
    return texture;
}

void UploadArgb(unsigned texture, int width, int height, const uint32_t* argb, bool mipmapped)
{
    if (!batch.open || texture == 0)
        return;
    if (texture == batch.runTexture)
        Flush();
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    // 0xAARRGGBB words read as BGRA bytes on any byte order with the reversed packed type.
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb);
    if (mipmapped)
        glGenerateMipmap(GL_TEXTURE_2D);
}

void UploadAlpha(unsigned texture, int x, int y, int w, int h, int rowLength, const uint8_t* alpha)
{
    if (!batch.open || texture == 0 || w <= 0 || h <= 0)
        return;
    // New glyphs land in parts of the atlas that pending quads do not sample, so no flush is needed.
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);
    glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, GL_RED, GL_UNSIGNED_BYTE, alpha);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}

void RebuildMipmaps(unsigned texture)
{
    if (!batch.open || texture == 0)
        return;
    // Only new glyphs changed, so pending quads may as well sample the new chain: no flush.
    glBindTexture(GL_TEXTURE_2D, texture);
    glGenerateMipmap(GL_TEXTURE_2D);
}

void ReleaseTexture(unsigned texture, uint64_t generation)
{
    if (!batch.open || texture == 0 || generation != DisplayGeneration())
        return;
    if (texture == batch.runTexture) {
        Flush();
        batch.runTexture = 0;
        batch.runHasWhite = false;
    }
    glDeleteTextures(1, &texture);
}

}  // namespace gfx

int DrawCallsThisFrame() { return gfx::batch.drawCallsThisFrame; }
int DrawCallsLastFrame() { return gfx::batch.drawCallsLastFrame; }
