// PictureHash - whether an ended frame must be drawn and presented at all. The hash of what the picture
// holds follows the recording as it is carried out; a frame whose recording would leave the picture
// with the hash last presented shows nothing new and is dropped unseen. Only the platform's own .cpp
// files include this.
#pragma once

#include <cstdint>

namespace gfx {

struct TRecording;

// The picture's hash once `recording` is carried out on the picture as it is now.
uint64_t PictureHashAfter(const TRecording& recording);
// The recording with hash `hash` has been carried out; `drew` when it held anything to carry out.
void PictureHolds(uint64_t hash, bool drew);
// At the end of a frame whose recording has hash `hash`: true when it would show exactly what the window
// shows and nothing has touched the picture this frame; the frame is then counted as skipped.
bool SkipFrame(uint64_t hash);
// The frame has been carried out in full and is being presented.
void FramePresented();
// Whether the picture and the window are known to show the frame last presented: nothing has been
// uploaded, read back, exposed or resized since.
bool PresentedPictureKnown();
// What the window shows can no longer be trusted (exposed, resized, read back): present the next frame.
void InvalidatePresented();
// A new display: nothing is known of its picture or of what its window shows.
void ResetPictureHashes();
// After drawing that nobody is meant to see (the warm-up): forget this frame's carrying out, and present
// the next frame.
void ForgetPresented();

}  // namespace gfx
