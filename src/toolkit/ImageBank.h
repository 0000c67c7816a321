// ImageBank - images loaded from one folder, found by case-insensitive name.
#pragma once

#include <memory>
#include <string>

#include "platform/Containers.h"
#include "toolkit/GameImage.h"

class TImageBank : public TMap<TGameImage> {
public:
    static std::shared_ptr<TImageBank> Create(const std::string& path);
    virtual ~TImageBank() = default;

    // Sum over the bank in whole kilobytes.
    virtual int CalcRAM();
    virtual int CalcVRAM();
    // The image under the upper-cased name; a name not in the bank ends the program.
    virtual TGameImagePtr Find(const std::string& imageName);
    // The TImage under the upper-cased name, or null.
    virtual TImagePtr FindTImage(const std::string& imageName);
    // Loads path + fileName (+ defaultExt when it has no extension) under keyName, or under the base
    // name when keyName is empty; an existing entry of that name is replaced.
    virtual TGameImagePtr Load(const std::string& fileName, const std::string& keyName, int flags,
                               int midHandle);
    // Has the file Load would read for fileName decoded beside start-up, for that Load to take.
    void Preload(const std::string& fileName) const;
    // Always appends defaultExt (strip.png asks for strip.png.png); the handle is centred only for 1.
    virtual TGameImagePtr LoadAnim(const std::string& fileName, int cellWidth, int cellHeight,
                                   int firstCell, int cellCount, int flags, int midHandle);
    virtual TGameImagePtr LoadNoMidHandle(const std::string& fileName, const std::string& keyName,
                                          int flags);
    virtual int Precache();
    // Stores the folder with a trailing separator.
    virtual int SetPath(const std::string& newPath);

    std::string path;
    std::string defaultExt = ".png";

private:
    // The file Load reads for fileName.
    std::string PathFor(const std::string& fileName) const;
};

using TImageBankPtr = std::shared_ptr<TImageBank>;
