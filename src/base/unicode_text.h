// UTF-8 text in any script, by ICU: its lower case (simple case mappings, one character for one;
// bytes that are not well-formed UTF-8 are kept as they are, so nothing of a note is lost), and
// its characters one by one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

std::string lowerCase(std::string_view text);
// The characters of well-formed UTF-8; nothing for anything else (or a text over 2 GB).
std::optional<std::u32string> codePoints(std::string_view text);
// Appends character `c` encoded in UTF-8.
void appendUtf8(std::string& out, char32_t c);

}  // namespace velmora
