// Language - the player's language: every text a player reads goes through the message catalogs
// (gettext's .mo files, one per language) that the C library reads.
#pragma once

#include <string>
#include <vector>

// Chooses the language for the catalogs of `domain` in `folder` (folder/LANG/LC_MESSAGES/domain.mo).
// `asked` is a language asked for by name (--lang, the page's choice); empty takes the locale's
// (LANGUAGE, LC_ALL, LC_MESSAGES, LANG, the C library's order). Without a catalog for it, or in the
// C or an English locale, every text stays as written. Returns the language of the catalog in use
// (its header's "Language:"), "" when none is.
std::string UseLanguage(const std::string& domain, const std::string& folder, const std::string& asked);
// The catalog folder a language tag names among `catalogs`: "-" read as "_", the language in small
// letters and the country in capitals (pt-br: pt_BR), and a bare language to its one country's catalog
// (pt: pt_BR when that is the only Portuguese one). An encoding or modifier (.UTF-8, @latin) is kept.
std::string CatalogNameForTag(const std::string& tag, const std::vector<std::string>& catalogs);
// True for a tag that asks for the texts as written: English in any spelling (EN, en-GB), C, POSIX.
bool IsEnglishTag(const std::string& tag);
// The languages with a catalog of `domain` in `folder` (folder/LANG/LC_MESSAGES/domain.mo), sorted.
std::vector<std::string> CatalogsIn(const std::string& folder, const std::string& domain);
// The language of the catalog in use, "" when the texts are as written.
const std::string& CurrentLanguage();
// True while a catalog is in use: layouts may then have to fit texts longer than the written ones.
bool Translated();
// True when the last UseLanguage left a damaged catalog unread, and said so on standard error.
bool CatalogLeftAside();
// True while the language in use is written right to left (Arabic, Hebrew, Persian, Urdu, Yiddish):
// its screens are laid out as a mirror of the English ones.
bool WrittenRightToLeft();

// Marks a message for the catalogs where it is written (a table of them); Translate it where it is used.
constexpr const char* ToTranslate(const char* message) { return message; }
// The message in the player's language.
const char* Translate(const char* message);
// The message with every %d or %s in it replaced by value, and %% by %.
std::string TranslateWith(const char* message, const std::string& value);
// The message in the player's language, told apart by `context` from the same words elsewhere.
const char* TranslateIn(const char* context, const char* message);
// A number's text with its decimal point written as the player's language writes it (12,56 in most of
// Europe); unchanged without a catalog.
std::string LocalDecimal(const std::string& number);
// The plural form for n (the language's own rule: one, few, many...), with %d replaced by n.
std::string TranslateCount(const char* one, const char* many, long n);
// %d and %s replaced by value, %% by %: the substitution the two above make, for texts already translated.
std::string FillIn(const std::string& pattern, const std::string& value);
