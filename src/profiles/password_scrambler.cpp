#include "profiles/password_scrambler.h"

namespace velmora::profiles {

namespace {

// The running key's multiplier and increment.
constexpr std::uint32_t kKeyMultiplier = 52845;
constexpr std::uint32_t kKeyIncrement = 22719;

enum class Direction { Scramble, Unscramble };

std::string run(std::string_view input, std::uint16_t startKey, Direction direction) {
    std::string output(input.size(), '\0');
    std::uint32_t key = startKey;
    for (std::size_t i = 0; i < input.size(); ++i) {
        const auto in = static_cast<unsigned char>(input[i]);
        const auto out = static_cast<unsigned char>(in ^ (key >> 8));
        output[i] = static_cast<char>(out);
        const std::uint32_t chained = direction == Direction::Scramble ? out : in;
        key = ((chained + key) * kKeyMultiplier + kKeyIncrement) & 0xFFFF;
    }
    return output;
}

bool needsEscape(unsigned char c) {
    return c == '\r' || c == '\n' || c == 0x1A || c == static_cast<unsigned char>(kPasswordEscape);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string scramblePassword(std::string_view clear, std::uint16_t startKey) {
    return run(clear, startKey, Direction::Scramble);
}

std::string unscramblePassword(std::string_view scrambled, std::uint16_t startKey) {
    return run(scrambled, startKey, Direction::Unscramble);
}

std::string escapePasswordLine(std::string_view scrambled) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string line;
    line.reserve(scrambled.size());
    for (char ch : scrambled) {
        const auto c = static_cast<unsigned char>(ch);
        if (needsEscape(c)) {
            line += kPasswordEscape;
            line += kHex[c >> 4];
            line += kHex[c & 0xF];
        } else {
            line += ch;
        }
    }
    return line;
}

std::string unescapePasswordLine(std::string_view line) {
    std::string bytes;
    bytes.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == kPasswordEscape && i + 2 < line.size() && hexValue(line[i + 1]) >= 0 &&
            hexValue(line[i + 2]) >= 0) {
            bytes += static_cast<char>(hexValue(line[i + 1]) * 16 + hexValue(line[i + 2]));
            i += 2;
        } else {
            bytes += line[i];
        }
    }
    return bytes;
}

std::string encodePassword(std::string_view clear) {
    return escapePasswordLine(scramblePassword(clear));
}

std::string decodePassword(std::string_view line) {
    return unscramblePassword(unescapePasswordLine(line));
}

}  // namespace velmora::profiles
