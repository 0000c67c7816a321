// ChangedBoxes - the few boxes of the picture in which two recorded frames differ.
//
// The two recordings are compared quad by quad from both ends: the quads that differ (those of the old
// frame and those of the new) are gathered into a few boxes (MAX_BOXES; changes far apart, such as a
// cursor and a shrinking bar, in boxes of their own rather than one box spanning the picture between
// them). Every pixel outside the boxes is covered by the same quads in the same order in both frames (a
// quad joins an earlier draw call only past quads it does not overlap, so each pixel sees its quads in
// recorded order), so drawing the new frame within the boxes alone gives exactly the pixels a whole
// frame would.
#include "platform/gfx/ChangedBoxes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace gfx {
namespace {

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

}  // namespace

bool ChangedBoxes(const TRecording& before, const TRecording& now, int width, int height, TBoxes& boxes)
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
    if (boxes.count == 0)
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

}  // namespace gfx
