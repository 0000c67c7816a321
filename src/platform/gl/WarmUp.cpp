// WarmUp - has the rasteriser prepare its code for every kind of texture the game draws with, once,
// right after the display's first frame, instead of in the frame that first shows text or a picture.
#include "platform/Display.h"
#include "platform/gfx/DrawBatch.h"
#include "platform/gfx/PictureHash.h"
#include "platform/gl/DisplayState.h"

namespace gfx {

void WarmUp()
{
    if (!TexturesOpen())
        return;
    // A software rasteriser compiles the code for each combination of texture format, filter and blend
    // mode at its first draw, tens of milliseconds each. One pixel drawn with each kind of texture the
    // game draws with (the white texel and sharp atlas pages; smooth atlas pages and filtered pictures)
    // in the game's alpha blending pays for that here instead of in the frame that first shows text or
    // a picture. A kind the first frame drew costs nothing more here.
    Submit();
    const uint32_t texels[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    const unsigned picture = CreateTexture(2, 2, true, false);
    UploadArgb(picture, 2, 2, texels, false);
    const TFrameCounts before = FrameCounts();
    const TPoint pixel[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (unsigned texture : {WhiteTexture(), picture})
        AddQuadBlended(texture, 3, pixel, 0, 0, 1, 1, {255, 255, 255, 255});
    Submit();
    // What was drawn is nobody's: the picture goes back to black and these draws are not counted.
    RestoreFrameCounts(before);
    DropTexture(picture);
    RecordClear(0.0f, 0.0f, 0.0f);
    Submit();
    ForgetPresented();
}

}  // namespace gfx

void PrepareDrawing()
{
    if (TDisplay* display = CurrentDisplay())
        display->warmUpDue = true;
}

void FinishPreparingDrawing()
{
    // The first frame has compiled what it drew (and, off the window's own size, the copy into the
    // window) on its way to the screen; what it did not draw is prepared now, between frames.
    TDisplay* display = CurrentDisplay();
    if (!display || !display->warmUpDue || display->presentedWidth == 0)
        return;
    display->warmUpDue = false;
    gfx::WarmUp();
}
