// System information: both name tables row by row, the version record, the display-mode lines, environment
// variables, the special folders over a scratch home, and the maximise box.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "extras/SystemInfo.h"
#include "platform/DisplayFixture.h"
#include "platform/Platform.h"
#include "platform/Testing.h"
#include "platform/Window.h"
#include "support/game/GameHarness.h"

namespace fs = std::filesystem;

namespace {

TOSVersionInfoEx Version(uint32_t platform, uint32_t major, uint32_t minor)
{
    TOSVersionInfoEx info;
    info.dwPlatformId = platform;
    info.dwVerMajor = major;
    info.dwVerMinor = minor;
    return info;
}

TEST(SystemInfoTest, OSNameTableRowByRow)
{
    const struct { uint32_t platform, major, minor; const char* name; } rows[] = {
        {0, 0, 0, "Win32s"},       {0, 6, 1, "Win32s"},
        {2, 4, 0, "Windows NT"},   {2, 4, 90, "Windows NT"},
        {2, 5, 0, "Windows 2000"}, {2, 5, 1, "Windows XP"},   {2, 5, 2, "Windows XP"}, {2, 5, 3, "Windows NT"},
        {2, 6, 0, "Windows Vista"}, {2, 6, 1, "Windows 7"},   {2, 6, 2, "Windows NT"},
        {2, 10, 0, "Windows NT"},
        // The 95 family is told apart by the minor number alone.
        {1, 4, 0, "Windows 95"},   {1, 7, 0, "Windows 95"},   {1, 4, 10, "Windows 98"}, {1, 4, 90, "Windows ME"},
        {1, 4, 1, ""},             {3, 5, 1, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(OSNameFor(Version(row.platform, row.major, row.minor)), row.name)
            << "platform " << row.platform << " version " << row.major << "." << row.minor;
}

TEST(SystemInfoTest, DirectXTableMatchesExactTextsOnly)
{
    const struct { const char* value; const char* release; } rows[] = {
        {"4.02.0095", "1.0"},       {"4.03.00.1096", "2.0"},   {"4.04.0068", "3.0"},
        {"4.04.0069", "3.0"},       {"4.05.00.0155", "5.0"},   {"4.05.01.1721", "5.0"},
        {"4.05.01.1998", "5.0"},    {"4.06.02.0436", "6.0"},   {"4.07.00.0700", "7.0"},
        {"4.07.00.0716", "7.0a"},   {"4.08.00.0400", "8.0"},   {"4.08.01.0881", "8.1"},
        {"4.08.01.0810", "8.1"},    {"4.09.0000.0900", "9.0"}, {"4.09.00.0900", "9.0"},
        {"4.09.0000.0901", "9.0a"}, {"4.09.00.0901", "9.0a"},  {"4.09.0000.0902", "9.0b"},
        {"4.09.00.0902", "9.0b"},   {"4.09.00.0904", "9.0c"},  {"4.09.0000.0904", "9.0c"},
        // Near misses: no prefix, suffix, padding or neighbouring build matches.
        {"", ""},                   {"4.09.00.0903", ""},      {"4.09.00.09", ""},
        {"4.09.00.0904 ", ""},      {" 4.02.0095", ""},        {"9.0c", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DirectXVersionFor(row.value), row.release) << '"' << row.value << '"';

    // Neither the version call nor the registry exists here.
    EXPECT_EQ(GetOSName(), "");
    EXPECT_EQ(GetDirectXVersion(), "");
}

TEST(SystemInfoTest, VersionRecordStartsZeroedAndKeepsItsServicePackText)
{
    TOSVersionInfoEx info;
    const unsigned char zeros[sizeof info] = {};
    EXPECT_EQ(std::memcmp(&info, zeros, sizeof info), 0);

    // The text spans the 128 bytes from szCSDVersion on: at most 127 characters and the terminating
    // zero, the fields after the buffer untouched; a buffer full to its end is read to its end only.
    info.wServicePackMajor = 0xBEEF;
    info.SetCSDVersionText(std::string(300, 'x'));
    EXPECT_EQ(info.CSDVersionText(), std::string(127, 'x'));
    EXPECT_EQ(info.wServicePackMajor, 0xBEEF);
    std::memset(reinterpret_cast<char*>(&info) + 20, 'y', 128);
    EXPECT_EQ(info.CSDVersionText(), std::string(128, 'y'));
}

TEST(SystemInfoTest, DisplayModesOneLineEach)
{
    EXPECT_EQ(DisplayModeLine(0, 640, 480, 16, 60), "0 Width: 640 Height: 480 Depth: 16 Hertz: 60");
    // SDL's dummy driver offers one mode, 8 bits a colour stored in 32 bits a pixel: a 32-bit mode. In
    // a process of its own, since the driver is chosen when video first starts.
    EXPECT_EXIT({ setenv("SDL_VIDEODRIVER", "dummy", 1); std::_Exit(GetDisplayMode(0).depth); },
                testing::ExitedWithCode(32), "");

    PrepareHeadlessPlatform();
    GameHarness::StartCapturingStdout();
    ListDisplayModes();
    const std::string output = GameHarness::StopCapturingStdout();

    std::istringstream lines(output);
    std::string line;
    int index = 0;
    for (; std::getline(lines, line); ++index) {
        const TDisplayMode mode = GetDisplayMode(index);
        EXPECT_EQ(line, DisplayModeLine(index, mode.width, mode.height, mode.depth, mode.refreshHz));
    }
    EXPECT_EQ(index, CountDisplayModes());
}

// Sets environment variables for one test and puts the old values back afterwards.
class TEnvironment {
public:
    ~TEnvironment()
    {
        for (auto it = saved.rbegin(); it != saved.rend(); ++it) {
            if (it->second)
                setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                unsetenv(it->first.c_str());
        }
    }
    void Set(const std::string& name, const std::optional<std::string>& value)
    {
        const char* old = std::getenv(name.c_str());
        saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        if (value)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

TEST(SystemInfoTest, EnvironmentVariablesOfAnyLength)
{
    TEnvironment environment;
    const std::string longValue(5000, 'v');
    environment.Set("CALCADIA_TEST_LONG", longValue);
    environment.Set("CALCADIA_TEST_EMPTY", "");
    environment.Set("CALCADIA_TEST_UNSET", std::nullopt);
    EXPECT_EQ(GetEnvVar("CALCADIA_TEST_LONG"), longValue);
    EXPECT_EQ(GetEnvVar("CALCADIA_TEST_EMPTY"), "");
    EXPECT_EQ(GetEnvVar("CALCADIA_TEST_UNSET"), "");
}

TEST(SystemInfoTest, SpecialFoldersFollowTheXdgDirectories)
{
    const fs::path home = fs::absolute("sysinfo_home");
    fs::remove_all(home);
    for (const char* folder : {"Desktop", "Documents", "Pictures", "Tunes", ".local/share/fonts", ".cache",
                               "data", ".config"})
        fs::create_directories(home / folder);
    const std::string h = home.string();

    TEnvironment environment;
    environment.Set("HOME", h);
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_DESKTOP_DIR",
                             "XDG_DOCUMENTS_DIR", "XDG_MUSIC_DIR", "XDG_PICTURES_DIR", "XDG_VIDEOS_DIR",
                             "XDG_TEMPLATES_DIR"})
        environment.Set(name, std::nullopt);

    // The defaults under home, each with a slash; folders that do not exist give "".
    EXPECT_EQ(GetSpecialFolder(SPECIAL_FOLDER_DESKTOP), h + "/Desktop/");
    EXPECT_EQ(GetSpecialFolder(SPECIAL_FOLDER_DESKTOP_DIRECTORY), h + "/Desktop/");
    EXPECT_EQ(GetSpecialFolder(SPECIAL_FOLDER_DOCUMENTS), h + "/Documents/");
    EXPECT_EQ(GetSpecialFolder(SPECIAL_FOLDER_PICTURES), h + "/Pictures/");
    EXPECT_EQ(GetSpecialFolder(SPECIAL_FOLDER_MUSIC), "");
    EXPECT_EQ(GetSpecialFolder(SPECIAL_FOLDER_VIDEOS), "");
    EXPECT_EQ(GetSpecialFolder(SPECIAL_FOLDER_APP_DATA), h + "/.local/share/");
    EXPECT_EQ(GetSpecialFolder(SPECIAL_FOLDER_LOCAL_APP_DATA), h + "/.local/share/");
    EXPECT_EQ(GetSpecialFolder(SPECIAL_FOLDER_FONTS), h + "/.local/share/fonts/");
    EXPECT_EQ(GetSpecialFolder(SPECIAL_FOLDER_INTERNET_CACHE), h + "/.cache/");
    EXPECT_EQ(GetSpecialFolder(SPECIAL_FOLDER_PROFILE), h + "/");
    EXPECT_EQ(GetSpecialFolder(0x25), "");   // the system folder has no counterpart
    EXPECT_EQ(GetSpecialFolder(-1), "");

    // user-dirs.dirs renames user folders; the last valid line wins, comments and bad lines are skipped;
    // a folder pointed at home is switched off.
    std::ofstream(home / ".config/user-dirs.dirs") << "# written by a test\n"
                                                      "XDG_MUSIC_DIR=\"$HOME/Music\"\n"
                                                      "XDG_MUSIC_DIR=\"$HOME/Tunes/\"\n"
                                                      "XDG_PICTURES_DIR=Pictures\n"
                                                      "XDG_DESKTOP_DIR=\"$HOME/\"\n"
                                                      "XDG_DOCUMENTS_DIR=\"" + h + "/data\"\n";
    EXPECT_EQ(GetSpecialFolder(SPECIAL_FOLDER_MUSIC), h + "/Tunes/");
    EXPECT_EQ(GetSpecialFolder(SPECIAL_FOLDER_PICTURES), h + "/Pictures/");
    EXPECT_EQ(GetSpecialFolder(SPECIAL_FOLDER_DESKTOP), "");
    EXPECT_EQ(GetSpecialFolder(SPECIAL_FOLDER_DOCUMENTS), h + "/data/");

    // Environment variables come first, but only absolute paths count.
    environment.Set("XDG_DOCUMENTS_DIR", h + "/Documents");
    environment.Set("XDG_DATA_HOME", h + "/data");
    environment.Set("XDG_CACHE_HOME", ".cache-relative");
    EXPECT_EQ(GetSpecialFolder(SPECIAL_FOLDER_DOCUMENTS), h + "/Documents/");
    EXPECT_EQ(GetSpecialFolder(SPECIAL_FOLDER_APP_DATA), h + "/data/");
    EXPECT_EQ(GetSpecialFolder(SPECIAL_FOLDER_FONTS), "");
    EXPECT_EQ(GetSpecialFolder(SPECIAL_FOLDER_INTERNET_CACHE), h + "/.cache/");

    // The config folder moves with XDG_CONFIG_HOME.
    environment.Set("XDG_CONFIG_HOME", h + "/data");
    EXPECT_EQ(GetSpecialFolder(SPECIAL_FOLDER_MUSIC), "");
    fs::remove_all(home);
}

using SystemInfoDisplayTest = DisplayTest;

TEST_F(SystemInfoDisplayTest, MaximizeBoxMakesTheOpenWindowResizableUntilReopened)
{
    EXPECT_EQ(DisplayIsResizable(), 0);
    EXPECT_EQ(AddMinimizeBox(CurrentDisplay()), 0);
    EXPECT_EQ(DisplayIsResizable(), 0);
    EXPECT_EQ(AddMaximizeBox(nullptr), 0);
    EXPECT_EQ(DisplayIsResizable(), 0);

    // The offscreen driver has no window manager and keeps its windows as they are; a real X server
    // (SDL_VIDEODRIVER=x11 under xvfb-run) makes the window resizable.
    const int added = AddMaximizeBox(CurrentDisplay());
    EXPECT_EQ(DisplayIsResizable(), added);
    if (GetEnvVar("SDL_VIDEODRIVER") == "x11") {
        EXPECT_EQ(added, 1);
    }

    ASSERT_NE(OpenGraphics(1024, 768, 0, 60, 0), nullptr);
    EXPECT_EQ(DisplayIsResizable(), 0);
    CloseGraphics();
    EXPECT_EQ(DisplayIsResizable(), 0);
    EXPECT_EQ(SetDisplayResizable(nullptr, 1), 0);
}

}  // namespace
