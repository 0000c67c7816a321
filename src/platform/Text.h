// Text helpers - the game's strings are UTF-8; these count and cut them by character.
#pragma once

#include <string>
#include <vector>

// Decodes UTF-8 into code points; malformed bytes come out as U+FFFD, one per byte.
std::vector<char32_t> DecodeUtf8(const std::string& text);
// The code point starting at byte i, moving i past it; i must be below text.size(). Same rules as
// DecodeUtf8, for walking a string without building a copy of it.
char32_t NextUtf8(const std::string& text, size_t& i);
void AppendUtf8(std::string& text, char32_t codePoint);
int Utf8Length(const std::string& text);
// The first n characters.
std::string Utf8Left(const std::string& text, int n);
// Upper case, character by character, by the one-to-one mapping of the C library's UTF-8 locale:
// e to E, é to É, σ and ς to Σ, ÿ to Ÿ; a character without a single upper-case form stays as it is
// (ß is not made SS). Malformed bytes pass through unchanged.
char32_t UpperCaseChar(char32_t c);
std::string UpperCaseUtf8(const std::string& text);
