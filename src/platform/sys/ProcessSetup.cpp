// ProcessSetup - what the real program puts right about its surroundings before anything else runs.
#include "platform/Process.h"

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool outputClosed = false;

// A closed standard descriptor is taken by the next file opened, which is the X connection: the
// null-sound line would then be written into the display's protocol stream. The null device fills it.
void OpenStandardDescriptors()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        outputClosed = outputClosed || fd == 1;
        const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}

}  // namespace

bool StandardOutputWasClosed() { return outputClosed; }

namespace {

const char* Env(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// Where the GL driver (Mesa) keeps its shader cache, by its own rules; "" when no home is known.
std::string ShaderCacheFolder()
{
    if (const char* dir = Env("MESA_SHADER_CACHE_DIR"))
        return dir;
    if (const char* dir = Env("MESA_GLSL_CACHE_DIR"))
        return dir;
    if (const char* dir = Env("XDG_CACHE_HOME"))
        return dir;
    if (const char* home = Env("HOME"))
        return std::string(home) + "/.cache";
    return "";
}

// Mesa maps its cache index into memory and writes through it; on a full disk that write is a SIGBUS
// in the driver's own thread, which nothing in the game could catch. A few megabytes of room is plenty
// for the index and this game's handful of shaders. Without room (and unless the user decided about the
// cache already) the driver runs without its cache: the shaders are compiled afresh, a matter of
// milliseconds. A read-only disk is left alone: there the driver simply fails to write.
void AvoidFullShaderCacheDisk()
{
    constexpr unsigned long long NEEDED_BYTES = 8ull << 20;
    if (std::getenv("MESA_SHADER_CACHE_DISABLE") || std::getenv("MESA_GLSL_CACHE_DISABLE"))
        return;
    std::string folder = ShaderCacheFolder();
    // The cache folders are made on first use: ask the nearest one that exists.
    struct statvfs fs;
    while (!folder.empty() && ::statvfs(folder.c_str(), &fs) != 0) {
        const size_t slash = folder.find_last_of('/');
        folder = slash == std::string::npos ? "" : slash == 0 ? "/" : folder.substr(0, slash);
    }
    if (folder.empty() || (fs.f_flag & ST_RDONLY))
        return;
    if ((unsigned long long)fs.f_bavail * fs.f_frsize >= NEEDED_BYTES)
        return;
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
    std::fprintf(stderr, "calcadia: no room for the graphics driver's shader cache in %s; running without it\n",
                 folder.c_str());
}

}  // namespace

void PrepareProcess()
{
    OpenStandardDescriptors();
    // A reader of standard output that has gone away makes a write fail, not end the game.
    std::signal(SIGPIPE, SIG_IGN);
    AvoidFullShaderCacheDisk();
}
