// pagetexts <locale folder> <out.js> LANG... - the texts of the browser build's page in every language,
// read from the same catalogs as the game's, as a script the page loads before anything else: it must
// speak the player's language while the game itself is still on its way.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Language.h"

namespace {

// Every text the page shows (web/index.html asks for them by these very strings).
const char* const PAGE_TEXTS[] = {
    ToTranslate("Loading Calcadia…"),
    ToTranslate("Play again"),
    ToTranslate("Calcadia needs WebGL 2, which this browser does not offer (or has turned off). A current "
                "Firefox, Chrome, Edge or Safari with hardware acceleration allowed will play it."),
    ToTranslate("The game has ended. Thank you for playing!"),
    ToTranslate("Calcadia stopped on an error."),
    ToTranslate("The game has ended."),
    ToTranslate("The game could not be loaded: calcadia.js is missing from the server."),
};

// A JSON string: quotes, backslashes and control characters escaped, UTF-8 kept.
std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: pagetexts <locale folder> <out.js> LANG...\n");
        return 2;
    }
    std::string js = "// Made by the build from the catalogs (po/): the page's texts in each language.\n"
                     "window.CALCADIA_PAGE_TEXTS = {\n";
    for (int i = 3; i < argc; ++i) {
        if (UseLanguage("calcadia", argv[1], argv[i]).empty()) {
            std::fprintf(stderr, "pagetexts: no catalog for %s in %s\n", argv[i], argv[1]);
            return 1;
        }
        js += "  " + Quoted(argv[i]) + ": {\n";
        for (const char* text : PAGE_TEXTS)
            js += "    " + Quoted(text) + ": " + Quoted(Translate(text)) + ",\n";
        js += "  },\n";
    }
    js += "};\n";
    FILE* out = std::fopen(argv[2], "w");
    if (!out || std::fputs(js.c_str(), out) < 0 || std::fclose(out) != 0) {
        std::fprintf(stderr, "pagetexts: could not write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
