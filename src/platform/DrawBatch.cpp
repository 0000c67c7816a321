// DrawBatch - every quad of a frame goes through one streaming vertex buffer and one shader.
//
// Batching rules: quads are appended with their corners already transformed on the CPU. A quad joins
// the frame's latest draw call with its texture and blend mode when nothing recorded after that call
// overlaps it (drawing it earlier then changes no pixel); otherwise it starts a draw call of its own.
// So text, pictures and bars may interleave freely and a frame still needs about one draw call per
// texture. Glyphs and small pictures share atlas pages, and solid rectangles and lines borrow the white
// corner block of the latest draw call's page, so text, effects, bars and outlines share draw calls.
//
// RECORDED FRAMES
// Draw calls and clears are recorded, not issued: a frame's vertices collect in one array and its
// commands in a list, and FlipDisplay hands the whole frame to GL at once (one vertex upload, then one
// glDrawElements per draw call). The recording also gives a hash of what the picture holds once it is
// carried out: a clear restarts it, a draw call folds in its texture, blend mode and vertex bytes. When a frame ends
// with the very hash that was last presented, it would draw the same picture, so nothing is sent to GL
// and nothing is presented: the title screen and most frames of play cost only their CPU side.
// The recording is carried out early (Submit) whenever the picture must hold it now: the back buffer is
// read, a texture that pending quads use is re-uploaded or deleted, or the buffer is full. A frame that
// was carried out early is always presented. Anything that makes the shown picture or the textures
// behind it doubtful (an upload, an expose or resize, a read-back, a new display) invalidates the
// presented hash, so the next frame is drawn in full.
#include "platform/DrawBatch.h"
#include "platform/Testing.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/Atlas.h"
#include "platform/GL.h"

using namespace gl;

