// Small text helpers on bytes: ASCII case folding, comparisons without case, trimming.
// Nothing here knows a character set: bytes above 127 are compared as they are.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

constexpr char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}
constexpr char upperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

std::string toLowerAscii(std::string_view text);
std::string toUpperAscii(std::string_view text);

// Equal, or `text` starts with `prefix`, when ASCII letters are compared without case.
bool equalsNoCase(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view text, std::string_view prefix);
bool endsWithNoCase(std::string_view text, std::string_view suffix);

// Without leading and trailing blanks and tabs.
std::string_view trimmed(std::string_view text);

// True when a byte of the text lies above 127 (the text is not plain ASCII).
bool hasHighBytes(std::string_view text);
// The text cut at `limit` bytes, never inside a UTF-8 sequence.
std::string_view cutUtf8(std::string_view text, std::size_t limit);

// A TCP port written in decimal digits only, 1 to 65535; 0 for anything else.
std::uint16_t portNumber(std::string_view text);

}  // namespace velmora
