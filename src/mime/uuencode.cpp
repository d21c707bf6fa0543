#include "mime/uuencode.h"

#include <algorithm>

#include "mime/errors.h"
#include "mime/headers.h"

namespace velmora::mime {

namespace {

constexpr std::size_t kMaxLineBytes = 45;

char encodeValue(unsigned value) {
    return value == 0 ? '`' : static_cast<char>(value + 32);
}

// The value of a data character: "`" and the blank are 0 (old encoders write the blank, newer
// ones the grave accent), "!" to "_" their code minus 32.
int decodeValue(char c) {
    if (c == '`' || c == ' ') return 0;
    if (c > ' ' && c <= '_') return c - 32;
    return -1;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string encodeUuLine(std::string_view bytes) {
    if (bytes.size() > kMaxLineBytes) bytes = bytes.substr(0, kMaxLineBytes);
    std::string line;
    line.reserve(1 + (bytes.size() * 4 + 2) / 3);
    line += encodeValue(static_cast<unsigned>(bytes.size()));
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - i);
        unsigned group = unsigned{in[i]} << 16;
        if (count > 1) group |= unsigned{in[i + 1]} << 8;
        if (count > 2) group |= in[i + 2];
        line += encodeValue((group >> 18) & 63);
        line += encodeValue((group >> 12) & 63);
        if (count > 1) line += encodeValue((group >> 6) & 63);
        if (count > 2) line += encodeValue(group & 63);
    }
    return line;
}

void decodeUuLineTo(std::string_view line, std::string& out) {
    if (line.empty()) return;
    const int count = decodeValue(line[0]);
    if (count < 0) throw EMessageParserError("Invalid Character");
    const std::size_t start = out.size();
    unsigned group = 0;
    int values = 0;
    for (std::size_t i = 1; i < line.size(); ++i) {
        const int value = decodeValue(line[i]);
        if (value < 0) throw EMessageParserError("Invalid Character");
        group = (group << 6) | static_cast<unsigned>(value);
        if (++values == 4) {
            out += static_cast<char>(group >> 16);
            out += static_cast<char>(group >> 8);
            out += static_cast<char>(group);
            group = 0;
            values = 0;
        }
    }
    if (values > 0) {
        group <<= 6 * (4 - values);
        out += static_cast<char>(group >> 16);
        out += static_cast<char>(group >> 8);
        out += static_cast<char>(group);
    }
    // Never more than the length character says, nor more than the characters hold (six bits
    // each): a length character that claims more than its line carries decodes what is there.
    const std::size_t held = (line.size() - 1) * 6 / 8;
    out.resize(start + std::min(static_cast<std::size_t>(count), held));
}

std::string decodeUuLine(std::string_view line) {
    std::string bytes;
    decodeUuLineTo(line, bytes);
    return bytes;
}

bool isUuBeginLine(std::string_view line) {
    if (line.size() <= 8 || !startsWithNoCase(line, "BEGIN")) return false;
    const std::string_view mode = trimWhite(line.substr(5));
    return mode.size() >= 3 && isDigit(mode[0]) && isDigit(mode[1]) && isDigit(mode[2]);
}

std::string uuBeginLineFileName(std::string_view line) {
    if (!isUuBeginLine(line)) return {};
    std::size_t pos = 5;
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    while (pos < line.size() && isDigit(line[pos])) ++pos;
    if (pos < line.size()) ++pos;  // the blank after the mode
    std::string_view rest = line.substr(pos);
    if (!rest.empty() && rest.front() == '"') {
        rest.remove_prefix(1);
        const std::size_t close = rest.find('"');
        return close == std::string_view::npos ? std::string() : std::string(rest.substr(0, close));
    }
    return std::string(rest.substr(0, rest.find(' ')));
}

}  // namespace velmora::mime
