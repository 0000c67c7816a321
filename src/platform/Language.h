// Language - the player's language: every text a player reads goes through the message catalogs
// (gettext's .mo files, one per language) that the C library reads.
#pragma once

#include <string>

// Chooses the language for the catalogs of `domain` in `folder` (folder/LANG/LC_MESSAGES/domain.mo).
// `asked` is a language asked for by name (--lang, the page's choice); empty takes the locale's
// (LANGUAGE, LC_ALL, LC_MESSAGES, LANG, the C library's order). Without a catalog for it, or in the
// C or an English locale, every text stays as written. Returns the language of the catalog in use
// (its header's "Language:"), "" when none is.
std::string UseLanguage(const std::string& domain, const std::string& folder, const std::string& asked);
// The language of the catalog in use, "" when the texts are as written.
const std::string& CurrentLanguage();
// True while a catalog is in use: layouts may then have to fit texts longer than the written ones.
bool Translated();
// True when the last UseLanguage left a damaged catalog unread, and said so on standard error.
bool CatalogLeftAside();

// Marks a message for the catalogs where it is written (a table of them); Translate it where it is used.
constexpr const char* ToTranslate(const char* message) { return message; }
// The message in the player's language.
const char* Translate(const char* message);
// The message with every %d or %s in it replaced by value, and %% by %.
std::string TranslateWith(const char* message, const std::string& value);
// The plural form for n (the language's own rule: one, few, many...), with %d replaced by n.
std::string TranslateCount(const char* one, const char* many, long n);
// %d and %s replaced by value, %% by %: the substitution the two above make, for texts already translated.
std::string FillIn(const std::string& pattern, const std::string& value);
