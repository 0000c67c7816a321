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
// draw call per command). Whether a frame that ends needs carrying out at all is FrameSkip's to say.
// The recording is carried out early (Submit) whenever the picture must hold it now: the back buffer is
// read, a texture that pending quads use is re-uploaded or deleted, or the buffer is full.
//
// PARTIAL FRAMES
// The recording of the last frame carried out whole is kept. When the picture still holds exactly what
// it drew (nothing carried out early, uploaded, read back or exposed since, and the backend keeps the
// picture across presenting) and the new frame starts with the same clear, the two recordings are
// compared quad by quad from both ends: the quads that differ (those of the old frame and those of the
// new) are gathered into a few boxes (MAX_BOXES; changes far apart, such as a cursor and a shrinking bar,
// in boxes of their own rather than one box spanning the picture between them), and only those boxes of
// the picture are cleared and drawn again, the whole recording carried out under a scissor per box.
// Every pixel outside the boxes is covered by the same quads in the same order in both frames (a quad
// joins an earlier draw call only past quads it does not overlap, so each pixel sees its quads in
// recorded order), so the kept pixels are exactly those a whole frame would draw.
#include "platform/gfx/DrawBatch.h"
#include "platform/gfx/GfxTesting.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/gfx/Atlas.h"
#include "platform/gl/Backend.h"
#include "platform/gfx/FrameSkip.h"
#include "platform/gfx/SoftPicture.h"

