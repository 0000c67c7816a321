// Storage in files: records under $XDG_DATA_HOME/calcadia and $XDG_CONFIG_HOME/calcadia (by default
// ~/.local/share/calcadia and ~/.config/calcadia), each replaced through a temporary file in the same
// folder that is flushed to disk and then renamed over the old one, and the folder flushed after it.
// A record that is a symbolic link (a dotfiles or synced folder) is replaced where the link points.
#include "platform/Storage.h"
#include "platform/sys/SysTesting.h"

#include "platform/sys/FileRead.h"

#include <fcntl.h>
#include <locale.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

// In English, as the lines around it are: the messages' locale follows the player's language, and the C
// library would translate this into the program's character set, which is not UTF-8.
std::string ErrorText(int error)
{
    static const locale_t english = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return english ? strerror_l(error, english) : std::strerror(error);
}

// How long a copy of the game waits for another to finish saving. A save takes milliseconds; a slow
// network home may take seconds; a copy stopped in the middle of one would otherwise stop this one too.
std::chrono::milliseconds lockWait = std::chrono::seconds(10);
// Symbolic links followed from a record to what it names, as the system itself allows.
constexpr int MAX_LINKS = 40;

std::function<void(const std::string&)> stepWatcher;

// Each step that makes a write last is told to the tests that watch (SysTesting.h), as it is taken.
int Step(const char* name, int result)
{
    if (stepWatcher) {
        // The caller reads errno after the step.
        const int error = errno;
        stepWatcher(name);
        errno = error;
    }
    return result;
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
        const ssize_t n = Step("write", int(::write(fd, bytes.data() + done, bytes.size() - done)));
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

// The file a write replaces: the record itself, or what the symbolic link in its place names (and what
// that one names...), so that the link stays a link. The target need not exist yet.
bool FollowLinks(std::string& path, std::string& problem)
{
    const std::string record = path;
    // As many links as the system follows on the way to a file, and so reads through: one more is a loop.
    for (int hops = 0; hops <= MAX_LINKS; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return true;
        if (hops == MAX_LINKS)
            break;
        std::string target(4096, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0 || size_t(length) == target.size()) {
            problem = "cannot follow the link " + path + ": " + ErrorText(length < 0 ? errno : ENAMETOOLONG);
            return false;
        }
        target.resize(size_t(length));
        path = target[0] == '/' ? target : path.substr(0, path.rfind('/') + 1) + target;
    }
    problem = "cannot follow the links from " + record + ": " + ErrorText(ELOOP);
    return false;
}

// A path longer than the system allows (a very deep XDG_DATA_HOME) can hold no file: there is nothing
// to read or to move aside, and the write that follows names the cause.
bool NameTooLong(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) != 0 && errno == ENAMETOOLONG;
}

}  // namespace

void SetStorageLockWait(std::chrono::milliseconds wait) { lockWait = wait; }

void WatchStorageSteps(std::function<void(const std::string&)> watcher) { stepWatcher = std::move(watcher); }

