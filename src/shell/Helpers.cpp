// Free helpers shared by the game's classes.
#include "shell/Helpers.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "platform/Platform.h"

void ReportError(const std::string& message, int fatal)
{
    // The box is modal on a real display and shows nothing offscreen, so tests never wait on it.
    ShowNotice(message, 0);
    // The runtime error ends the program with -1 whatever the fatal flag says; there is no way back
    // from a missing image.
    RuntimeError(message);
}

namespace {

// The line under a failed load: the folder that was searched, in full (the path alone is relative to a
// working directory the player may not know), and why the file could not be used.
std::string WhereAndWhy(const std::string& path)
{
    std::error_code error;
    std::filesystem::path folder = std::filesystem::absolute(path, error).parent_path();
    const std::string where = error ? std::filesystem::path(path).parent_path().string() : folder.string();
    return "\nSearched in " + where + "/: " + LastImageLoadFailure();
}

}  // namespace

TImagePtr LoadImageChecked(const std::string& path, int flags)
{
    TImagePtr image = LoadImageFile(path, flags);
    if (!image)
        ReportError("Error loading image " + path + WhereAndWhy(path), 1);
    return image;
}

TImagePtr LoadAnimImageChecked(const std::string& path, int cellWidth, int cellHeight, int firstCell,
                               int cellCount, int flags)
{
    TImagePtr image = LoadImageStrip(path, cellWidth, cellHeight, firstCell, cellCount, flags);
    if (!image)
        ReportError("Error loading anim image " + path + WhereAndWhy(path), 1);
    return image;
}

int PrecacheImage(const TImagePtr& image)
{
    if (!image)
        return 0;
    for (int frame = 0; frame < image->FrameCount(); ++frame)
        image->Frame(frame);
    return 0;
}

int NextPowerOfTwo(int n)
{
    int value = 1;
    // Stop before overflowing; no image comes near 2^30 pixels across.
    while (value < n && value < (1 << 30))
        value *= 2;
    return value;
}

std::string EnsureTrailingSlash(const std::string& path)
{
    if (!path.empty() && (path.back() == '/' || path.back() == '\\'))
        return path;
    return path + "/";
}

int RectsOverlap(int x1, int y1, int w1, int h1, int x2, int y2, int w2, int h2)
{
    return (x1 < x2 + w2 && x2 < x1 + w1 && y1 < y2 + h2 && y2 < y1 + h1) ? 1 : 0;
}

std::string PadWithZeros(const std::string& text, int length)
{
    // Counted in characters, not bytes, so the rule holds for any text a label is given.
    int missing = length - Utf8Length(text);
    if (missing <= 0)
        return text;
    return std::string(static_cast<size_t>(missing), '0') + text;
}

namespace {

// The length of the UTF-8 character that starts text[at], or 0 when the bytes there are not one (a stray
// continuation byte, a cut or overlong sequence, a surrogate, beyond U+10FFFF), or when it is a C1 control
// character (U+0080 to U+009F), which some terminals act on as they do on an escape.
size_t PrintableCharacterLength(const std::string& text, size_t at)
{
    const auto byte = [&](size_t i) { return i < text.size() ? uint8_t(text[i]) : uint8_t(0); };
    const uint8_t lead = byte(at);
    size_t length = 0;
    uint8_t low = 0x80, high = 0xBF;   // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        if (lead == 0xC2)
            low = 0xA0;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
            return 0;
    return length;
}

}  // namespace

std::string QuotedForMessage(const std::string& text)
{
    // A 100,000-digit argument is no easier to read whole, and would scroll the reason off the screen.
    constexpr int SHOWN = 40;
    std::string quoted = "'";
    int shown = 0;
    for (size_t at = 0; at < text.size(); ++shown) {
        if (shown == SHOWN) {
            quoted += "...";
            break;
        }
        const uint8_t c = uint8_t(text[at]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            quoted += char(c);
            ++at;
        } else if (c == '\\') {
            quoted += "\\\\";
            ++at;
        } else if (const size_t length = c >= 0x80 ? PrintableCharacterLength(text, at) : 0) {
            quoted += text.substr(at, length);
            at += length;
        } else {
            // Escape sequences and the like never reach the terminal as they are.
            static const char HEX[] = "0123456789abcdef";
            quoted += std::string("\\x") + HEX[c >> 4] + HEX[c & 15];
            ++at;
        }
    }
    return quoted + "'";
}

int AnyMouseHit()
{
    // Short-circuit on purpose: buttons after the first clicked one keep their clicks pending.
    return (MouseButtonWasHit(1) || MouseButtonWasHit(2) || MouseButtonWasHit(3)) ? 1 : 0;
}

int DrawRectOutline(int x, int y, int width, int height)
{
    const float left = float(x), top = float(y);
    const float right = float(x + width - 1), bottom = float(y + height - 1);
    // Each line leaves out its end pixel, which the next line starts on, so no corner is drawn twice.
    DrawLine(left, top, right, top, 0);
    DrawLine(right, top, right, bottom, 0);
    DrawLine(right, bottom, left, bottom, 0);
    DrawLine(left, bottom, left, top, 0);
    return 0;
}

double MajorScaleRate(int step)
{
    // Semitones of the major scale: a whole tone everywhere except after the 3rd and 7th degrees.
    static constexpr int thresholds[] = {1, 2, 4, 5, 6, 8, 9, 11, 12, 13};
    int semitones = step;
    for (int threshold : thresholds)
        if (step >= threshold)
            ++semitones;
    return std::pow(2.0, semitones / 12.0);
}
