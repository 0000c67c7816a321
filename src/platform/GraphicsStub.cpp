// Placeholder bodies for the display, image and font operations until the real drawing layer lands.
// They draw nothing and load nothing; the drawing layer replaces this whole file.
#include "platform/Display.h"
#include "platform/Font.h"
#include "platform/Image.h"

namespace {
TDrawState drawState;
std::string appTitle;
}

void SetAppTitle(const std::string& title) { appTitle = title; }
const std::string& GetAppTitle() { return appTitle; }
TDisplay* OpenGraphics(int, int, int, int, int) { drawState = TDrawState{}; return nullptr; }
void CloseGraphics() {}
TDisplay* CurrentDisplay() { return nullptr; }
void Cls() {}
void SetClsColor(int r, int g, int b) { drawState.clsR = r; drawState.clsG = g; drawState.clsB = b; }
void FlipDisplay(int) {}
int CountDisplayModes() { return 0; }
TDisplayMode GetDisplayMode(int) { return {}; }
void SetColor(int r, int g, int b) { drawState.r = r; drawState.g = g; drawState.b = b; }
void SetAlpha(float alpha) { drawState.alpha = alpha; }
void SetBlend(int mode) { drawState.blend = mode; }
void SetDrawScale(float sx, float sy) { drawState.scaleX = sx; drawState.scaleY = sy; }
void SetDrawRotation(float degrees) { drawState.rotation = degrees; }
void SetDrawFont(const std::shared_ptr<TImageFont>& font) { drawState.font = font; }
const TDrawState& GetDrawState() { return drawState; }
std::shared_ptr<TImageFont> CurrentDrawFont() { return drawState.font; }
int DrawCallsThisFrame() { return 0; }
int DrawCallsLastFrame() { return 0; }
std::vector<uint32_t> ReadBackBuffer() { return {}; }
uint32_t ReadPixel(int, int) { return 0; }
bool SaveBackBufferPng(const std::string&) { return false; }

TImage::TImage(int w, int h, int frameCount, int f) : width(w), height(h), flags(f)
{
    pixels.assign(frameCount, std::vector<uint32_t>(size_t(w) * h, 0));
    textures.resize(frameCount);
}
TImage::~TImage() = default;
unsigned TImage::Frame(int) { return 0; }
TImagePtr LoadImageFile(const std::string&, int) { return nullptr; }
TImagePtr LoadImageStrip(const std::string&, int, int, int, int, int) { return nullptr; }
void SetImageHandle(const TImagePtr& image, float x, float y) { image->handleX = x; image->handleY = y; }
void CentreImageHandle(const TImagePtr& image) { image->handleX = image->width / 2.0f; image->handleY = image->height / 2.0f; }
int ImageWidth(const TImagePtr& image) { return image->width; }
int ImageHeight(const TImagePtr& image) { return image->height; }
void DrawImageAt(const TImagePtr&, float, float, int) {}
void DrawImageRegion(const TImagePtr&, float, float, float, float, float, float, float, float, float, float, int) {}
void DrawRect(float, float, float, float) {}
void DrawLine(float, float, float, float, int) {}
TImagePtr CreateBlankImage(int width, int height, int frames, int flags)
{
    return std::make_shared<TImage>(width, height, frames, (flags == -1 ? 3 : flags) | IMAGE_DYNAMIC);
}
PixelBuffer PixelBuffer::Window(int, int, int, int) const { return *this; }
PixelBuffer LockImagePixels(const TImagePtr& image, int frame, int, int)
{
    PixelBuffer b;
    b.data = image->pixels[frame].data();
    b.width = image->width;
    b.height = image->height;
    b.pitch = image->width * 4;
    return b;
}
void UnlockImagePixels(const TImagePtr&, int) {}

TImageFontPtr LoadFontFile(const std::string&, int, int) { return nullptr; }
void DrawTextAt(const std::string&, float, float) {}
int MeasureTextWidth(const std::string& text) { return int(text.size()) * 8; }
int MeasureTextHeight(const std::string&) { return 16; }
int FontHeight(const TImageFontPtr&) { return 16; }
int FontAscender(const TImageFontPtr&) { return 12; }

void WindowToGame(int wx, int wy, int& gx, int& gy) { gx = wx; gy = wy; }
unsigned DisplayWindowId() { return 0; }
