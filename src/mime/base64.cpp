#include "mime/base64.h"

#include <array>

#include "mime/errors.h"

namespace velmora::mime {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr unsigned char kPad = 64;
constexpr unsigned char kInvalid = 255;

constexpr std::array<unsigned char, 256> makeDecodeTable() {
    std::array<unsigned char, 256> table{};
    for (auto& entry : table) entry = kInvalid;
    for (unsigned char i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = i;
    table['='] = kPad;
    return table;
}
constexpr auto kDecode = makeDecodeTable();

[[noreturn]] void throwInvalidCharacter() {
    throw EMessageParserError("Invalid Character");
}

// Appends the bytes of one group of four values; "=" values count as zero bits and each "=" at
// the end of the group takes one byte away.
void appendGroup(const unsigned char* values, std::string& out) {
    int padding = 0;
    for (int i = 3; i >= 0 && values[i] == kPad; --i) ++padding;
    const auto bits = [&](int i) -> unsigned { return values[i] == kPad ? 0u : values[i]; };
    const unsigned group = (bits(0) << 18) | (bits(1) << 12) | (bits(2) << 6) | bits(3);
    const char bytes[3] = {static_cast<char>(group >> 16), static_cast<char>(group >> 8),
                           static_cast<char>(group)};
    out.append(bytes, static_cast<std::size_t>(padding >= 3 ? 0 : 3 - padding));
}

}  // namespace

void appendBase64(std::string_view bytes, std::string& out) {
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    const std::size_t start = out.size();
    out.resize(start + (n + 2) / 3 * 4);
    char* dst = out.data() + start;
    std::size_t i = 0;
    for (; i + 3 <= n; i += 3) {
        const unsigned group = (unsigned{in[i]} << 16) | (unsigned{in[i + 1]} << 8) | in[i + 2];
        *dst++ = kAlphabet[(group >> 18) & 63];
        *dst++ = kAlphabet[(group >> 12) & 63];
        *dst++ = kAlphabet[(group >> 6) & 63];
        *dst++ = kAlphabet[group & 63];
    }
    if (i < n) {
        const unsigned group =
            (unsigned{in[i]} << 16) | (i + 1 < n ? unsigned{in[i + 1]} << 8 : 0u);
        *dst++ = kAlphabet[(group >> 18) & 63];
        *dst++ = kAlphabet[(group >> 12) & 63];
        *dst++ = i + 1 < n ? kAlphabet[(group >> 6) & 63] : '=';
        *dst++ = '=';
    }
}

std::string encodeBase64Line(std::string_view bytes) {
    std::string line;
    appendBase64(bytes, line);
    return line;
}

void Base64Decoder::feedLine(std::string_view line, std::string& out) {
    // Blanks after the data are an artefact of some mailers, not data.
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    const auto* in = reinterpret_cast<const unsigned char*>(line.data());
    const std::size_t n = line.size();
    std::size_t i = 0;
    while (pendingCount_ > 0 && i < n) {
        const unsigned char value = kDecode[in[i++]];
        if (value == kInvalid) throwInvalidCharacter();
        pending_[pendingCount_++] = value;
        if (pendingCount_ == 4) {
            appendGroup(pending_, out);
            pendingCount_ = 0;
        }
    }

    const std::size_t start = out.size();
    out.resize(start + (n - i) / 4 * 3);
    char* dst = out.data() + start;
    for (; i + 4 <= n; i += 4) {
        const unsigned a = kDecode[in[i]];
        const unsigned b = kDecode[in[i + 1]];
        const unsigned c = kDecode[in[i + 2]];
        const unsigned d = kDecode[in[i + 3]];
        if (((a | b | c | d) & 0xC0) == 0) {
            const unsigned group = (a << 18) | (b << 12) | (c << 6) | d;
            *dst++ = static_cast<char>(group >> 16);
            *dst++ = static_cast<char>(group >> 8);
            *dst++ = static_cast<char>(group);
            continue;
        }
        // Padding or a bad character: the slow path for this group.
        const unsigned char values[4] = {
            static_cast<unsigned char>(a), static_cast<unsigned char>(b),
            static_cast<unsigned char>(c), static_cast<unsigned char>(d)};
        for (unsigned char value : values) {
            if (value == kInvalid) throwInvalidCharacter();
        }
        const std::size_t written = static_cast<std::size_t>(dst - out.data());
        out.resize(written);
        appendGroup(values, out);
        const std::size_t groupsLeft = (n - i - 4) / 4;
        const std::size_t now = out.size();
        out.resize(now + groupsLeft * 3);
        dst = out.data() + now;
    }
    out.resize(static_cast<std::size_t>(dst - out.data()));
    for (; i < n; ++i) {
        const unsigned char value = kDecode[in[i]];
        if (value == kInvalid) throwInvalidCharacter();
        pending_[pendingCount_++] = value;
    }
}

void Base64Decoder::finish(std::string& out) {
    int data = 0;
    while (data < pendingCount_ && pending_[data] != kPad) ++data;
    if (data >= 2) {
        unsigned char values[4] = {pending_[0], pending_[1], data >= 3 ? pending_[2] : kPad, kPad};
        appendGroup(values, out);
    }
    pendingCount_ = 0;
}

std::string decodeBase64Line(std::string_view line) {
    std::string bytes;
    Base64Decoder decoder;
    decoder.feedLine(line, bytes);
    decoder.finish(bytes);
    return bytes;
}

}  // namespace velmora::mime
