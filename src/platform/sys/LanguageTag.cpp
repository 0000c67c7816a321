// LanguageTag - a language as people write it (pt, pt-BR, de-DE, EN) turned into the name of a
// catalog folder as gettext looks it up (pt_BR, de_DE, en).
#include "platform/Language.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        c = char(std::tolower((unsigned char)c));
    return text;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = char(std::toupper((unsigned char)c));
    return text;
}

}  // namespace

std::string CatalogNameForTag(const std::string& tag, const std::vector<std::string>& catalogs)
{
    // The encoding and the modifier (.UTF-8, @latin) are gettext's business and pass through untouched.
    const size_t tail = std::min(tag.find('.'), tag.find('@'));
    std::string base = tag.substr(0, tail);
    const std::string rest = tail == std::string::npos ? "" : tag.substr(tail);
    std::replace(base.begin(), base.end(), '-', '_');
    const size_t cut = base.find('_');
    const std::string language = Lower(base.substr(0, cut));
    std::string region = cut == std::string::npos ? "" : base.substr(cut + 1);
    // A region (BR, 419) is written in capitals; a script (Latn) or anything longer keeps its case.
    if (region.size() == 2 || (region.size() == 3 && std::isdigit((unsigned char)region[0])))
        region = Upper(region);
    const std::string name = region.empty() && cut == std::string::npos ? language : language + "_" + region;
    if (std::find(catalogs.begin(), catalogs.end(), name) != catalogs.end() || cut != std::string::npos)
        return name + rest;
    // A bare language whose only catalog is a country's (pt for pt_BR): gettext would look for pt alone
    // and speak English. With two countries' catalogs, neither is the obvious one.
    std::string only;
    for (const std::string& catalog : catalogs)
        if (catalog.rfind(language + "_", 0) == 0) {
            if (!only.empty())
                return name + rest;
            only = catalog;
        }
    return (only.empty() ? name : only) + rest;
}

bool IsEnglishTag(const std::string& tag)
{
    const std::string language = Lower(tag.substr(0, tag.find_first_of("_-.@")));
    return language == "en" || language == "c" || language == "posix";
}

std::vector<std::string> CatalogsIn(const std::string& folder, const std::string& domain)
{
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (fs::exists(it->path() / "LC_MESSAGES" / (domain + ".mo"), error))
            names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool WrittenRightToLeft()
{
    const std::string language = Lower(CurrentLanguage().substr(0, CurrentLanguage().find_first_of("_-.@")));
    for (const char* rtl : {"ar", "he", "fa", "ur", "yi"})
        if (language == rtl)
            return true;
    return false;
}
