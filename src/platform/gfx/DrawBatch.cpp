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
// draw call per command). Whether a frame that ends needs carrying out at all is PictureHash's to say.
// The recording is carried out early (Submit) whenever the picture must hold it now: the back buffer is
// read, a texture that pending quads use is re-uploaded or deleted, or the buffer is full.
//
// PARTIAL FRAMES
// The recording of the last frame carried out whole is kept. When the picture still holds exactly what
// it drew (nothing carried out early, uploaded, read back or exposed since, and the backend keeps the
// picture across presenting) and the new frame starts with the same clear, only the few boxes in which
// the two recordings differ (ChangedBoxes) are cleared and drawn again, the whole recording carried out
// under a scissor per box.
#include "platform/gfx/DrawBatch.h"

#include <algorithm>
#include <vector>

#include "platform/gfx/Atlas.h"
#include "platform/gfx/ChangedBoxes.h"
#include "platform/gfx/PictureHash.h"
#include "platform/gfx/Backend.h"

namespace gfx {
namespace {

// How many recorded draw calls back a quad may look for one with its texture to join.
constexpr int MERGE_LOOKBACK = 32;

// Every run holds a quad at least and a clear drops what came before it, so a frame between two
// submissions never records more than this.
constexpr int MAX_COMMANDS = MAX_QUADS + 1;

struct TBatch {
    bool open = false;
    unsigned whiteTexture = 0;
    TRecording recording;
    TRecording previous;                 // the last frame carried out whole, from one recording
    bool previousHeld = false;           // the picture holds what `previous` drew, and nothing else
    bool submittedEarly = false;         // this frame's recording was carried out in parts
    std::vector<TVertex> grouped;        // the vertices sorted by command, as they are uploaded
};
// Never destroyed: fonts and images held in globals release their textures during the program's
// exit, and must find the batch still there whatever the order of static destruction.
TBatch& batch = *new TBatch;

void DropRecording()
{
    batch.recording.commands.clear();
    batch.recording.vertices.clear();
    batch.recording.quadCommand.clear();
    batch.recording.merged = false;
}

bool Overlaps(const TCommand& c, float left, float top, float right, float bottom)
{
    return left < c.right && c.left < right && top < c.bottom && c.top < bottom;
}

// Carries out the recording, whose picture hash is `hash`; within `boxes` alone when there are any.
void SubmitRecording(uint64_t hash, const TBoxes* boxes = nullptr)
{
    TRecording& r = batch.recording;
    PictureHolds(hash, !r.commands.empty());
    if (r.commands.empty())
        return;
    // Quads that joined an earlier command are brought next to its others: one contiguous range each.
    const std::vector<TVertex>* upload = &r.vertices;
    int quad = 0;
    for (TCommand& c : r.commands) {
        c.firstQuad = quad;
        quad += c.quadCount;
    }
    if (r.merged) {
        batch.grouped.resize(r.vertices.size());
        for (TCommand& c : r.commands)
            c.nextQuad = c.firstQuad;
        for (size_t q = 0; q < r.quadCommand.size(); ++q) {
            TCommand& c = r.commands[r.quadCommand[q]];
            const size_t to = size_t(c.nextQuad++) * 4;
            std::copy(&r.vertices[q * 4], &r.vertices[q * 4] + 4, &batch.grouped[to]);
        }
        upload = &batch.grouped;
    }
    backend::UploadQuads(upload->data(), int(upload->size() / 4));
    if (!boxes) {
        for (const TCommand& c : r.commands) {
            if (c.clear)
                backend::ClearPicture(c.r, c.g, c.b);
            else
                backend::DrawQuads(c);
        }
        return;
    }
    for (int b = 0; b < boxes->count; ++b) {
        const TBox& box = boxes->box[b];
        backend::LimitDrawing(box);
        for (const TCommand& c : r.commands) {
            if (c.clear)
                backend::ClearPicture(c.r, c.g, c.b);
            else if (Overlaps(c, float(box.left), float(box.top), float(box.right), float(box.bottom)))
                backend::DrawQuads(c);
        }
    }
    backend::LimitDrawing({});
}

// What textures ask of the batch before texels that recorded quads may sample change or go: carry the
// recording out now, so those quads show the texels they were recorded with.
void SubmitForTextures()
{
    if (batch.open)
        Submit();
}

// Appends one quad to the recording. It joins the latest draw call with its texture and blend mode when
// nothing recorded after that call overlaps it: drawing it earlier then changes no pixel, and the frame
// needs one draw call per texture however its text, pictures and bars interleave.
void Append(unsigned texture, int blend, const TPoint corners[4], const TPoint uv[4], TColour colour,
            const TWhiteTexel* white)
{
    if (batch.recording.vertices.size() + 4 > MAX_QUADS * 4) {
        // The array is full: draw what it holds and go on from its start.
        batch.submittedEarly = true;
        SubmitRecording(PictureHashAfter(batch.recording));
        DropRecording();
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
    const int last = int(batch.recording.commands.size()) - 1;
    for (int c = last; c >= 0 && last - c < MERGE_LOOKBACK; --c) {
        const TCommand& k = batch.recording.commands[c];
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
        batch.recording.commands.push_back(command);
        target = last + 1;
        CountDrawCall(texture);
    } else {
        TCommand& c = batch.recording.commands[target];
        c.left = std::min(c.left, left);
        c.top = std::min(c.top, top);
        c.right = std::max(c.right, right);
        c.bottom = std::max(c.bottom, bottom);
        batch.recording.merged = batch.recording.merged || target != last;
    }
    TCommand& c = batch.recording.commands[target];
    // A command keeps the white texel of its texture so solid quads can join it later.
    if (white) {
        c.hasWhite = true;
        c.white = *white;
    }
    ++c.quadCount;
    batch.recording.quadCommand.push_back(uint16_t(target));
    for (int k = 0; k < 4; ++k)
        batch.recording.vertices.push_back({corners[k].x, corners[k].y, uv[k].x, uv[k].y, colour});
}

// The texture rectangle (u0, v0)-(u1, v1) at the corners of a quad, clockwise from its top-left.
void Append(unsigned texture, int blend, const TPoint corners[4], float u0, float v0, float u1, float v1,
            TColour colour, const TWhiteTexel* white)
{
    const TPoint uv[4] = {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}};
    Append(texture, blend, corners, uv, colour, white);
}

}  // namespace

bool OpenBatch(int gameWidth, int gameHeight)
{
    batch.open = false;
    batch.whiteTexture = 0;
    DropRecording();
    ResetFrameCounts();
    ResetPictureHashes();
    if (!backend::OpenPipeline(gameWidth, gameHeight))
        return false;
    batch.open = true;
    OpenTextures({SubmitForTextures, InvalidatePresented});
    batch.whiteTexture = CreateTexture(1, 1, false, false);
    const uint32_t white = 0xFFFFFFFFu;
    UploadArgb(batch.whiteTexture, 1, 1, &white, false);
    for (TRecording* r : {&batch.recording, &batch.previous}) {
        r->vertices.reserve(MAX_QUADS * 4);
        r->quadCommand.reserve(MAX_QUADS);
        r->commands.reserve(MAX_COMMANDS);
    }
    batch.grouped.reserve(MAX_QUADS * 4);
    batch.previousHeld = false;
    batch.submittedEarly = false;
    return true;
}

void CloseBatch()
{
    if (!batch.open)
        return;
    // Pending quads die with the display: nothing is left to show them on.
    DropTexture(batch.whiteTexture);
    CloseTextures();
    backend::ClosePipeline();
    DropRecording();
    batch.previousHeld = false;
    batch.open = false;
    batch.whiteTexture = 0;
    RestoreFrameCounts({});
    ResetPictureHashes();
}

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
    batch.recording.commands.push_back(command);
}

