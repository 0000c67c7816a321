// System information - the operating system and graphics-runtime names, the display modes, environment
// variables, the user's special folders, and window decorations.
#include "extras/SystemInfo.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/Platform.h"
#include "platform/Window.h"

std::string TOSVersionInfoEx::CSDVersionText() const
{
    // The text spans several members; read it as the bytes it is.
    char bytes[CSD_VERSION_BYTES];
    std::memcpy(bytes, reinterpret_cast<const char*>(this) + offsetof(TOSVersionInfoEx, szCSDVersion),
                CSD_VERSION_BYTES);
    return std::string(bytes, strnlen(bytes, CSD_VERSION_BYTES));
}

void TOSVersionInfoEx::SetCSDVersionText(const std::string& text)
{
    // Always leaves room for the terminating zero, as the system does.
    char bytes[CSD_VERSION_BYTES] = {};
    std::memcpy(bytes, text.data(), std::min(text.size(), CSD_VERSION_BYTES - 1));
    std::memcpy(reinterpret_cast<char*>(this) + offsetof(TOSVersionInfoEx, szCSDVersion), bytes,
                CSD_VERSION_BYTES);
}

std::string OSNameFor(const TOSVersionInfoEx& info)
{
    switch (info.dwPlatformId) {
    case 0:
        return "Win32s";
    case 1:
        switch (info.dwVerMinor) {
        case 0: return "Windows 95";
        case 10: return "Windows 98";
        case 90: return "Windows ME";
        default: return "";
        }
    case 2:
        if (info.dwVerMajor == 5 && info.dwVerMinor == 0)
            return "Windows 2000";
        if (info.dwVerMajor == 5 && (info.dwVerMinor == 1 || info.dwVerMinor == 2))
            return "Windows XP";
        if (info.dwVerMajor == 6 && info.dwVerMinor == 0)
            return "Windows Vista";
        if (info.dwVerMajor == 6 && info.dwVerMinor == 1)
            return "Windows 7";
        return "Windows NT";
    default:
        return "";
    }
}

std::string DirectXVersionFor(const std::string& registryVersion)
{
    static constexpr struct { const char* value; const char* release; } releases[] = {
        {"4.02.0095", "1.0"},        {"4.03.00.1096", "2.0"},   {"4.04.0068", "3.0"},
        {"4.04.0069", "3.0"},        {"4.05.00.0155", "5.0"},   {"4.05.01.1721", "5.0"},
        {"4.05.01.1998", "5.0"},     {"4.06.02.0436", "6.0"},   {"4.07.00.0700", "7.0"},
        {"4.07.00.0716", "7.0a"},    {"4.08.00.0400", "8.0"},   {"4.08.01.0881", "8.1"},
        {"4.08.01.0810", "8.1"},     {"4.09.0000.0900", "9.0"}, {"4.09.00.0900", "9.0"},
        {"4.09.0000.0901", "9.0a"},  {"4.09.00.0901", "9.0a"},  {"4.09.0000.0902", "9.0b"},
        {"4.09.00.0902", "9.0b"},    {"4.09.00.0904", "9.0c"},  {"4.09.0000.0904", "9.0c"},
    };
    for (const auto& release : releases)
        if (registryVersion == release.value)
            return release.release;
    return "";
}

std::string GetOSName() { return ""; }

std::string GetDirectXVersion() { return ""; }

std::string DisplayModeLine(int index, int width, int height, int depth, int refreshHz)
{
    return std::to_string(index) + " Width: " + std::to_string(width) + " Height: " + std::to_string(height) +
           " Depth: " + std::to_string(depth) + " Hertz: " + std::to_string(refreshHz);
}

int ListDisplayModes()
{
    const int count = CountDisplayModes();
    for (int index = 0; index < count; ++index) {
        const TDisplayMode mode = GetDisplayMode(index);
        PrintLine(DisplayModeLine(index, mode.width, mode.height, mode.depth, mode.refreshHz));
    }
    return 0;
}

std::string GetEnvVar(const std::string& name)
{
    // getenv hands back the whole value, so there is no buffer to outgrow.
    const char* value = std::getenv(name.c_str());
    return value ? std::string(value) : std::string();
}

