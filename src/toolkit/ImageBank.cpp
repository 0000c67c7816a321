// ImageBank - the images of one folder under upper-case names.
#include "toolkit/ImageBank.h"

#include <climits>
#include <cstdint>

#include "platform/Image.h"
#include "platform/Text.h"
#include "shell/Helpers.h"

namespace {
int Kilobytes(int64_t bytes)
{
    int64_t kb = bytes / 1024;
    return kb > INT_MAX ? INT_MAX : static_cast<int>(kb);
}
}

TImageBankPtr TImageBank::Create(const std::string& path)
{
    auto bank = std::make_shared<TImageBank>();
    bank->SetPath(path);
    bank->defaultExt = ".png";
    return bank;
}

int TImageBank::SetPath(const std::string& newPath)
{
    path = EnsureTrailingSlash(newPath);
    return 0;
}

int TImageBank::CalcRAM()
{
    int64_t total = 0;
    for (const auto& [key, gameImage] : entries)
        if (gameImage) total += gameImage->CalcRAM();
    return Kilobytes(total);
}

int TImageBank::CalcVRAM()
{
    int64_t total = 0;
    for (const auto& [key, gameImage] : entries)
        if (gameImage) total += gameImage->CalcVRAM();
    return Kilobytes(total);
}

TGameImagePtr TImageBank::Find(const std::string& imageName)
{
    std::string key = UpperCaseUtf8(imageName);
    TGameImagePtr gameImage = ValueForKey(key);
    if (!gameImage) ReportError("Image '" + key + "' was not found in the ImageBank", 1);
    return gameImage;
}

TImagePtr TImageBank::FindTImage(const std::string& imageName)
{
    TGameImagePtr gameImage = ValueForKey(UpperCaseUtf8(imageName));
    return gameImage ? gameImage->image : nullptr;
}

std::string TImageBank::PathFor(const std::string& fileName) const
{
    std::string ext = ImageExtension(fileName);
    std::string base = fileName.substr(0, fileName.size() - ext.size());
    // "explosion" and "explosion." both take the bank's default extension.
    if (ext.empty() || ext == ".") ext = defaultExt;
    return path + base + ext;
}

void TImageBank::Preload(const std::string& fileName) const { PreloadPicture(PathFor(fileName)); }

TGameImagePtr TImageBank::Load(const std::string& fileName, const std::string& keyName, int flags,
                               int midHandle)
{
    auto gameImage = std::make_shared<TGameImage>();
    gameImage->Load(PathFor(fileName), flags, midHandle);
    if (!keyName.empty()) gameImage->name = UpperCaseUtf8(keyName);
    Insert(gameImage->name, gameImage);
    return gameImage;
}

TGameImagePtr TImageBank::LoadAnim(const std::string& fileName, int cellWidth, int cellHeight,
                                   int firstCell, int cellCount, int flags, int midHandle)
{
    auto gameImage = std::make_shared<TGameImage>();
    gameImage->LoadAnim(path + fileName + defaultExt, cellWidth, cellHeight, firstCell, cellCount,
                        flags, midHandle == 1 ? 1 : 0);
    Insert(gameImage->name, gameImage);
    return gameImage;
}

TGameImagePtr TImageBank::LoadNoMidHandle(const std::string& fileName, const std::string& keyName,
                                          int flags)
{
    return Load(fileName, keyName, flags, 0);
}

int TImageBank::Precache()
{
    for (const auto& [key, gameImage] : entries)
        if (gameImage) PrecacheImage(gameImage->image);
    return 0;
}
