// GameImage - a drawing-layer image with its lookup name, frame size, half size and handle.
#pragma once

#include <memory>
#include <string>

#include "platform/Image.h"

class TGameImage {
public:
    // Loads the file; a missing file ends the program.
    static std::shared_ptr<TGameImage> Create(const std::string& path, int flags, int midHandle);
    // A strip when cellCount > 1, else the whole picture as one frame.
    static std::shared_ptr<TGameImage> CreateAuto(const std::string& path, int cellWidth,
                                                  int cellHeight, int firstCell, int cellCount,
                                                  int flags, int midHandle);
    // Wraps an existing image; the name is kept exactly as given.
    static std::shared_ptr<TGameImage> CreateFromImage(const TImagePtr& image,
                                                       const std::string& name, int midHandle);
    virtual ~TGameImage() = default;

    // Bytes of pixel memory: width x 4 x height x frames.
    virtual int CalcRAM();
    // Bytes of texture memory, each side rounded up to a power of two.
    virtual int CalcVRAM();
    // Frame 0 at (x, y) under the current drawing state.
    virtual int Draw(float x, float y);
    virtual int GetSize();
    virtual int Load(const std::string& path, int flags, int midHandle);
    virtual int LoadAnim(const std::string& path, int cellWidth, int cellHeight, int firstCell,
                          int cellCount, int flags, int midHandle);
    // Builds every frame's texture now rather than at its first draw.
    virtual int Precache();
    // The handle belongs to the shared TImage: this moves it for every user of the image.
    virtual int SetMidHandle(int flag);

    std::string name;   // upper-case base file name for a loaded file
    TImagePtr image;
    int w = 0;
    int h = 0;
    float w2 = 0.0f;    // w / 2 in integer arithmetic
    float h2 = 0.0f;
    int midHandled = 0;
    int tag = 0;
};

using TGameImagePtr = std::shared_ptr<TGameImage>;

// Helpers on file names shared with the bank.
// "Data/Images/fx/Ring.png" -> "Ring": no folder, no extension.
std::string ImageBaseName(const std::string& path);
// The extension with its dot ("" when none); a dot inside a folder name does not count.
std::string ImageExtension(const std::string& path);
