#include "mime/base64.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "mime/errors.h"
#include "mime/internal/base64_avx2.h"

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

// Asked once, not for every line; static initialisers that run before it see false and take
// the table loops.
const bool kUseAvx2 = internal::hasAvx2();

// For each of the four positions of a group: the value of a character already moved to its
// bits of the three bytes, as a little-endian word holds them in order. Padding and bad
// characters set bit 24, so one test of the four values ORed together finds them.
constexpr std::uint32_t kNotData = 0x01000000;
constexpr std::array<std::array<std::uint32_t, 256>, 4> makePlacedTables() {
    std::array<std::array<std::uint32_t, 256>, 4> tables{};
    for (unsigned c = 0; c < 256; ++c) {
        const std::uint32_t v = kDecode[c];
        if (v >= 64) {
            for (auto& table : tables) table[c] = kNotData;
            continue;
        }
        tables[0][c] = v << 2;
        tables[1][c] = (v >> 4) | ((v & 15) << 12);
        tables[2][c] = ((v >> 2) << 8) | ((v & 3) << 22);
        tables[3][c] = v << 16;
    }
    return tables;
}
constexpr auto kPlaced = makePlacedTables();

// Writes the three bytes of a placed group; one more byte of room must follow.
inline void storeGroup(std::uint32_t word, char* dst) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(dst, &word, 4);
    } else {
        dst[0] = static_cast<char>(word);
        dst[1] = static_cast<char>(word >> 8);
        dst[2] = static_cast<char>(word >> 16);
    }
}

// Writes the six bytes of two placed groups; two more bytes of room must follow.
inline void storeGroups(std::uint32_t first, std::uint32_t second, char* dst) {
    if constexpr (std::endian::native == std::endian::little) {
        const std::uint64_t both = first | (std::uint64_t{second} << 24);
        std::memcpy(dst, &both, 8);
    } else {
        storeGroup(first, dst);
        storeGroup(second, dst + 3);
    }
}

[[noreturn]] void throwInvalidCharacter() {
    throw EMessageParserError("Invalid Character");
}

// Writes the bytes of one group of four values and returns their end; "=" values count as zero
// bits and each "=" at the end of the group takes one byte away.
char* putGroup(const unsigned char* values, char* dst) {
    int padding = 0;
    for (int i = 3; i >= 0 && values[i] == kPad; --i) ++padding;
    const auto bits = [&](int i) -> unsigned { return values[i] == kPad ? 0u : values[i]; };
    const unsigned group = (bits(0) << 18) | (bits(1) << 12) | (bits(2) << 6) | bits(3);
    const char bytes[3] = {static_cast<char>(group >> 16), static_cast<char>(group >> 8),
                           static_cast<char>(group)};
    const std::size_t count = static_cast<std::size_t>(padding >= 3 ? 0 : 3 - padding);
    std::memcpy(dst, bytes, count);
    return dst + count;
}

// Two alphabet characters for every 12-bit value, so a group of three bytes takes two lookups.
constexpr std::array<char, 2 * 4096> makePairTable() {
    std::array<char, 2 * 4096> table{};
    for (unsigned v = 0; v < 4096; ++v) {
        table[2 * v] = kAlphabet[v >> 6];
        table[2 * v + 1] = kAlphabet[v & 63];
    }
    return table;
}
constexpr auto kPairs = makePairTable();

// The next eight bytes as a big-endian number.
inline std::uint64_t loadBigEndian64(const unsigned char* in) {
    std::uint64_t value;
    std::memcpy(&value, in, 8);
    if constexpr (std::endian::native == std::endian::little) value = __builtin_bswap64(value);
    return value;
}

// Writes the characters of `n` bytes (a multiple of three) to `dst`; returns the end. Six bytes
// at a time while eight can be read, then three.
char* encodeGroups(const unsigned char* in, std::size_t n, char* dst) {
    std::size_t i = 0;
    if (kUseAvx2) {
        i = internal::encodeBase64BlocksAvx2(in, n, dst);
        dst += i / 24 * 32;
    }
    for (; i + 8 <= n; i += 6) {
        const std::uint64_t bits = loadBigEndian64(in + i);
        std::memcpy(dst, &kPairs[2 * (bits >> 52)], 2);
        std::memcpy(dst + 2, &kPairs[2 * ((bits >> 40) & 0xFFF)], 2);
        std::memcpy(dst + 4, &kPairs[2 * ((bits >> 28) & 0xFFF)], 2);
        std::memcpy(dst + 6, &kPairs[2 * ((bits >> 16) & 0xFFF)], 2);
        dst += 8;
    }
    for (; i < n; i += 3) {
        const unsigned group = (unsigned{in[i]} << 16) | (unsigned{in[i + 1]} << 8) | in[i + 2];
        std::memcpy(dst, &kPairs[2 * (group >> 12)], 2);
        std::memcpy(dst + 2, &kPairs[2 * (group & 0xFFF)], 2);
        dst += 4;
    }
    return dst;
}