TStoredRecordLock::TStoredRecordLock(TStorageArea area, const std::string& name)
{
    const std::string folder = AreaFolder(area);
    // Where the folder cannot be made, the save that follows cannot be written either, and says so.
    std::string unwritable;
    if (folder.empty() || !MakeFolders(folder, unwritable))
        return;
    const std::string path = folder + "/" + name + ".lock";
    // Never removed: a lock file taken away while another copy waits on it would let a third copy lock
    // a new one at the same time. Non-blocking, so that even a pipe put in its place cannot hold us;
    // never through a symbolic link, which would have us make a file wherever it points.
    constexpr int HOW = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    handle = ::open(path.c_str(), O_RDWR | O_CREAT | HOW, 0644);
    // flock needs no write permission: a lock file left by a launch as another user (sudo), or made
    // read-only, still carries the lock, as long as every copy locks that same file.
    if (handle < 0 && (errno == EACCES || errno == EPERM || errno == EROFS || errno == EISDIR))
        handle = ::open(path.c_str(), O_RDONLY | HOW);
    if (handle < 0) {
        const int error = errno;
        problem = error == ELOOP ? path + " is a symbolic link" : "cannot open " + path + ": " + ErrorText(error);
        return;
    }
    // A device or a pipe in its place is no lock file: opening one is all that is done to it.
    struct stat st {};
    if (::fstat(handle, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))) {
        problem = path + " is not a file";
        ::close(handle);
        handle = -1;
        return;
    }
    // Polled rather than waited on, so that the wait has an end.
    const auto deadline = std::chrono::steady_clock::now() + lockWait;
    for (int pause = 1; ::flock(handle, LOCK_EX | LOCK_NB) != 0; pause = std::min(pause * 2, 20)) {
        const bool busy = errno == EWOULDBLOCK || errno == EINTR;
        if (!busy || std::chrono::steady_clock::now() > deadline) {
            waitedOut = busy;
            problem = busy ? "another copy of the game has held " + path + " for " +
                                 (lockWait.count() % 1000 == 0 ? std::to_string(lockWait.count() / 1000) + " s"
                                                             : std::to_string(lockWait.count()) + " ms")
                           : "cannot lock " + path + ": " + ErrorText(errno);
            ::close(handle);
            handle = -1;
            return;
        }
        ::usleep(useconds_t(pause) * 1000);
    }
}

TStoredRecordLock::TStoredRecordLock(TStoredRecordLock&& other) noexcept
    : handle(std::exchange(other.handle, -1)), problem(std::move(other.problem)), waitedOut(other.waitedOut)
{
}

TStoredRecordLock::~TStoredRecordLock()
{
    // Closing lets go of the lock.
    if (handle >= 0)
        ::close(handle);
}

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
    } else if (status != TFileStatus::Missing && !NameTooLong(StoredRecordLocation(area, name))) {
        record.state = TStoredRecord::UNREADABLE;
        record.problem = FileStatusText(status);
    }
    return record;
}

std::string WriteStoredRecord(TStorageArea area, const std::string& name, const std::string& bytes,
                              std::string* note)
{
    const std::string areaFolder = AreaFolder(area);
    if (areaFolder.empty())
        return "no home folder (neither HOME nor XDG_" +
               std::string(area == TStorageArea::DATA ? "DATA" : "CONFIG") + "_HOME is set)";
    std::string problem;
    if (!MakeFolders(areaFolder, problem))
        return problem;
    std::string path = areaFolder + "/" + name;
    if (!FollowLinks(path, problem))
        return problem;
    const size_t slash = path.rfind('/');
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    // The new file takes the old one's permissions: a record the player made read-only, or private,
    // stays so.
    struct stat old {};
    const bool replacing = ::stat(path.c_str(), &old) == 0;
    const mode_t mode = replacing ? old.st_mode & 07777 : 0644;
    // A name of its own for each writer, so two copies of the game saving at once never write into
    // one temporary file; the rename then makes one of the two whole records the record.
    std::string temporary = path + ".tmp.XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return "cannot write in " + folder + ": " + ErrorText(errno);
    // Flushed before the rename: otherwise a power cut could leave the new name on an empty file.
    const bool written = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && Step("flush", ::fsync(fd)) == 0;
    const int writeError = errno;
    // close reports the write errors some file systems (NFS) keep until then.
    if (::close(fd) != 0 || !written) {
        const int error = written ? errno : writeError;
        ::unlink(temporary.c_str());
        return "cannot write " + temporary + ": " + ErrorText(error);
    }
    if (Step("rename", ::rename(temporary.c_str(), path.c_str())) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return "cannot replace " + path + ": " + ErrorText(error);
    }
    // The rename itself reaches the disk only with its folder.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        Step("flush folder", ::fsync(dir));
        ::close(dir);
    }
    // A rename gives the name a file of its own: other names of the old one (hard links) keep its bytes.
    // Writing into the old file in place would keep them, but a kill in the middle would tear it.
    if (note && replacing && old.st_nlink > 1)
        *note = path + " had other hard links, which keep the old contents: saved under this name alone";
    const size_t base = path.rfind('/') + 1;
    RemoveStaleTemporaries(folder, path.substr(base));
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
