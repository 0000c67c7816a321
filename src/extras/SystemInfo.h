// System information - the operating system and graphics-runtime names, the display modes, environment
// variables, the user's special folders, and window decorations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct TDisplay;

// The operating system's extended version record, byte for byte as the system call fills it: 156 bytes
// with no padding. The service-pack text occupies the 128 bytes from szCSDVersion through pad15; the
// 64-bit parts sit at offsets that are only 4-aligned, hence the packing.
#pragma pack(push, 4)
struct TOSVersionInfoEx {
    uint32_t dwOSVersionInfoSize = 0;   // set to sizeof(TOSVersionInfoEx) before the call
    uint32_t dwVerMajor = 0;
    uint32_t dwVerMinor = 0;
    uint32_t dwBuildNumber = 0;
    uint32_t dwPlatformId = 0;          // 0 Win32s, 1 the 95 family, 2 the NT family
    uint32_t szCSDVersion = 0;
    uint64_t pad0 = 0, pad1 = 0, pad2 = 0, pad3 = 0, pad4 = 0, pad5 = 0, pad6 = 0, pad7 = 0;
    uint64_t pad8 = 0, pad9 = 0, pad10 = 0, pad11 = 0, pad12 = 0, pad13 = 0, pad14 = 0;
    uint32_t pad15 = 0;
    uint16_t wServicePackMajor = 0;
    uint16_t wServicePackMinor = 0;
    uint16_t wSuiteMask = 0;
    uint8_t wProductType = 0;
    uint8_t wReserved = 0;

    static constexpr size_t CSD_VERSION_BYTES = 128;
    // The service-pack text: the bytes from szCSDVersion up to the first zero byte (at most 128).
    std::string CSDVersionText() const;
    void SetCSDVersionText(const std::string& text);
};
#pragma pack(pop)

static_assert(sizeof(TOSVersionInfoEx) == 156);
static_assert(offsetof(TOSVersionInfoEx, dwOSVersionInfoSize) == 0);
static_assert(offsetof(TOSVersionInfoEx, dwVerMajor) == 4);
static_assert(offsetof(TOSVersionInfoEx, dwVerMinor) == 8);
static_assert(offsetof(TOSVersionInfoEx, dwBuildNumber) == 12);
static_assert(offsetof(TOSVersionInfoEx, dwPlatformId) == 16);
static_assert(offsetof(TOSVersionInfoEx, szCSDVersion) == 20);
static_assert(offsetof(TOSVersionInfoEx, pad0) == 24);
static_assert(offsetof(TOSVersionInfoEx, pad14) == 136);
static_assert(offsetof(TOSVersionInfoEx, pad15) == 144);
static_assert(offsetof(TOSVersionInfoEx, wServicePackMajor) == 148);
static_assert(offsetof(TOSVersionInfoEx, wServicePackMinor) == 150);
static_assert(offsetof(TOSVersionInfoEx, wSuiteMask) == 152);
static_assert(offsetof(TOSVersionInfoEx, wProductType) == 154);
static_assert(offsetof(TOSVersionInfoEx, wReserved) == 155);

// The system's name for a version record ("" for an unknown platform or 95-family release).
std::string OSNameFor(const TOSVersionInfoEx& info);
// The graphics-runtime release for the registry's "Version" text, compared exactly; "" when unknown.
std::string DirectXVersionFor(const std::string& registryVersion);

// Both need the version call and the registry of the system the tables describe; this platform has
// neither, so they return "" (a zeroed record would otherwise read as the oldest platform).
std::string GetOSName();
std::string GetDirectXVersion();

// "0 Width: 640 Height: 480 Depth: 16 Hertz: 60": one line of ListDisplayModes.
std::string DisplayModeLine(int index, int width, int height, int depth, int refreshHz);
// One PrintLine per full-screen mode the display offers, in index order from 0.
int ListDisplayModes();

// The value of an environment variable, of any length; "" when it is not set.
std::string GetEnvVar(const std::string& name);

// Shell folder ids, as the folder tables number them.
enum : int {
    SPECIAL_FOLDER_DESKTOP = 0x00,
    SPECIAL_FOLDER_DOCUMENTS = 0x05,
    SPECIAL_FOLDER_MUSIC = 0x0D,
    SPECIAL_FOLDER_VIDEOS = 0x0E,
    SPECIAL_FOLDER_DESKTOP_DIRECTORY = 0x10,
    SPECIAL_FOLDER_FONTS = 0x14,
    SPECIAL_FOLDER_TEMPLATES = 0x15,
    SPECIAL_FOLDER_APP_DATA = 0x1A,
    SPECIAL_FOLDER_LOCAL_APP_DATA = 0x1C,
    SPECIAL_FOLDER_INTERNET_CACHE = 0x20,
    SPECIAL_FOLDER_PICTURES = 0x27,
    SPECIAL_FOLDER_PROFILE = 0x28,
};

// The path of a special folder followed by "/", or "" when the id has no counterpart here or the
// folder does not exist. The ids map onto the XDG base and user directories:
//   desktop, desktop directory  -> XDG_DESKTOP_DIR    (default ~/Desktop)
//   documents                   -> XDG_DOCUMENTS_DIR  (default ~/Documents)
//   music                       -> XDG_MUSIC_DIR      (default ~/Music)
//   videos                      -> XDG_VIDEOS_DIR     (default ~/Videos)
//   pictures                    -> XDG_PICTURES_DIR   (default ~/Pictures)
//   templates                   -> XDG_TEMPLATES_DIR  (default ~/Templates)
//   app data, local app data    -> $XDG_DATA_HOME     (default ~/.local/share; no roaming split here)
//   fonts                       -> $XDG_DATA_HOME/fonts
//   internet cache              -> $XDG_CACHE_HOME    (default ~/.cache)
//   profile                     -> the home directory
// A user directory comes from its environment variable, else from $XDG_CONFIG_HOME/user-dirs.dirs
// (default ~/.config), else the default; relative paths are ignored as the XDG rules ask, and a user
// directory set to the home directory itself counts as switched off. Home is $HOME, else the
// password database's entry.
std::string GetSpecialFolder(int folderId);

// Waits for nothing: the one graphics driver that needed an explicit wait does not exist here, and
// FlipDisplay already waits for the vertical blank.
int WaitVerticalBlank();

// The maximise box is shown by window managers on windows that can be resized, so this makes the
// display's window resizable (the picture keeps its aspect with bars). It lasts until the display is
// reopened. Returns 1 when the window is now resizable; 0 when it is not the open display's or the video
// driver has no window manager to ask (offscreen).
int AddMaximizeBox(TDisplay* window);
// Does nothing and returns 0: windows already carry a minimise box under every window manager this
// runs on, and there is no portable way to add or remove one.
int AddMinimizeBox(TDisplay* window);
