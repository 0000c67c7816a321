// Character-wise counting and cutting of UTF-8 text, including malformed bytes; the message catalogs.
#include "platform/Language.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
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
    EXPECT_STREQ(Translate("Good"), "Bien\u202f!");
    EXPECT_STREQ(Translate("not in any catalog"), "not in any catalog");
    // French counts 0 and 1 as one.
    EXPECT_EQ(TranslateCount("+ %d points", "+ %d points", 0), "+ 0 point");
    EXPECT_EQ(TranslateCount("+ %d points", "+ %d points", 2), "+ 2 points");
    EXPECT_EQ(TranslateWith("Level %d Complete!", "3"), "Niveau 3 réussi\u202f!");

    EXPECT_EQ(UseLanguage("calcadia", "locale", "ru_RU.UTF-8"), "ru");
    for (const auto& [n, text] : std::vector<std::pair<long, std::string>>{
             {1, "+ 1 очко"}, {3, "+ 3 очка"}, {5, "+ 5 очков"}, {11, "+ 11 очков"}, {21, "+ 21 очко"},
             {112, "+ 112 очков"}, {124, "+ 124 очка"}})
        EXPECT_EQ(TranslateCount("+ %d points", "+ %d points", n), text);

    // Tags as people write them: a dash, capitals, a bare language whose one catalog is a country's.
    for (const auto& [tag, catalog] : std::vector<std::pair<std::string, std::string>>{
             {"pt", "pt_BR"}, {"pt-br", "pt_BR"}, {"PT_BR.UTF-8", "pt_BR"}, {"de-DE", "de"}, {"FR", "fr"}}) {
        EXPECT_EQ(UseLanguage("calcadia", "locale", tag), catalog) << tag;
        EXPECT_EQ(LocalDecimal("58.94"), "58,94") << tag;
    }
    // Two countries' catalogs: a bare language picks neither.
    EXPECT_EQ(CatalogNameForTag("zh", {"zh_CN", "zh_TW"}), "zh");

    // No catalog, or English in any spelling: the texts as written, English's own plural and decimal point.
    for (const char* none : {"xx", "en", "en_GB.UTF-8", "EN", "en-US"}) {
        EXPECT_EQ(UseLanguage("calcadia", "locale", none), "") << none;
        EXPECT_FALSE(Translated());
        EXPECT_TRUE(IsEnglishTag(none) == (none[0] != 'x'));
        EXPECT_EQ(Translate(good), good);
        EXPECT_EQ(TranslateCount("Get %d Right", "Get %d Right", 1), "Get 1 Right");
        EXPECT_EQ(LocalDecimal("58.94"), "58.94");
    }

    // From the environment: LC_ALL over LC_MESSAGES over LANG, the locale named whether or not it is
    // installed (no machine has one for ZZ, which is no country's code); LANGUAGE's list first, but the
    // C locale speaks no language whatever LANGUAGE says.
    locale.Set("fr_ZZ.UTF-8", "de_ZZ.UTF-8", "", "");
    EXPECT_EQ(UseLanguage("calcadia", "locale", ""), "de");
    EXPECT_STREQ(Translate("Good"), "Gut!");
    // A language asked for by name after the locale's, under the same locale: none of German is left.
    EXPECT_EQ(UseLanguage("calcadia", "locale", "xx"), "");
    EXPECT_STREQ(Translate("Good"), "Good");
    locale.Set("de_ZZ.UTF-8", "de_ZZ.UTF-8", "fr_ZZ.UTF-8", "");
    EXPECT_EQ(UseLanguage("calcadia", "locale", ""), "fr");
    locale.Set("de_ZZ.UTF-8", "", "", "pl");
    EXPECT_EQ(UseLanguage("calcadia", "locale", ""), "pl");
    locale.Set("de_ZZ.UTF-8", "", "C", "pl");
    EXPECT_EQ(UseLanguage("calcadia", "locale", ""), "");
    UseLanguage("calcadia", "locale", "en");

    // A damaged catalog is a missing one, before the C library reads a byte of it: English (or the
    // next language of the list) and one line that says which and why. Each is made from the French
    // one, damaged as a bad disk or a bad edit would, in a folder of its own (the C library keeps what
    // it has read of a folder).
    std::ifstream in("locale/fr/LC_MESSAGES/calcadia.mo", std::ios::binary);
    const std::string french((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GT(french.size(), 100u);
    const auto word = [&](const std::string& bytes, size_t at) {
        uint32_t value = 0;
        std::memcpy(&value, bytes.data() + at, 4);
        return value;
    };
    const auto withWord = [&](size_t at, uint32_t value) {
        std::string bytes = french;
        std::memcpy(bytes.data() + at, &value, 4);
        return bytes;
    };
    const uint32_t originals = word(french, 12), hashSize = word(french, 20), hashTable = word(french, 24);
    ASSERT_GT(hashSize, 2u);
    std::string fullHash = french, unterminated = french, dividing = french;
    for (uint32_t i = 0; i < hashSize; ++i)
        std::memcpy(fullHash.data() + hashTable + 4 * i, "\1\0\0\0", 4);
    unterminated[word(french, originals + 12) + word(french, originals + 8)] = 'x';
    const size_t rule = dividing.find("plural=(n > 1);");
    ASSERT_NE(rule, std::string::npos);
    dividing.replace(rule, 15, "plural=(n / 0);");
    const char* root = "calcadia-catalogs";
    std::filesystem::remove_all(root);
    int folders = 0;
    for (const auto& [name, bytes, why] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {"cut", french.substr(0, french.size() / 2), "outside the file"},
             {"table outside", withWord(12, uint32_t(french.size()) - 4), "outside the file"},
             {"string outside", withWord(originals + 12, 0xfffffff0u), "outside the file"},
             {"unterminated", unterminated, "not terminated"},
             {"hash size", withWord(20, hashSize + 1), "hash table is damaged"},
             {"hash full", fullHash, "hash table is full"},
             {"plural by zero", dividing, "divides by zero for 0"},
         }) {
        SCOPED_TRACE(name);
        const std::string folder = std::string(root) + "/" + std::to_string(++folders);
        std::filesystem::create_directories(folder + "/fr/LC_MESSAGES");
        std::filesystem::create_directories(folder + "/de/LC_MESSAGES");
        std::ofstream(folder + "/fr/LC_MESSAGES/calcadia.mo", std::ios::binary) << bytes;
        std::filesystem::copy_file("locale/de/LC_MESSAGES/calcadia.mo", folder + "/de/LC_MESSAGES/calcadia.mo");
        testing::internal::CaptureStderr();
        locale.Set("C", "", "", "");
        EXPECT_EQ(UseLanguage("calcadia", folder, "fr"), "");
        EXPECT_EQ(TranslateCount("+ %d points", "+ %d points", 0), "+ 0 points");
        // A list goes on to its next language, as it would past a missing one.
        locale.Set("", "", "C.UTF-8", "fr:de");
        EXPECT_EQ(UseLanguage("calcadia", folder, ""), "de");
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;
        EXPECT_NE(said.find(folder + "/fr/LC_MESSAGES/calcadia.mo cannot be used"), std::string::npos) << said;
        EXPECT_NE(said.find(why), std::string::npos) << said;
    }

    // Only languages' names are looked up: ".." would read a catalog outside the catalogs' folder. And
    // a list of thousands is cut to its first few rather than walked (in quadratic time) whole.
    const std::string outside = std::string(root) + "/LC_MESSAGES";
    std::filesystem::create_directories(outside);
    std::filesystem::create_directories(std::string(root) + "/catalogs");
    std::filesystem::copy_file("locale/fr/LC_MESSAGES/calcadia.mo", outside + "/calcadia.mo");
    locale.Set("C", "", "", "");
    EXPECT_EQ(UseLanguage("calcadia", std::string(root) + "/catalogs", ".."), "");
    locale.Set("", "", "C.UTF-8", "..:.");
    EXPECT_EQ(UseLanguage("calcadia", std::string(root) + "/catalogs", ""), "");
    std::string many;
    for (int i = 0; i < 10000; ++i)
        many += "xx:";
    locale.Set("", "", "C.UTF-8", (many + "fr").c_str());
    EXPECT_EQ(UseLanguage("calcadia", "locale", ""), "");
    locale.Set("C", "", "", "");
    UseLanguage("calcadia", "locale", "en");
    std::filesystem::remove_all(root);

    EXPECT_EQ(FillIn("%d%% of %s, %x, %n and a lone %", "7"), "7% of 7, %x, %n and a lone %");
    EXPECT_EQ(FillIn("", "7"), "");
}
