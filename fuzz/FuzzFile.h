// FuzzFile - the loaders read files by path, so each input is written to one file in memory-backed
// storage first; the name's extension is chosen by the target (TGA is told by its extension alone).
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

inline std::string WriteFuzzFile(const uint8_t* data, size_t size, const char* extension)
{
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    const std::string path = std::string(base) + "/calcadia-fuzz-" + std::to_string(getpid()) + extension;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        std::abort();
    if (size)
        std::fwrite(data, 1, size, file);
    std::fclose(file);
    return path;
}
