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
    ToTranslate("Reload"),
    // TRANSLATORS: {file} is the name of a file of the game; keep it as it is.
    ToTranslate("This page was opened from a file, and this browser does not let such a page read the files "
                "beside it ({file}).\n\nOpen calcadia-offline.html from the same folder instead: the whole game "
                "in one file, which plays from a USB stick or an e-mail. Or put the folder on a web server."),
    // TRANSLATORS: {file} is the name of a file of the game; keep it as it is.
    ToTranslate("{file} could not be fetched: the network failed. Check the connection and reload the page."),
    // TRANSLATORS: {status} is the web server's answer, such as 404 Not Found; {file} the name of a file of
    // the game. Keep both as they are.
    ToTranslate("The server answered \"{status}\" for {file}, a file of the game. Copy every file of the build "
                "to the server, then reload."),
    // TRANSLATORS: {file} is the name of a file of the game, {length} and {size} numbers of bytes; keep them.
    ToTranslate("{file} arrived with {length} bytes where the build made {size}: the server holds another "
                "build, or the file was cut short. Copy the build again."),
    // TRANSLATORS: {reason} is the browser's own explanation, in its language; keep it as it is.
    ToTranslate("This browser could not start the game: {reason}\n\nA current Firefox, Chrome, Edge or Safari "
                "will play it."),
    ToTranslate("The graphics processor stopped drawing the game (it may have been reset or updated). Reload "
                "the page to play on; best scores are kept."),
    // TRANSLATORS: what a screen reader says of the game's picture.
    ToTranslate("Calcadia, an arithmetic game: type the answers"),
    // TRANSLATORS: the keys a tablet or phone shows beside the game: the pad, and what a screen reader
    // says of its two keys that are not digits.
    ToTranslate("Number pad"),
    ToTranslate("Delete"),
    ToTranslate("Enter"),
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
