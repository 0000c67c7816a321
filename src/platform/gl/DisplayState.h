// DisplayState - the open display's window, GL context and picture, shared by the files of gl/ that
// open it, present into it and prepare its drawing. Only gl/'s own .cpp files include this.
#pragma once

struct SDL_Window;

struct TDisplay {
    SDL_Window* window = nullptr;
    void* context = nullptr;                       // SDL's GL context
    int width = 0;
    int height = 0;
    unsigned framebuffer = 0;
    unsigned picture = 0;
    int swapInterval = -1;
    bool swapWaits = false;                        // the driver took a swap interval of 1
    int presentedWidth = 0, presentedHeight = 0;   // the drawable the last presented frame filled
    bool direct = false;                           // the window's back buffer is the picture
    bool backKept = false;                         // the back buffer outlives a swap (no window at all)
    bool warmUpDue = false;                        // PrepareDrawing waits for the first presented frame
    bool presentsByCopy = false;                   // frames reach the window by copying boxes, never swapped
};

namespace gl {

// Starts SDL's video if it has not started; false when the display cannot be reached.
bool VideoReady();
// The framebuffer that is the picture: the window's back buffer (0) or the off-screen one.
unsigned PictureFramebuffer(const TDisplay& d);
// Makes the off-screen picture and its framebuffer if they are not made yet; false when the driver
// refuses them. The framebuffer bound before stays bound.
bool MakeOffscreenPicture(TDisplay& d);
// Makes the window's back buffer the picture when the drawable is exactly the picture's size, the
// off-screen picture otherwise, carrying what the picture holds across.
void ChoosePicture(TDisplay& d, int drawableWidth, int drawableHeight);
// Clears the window's back buffer and scales the off-screen picture into its letterbox.
void CopyPictureIntoWindow(const TDisplay& d);
// Decides, for a display just opened, how its frames reach the window.
void ChoosePresenting(TDisplay& d);

}  // namespace gl
