// ChangedBoxes - which boxes of the picture differ between two recorded frames. Only the platform's own
// .cpp files include this.
#pragma once

#include "platform/gfx/Recording.h"

namespace gfx {

// The boxes around every quad that differs between the frame `before` and the frame `now`, within the
// width x height picture; false when a whole frame is due instead: the frames differ in their clear, or
// in most of the picture.
bool ChangedBoxes(const TRecording& before, const TRecording& now, int width, int height, TBoxes& boxes);

}  // namespace gfx
