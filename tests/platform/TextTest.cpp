// Character-wise counting and cutting of UTF-8 text, including malformed bytes.
#include "platform/Text.h"

#include <gtest/gtest.h>

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
