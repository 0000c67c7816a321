// PictureHash - hashes of what the picture holds and what the window shows, and the counts of frames
// presented and left out.
//
// The recording gives a hash of what the picture holds once it is carried out: a clear restarts it, a
// draw call folds in its texture, blend mode and vertex bytes. When a frame ends with the very hash
// that was last presented, it would draw the same picture, so nothing is sent to GL and nothing is
// presented: the title screen and most frames of play cost only their CPU side. A frame that was
// carried out early (the batch submits whenever the picture must hold its recording at once) is always
// presented. Anything that makes the shown picture or the textures behind it doubtful (an upload, an
// expose or resize, a read-back, a new display) invalidates the presented hash, so the next frame is
// drawn in full.
#include "platform/gfx/PictureHash.h"
#include "platform/gfx/GfxTesting.h"

#include <cstring>

#include "platform/gfx/Recording.h"

namespace gfx {
namespace {

// Never the hash of a real picture: what a doubtful picture compares as.
constexpr uint64_t UNKNOWN_PICTURE = 0;

struct TPictureHashes {
    uint64_t pictureHash = UNKNOWN_PICTURE;     // what the picture holds once the recording is carried out
    uint64_t presentedHash = UNKNOWN_PICTURE;   // what the window shows
    bool submittedThisFrame = false;
} hashes;
uint64_t presentedFrames = 0;
uint64_t skippedFrames = 0;

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

}  // namespace

uint64_t PictureHashAfter(const TRecording& recording)
{
    // A leading clear starts the hash again from the colour alone; every draw call folds in its
    // texture, blend mode and quads.
    const std::vector<TCommand>& commands = recording.commands;
    uint64_t h = hashes.pictureHash;
    size_t first = 0;
    if (!commands.empty() && commands[0].clear) {
        const TCommand& c = commands[0];
        uint32_t bits[3];
        std::memcpy(&bits[0], &c.r, 4);
        std::memcpy(&bits[1], &c.g, 4);
        std::memcpy(&bits[2], &c.b, 4);
        h = Mix(Mix(Mix(0x5EED, bits[0]), bits[1]), bits[2]);
        first = 1;
    }
    if (commands.size() == first)
        return h;
    for (size_t i = first; i < commands.size(); ++i)
        h = Mix(Mix(h, (uint64_t(commands[i].texture) << 8) | uint64_t(commands[i].blend)),
                uint64_t(commands[i].quadCount));
    h = HashBytes(h, recording.vertices.data(), recording.vertices.size() * sizeof(TVertex));
    return HashBytes(h, recording.quadCommand.data(), recording.quadCommand.size() * sizeof(uint16_t));
}

void PictureHolds(uint64_t hash, bool drew)
{
    hashes.pictureHash = hash;
    if (drew)
        hashes.submittedThisFrame = true;
}

bool SkipFrame(uint64_t hash)
{
    if (hashes.submittedThisFrame || hash != hashes.presentedHash || hashes.presentedHash == UNKNOWN_PICTURE)
        return false;
    ++skippedFrames;
    return true;
}

void FramePresented()
{
    hashes.submittedThisFrame = false;
    hashes.presentedHash = hashes.pictureHash;
    ++presentedFrames;
}

bool PresentedPictureKnown() { return hashes.presentedHash != UNKNOWN_PICTURE; }

void InvalidatePresented() { hashes.presentedHash = UNKNOWN_PICTURE; }

void ResetPictureHashes() { hashes = TPictureHashes{}; }

void ForgetPresented()
{
    hashes.submittedThisFrame = false;
    hashes.presentedHash = UNKNOWN_PICTURE;
}

}  // namespace gfx

uint64_t PresentedFrameCount() { return gfx::presentedFrames; }
uint64_t SkippedFrameCount() { return gfx::skippedFrames; }