namespace {

std::string StripTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string HomeDirectory()
{
    std::string home = GetEnvVar("HOME");
    if (home.empty()) {
        if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
            home = entry->pw_dir;
    }
    return home.empty() ? home : StripTrailingSlashes(home);
}

// An XDG base directory: the variable when it holds an absolute path, else home + the default.
std::string BaseDirectory(const char* variable, const char* homeDefault)
{
    const std::string value = GetEnvVar(variable);
    if (!value.empty() && value.front() == '/')
        return StripTrailingSlashes(value);
    const std::string home = HomeDirectory();
    return home.empty() ? home : home + "/" + homeDefault;
}

// The entry for a user directory in user-dirs.dirs: lines of NAME="$HOME/sub" or NAME="/absolute".
std::optional<std::string> UserDirsEntry(const std::string& name, const std::string& home)
{
    std::ifstream file(BaseDirectory("XDG_CONFIG_HOME", ".config") + "/user-dirs.dirs");
    std::string line;
    std::optional<std::string> found;
    while (std::getline(file, line)) {
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#')
            continue;
        const size_t equals = line.find('=', start);
        if (equals == std::string::npos || line.substr(start, equals - start) != name)
            continue;
        std::string value = line.substr(equals + 1);
        const size_t end = value.find_last_not_of(" \t\r");
        value = end == std::string::npos ? std::string() : value.substr(0, end + 1);
        if (value.size() < 2 || value.front() != '"' || value.back() != '"')
            continue;
        value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/'))
            found = home + value.substr(5);
        else if (!value.empty() && value.front() == '/')
            found = value;
        // The last valid line wins, as it does when the shell sources the file.
    }
    return found;
}

std::string UserDirectory(const char* variable, const char* homeDefault)
{
    const std::string home = HomeDirectory();
    std::string path = GetEnvVar(variable);
    if (path.empty() || path.front() != '/') {
        if (std::optional<std::string> entry = UserDirsEntry(variable, home))
            path = *entry;
        else
            path = home.empty() ? home : home + "/" + homeDefault;
    }
    path = StripTrailingSlashes(path);
    // Pointing a user directory at home is how it is switched off.
    return path == home ? std::string() : path;
}

std::string SpecialFolderPath(int folderId)
{
    switch (folderId) {
    case SPECIAL_FOLDER_DESKTOP:
    case SPECIAL_FOLDER_DESKTOP_DIRECTORY:
        return UserDirectory("XDG_DESKTOP_DIR", "Desktop");
    case SPECIAL_FOLDER_DOCUMENTS:
        return UserDirectory("XDG_DOCUMENTS_DIR", "Documents");
    case SPECIAL_FOLDER_MUSIC:
        return UserDirectory("XDG_MUSIC_DIR", "Music");
    case SPECIAL_FOLDER_VIDEOS:
        return UserDirectory("XDG_VIDEOS_DIR", "Videos");
    case SPECIAL_FOLDER_PICTURES:
        return UserDirectory("XDG_PICTURES_DIR", "Pictures");
    case SPECIAL_FOLDER_TEMPLATES:
        return UserDirectory("XDG_TEMPLATES_DIR", "Templates");
    case SPECIAL_FOLDER_APP_DATA:
    case SPECIAL_FOLDER_LOCAL_APP_DATA:
        return BaseDirectory("XDG_DATA_HOME", ".local/share");
    case SPECIAL_FOLDER_FONTS: {
        const std::string data = BaseDirectory("XDG_DATA_HOME", ".local/share");
        return data.empty() ? data : data + "/fonts";
    }
    case SPECIAL_FOLDER_INTERNET_CACHE:
        return BaseDirectory("XDG_CACHE_HOME", ".cache");
    case SPECIAL_FOLDER_PROFILE:
        return HomeDirectory();
    default:
        return "";
    }
}

}  // namespace

std::string GetSpecialFolder(int folderId)
{
    const std::string path = SpecialFolderPath(folderId);
    std::error_code error;
    if (path.empty() || !std::filesystem::is_directory(path, error))
        return "";
    return path == "/" ? path : path + "/";
}

int WaitVerticalBlank() { return 0; }

int AddMaximizeBox(TDisplay* window) { return SetDisplayResizable(window, 1); }

int AddMinimizeBox(TDisplay* window) { return 0; }
