// Character-wise counting and cutting of UTF-8 text, including malformed bytes; the message catalogs.
#include "platform/Language.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

TEST(Utf8, CountsCutsAndAppendsByCharacter)
{
    std::string s = "42";
    AppendUtf8(s, 0xE9);      // é, two bytes
    AppendUtf8(s, 0x20AC);    // €, three bytes
    AppendUtf8(s, 0x1F600);   // four bytes
    EXPECT_EQ(s.size(), 2u + 2 + 3 + 4);
    EXPECT_EQ(Utf8Length(s), 5);
    EXPECT_EQ(Utf8Left(s, 3), "42\xC3\xA9");
    EXPECT_EQ(Utf8Left(s, 0), "");
    EXPECT_EQ(Utf8Left(s, 99), s);
    EXPECT_EQ(DecodeUtf8(s), (std::vector<char32_t>{'4', '2', 0xE9, 0x20AC, 0x1F600}));
}

TEST(Utf8, MalformedBytesBecomeOneReplacementEach)
{
    // A lone continuation byte, a truncated sequence at the end, an overlong slash and a surrogate.
    EXPECT_EQ(DecodeUtf8("\x80" "a"), (std::vector<char32_t>{0xFFFD, 'a'}));
    EXPECT_EQ(DecodeUtf8("a\xE2\x82"), (std::vector<char32_t>{'a', 0xFFFD, 0xFFFD}));
    EXPECT_EQ(DecodeUtf8("\xC0\xAF"), (std::vector<char32_t>{0xFFFD, 0xFFFD}));
    EXPECT_EQ(DecodeUtf8("\xED\xA0\x80").size(), 3u);
    std::string bad;
    AppendUtf8(bad, 0xD800);
    EXPECT_EQ(DecodeUtf8(bad), (std::vector<char32_t>{0xFFFD}));
}

namespace {

// The variables the language is chosen from, set by the test alone and put back afterwards: what this
// machine's locale is, or has installed, decides nothing.
class TLocaleVariables {
public:
    TLocaleVariables()
    {
        for (const char* name : NAMES)
            if (const char* value = std::getenv(name))
                kept.emplace_back(name, value);
        Set("C", "", "", "");
    }
    ~TLocaleVariables()
    {
        Set("", "", "", "");
        for (const auto& [name, value] : kept)
            setenv(name, value.c_str(), 1);
    }
    // Each variable's value, in NAMES' order; empty unsets it. A program chooses its language once, in
    // the C locale it starts in; so does each choice here. (The C library keeps what it has looked up
    // for as long as the messages' locale keeps its name.)
    void Set(const char* lang, const char* messages, const char* all, const char* language)
    {
        const char* values[] = {lang, messages, all, language};
        for (size_t i = 0; i < std::size(NAMES); ++i)
            *values[i] ? setenv(NAMES[i], values[i], 1) : unsetenv(NAMES[i]);
        setlocale(LC_MESSAGES, "C");
    }

private:
    static constexpr const char* NAMES[] = {"LANG", "LC_MESSAGES", "LC_ALL", "LANGUAGE"};
    std::vector<std::pair<const char*, std::string>> kept;
};

}  // namespace

// The catalogs the build made in locale/: the language asked for, the locale's, the plural rules of the
// catalog's own language, and the substitution a hand-edited catalog cannot make read past its value.
TEST(Catalogs, LanguagesPluralsAndTheFillingIn)
{
    // Languages asked for by name start in the C locale, where the C library alone reads no catalog.
    TLocaleVariables locale;
    const char* good = "Good";
    EXPECT_EQ(Translate(good), good);   // nothing chosen: the very texts as written

    EXPECT_EQ(UseLanguage("calcadia", "locale", "fr"), "fr");
    EXPECT_TRUE(Translated());
    EXPECT_STREQ(Translate("Good"), "Bien !");
    EXPECT_STREQ(Translate("not in any catalog"), "not in any catalog");
    // French counts 0 and 1 as one.
    EXPECT_EQ(TranslateCount("+ %d points", "+ %d points", 0), "+ 0 point");
    EXPECT_EQ(TranslateCount("+ %d points", "+ %d points", 2), "+ 2 points");
    EXPECT_EQ(TranslateWith("Level %d Complete!", "3"), "Niveau 3 réussi !");

    EXPECT_EQ(UseLanguage("calcadia", "locale", "ru_RU.UTF-8"), "ru");
    for (const auto& [n, text] : std::vector<std::pair<long, std::string>>{
             {1, "+ 1 очко"}, {3, "+ 3 очка"}, {5, "+ 5 очков"}, {11, "+ 11 очков"}, {21, "+ 21 очко"},
             {112, "+ 112 очков"}, {124, "+ 124 очка"}})
        EXPECT_EQ(TranslateCount("+ %d points", "+ %d points", n), text);

    // No catalog, or English: the texts as written, English's own plural.
    for (const char* none : {"xx", "en", "en_GB.UTF-8"}) {
        EXPECT_EQ(UseLanguage("calcadia", "locale", none), "") << none;
        EXPECT_FALSE(Translated());
        EXPECT_EQ(Translate(good), good);
        EXPECT_EQ(TranslateCount("Get %d Right", "Get %d Right", 1), "Get 1 Right");
    }

    // From the environment: LC_ALL over LC_MESSAGES over LANG, the locale named whether or not it is
    // installed (no machine has one for ZZ, which is no country's code); LANGUAGE's list first, but the
    // C locale speaks no language whatever LANGUAGE says.
    locale.Set("fr_ZZ.UTF-8", "de_ZZ.UTF-8", "", "");
    EXPECT_EQ(UseLanguage("calcadia", "locale", ""), "de");
    EXPECT_STREQ(Translate("Good"), "Gut!");
    locale.Set("de_ZZ.UTF-8", "de_ZZ.UTF-8", "fr_ZZ.UTF-8", "");
    EXPECT_EQ(UseLanguage("calcadia", "locale", ""), "fr");
    locale.Set("de_ZZ.UTF-8", "", "", "pl");
    EXPECT_EQ(UseLanguage("calcadia", "locale", ""), "pl");
    locale.Set("de_ZZ.UTF-8", "", "C", "pl");
    EXPECT_EQ(UseLanguage("calcadia", "locale", ""), "");
    UseLanguage("calcadia", "locale", "en");

    EXPECT_EQ(FillIn("%d%% of %s, %x, %n and a lone %", "7"), "7% of 7, %x, %n and a lone %");
    EXPECT_EQ(FillIn("", "7"), "");
}
