// FileRead - bounded reads of regular files, shared by every loader of pictures, fonts, sounds and the
// game's own saved files.
#include "platform/sys/FileRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace {

TFileStatus OpenFailure(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
        return TFileStatus::Missing;
    case EACCES:
    case EPERM:
        return TFileStatus::NoPermission;
    case ENXIO:      // a socket, or a device with nothing behind it
    case ENODEV:
        return TFileStatus::NotRegular;
    default:
        return TFileStatus::Unreadable;
    }
}

}  // namespace

TFileStatus ReadRegularFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    if (path.empty())
        return TFileStatus::Missing;
    // O_NONBLOCK: opening a named pipe would otherwise wait for a writer for good. It changes nothing
    // for a regular file. O_NOCTTY: a terminal device named by mistake must not become ours.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return OpenFailure(errno);
    // The descriptor's own status, not the path's: the file cannot be swapped between check and read.
    struct stat st;
    TFileStatus status = TFileStatus::Ok;
    if (::fstat(fd, &st) != 0)
        status = TFileStatus::Unreadable;
    else if (!S_ISREG(st.st_mode))
        status = TFileStatus::NotRegular;
    else if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > maxBytes)
        status = TFileStatus::TooLarge;
    if (status == TFileStatus::Ok) {
        // One byte past the bound tells a file that grew since fstat from one that is exactly full.
        const size_t limit = maxBytes == SIZE_MAX ? maxBytes : maxBytes + 1;
        bytes.resize(std::min(limit, static_cast<size_t>(st.st_size) + 1));
        size_t got = 0;
        for (;;) {
            if (got == bytes.size()) {
                if (bytes.size() >= limit)
                    break;
                bytes.resize(std::min(limit, bytes.size() * 2 + 4096));
            }
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                status = TFileStatus::Unreadable;
                break;
            }
            if (n == 0)
                break;
            got += static_cast<size_t>(n);
        }
        if (status == TFileStatus::Ok && got > maxBytes)
            status = TFileStatus::TooLarge;
        if (status == TFileStatus::Ok)
            bytes.resize(got);
        else
            std::vector<uint8_t>().swap(bytes);
    }
    ::close(fd);
    return status;
}

const char* FileStatusText(TFileStatus status)
{
    switch (status) {
    case TFileStatus::Ok: return "";
    case TFileStatus::Missing: return "missing";
    case TFileStatus::NotRegular: return "not a regular file";
    case TFileStatus::TooLarge: return "too large";
    case TFileStatus::NoPermission: return "no permission";
    case TFileStatus::Unreadable: return "unreadable";
    }
    return "unreadable";
}
