// Text helpers - UTF-8 decoding and character-wise counting and cutting.
#include "platform/Text.h"

#include <locale.h>
#include <wctype.h>

char32_t NextUtf8(const std::string& text, size_t& i)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    const unsigned char c = p[i];
    int extra = 0;
    char32_t cp = 0;
    if (c < 0x80) { ++i; return c; }
    if ((c & 0xE0) == 0xC0) { extra = 1; cp = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { extra = 2; cp = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0) { extra = 3; cp = c & 0x07; }
    else { ++i; return 0xFFFD; }
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
        if (i + k >= n || (p[i + k] & 0xC0) != 0x80) { ok = false; break; }
        cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    // Overlong forms and surrogates are rejected byte by byte, like any other malformed input.
    static constexpr char32_t SMALLEST_OF_LENGTH[4] = {0, 0x80, 0x800, 0x10000};
    if (!ok || cp < SMALLEST_OF_LENGTH[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return 0xFFFD;
    }
    i += extra + 1;
    return cp;
}

std::vector<char32_t> DecodeUtf8(const std::string& text)
{
    std::vector<char32_t> out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();)
        out.push_back(NextUtf8(text, i));
    return out;
}

void AppendUtf8(std::string& text, char32_t cp)
{
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        text += static_cast<char>(cp);
    } else if (cp < 0x800) {
        text += static_cast<char>(0xC0 | (cp >> 6));
        text += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        text += static_cast<char>(0xE0 | (cp >> 12));
        text += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (cp >> 18));
        text += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

int Utf8Length(const std::string& text)
{
    int count = 0;
    for (size_t i = 0; i < text.size(); ++count)
        NextUtf8(text, i);
    return count;
}

std::string Utf8Left(const std::string& text, int n)
{
    std::string out;
    if (n <= 0) return out;
    int count = 0;
    for (char32_t cp : DecodeUtf8(text)) {
        if (count++ == n) break;
        AppendUtf8(out, cp);
    }
    return out;
}

char32_t UpperCaseChar(char32_t c)
{
    if (c < 0x80) return c >= U'a' && c <= U'z' ? c - 32 : c;
    // The program's own locale stays "C" (whose table knows ASCII only); the UTF-8 one is asked by name.
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
    if (!utf8) return c;
    const wint_t upper = towupper_l(static_cast<wint_t>(c), utf8);
    return upper == WEOF ? c : static_cast<char32_t>(upper);
}

std::string UpperCaseUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t start = i;
        const char32_t c = NextUtf8(text, i);
        const bool malformed = c == 0xFFFD && text.compare(start, i - start, "\xEF\xBF\xBD") != 0;
        if (malformed) out.append(text, start, i - start);
        else AppendUtf8(out, UpperCaseChar(c));
    }
    return out;
}