namespace gfx {
namespace {

// How many recorded draw calls back a quad may look for one with its texture to join.
constexpr int MERGE_LOOKBACK = 32;

// Every run holds a quad at least and a clear drops what came before it, so a frame between two
// submissions never records more than this.
constexpr int MAX_COMMANDS = MAX_QUADS + 1;
constexpr int MAX_FRAME_TEXTURES = 64;

struct TBatch {
    bool open = false;
    unsigned whiteTexture = 0;
    TRecording recording;
    TRecording previous;                 // the last frame carried out whole, from one recording
    bool previousHeld = false;           // the picture holds what `previous` drew, and nothing else
    bool submittedEarly = false;         // this frame's recording was carried out in parts
    std::vector<TVertex> grouped;        // the vertices sorted by command, as they are uploaded
    int drawCallsThisFrame = 0;
    int drawCallsLastFrame = 0;
    unsigned frameTextures[MAX_FRAME_TEXTURES] = {};
    int frameTextureCount = 0;
    int texturesLastFrame = 0;
};
// Never destroyed: fonts and images held in globals release their textures during the program's
// exit, and must find the batch still there whatever the order of static destruction.
TBatch& batch = *new TBatch;

void NoteTexture(unsigned texture)
{
    for (int i = 0; i < batch.frameTextureCount; ++i)
        if (batch.frameTextures[i] == texture)
            return;
    if (batch.frameTextureCount < MAX_FRAME_TEXTURES)
        batch.frameTextures[batch.frameTextureCount++] = texture;
}

void DropRecording()
{
    batch.recording.commands.clear();
    batch.recording.vertices.clear();
    batch.recording.quadCommand.clear();
    batch.recording.merged = false;
}

uint64_t partialFrames = 0;

bool Overlaps(const TCommand& c, float left, float top, float right, float bottom);

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

// Quad q of recording a and quad k of recording b: the same corners, texture points, colour, texture
// and blend mode.
bool SameQuad(const TRecording& a, size_t q, const TRecording& b, size_t k)
{
    const TCommand& ca = a.commands[a.quadCommand[q]];
    const TCommand& cb = b.commands[b.quadCommand[k]];
    return ca.texture == cb.texture && ca.blend == cb.blend &&
           std::memcmp(&a.vertices[q * 4], &b.vertices[k * 4], 4 * sizeof(TVertex)) == 0;
}

int64_t Area(const TBox& b) { return int64_t(b.right - b.left) * (b.bottom - b.top); }

// Boxes whose union is at most this much larger than the two are drawn as one: a pass of its own over
// the recording costs about as much as shading a tile of the rasteriser (64 x 64 pixels) more.
constexpr int64_t MERGE_SLACK = 64 * 64;

// Adds the box around the area (minX, minY)-(maxX, maxY) to `boxes`: into the box it grows least when
// that growth is small or no box is left, as a box of its own otherwise.
void Enclose(TBoxes& boxes, float minX, float minY, float maxX, float maxY)
{
    // A pixel whose centre a quad's edge passes near may be touched: a pixel of room on each side.
    const TBox quad{int(std::floor(minX)) - 1, int(std::floor(minY)) - 1, int(std::ceil(maxX)) + 1,
                    int(std::ceil(maxY)) + 1};
    int best = -1;
    int64_t bestGrowth = 0;
    for (int b = 0; b < boxes.count; ++b) {
        const int64_t growth = Area(Union(boxes.box[b], quad)) - Area(boxes.box[b]) - Area(quad);
        if (best < 0 || growth < bestGrowth) {
            best = b;
            bestGrowth = growth;
        }
    }
    if (best >= 0 && (bestGrowth <= MERGE_SLACK || boxes.count == MAX_BOXES))
        boxes.box[best] = Union(boxes.box[best], quad);
    else
        boxes.box[boxes.count++] = quad;
}

// Adds the box around quad q of recording r.
void Enclose(TBoxes& boxes, const TRecording& r, size_t q)
{
    float minX = r.vertices[q * 4].x, maxX = minX, minY = r.vertices[q * 4].y, maxY = minY;
    for (int k = 1; k < 4; ++k) {
        const TVertex& v = r.vertices[q * 4 + k];
        minX = std::min(minX, v.x);
        maxX = std::max(maxX, v.x);
        minY = std::min(minY, v.y);
        maxY = std::max(maxY, v.y);
    }
    Enclose(boxes, minX, minY, maxX, maxY);
}

// The edges of quad q when it is an upright rectangle of one colour (every corner samples the same
// texel), as solid rectangles are recorded, clockwise from the top left.
bool SolidRectangle(const TRecording& r, size_t q, float& left, float& top, float& right, float& bottom)
{
    const TVertex* v = &r.vertices[q * 4];
    for (int k = 1; k < 4; ++k)
        if (v[k].u != v[0].u || v[k].v != v[0].v || std::memcmp(&v[k].colour, &v[0].colour, sizeof v[0].colour) != 0)
            return false;
    if (v[0].y != v[1].y || v[1].x != v[2].x || v[2].y != v[3].y || v[3].x != v[0].x)
        return false;
    left = std::min(v[0].x, v[1].x);
    right = std::max(v[0].x, v[1].x);
    top = std::min(v[0].y, v[3].y);
    bottom = std::max(v[0].y, v[3].y);
    return true;
}

// Quad q, which differs between the two recordings at the same place in them, as a solid rectangle that
// only moved one edge (a bar growing or shrinking): inside both rectangles the same colour is drawn at
// the same point of the order, so only the strip between the old edge and the new one changes. Adds
// that strip and returns true; false when the quads are not such a pair.
bool EncloseMovedEdge(TBoxes& boxes, const TRecording& before, const TRecording& now, size_t q)
{
    const TCommand& ca = before.commands[before.quadCommand[q]];
    const TCommand& cb = now.commands[now.quadCommand[q]];
    const TVertex& va = before.vertices[q * 4];
    const TVertex& vb = now.vertices[q * 4];
    if (ca.texture != cb.texture || ca.blend != cb.blend || va.u != vb.u || va.v != vb.v ||
        std::memcmp(&va.colour, &vb.colour, sizeof va.colour) != 0)
        return false;
    float l0, t0, r0, b0, l1, t1, r1, b1;
    if (!SolidRectangle(before, q, l0, t0, r0, b0) || !SolidRectangle(now, q, l1, t1, r1, b1))
        return false;
    const int moved = (l0 != l1) + (t0 != t1) + (r0 != r1) + (b0 != b1);
    if (moved != 1)
        return false;
    if (l0 != l1 || r0 != r1)
        Enclose(boxes, l0 != l1 ? std::min(l0, l1) : std::min(r0, r1), t0,
                l0 != l1 ? std::max(l0, l1) : std::max(r0, r1), b0);
    else
        Enclose(boxes, l0, t0 != t1 ? std::min(t0, t1) : std::min(b0, b1), r0,
                t0 != t1 ? std::max(t0, t1) : std::max(b0, b1));
    return true;
}

// Boxes that grew into or close to one another become one, so no pixel is drawn twice.
void JoinBoxes(TBoxes& boxes)
{
    for (bool joined = true; joined;) {
        joined = false;
        for (int a = 0; a < boxes.count && !joined; ++a)
            for (int b = a + 1; b < boxes.count && !joined; ++b) {
                const TBox both = Union(boxes.box[a], boxes.box[b]);
                if (Area(both) > Area(boxes.box[a]) + Area(boxes.box[b]) + MERGE_SLACK)
                    continue;
                boxes.box[a] = both;
                boxes.box[b] = boxes.box[--boxes.count];
                joined = true;
            }
    }
}

// The boxes around every quad that differs between the kept frame and this one, within the picture;
// false when a whole frame is due instead: the frames differ in their clear, or in most of the picture.
bool ChangedBoxes(const TRecording& before, const TRecording& now, TBoxes& boxes)
{
    if (before.commands.empty() || now.commands.empty() || !before.commands[0].clear || !now.commands[0].clear)
        return false;
    const TCommand& a = before.commands[0];
    const TCommand& b = now.commands[0];
    if (a.r != b.r || a.g != b.g || a.b != b.b)
        return false;
    const size_t na = before.quadCommand.size(), nb = now.quadCommand.size();
    size_t head = 0;
    while (head < na && head < nb && SameQuad(before, head, now, head))
        ++head;
    size_t tail = 0;
    while (tail < na - head && tail < nb - head && SameQuad(before, na - 1 - tail, now, nb - 1 - tail))
        ++tail;
    boxes.count = 0;
    if (na == nb) {
        // As many quads as before: the quads between that are the same in both at the same place in the
        // recording cover the same pixels in the same order, so only those that differ need a box (a
        // change at the top of the picture and one at its bottom do not take all that lies between).
        for (size_t q = head; q < na - tail; ++q)
            if (!SameQuad(before, q, now, q) && !EncloseMovedEdge(boxes, before, now, q)) {
                Enclose(boxes, before, q);
                Enclose(boxes, now, q);
            }
    } else {
        for (size_t q = head; q < na - tail; ++q)
            Enclose(boxes, before, q);
        for (size_t q = head; q < nb - tail; ++q)
            Enclose(boxes, now, q);
    }
    JoinBoxes(boxes);
    int width = 0, height = 0;
    if (boxes.count == 0 || !backend::PictureSize(width, height))
        return false;
    int64_t area = 0;
    int kept = 0;
    for (int b = 0; b < boxes.count; ++b) {
        TBox box = boxes.box[b];
        box.left = std::max(box.left, 0);
        box.top = std::max(box.top, 0);
        box.right = std::min(box.right, width);
        box.bottom = std::min(box.bottom, height);
        // A change wholly off the picture needs nothing drawn.
        if (box.right <= box.left || box.bottom <= box.top)
            continue;
        area += Area(box);
        boxes.box[kept++] = box;
    }
    boxes.count = kept;
    // Past half the picture, a scissor saves little and a whole frame is as cheap to reason about.
    return kept > 0 && area * 2 <= int64_t(width) * height;
}

// What textures ask of the batch before texels that recorded quads may sample change or go: carry the
// recording out now, so those quads show the texels they were recorded with.
void SubmitForTextures()
{
    if (batch.open)
        Submit();
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
        ++batch.drawCallsThisFrame;
        NoteTexture(texture);
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

void RectCorners(float x, float y, float left, float top, float w, float h, TPoint out[4])
{
    const TDrawState& s = GetDrawState();
    out[0] = Transform(s, x, y, left, top);
    out[1] = Transform(s, x, y, left + w, top);
    out[2] = Transform(s, x, y, left + w, top + h);
    out[3] = Transform(s, x, y, left, top + h);
}

bool OpenBatch(int gameWidth, int gameHeight)
{
    batch.open = false;
    batch.whiteTexture = 0;
    DropRecording();
    batch.drawCallsThisFrame = batch.drawCallsLastFrame = 0;
    batch.frameTextureCount = batch.texturesLastFrame = 0;
    ResetFrameSkip();
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
    batch.drawCallsThisFrame = 0;
    batch.frameTextureCount = 0;
    ResetFrameSkip();
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

bool PaintPendingFrame(uint32_t* argb, int width, int height, uint32_t& background, std::vector<TBox>& boxes)
{
    int pictureWidth = 0, pictureHeight = 0;
    if (!batch.open || batch.submittedEarly || !backend::PictureSize(pictureWidth, pictureHeight) ||
        pictureWidth != width || pictureHeight != height)
        return false;
    const auto texelsOf = [](unsigned texture, TTexels& texels) {
        static const uint32_t white = 0xFFFFFFFFu;
        if (texture == batch.whiteTexture) {
            texels = {&white, 1, 1, false};
            return true;
        }
        return KeptPageTexels(texture, texels.argb, texels.width, texels.height, texels.smooth);
    };
    const TRecording& r = batch.recording;
    if (!PaintRecording(r, width, height, texelsOf, argb))
        return false;
    // The recording starts with its clear (a clear drops what came before it), and nothing but its
    // quads stands on that.
    background = ClearedPixel(r.commands[0]);
    boxes = CoveredBoxes(r, width, height);
    return true;
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
    const bool partial = pictureKept && !early && batch.previousHeld && PresentedPictureKnown() &&
                         ChangedBoxes(batch.previous, batch.recording, drawn);
    SubmitRecording(hash, partial ? &drawn : nullptr);
    partialFrames += partial;
    int width = 0, height = 0;
    if (!partial) {
        drawn.count = backend::PictureSize(width, height) ? 1 : 0;
        drawn.box[0] = {0, 0, width, height};
    }
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

void EndFrameCount()
{
    batch.drawCallsLastFrame = batch.drawCallsThisFrame;
    batch.drawCallsThisFrame = 0;
    batch.texturesLastFrame = batch.frameTextureCount;
    batch.frameTextureCount = 0;
}

void AddQuadBlended(unsigned texture, int blend, const TPoint corners[4], float u0, float v0, float u1, float v1,
                    TColour colour)
{
    if (batch.open && texture != 0)
        Append(texture, blend, corners, u0, v0, u1, v1, colour, nullptr);
}

unsigned WhiteTexture() { return batch.whiteTexture; }

TFrameCounts FrameCounts() { return {batch.drawCallsThisFrame, batch.frameTextureCount}; }

void RestoreFrameCounts(const TFrameCounts& counts)
{
    batch.drawCallsThisFrame = counts.drawCalls;
    batch.frameTextureCount = counts.textures;
}

}  // namespace gfx

int DistinctTexturesLastFrame() { return gfx::batch.texturesLastFrame; }
int DrawCallsThisFrame() { return gfx::batch.drawCallsThisFrame; }
int DrawCallsLastFrame() { return gfx::batch.drawCallsLastFrame; }
uint64_t PartialFrameCount() { return gfx::partialFrames; }
