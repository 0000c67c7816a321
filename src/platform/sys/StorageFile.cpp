// Storage in files: records under $XDG_DATA_HOME/calcadia and $XDG_CONFIG_HOME/calcadia (by default
// ~/.local/share/calcadia and ~/.config/calcadia), each replaced through a temporary file in the same
// folder that is flushed to disk and then renamed over the old one.
#include "platform/Storage.h"

#include "platform/sys/FileRead.h"

#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// In English, as the lines around it are: the messages' locale follows the player's language, and the C
// library would translate this into the program's character set, which is not UTF-8.
std::string ErrorText(int error)
{
    static const locale_t english = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return english ? strerror_l(error, english) : std::strerror(error);
}

// XDG's rule: a variable that is unset, empty or not an absolute path counts as unset.
std::string AreaFolder(TStorageArea area)
{
    const bool data = area == TStorageArea::DATA;
    const char* xdg = std::getenv(data ? "XDG_DATA_HOME" : "XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return std::string(xdg) + "/calcadia";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + (data ? "/.local/share/calcadia" : "/.config/calcadia");
    return std::string();
}

// mkdir -p, parents included; the user's own base folders are private, as XDG asks.
bool MakeFolders(const std::string& folder, std::string& problem)
{
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), slash == std::string::npos ? 0755 : 0700) != 0 && errno != EEXIST) {
            problem = "cannot create " + part + ": " + ErrorText(errno);
            return false;
        }
        if (slash == std::string::npos)
            break;
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        problem = folder + " is not a folder";
        return false;
    }
    return true;
}

bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

// A writer killed between making its temporary file and renaming it leaves that file behind. The
// next good write clears the ones no writer can still be busy with.
void RemoveStaleTemporaries(const std::string& folder, const std::string& name)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code statError;
        if (it->path().filename().string().rfind(name + ".tmp.", 0) == 0 &&
            now - it->last_write_time(statError) > std::chrono::minutes(10) && !statError)
            fs::remove(it->path(), statError);
    }
}

}  // namespace

std::string StoredRecordLocation(TStorageArea area, const std::string& name)
{
    const std::string folder = AreaFolder(area);
    return folder.empty() ? folder : folder + "/" + name;
}

TStoredRecord ReadStoredRecord(TStorageArea area, const std::string& name, size_t maxBytes)
{
    TStoredRecord record;
    std::vector<uint8_t> bytes;
    // The same reader as every data file: it never blocks, reads nothing but a regular file and never
    // more than the bound.
    const TFileStatus status = ReadRegularFile(StoredRecordLocation(area, name), maxBytes, bytes);
    if (status == TFileStatus::Ok) {
        record.state = TStoredRecord::FOUND;
        record.bytes.assign(bytes.begin(), bytes.end());
    } else if (status != TFileStatus::Missing) {
        record.state = TStoredRecord::UNREADABLE;
        record.problem = FileStatusText(status);
    }
    return record;
}

std::string WriteStoredRecord(TStorageArea area, const std::string& name, const std::string& bytes)
{
    const std::string folder = AreaFolder(area);
    if (folder.empty())
        return "no home folder (neither HOME nor XDG_" +
               std::string(area == TStorageArea::DATA ? "DATA" : "CONFIG") + "_HOME is set)";
    std::string problem;
    if (!MakeFolders(folder, problem))
        return problem;
    const std::string path = folder + "/" + name;
    // A name of its own for each writer, so two copies of the game saving at once never write into
    // one temporary file; the rename then makes one of the two whole records the record.
    std::string temporary = path + ".tmp.XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return "cannot write in " + folder + ": " + ErrorText(errno);
    const bool written = ::fchmod(fd, 0644) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const int writeError = errno;
    // close reports the write errors some file systems (NFS) keep until then.
    if (::close(fd) != 0 || !written) {
        const int error = written ? errno : writeError;
        ::unlink(temporary.c_str());
        return "cannot write " + temporary + ": " + ErrorText(error);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return "cannot replace " + path + ": " + ErrorText(error);
    }
    // The rename itself reaches the disk only with its folder.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    RemoveStaleTemporaries(folder, name);
    return std::string();
}

std::string SetStoredRecordAside(TStorageArea area, const std::string& name)
{
    const std::string path = StoredRecordLocation(area, name);
    if (path.empty())
        return std::string();
    for (int n = 1; n <= 1000; ++n) {
        const std::string aside = path + ".bad." + std::to_string(n);
        struct stat st {};
        if (::lstat(aside.c_str(), &st) == 0 || errno != ENOENT)
            continue;
        return ::rename(path.c_str(), aside.c_str()) == 0 ? aside : std::string();
    }
    return std::string();
}
