// FileRead - the one way a file is read whole: a regular file only, opened without waiting, and never
// more of it than the caller's bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What reading a file came to; every value but Ok leaves the bytes empty.
enum class TFileStatus {
    Ok,
    Missing,        // no such file, or a folder on the way is missing
    NotRegular,     // a named pipe, a device, a socket or a folder
    TooLarge,       // larger than the caller's bound
    NoPermission,
    Unreadable,     // any other failure of open or read
};

// Reads the whole file at path into bytes. The open never blocks (a named pipe with no writer is
// refused, not waited on), anything but a regular file is refused before a byte is read, and a file
// that is, or grows while being read to, more than maxBytes is refused without reading past the bound.
// An empty file is Ok with no bytes; whether that is usable is the caller's format's business.
TFileStatus ReadRegularFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes);

// The status as a player reads it: "missing", "not a regular file", "too large", "no permission",
// "unreadable" ("" for Ok).
const char* FileStatusText(TFileStatus status);
