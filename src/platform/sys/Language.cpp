// Language - message catalogs through the C library's gettext: glibc's on the desktop, musl's in the
// browser (emscripten's C library carries it, so the game needs no reader of its own; web/CatalogFile.cpp
// supplies the file reading that emscripten's port of it lacks).
//
// Only the messages' category follows the locale. LC_NUMERIC is never set, so the C library's own
// formatting keeps its C form; the decimal separator a language writes comes from its catalog instead
// (LocalDecimal), so it follows the language the game speaks rather than the locale. The catalogs' UTF-8 is
// handed out as it is rather than converted to the locale's character set, since the game draws
// UTF-8 whatever the terminal speaks.
#include "platform/Language.h"
#include "platform/sys/CatalogCheck.h"

#include <libintl.h>
#include <locale.h>

#include <cstdlib>
#include <cstring>

#ifndef __EMSCRIPTEN__
extern "C" int _nl_msg_cat_cntr;
#endif

namespace {

std::string domainName;
std::string language;
bool leftAside = false;

bool IsCLocale(const char* name)
{
    return !name || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0;
}

const char* FirstSet(std::initializer_list<const char*> names)
{
    for (const char* name : names)
        if (const char* value = std::getenv(name); value && *value)
            return value;
    return nullptr;
}

// The "Language:" line of the catalog's header, which gettext hands out as the translation of "".
std::string CatalogLanguage()
{
    if (domainName.empty())
        return "";
    // Through a variable: the text extractor would take a literal "" for a message.
    static const char* const HEADER_ID = "";
    const char* header = dgettext(domainName.c_str(), HEADER_ID);
    if (!header || !*header)
        return "";
    const char* line = std::strstr(header, "Language:");
    if (!line)
        return "";
    line += std::strlen("Language:");
    while (*line == ' ')
        ++line;
    const char* end = line;
    while (*end && *end != '\n' && *end != ' ')
        ++end;
    // A catalog whose header names no language is still a catalog in use.
    return end > line ? std::string(line, end) : std::string("?");
}

}  // namespace

std::string UseLanguage(const std::string& domain, const std::string& folder, const std::string& asked)
{
    domainName = domain;
    bindtextdomain(domain.c_str(), folder.c_str());
    bind_textdomain_codeset(domain.c_str(), "UTF-8");
#ifdef __EMSCRIPTEN__
    // musl reads the catalog named by the messages' locale itself and accepts any name for it; the
    // page has already chosen among the player's languages.
    setlocale(LC_MESSAGES, asked.empty() ? "C" : asked.c_str());
#else
    const char* now = setlocale(LC_MESSAGES, "");
    if (!asked.empty()) {
        // glibc tries LANGUAGE's list before the locale's name, but ignores it in the C locale, which any
        // other name avoids; C.UTF-8 is always there.
        setenv("LANGUAGE", CatalogNameForTag(asked, CatalogsIn(folder, domain)).c_str(), 1);
        if (IsCLocale(now))
            setlocale(LC_MESSAGES, "C.UTF-8");
    } else if (!now) {
        // The locale the environment names is not installed, and glibc would then stay in C and speak
        // no language at all. Its name still says which catalog the player wants: glibc reads it from
        // LANGUAGE under any locale but C.
        const char* wanted = FirstSet({"LC_ALL", "LC_MESSAGES", "LANG"});
        if (wanted && !IsCLocale(wanted) && !FirstSet({"LANGUAGE"}))
            setenv("LANGUAGE", wanted, 1);
        setlocale(LC_MESSAGES, wanted && !IsCLocale(wanted) ? "C.UTF-8" : "C");
    }
    // The C library trusts a catalog's every byte: only those that pass a check are left to it.
    leftAside = KeepSoundCatalogs(domain, folder);
    // glibc keeps the translations it has looked up until the locale changes, and a changed LANGUAGE
    // under the same locale is no change to it: a second choice would still be handed the first
    // language's texts. This counter is how gettext's manual says to tell it the list changed.
    ++_nl_msg_cat_cntr;
#endif
    language = CatalogLanguage();
    return language;
}

const std::string& CurrentLanguage() { return language; }

bool Translated() { return !language.empty(); }

bool CatalogLeftAside() { return leftAside; }

const char* Translate(const char* message)
{
    if (language.empty())
        return message;
    return dgettext(domainName.c_str(), message);
}

const char* TranslateIn(const char* context, const char* message)
{
    if (language.empty())
        return message;
    // The catalogs key a message with a context as the context, an EOT and the message.
    const std::string key = std::string(context) + '\004' + message;
    const char* found = dgettext(domainName.c_str(), key.c_str());
    return found == key.c_str() || std::strcmp(found, key.c_str()) == 0 ? message : found;
}

std::string LocalDecimal(const std::string& number)
{
    // TRANSLATORS: the decimal separator of your language, as a primary school writes it: "," for 12,56.
    const std::string separator = TranslateIn("decimal separator", ".");
    std::string out;
    for (char c : number)
        out += c == '.' ? separator : std::string(1, c);
    return out;
}

std::string FillIn(const std::string& pattern, const std::string& value)
{
    // Only these two conversions: a catalog edited by hand can never make this read what is not there,
    // as a printf with a mistaken conversion would.
    std::string out;
    out.reserve(pattern.size() + value.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            const char next = pattern[i + 1];
            if (next == 'd' || next == 's') {
                out += value;
                ++i;
                continue;
            }
            if (next == '%') {
                out += '%';
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

std::string TranslateWith(const char* message, const std::string& value)
{
    return FillIn(Translate(message), value);
}

std::string TranslateCount(const char* one, const char* many, long n)
{
    const char* form = language.empty() ? (n == 1 ? one : many)
                                        : dngettext(domainName.c_str(), one, many, (unsigned long)(n < 0 ? -n : n));
    return FillIn(form, std::to_string(n));
}