// Writes the padded characters of the last one or two bytes; returns the end.
char* encodeTail(const unsigned char* in, std::size_t n, char* dst) {
    const unsigned group = (unsigned{in[0]} << 16) | (n > 1 ? unsigned{in[1]} << 8 : 0u);
    *dst++ = kAlphabet[(group >> 18) & 63];
    *dst++ = kAlphabet[(group >> 12) & 63];
    *dst++ = n > 1 ? kAlphabet[(group >> 6) & 63] : '=';
    *dst++ = '=';
    return dst;
}

char* encodeLine(const unsigned char* in, std::size_t n, char* dst) {
    const std::size_t whole = n / 3 * 3;
    dst = encodeGroups(in, whole, dst);
    if (whole < n) dst = encodeTail(in + whole, n - whole, dst);
    return dst;
}

}  // namespace

void appendBase64(std::string_view bytes, std::string& out) {
    const std::size_t start = out.size();
    out.resize(start + (bytes.size() + 2) / 3 * 4);
    encodeLine(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
               out.data() + start);
}

void appendBase64Lines(std::string_view bytes, std::string& out) {
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    const std::size_t lines = n / kBase64LineBytes;
    const std::size_t rest = n % kBase64LineBytes;
    const std::size_t start = out.size();
    out.resize(start + lines * (kBase64LineChars + 2) + (rest > 0 ? (rest + 2) / 3 * 4 + 2 : 0));
    char* dst = out.data() + start;
    for (std::size_t line = 0; line < lines; ++line) {
        dst = encodeGroups(in + line * kBase64LineBytes, kBase64LineBytes, dst);
        *dst++ = '\r';
        *dst++ = '\n';
    }
    if (rest > 0) {
        dst = encodeLine(in + lines * kBase64LineBytes, rest, dst);
        *dst++ = '\r';
        *dst++ = '\n';
    }
}

std::string encodeBase64Line(std::string_view bytes) {
    std::string line;
    appendBase64(bytes, line);
    return line;
}

char* Base64Decoder::feedLine(std::string_view line, char* dst) {
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
            dst = putGroup(pending_, dst);
            pendingCount_ = 0;
        }
    }
    if (kUseAvx2) {
        const std::size_t taken = internal::decodeBase64BlocksAvx2(in + i, n - i, dst);
        i += taken;
        dst += taken / 32 * 24;
    }
    // Two groups at a time while they are plain data.
    for (; i + 8 <= n; i += 8) {
        const std::uint32_t first = kPlaced[0][in[i]] | kPlaced[1][in[i + 1]] |
                                    kPlaced[2][in[i + 2]] | kPlaced[3][in[i + 3]];
        const std::uint32_t second = kPlaced[0][in[i + 4]] | kPlaced[1][in[i + 5]] |
                                     kPlaced[2][in[i + 6]] | kPlaced[3][in[i + 7]];
        if ((first | second) >= kNotData) break;
        storeGroups(first, second, dst);
        dst += 6;
    }
    for (; i + 4 <= n; i += 4) {
        const std::uint32_t word = kPlaced[0][in[i]] | kPlaced[1][in[i + 1]] |
                                   kPlaced[2][in[i + 2]] | kPlaced[3][in[i + 3]];
        if (word < kNotData) {
            storeGroup(word, dst);
            dst += 3;
            continue;
        }
        // Padding or a bad character: the slow path for this group.
        const unsigned char values[4] = {kDecode[in[i]], kDecode[in[i + 1]], kDecode[in[i + 2]],
                                         kDecode[in[i + 3]]};
        for (unsigned char value : values) {
            if (value == kInvalid) throwInvalidCharacter();
        }
        dst = putGroup(values, dst);
    }
    for (; i < n; ++i) {
        const unsigned char value = kDecode[in[i]];
        if (value == kInvalid) throwInvalidCharacter();
        pending_[pendingCount_++] = value;
    }
    return dst;
}

void Base64Decoder::feedLine(std::string_view line, std::string& out) {
    const std::size_t start = out.size();
    out.resize(start + roomFor(line.size()));
    char* const end = feedLine(line, out.data() + start);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

char* Base64Decoder::finish(char* dst) {
    int data = 0;
    while (data < pendingCount_ && pending_[data] != kPad) ++data;
    if (data >= 2) {
        unsigned char values[4] = {pending_[0], pending_[1], data >= 3 ? pending_[2] : kPad, kPad};
        dst = putGroup(values, dst);
    }
    pendingCount_ = 0;
    return dst;
}

void Base64Decoder::finish(std::string& out) {
    char bytes[kFinishRoom];
    out.append(bytes, static_cast<std::size_t>(finish(bytes) - bytes));
}

std::string decodeBase64Line(std::string_view line) {
    std::string bytes;
    Base64Decoder decoder;
    decoder.feedLine(line, bytes);
    decoder.finish(bytes);
    return bytes;
}

}  // namespace velmora::mime
