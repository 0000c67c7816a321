// GameImage - loading, sizing, handles and memory figures of one named image.
#include "toolkit/GameImage.h"

#include <climits>
#include <cstdint>

#include "platform/Platform.h"
#include "shell/Helpers.h"

namespace {
bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Byte counts can pass 2 GB for large strips; the figures saturate instead of wrapping negative.
int ClampToInt(int64_t value) { return value > INT_MAX ? INT_MAX : static_cast<int>(value); }
}

std::string ImageExtension(const std::string& path)
{
    size_t dot = path.rfind('.');
    if (dot == std::string::npos) return "";
    for (size_t i = dot + 1; i < path.size(); ++i)
        if (IsSeparator(path[i])) return "";
    return path.substr(dot);
}

std::string ImageBaseName(const std::string& path)
{
    std::string withoutExt = path.substr(0, path.size() - ImageExtension(path).size());
    size_t slash = withoutExt.find_last_of("/\\");
    return slash == std::string::npos ? withoutExt : withoutExt.substr(slash + 1);
}

TGameImagePtr TGameImage::Create(const std::string& path, int flags, int midHandle)
{
    auto gameImage = std::make_shared<TGameImage>();
    gameImage->Load(path, flags, midHandle);
    return gameImage;
}

TGameImagePtr TGameImage::CreateAuto(const std::string& path, int cellWidth, int cellHeight,
                                     int firstCell, int cellCount, int flags, int midHandle)
{
    auto gameImage = std::make_shared<TGameImage>();
    if (cellCount > 1)
        gameImage->LoadAnim(path, cellWidth, cellHeight, firstCell, cellCount, flags, midHandle);
    else
        gameImage->Load(path, flags, midHandle);
    return gameImage;
}

TGameImagePtr TGameImage::CreateFromImage(const TImagePtr& image, const std::string& name,
                                          int midHandle)
{
    auto gameImage = std::make_shared<TGameImage>();
    gameImage->name = name;
    gameImage->image = image;
    gameImage->GetSize();
    gameImage->SetMidHandle(midHandle);
    return gameImage;
}

int TGameImage::CalcRAM()
{
    if (!image) return 0;
    return ClampToInt(int64_t(image->width) * 4 * image->height * image->FrameCount());
}

int TGameImage::CalcVRAM()
{
    if (!image) return 0;
    return ClampToInt(int64_t(NextPowerOfTwo(image->width)) * 4 * NextPowerOfTwo(image->height) *
                      image->FrameCount());
}

int TGameImage::Draw(float x, float y)
{
    if (image) DrawImageAt(image, x, y, 0);
    return 0;
}

int TGameImage::GetSize()
{
    if (!image) return 0;
    w = ImageWidth(image);
    h = ImageHeight(image);
    w2 = static_cast<float>(w / 2);
    h2 = static_cast<float>(h / 2);
    return 0;
}

int TGameImage::Load(const std::string& path, int flags, int midHandle)
{
    name = UpperCaseUtf8(ImageBaseName(path));
    image = LoadImageChecked(path, flags);
    GetSize();
    SetMidHandle(midHandle);
    return 0;
}

int TGameImage::LoadAnim(const std::string& path, int cellWidth, int cellHeight, int firstCell,
                         int cellCount, int flags, int midHandle)
{
    name = UpperCaseUtf8(ImageBaseName(path));
    image = LoadAnimImageChecked(path, cellWidth, cellHeight, firstCell, cellCount, flags);
    GetSize();
    SetMidHandle(midHandle);
    return 0;
}

int TGameImage::Precache()
{
    PrecacheImage(image);
    return 0;
}

int TGameImage::SetMidHandle(int flag)
{
    midHandled = flag != 0 ? 1 : 0;
    if (!image) return 0;
    if (flag != 0) CentreImageHandle(image);
    else SetImageHandle(image, 0.0f, 0.0f);
    return 0;
}
