// FrameLoop - what the present tells the frame loop: whether the frame waited for the display's
// refresh, which the next frame's wait makes up for when it did not. Only the platform's own .cpp files
// include this.
#pragma once

namespace loop {

// After each FlipDisplay that asked for vertical sync. swapped: the frame was swapped, and on a real
// display the swap itself waited for the blank, which is the refresh to count from. refreshHz: the
// display's refresh rate while its swaps wait for the blank, 0 when they do not or the rate is unknown
// (then no frame waits for it).
void FramePresented(bool swapped, int refreshHz);
// Forgets the last refresh: a new display counts from its own first present.
void ForgetRefresh();

}  // namespace loop
