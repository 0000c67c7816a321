// Recording - a frame as the batch records it before anything reaches GL: quads with their corners
// already transformed, each belonging to a draw call, and clears in order with them. Only the
// platform's own .cpp files include this.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/Texture.h"

namespace gfx {

struct TPoint { float x, y; };
struct TColour { uint8_t r, g, b, a; };

// One corner of a quad as it is uploaded: game-space position, texture point, the quad's colour.
struct TVertex {
    float x, y, u, v;
    TColour colour;
};

// The most quads one upload holds: 16384 vertices, so 16-bit indices suffice.
constexpr int MAX_QUADS = 4096;

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

// A box of the picture in whole pixels of the game space, top-left origin, right and bottom excluded.
struct TBox {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The smallest box holding both.
inline TBox Union(const TBox& a, const TBox& b)
{
    return {a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
            a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
}

// The few boxes a frame that changed little draws in, apart from one another.
constexpr int MAX_BOXES = 4;
struct TBoxes {
    TBox box[MAX_BOXES];
    int count = 0;
};

struct TRecording {
    std::vector<TVertex> vertices;
    std::vector<uint16_t> quadCommand;   // the command each quad of `vertices` belongs to
    std::vector<TCommand> commands;
    bool merged = false;                 // some quad joined a command other than the last
};

}  // namespace gfx
