// Pipeline - the GL objects a recorded frame is carried out with: one shader program, one streaming
// vertex buffer, a fixed index buffer numbering every quad, and the blend state of each draw-state mode.
#include "platform/gfx/Backend.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "platform/gl/GL.h"

using namespace gl;

namespace gfx::backend {
namespace {

struct TPipeline {
    unsigned program = 0, vao = 0, vbo = 0, ibo = 0;
    int cutoffLocation = -1;
    int appliedBlend = -1;
} pipeline;

unsigned CompileShader(GLenum kind, const char* source)
{
    unsigned shader = glCreateShader(kind);
    const char* parts[] = {SHADER_PROLOGUE, source};
    glShaderSource(shader, 2, parts, nullptr);
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
    if (mode == pipeline.appliedBlend)
        return;
    pipeline.appliedBlend = mode;
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
    glUniform1f(pipeline.cutoffLocation, cutoff);
}

}  // namespace

bool OpenPipeline(int gameWidth, int gameHeight)
{
    pipeline = TPipeline{};
    // Only this pipeline's own errors count below. A browser hands out the same context again after it
    // was lost and restored, still holding the errors of deleting what the lost one held.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
    unsigned vs = CompileShader(GL_VERTEX_SHADER, VertexShaderSource());
    unsigned fs = CompileShader(GL_FRAGMENT_SHADER, FragmentShaderSource());
    if (!vs || !fs) {
        if (vs) glDeleteShader(vs);
        if (fs) glDeleteShader(fs);
        return false;
    }
    pipeline.program = glCreateProgram();
    glAttachShader(pipeline.program, vs);
    glAttachShader(pipeline.program, fs);
    glLinkProgram(pipeline.program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    int linked = 0;
    glGetProgramiv(pipeline.program, GL_LINK_STATUS, &linked);
    if (!linked) {
        glDeleteProgram(pipeline.program);
        pipeline.program = 0;
        return false;
    }
    glUseProgram(pipeline.program);
    glUniform1i(glGetUniformLocation(pipeline.program, "picture"), 0);
    glUniform2f(glGetUniformLocation(pipeline.program, "toClip"), 2.0f / gameWidth, 2.0f / gameHeight);
    pipeline.cutoffLocation = glGetUniformLocation(pipeline.program, "alphaCutoff");

    glGenVertexArrays(1, &pipeline.vao);
    glBindVertexArray(pipeline.vao);
    glGenBuffers(1, &pipeline.vbo);
    glBindBuffer(GL_ARRAY_BUFFER, pipeline.vbo);
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
    glGenBuffers(1, &pipeline.ibo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, pipeline.ibo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, indices.size() * sizeof(uint16_t), indices.data(), GL_STATIC_DRAW);
    glActiveTexture(GL_TEXTURE0);
    return glGetError() == GL_NO_ERROR;
}

void ClosePipeline()
{
    glDeleteBuffers(1, &pipeline.vbo);
    glDeleteBuffers(1, &pipeline.ibo);
    glDeleteVertexArrays(1, &pipeline.vao);
    glDeleteProgram(pipeline.program);
    pipeline = TPipeline{};
}

void UploadQuads(const TVertex* vertices, int quadCount)
{
    if (quadCount <= 0)
        return;
    const auto bytes = static_cast<GLsizeiptr>(size_t(quadCount) * 4 * sizeof(TVertex));
    // Fresh storage of just the frame's size: the driver need not wait on the last frame, and a software
    // rasteriser, which allocates and zeroes each new store, does so for the frame's quads only rather
    // than for a whole buffer's worth (a third of a megabyte) every presented frame.
    glBufferData(GL_ARRAY_BUFFER, bytes, vertices, GL_STREAM_DRAW);
}

void ClearPicture(float r, float g, float b)
{
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

void LimitDrawing(const TBox& box)
{
    int width = 0, height = 0;
    if (box.right <= box.left || box.bottom <= box.top || !PictureSize(width, height)) {
        glDisable(GL_SCISSOR_TEST);
        return;
    }
    glEnable(GL_SCISSOR_TEST);
    // GL counts rows from the bottom; the game space, from the top.
    glScissor(box.left, height - box.bottom, box.right - box.left, box.bottom - box.top);
}

void DrawQuads(const TCommand& run)
{
    ApplyBlend(run.blend);
    glBindTexture(GL_TEXTURE_2D, run.texture);
    // The index buffer numbers every quad of the array, so a run starts at its own first index.
    glDrawElements(GL_TRIANGLES, run.quadCount * 6, GL_UNSIGNED_SHORT,
                   reinterpret_cast<const void*>(size_t(run.firstQuad) * 6 * sizeof(uint16_t)));
}

}  // namespace gfx::backend
