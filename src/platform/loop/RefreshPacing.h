// Refresh pacing - frames left out because they would show the picture already on screen still wait
// for the display's next refresh, as their swap would have, so the frame rate does not depend on how
// much of the picture changes.
#pragma once

namespace gfx {

// After each FlipDisplay that asked for vertical sync. presented: the frame was swapped, and on a real
// display the swap itself waited for the blank, which is the refresh to count from. refreshHz: the
// display's refresh rate while its swaps wait for the blank, 0 when they do not or the rate is unknown
// (then nothing waits here).
void PaceToRefresh(bool presented, int refreshHz);
// Forgets the last refresh: a new display counts from its own first present.
void ResetRefreshPacing();

}  // namespace gfx
