#include "base/unicode_text.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <limits>

#include "base/text.h"

namespace velmora {

std::string lowerCase(std::string_view text) {
    // ICU's macros count in 32-bit offsets; no note comes near that size.
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return toLowerAscii(text);
    std::string out;
    out.reserve(text.size());
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t i = 0;
    while (i < length) {
        const std::int32_t start = i;
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) {
            out.append(
                text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(i - start)));
            continue;
        }
        appendUtf8(out, static_cast<char32_t>(u_tolower(c)));
    }
    return out;
}

std::optional<std::u32string> codePoints(std::string_view text) {
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    std::u32string out;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t i = 0;
    while (i < length) {
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) return std::nullopt;
        out.push_back(static_cast<char32_t>(c));
    }
    return out;
}

void appendUtf8(std::string& out, char32_t c) {
    std::uint8_t encoded[U8_MAX_LENGTH];
    std::int32_t size = 0;
    U8_APPEND_UNSAFE(encoded, size, static_cast<UChar32>(c));  // room for any character
    out.append(reinterpret_cast<const char*>(encoded), static_cast<std::size_t>(size));
}

}  // namespace velmora