namespace gfx {
namespace {

struct TVertex {
    float x, y, u, v;
    TColour colour;
};

uint64_t textureUploads = 0;
uint64_t presentedFrames = 0;
uint64_t skippedFrames = 0;
constexpr int MAX_QUADS = 4096;   // 16384 vertices: 16-bit indices suffice

const char* VERTEX_SHADER = R"(#version 330 core
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

const char* FRAGMENT_SHADER = R"(#version 330 core
in vec2 uv;
flat in vec4 tint;
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

// One recorded step of a frame: a clear, or the draw call of a run of quads.
struct TCommand {
    bool clear = false;
    float r = 0, g = 0, b = 0;      // clear colour
    unsigned texture = 0;
    int blend = 0;
    int firstQuad = 0, quadCount = 0;
    int nextQuad = 0;               // while grouping: where its next quad goes
    float left = 0, top = 0, right = 0, bottom = 0;   // around every quad of the command
    bool hasWhite = false;          // its texture has a white texel solid quads may borrow
    TWhiteTexel white{0, 0};
};

// How many recorded draw calls back a quad may look for one with its texture to join.
constexpr int MERGE_LOOKBACK = 32;

// Every run holds a quad at least and a clear drops what came before it, so a frame between two
// submissions never records more than this.
constexpr int MAX_COMMANDS = MAX_QUADS + 1;
constexpr int MAX_FRAME_TEXTURES = 64;
// Never the hash of a real picture: what a doubtful picture compares as.
constexpr uint64_t UNKNOWN_PICTURE = 0;

struct TBatch {
    bool open = false;
    unsigned program = 0, vao = 0, vbo = 0, ibo = 0, whiteTexture = 0;
    int cutoffLocation = -1;
    std::vector<TVertex> vertices;
    std::vector<uint16_t> quadCommand;   // the command each quad of `vertices` belongs to
    std::vector<TVertex> grouped;        // the vertices sorted by command, as they are uploaded
    std::vector<TCommand> commands;
    bool merged = false;                 // some quad joined a command other than the last
    int appliedBlend = -1;
    int drawCallsThisFrame = 0;
    int drawCallsLastFrame = 0;
    unsigned frameTextures[MAX_FRAME_TEXTURES] = {};
    int frameTextureCount = 0;
    int texturesLastFrame = 0;
    uint64_t pictureHash = UNKNOWN_PICTURE;     // what the picture holds once the recording is carried out
    uint64_t presentedHash = UNKNOWN_PICTURE;   // what the window shows
    bool submittedThisFrame = false;
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

uint64_t Mix(uint64_t h, uint64_t v)
{
    h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
    h *= 0xFF51AFD7ED558CCDull;
    return h ^ (h >> 29);
}

// Eight bytes at a time; a frame of the game is a few thousand vertices, a few microseconds.
uint64_t HashBytes(uint64_t h, const void* data, size_t bytes)
{
    const auto* p = static_cast<const unsigned char*>(data);
    uint64_t a = h, b = h ^ 0xC2B2AE3D27D4EB4Full;
    size_t i = 0;
    for (; i + 16 <= bytes; i += 16) {
        uint64_t w0, w1;
        std::memcpy(&w0, p + i, 8);
        std::memcpy(&w1, p + i + 8, 8);
        a = (a ^ w0) * 0x9E3779B97F4A7C15ull;
        b = (b ^ w1) * 0xD6E8FEB86659FD93ull;
        a ^= a >> 32;
        b ^= b >> 29;
    }
    for (; i < bytes; ++i)
        a = (a ^ p[i]) * 0x100000001B3ull;
    return Mix(a, b);
}

void NoteTexture(unsigned texture)
{
    for (int i = 0; i < batch.frameTextureCount; ++i)
        if (batch.frameTextures[i] == texture)
            return;
    if (batch.frameTextureCount < MAX_FRAME_TEXTURES)
        batch.frameTextures[batch.frameTextureCount++] = texture;
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
    batch.whiteTexture = CreateTexture(1, 1, false, false);
    const uint32_t white = 0xFFFFFFFFu;
    UploadArgb(batch.whiteTexture, 1, 1, &white, false);
    batch.vertices.reserve(MAX_QUADS * 4);
    batch.grouped.reserve(MAX_QUADS * 4);
    batch.quadCommand.reserve(MAX_QUADS);
    batch.commands.reserve(MAX_COMMANDS);
    glActiveTexture(GL_TEXTURE0);
    return glGetError() == GL_NO_ERROR;
}

void CloseBatch()
{
    if (!batch.open)
        return;
    // Pending quads die with the display: nothing is left to show them on.
    CloseAtlas();
    glDeleteTextures(1, &batch.whiteTexture);
    glDeleteBuffers(1, &batch.vbo);
    glDeleteBuffers(1, &batch.ibo);
    glDeleteVertexArrays(1, &batch.vao);
    glDeleteProgram(batch.program);
    const int lastFrame = batch.drawCallsLastFrame;
    const int texturesLastFrame = batch.texturesLastFrame;
    batch = TBatch{};
    batch.drawCallsLastFrame = lastFrame;
    batch.texturesLastFrame = texturesLastFrame;
}

namespace {

void DropRecording()
{
    batch.commands.clear();
    batch.vertices.clear();
    batch.quadCommand.clear();
    batch.merged = false;
}

// The picture's hash once the recording is carried out: a leading clear starts it again from the
// colour alone; every draw call folds in its texture, blend mode and quads.
uint64_t RecordedPictureHash()
{
    uint64_t h = batch.pictureHash;
    size_t first = 0;
    if (!batch.commands.empty() && batch.commands[0].clear) {
        const TCommand& c = batch.commands[0];
        uint32_t bits[3];
        std::memcpy(&bits[0], &c.r, 4);
        std::memcpy(&bits[1], &c.g, 4);
        std::memcpy(&bits[2], &c.b, 4);
        h = Mix(Mix(Mix(0x5EED, bits[0]), bits[1]), bits[2]);
        first = 1;
    }
    if (batch.commands.size() == first)
        return h;
    for (size_t i = first; i < batch.commands.size(); ++i)
        h = Mix(Mix(h, (uint64_t(batch.commands[i].texture) << 8) | uint64_t(batch.commands[i].blend)),
                uint64_t(batch.commands[i].quadCount));
    h = HashBytes(h, batch.vertices.data(), batch.vertices.size() * sizeof(TVertex));
    return HashBytes(h, batch.quadCommand.data(), batch.quadCommand.size() * sizeof(uint16_t));
}

// Carries out the recording, whose picture hash is `hash`.
void SubmitRecording(uint64_t hash)
{
    batch.pictureHash = hash;
    if (batch.commands.empty())
        return;
    // Quads that joined an earlier command are brought next to its others: one contiguous range each.
    const std::vector<TVertex>* upload = &batch.vertices;
    int quad = 0;
    for (TCommand& c : batch.commands) {
        c.firstQuad = quad;
        quad += c.quadCount;
    }
    if (batch.merged) {
        batch.grouped.resize(batch.vertices.size());
        for (TCommand& c : batch.commands)
            c.nextQuad = c.firstQuad;
        for (size_t q = 0; q < batch.quadCommand.size(); ++q) {
            TCommand& c = batch.commands[batch.quadCommand[q]];
            const size_t to = size_t(c.nextQuad++) * 4;
            std::copy(&batch.vertices[q * 4], &batch.vertices[q * 4] + 4, &batch.grouped[to]);
        }
        upload = &batch.grouped;
    }
    if (!upload->empty()) {
        const auto bytes = static_cast<GLsizeiptr>(upload->size() * sizeof(TVertex));
        // Orphaning the buffer lets the driver hand out fresh storage instead of waiting on the last frame.
        glBufferData(GL_ARRAY_BUFFER, MAX_QUADS * 4 * sizeof(TVertex), nullptr, GL_STREAM_DRAW);
        glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, upload->data());
    }
    for (const TCommand& c : batch.commands) {
        if (c.clear) {
            glClearColor(c.r, c.g, c.b, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT);
            continue;
        }
        ApplyBlend(c.blend);
        glBindTexture(GL_TEXTURE_2D, c.texture);
        // The index buffer numbers every quad of the array, so a command starts at its own first index.
        glDrawElements(GL_TRIANGLES, c.quadCount * 6, GL_UNSIGNED_SHORT,
                       reinterpret_cast<const void*>(size_t(c.firstQuad) * 6 * sizeof(uint16_t)));
    }
    DropRecording();
    batch.submittedThisFrame = true;
}

bool Overlaps(const TCommand& c, float left, float top, float right, float bottom)
{
    return left < c.right && c.left < right && top < c.bottom && c.top < bottom;
}

// Appends one quad to the recording. It joins the latest draw call with its texture and blend mode when
// nothing recorded after that call overlaps it: drawing it earlier then changes no pixel, and the frame
// needs one draw call per texture however its text, pictures and bars interleave.
void Append(unsigned texture, int blend, const TPoint corners[4], const TPoint uv[4], TColour colour,
            const TWhiteTexel* white)
{
    if (batch.vertices.size() + 4 > MAX_QUADS * 4) {
        // The array is full: draw what it holds and go on from its start.
        SubmitRecording(RecordedPictureHash());
    }
    float left = corners[0].x, right = corners[0].x, top = corners[0].y, bottom = corners[0].y;
    for (int k = 1; k < 4; ++k) {
        left = std::min(left, corners[k].x);
        right = std::max(right, corners[k].x);
        top = std::min(top, corners[k].y);
        bottom = std::max(bottom, corners[k].y);
    }
    // A pixel centre on the box's edge may belong to it: compare with a little room.
    left -= 1.0f;
    top -= 1.0f;
    right += 1.0f;
    bottom += 1.0f;
    int target = -1;
    const int last = int(batch.commands.size()) - 1;
    for (int c = last; c >= 0 && last - c < MERGE_LOOKBACK; --c) {
        const TCommand& k = batch.commands[c];
        if (k.clear)
            break;
        if (k.texture == texture && k.blend == blend) {
            target = c;
            break;
        }
        if (Overlaps(k, left, top, right, bottom))
            break;
    }
    if (target < 0) {
        TCommand command;
        command.texture = texture;
        command.blend = blend;
        command.left = left;
        command.top = top;
        command.right = right;
        command.bottom = bottom;
        command.hasWhite = texture == batch.whiteTexture;
        command.white = {0.5f, 0.5f};
        batch.commands.push_back(command);
        target = last + 1;
        ++batch.drawCallsThisFrame;
        NoteTexture(texture);
    } else {
        TCommand& c = batch.commands[target];
        c.left = std::min(c.left, left);
        c.top = std::min(c.top, top);
        c.right = std::max(c.right, right);
        c.bottom = std::max(c.bottom, bottom);
        batch.merged = batch.merged || target != last;
    }
    TCommand& c = batch.commands[target];
    // A command keeps the white texel of its texture so solid quads can join it later.
    if (white) {
        c.hasWhite = true;
        c.white = *white;
    }
    ++c.quadCount;
    batch.quadCommand.push_back(uint16_t(target));
    for (int k = 0; k < 4; ++k)
        batch.vertices.push_back({corners[k].x, corners[k].y, uv[k].x, uv[k].y, colour});
}

// The texture rectangle (u0, v0)-(u1, v1) at the corners of a quad, clockwise from its top-left.
void Append(unsigned texture, int blend, const TPoint corners[4], float u0, float v0, float u1, float v1,
            TColour colour, const TWhiteTexel* white)
{
    const TPoint uv[4] = {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}};
    Append(texture, blend, corners, uv, colour, white);
}

}  // namespace

void RecordClear(float r, float g, float b)
{
    if (!batch.open)
        return;
    // Nothing drawn before a clear can show through it: those commands need never reach GL.
    DropRecording();
    TCommand command;
    command.clear = true;
    command.r = r;
    command.g = g;
    command.b = b;
    batch.commands.push_back(command);
}

void Submit()
{
    if (!batch.open || batch.commands.empty())
        return;
    SubmitRecording(RecordedPictureHash());
}

bool EndFrame()
{
    if (!batch.open)
        return false;
    const uint64_t hash = RecordedPictureHash();
    if (!batch.submittedThisFrame && hash == batch.presentedHash && batch.presentedHash != UNKNOWN_PICTURE) {
        DropRecording();
        ++skippedFrames;
        return false;
    }
    SubmitRecording(hash);
    batch.submittedThisFrame = false;
    batch.presentedHash = batch.pictureHash;
    ++presentedFrames;
    return true;
}

void InvalidatePresented() { batch.presentedHash = UNKNOWN_PICTURE; }

void WarmUp()
{
    if (!batch.open)
        return;
    // A software rasteriser compiles the code for each combination of texture format, filter and blend
    // mode at its first draw, tens of milliseconds each. One pixel drawn with each kind of texture the
    // game draws with (the white texel and sharp atlas pages; smooth atlas pages and filtered pictures)
    // in the game's alpha blending pays for that here instead of in the frame that first shows text or
    // a picture.
    Submit();
    const uint32_t texels[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    const unsigned picture = CreateTexture(2, 2, true, false);
    UploadArgb(picture, 2, 2, texels, false);
    const int callsBefore = batch.drawCallsThisFrame;
    const int texturesBefore = batch.frameTextureCount;
    const TPoint pixel[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (unsigned texture : {batch.whiteTexture, picture})
        Append(texture, 3, pixel, 0, 0, 1, 1, {255, 255, 255, 255}, nullptr);
    Submit();
    // What was drawn is nobody's: the picture goes back to black and these draws are not counted.
    batch.drawCallsThisFrame = callsBefore;
    batch.frameTextureCount = texturesBefore;
    glDeleteTextures(1, &picture);
    RecordClear(0.0f, 0.0f, 0.0f);
    Submit();
    batch.submittedThisFrame = false;
    batch.presentedHash = UNKNOWN_PICTURE;
}

void AddQuad(unsigned texture, const TPoint corners[4], float u0, float v0, float u1, float v1,
             TColour colour, const TWhiteTexel* white)
{
    if (!batch.open || texture == 0)
        return;
    Append(texture, GetDrawState().blend, corners, u0, v0, u1, v1, colour, white);
}

void AddMappedQuad(unsigned texture, const TPoint corners[4], const TPoint uv[4], TColour colour,
                   const TWhiteTexel* white)
{
    if (!batch.open || texture == 0)
        return;
    Append(texture, GetDrawState().blend, corners, uv, colour, white);
}

void AddSolidQuad(const TPoint corners[4], TColour colour)
{
    if (!batch.open)
        return;
    const int blend = GetDrawState().blend;
    if (!batch.commands.empty()) {
        const TCommand& last = batch.commands.back();
        if (!last.clear && last.hasWhite && last.blend == blend) {
            const TWhiteTexel w = last.white;
            Append(last.texture, blend, corners, w.u, w.v, w.u, w.v, colour, &w);
            return;
        }
    }
    const TWhiteTexel w{0.5f, 0.5f};
    Append(batch.whiteTexture, blend, corners, w.u, w.v, w.u, w.v, colour, &w);
}

void EndFrameCount()
{
    batch.drawCallsLastFrame = batch.drawCallsThisFrame;
    batch.drawCallsThisFrame = 0;
    batch.texturesLastFrame = batch.frameTextureCount;
    batch.frameTextureCount = 0;
}

unsigned CreateTexture(int width, int height, bool filtered, bool mipmapped)
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
    if (!mipmapped)
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
    return texture;
}

void HalveTexels(const uint32_t* source, int w, int h, uint32_t* out)
{
    const int nw = std::max(1, w / 2), nh = std::max(1, h / 2);
    for (int y = 0; y < nh; ++y) {
        const uint32_t* row0 = source + size_t(std::min(2 * y, h - 1)) * w;
        const uint32_t* row1 = source + size_t(std::min(2 * y + 1, h - 1)) * w;
        for (int x = 0; x < nw; ++x) {
            const int x0 = std::min(2 * x, w - 1), x1 = std::min(2 * x + 1, w - 1);
            // Averaging the four bytes of each word channel by channel does not care which byte is which.
            uint32_t word = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                const uint32_t sum = ((row0[x0] >> shift) & 0xFF) + ((row0[x1] >> shift) & 0xFF) +
                                     ((row1[x0] >> shift) & 0xFF) + ((row1[x1] >> shift) & 0xFF);
                word |= ((sum + 2) / 4) << shift;
            }
            out[size_t(y) * nw + x] = word;
        }
    }
}

namespace {

// Mipmaps are averaged here rather than by glGenerateMipmap: a software rasteriser makes each level by
// drawing it with a blit shader of its own, compiled on first use, which costs a hundred milliseconds
// for a large texture. The same 2 x 2 box filter on the CPU takes about a millisecond.
// One scratch buffer serves every upload, so building mipmaps allocates only when a larger texture
// than ever before comes along.
std::vector<uint32_t>& MipScratch(size_t texels)
{
    static std::vector<uint32_t>& scratch = *new std::vector<uint32_t>;
    if (scratch.size() < texels)
        scratch.resize(texels);
    return scratch;
}

void Upload(int x, int y, int w, int h, const uint32_t* argb)
{
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    // 0xAARRGGBB words read as BGRA bytes on any byte order with the reversed packed type.
    glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb);
}

// Makes and uploads every smaller level of a texture whose level 0 is `base`, w x h texels.
void UploadMipChain(const uint32_t* base, int w, int h)
{
    size_t total = 0;
    for (int lw = w / 2, lh = h / 2; lw > 0 || lh > 0; lw /= 2, lh /= 2)
        total += size_t(std::max(lw, 1)) * std::max(lh, 1);
    uint32_t* out = MipScratch(total).data();
    const uint32_t* source = base;
    for (int level = 1; w > 1 || h > 1; ++level) {
        const int nw = std::max(1, w / 2), nh = std::max(1, h / 2);
        HalveTexels(source, w, h, out);
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, nw, nh, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, out);
        source = out;
        out += size_t(nw) * nh;
        w = nw;
        h = nh;
    }
}

}  // namespace