void Submit()
{
    if (!batch.open || batch.recording.commands.empty())
        return;
    batch.submittedEarly = true;
    SubmitRecording(PictureHashAfter(batch.recording));
    DropRecording();
}

bool EndFrame(bool pictureKept, TBoxes& drawn)
{
    if (!batch.open)
        return false;
    const uint64_t hash = PictureHashAfter(batch.recording);
    const bool early = batch.submittedEarly;
    batch.submittedEarly = false;
    if (SkipFrame(hash)) {
        DropRecording();
        return false;
    }
    int width = 0, height = 0;
    const bool partial = pictureKept && !early && batch.previousHeld && PresentedPictureKnown() &&
                         backend::PictureSize(width, height) &&
                         ChangedBoxes(batch.previous, batch.recording, width, height, drawn);
    SubmitRecording(hash, partial ? &drawn : nullptr);
    if (partial) {
        CountPartialFrame();
    } else {
        drawn.count = backend::PictureSize(width, height) ? 1 : 0;
        drawn.box[0] = {0, 0, width, height};
    }
    for (int i = 0; i < drawn.count; ++i)
        CountDrawnArea((drawn.box[i].right - drawn.box[i].left) * (drawn.box[i].bottom - drawn.box[i].top));
    // Kept for the next frame to compare with; the vectors trade places, so nothing is allocated.
    std::swap(batch.previous, batch.recording);
    batch.previousHeld = !early;
    DropRecording();
    FramePresented();
    return true;
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
    if (!batch.recording.commands.empty()) {
        const TCommand& last = batch.recording.commands.back();
        if (!last.clear && last.hasWhite && last.blend == blend) {
            const TWhiteTexel w = last.white;
            Append(last.texture, blend, corners, w.u, w.v, w.u, w.v, colour, &w);
            return;
        }
    }
    const TWhiteTexel w{0.5f, 0.5f};
    Append(batch.whiteTexture, blend, corners, w.u, w.v, w.u, w.v, colour, &w);
}

void AddQuadBlended(unsigned texture, int blend, const TPoint corners[4], float u0, float v0, float u1, float v1,
                    TColour colour)
{
    if (batch.open && texture != 0)
        Append(texture, blend, corners, u0, v0, u1, v1, colour, nullptr);
}

unsigned WhiteTexture() { return batch.whiteTexture; }

}  // namespace gfx
