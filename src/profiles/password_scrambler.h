// The reversible scrambler of the password line of a profile file, and the escaping that keeps
// its output on that one line. The scrambler runs a 16-bit key over the bytes: each output byte
// is the input byte XOR the key's high byte, and the key then moves on by the scrambled byte, so
// a changed byte changes every byte after it. It hides the password from a casual look at the
// file; it is not encryption.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::profiles {

// The start value of the running key, the same for every profile, for writing and reading.
inline constexpr std::uint16_t kScramblerStartKey = 0x5A3C;

// Scrambles or unscrambles `bytes`; the result has the same length. Every byte value is allowed.
std::string scramblePassword(std::string_view clear, std::uint16_t startKey = kScramblerStartKey);
std::string unscramblePassword(std::string_view scrambled,
                               std::uint16_t startKey = kScramblerStartKey);

// The byte that begins an escape in the stored line: it and every byte a line reader could take
// as a line or file end (CR, LF, Ctrl+Z) are written as the escape byte and two hex digits.
inline constexpr char kPasswordEscape = '%';

std::string escapePasswordLine(std::string_view scrambled);
// Undoes escapePasswordLine. A malformed escape (not followed by two hex digits) is taken as the
// plain byte, so a hand-edited line still reads.
std::string unescapePasswordLine(std::string_view line);

// The stored form of a password (scrambled, then escaped) and back.
std::string encodePassword(std::string_view clear);
std::string decodePassword(std::string_view line);

}  // namespace velmora::profiles