void UploadArgb(unsigned texture, int width, int height, const uint32_t* argb, bool mipmapped)
{
    if (!batch.open || texture == 0)
        return;
    // Quads recorded before the upload must show the old pixels.
    Submit();
    batch.presentedHash = UNKNOWN_PICTURE;
    ++textureUploads;
    glBindTexture(GL_TEXTURE_2D, texture);
    Upload(0, 0, width, height, argb);
    if (mipmapped)
        UploadMipChain(argb, width, height);
}

void UploadArgbRect(unsigned texture, int x, int y, int w, int h, const uint32_t* argb)
{
    if (!batch.open || texture == 0 || w <= 0 || h <= 0)
        return;
    // The same quads may look different from the last presented frame's now.
    batch.presentedHash = UNKNOWN_PICTURE;
    ++textureUploads;
    glBindTexture(GL_TEXTURE_2D, texture);
    Upload(x, y, w, h, argb);
}

void ReleaseTexture(unsigned texture, uint64_t generation)
{
    if (!batch.open || texture == 0 || generation != DisplayGeneration())
        return;
    // Recorded quads may use it, and GL may hand its name to a new texture with other pixels.
    Submit();
    batch.presentedHash = UNKNOWN_PICTURE;
    glDeleteTextures(1, &texture);
}

}  // namespace gfx

uint64_t TextureUploadCount() { return gfx::textureUploads; }
int DistinctTexturesLastFrame() { return gfx::batch.texturesLastFrame; }
uint64_t PresentedFrameCount() { return gfx::presentedFrames; }
uint64_t SkippedFrameCount() { return gfx::skippedFrames; }
int DrawCallsThisFrame() { return gfx::batch.drawCallsThisFrame; }
int DrawCallsLastFrame() { return gfx::batch.drawCallsLastFrame; }
