// The find window's text matcher on arbitrary bytes (the first byte picks the options and the
// needle's length): nothing may crash or read outside the text, a hit lies inside the text and
// is found again from its own start, and an exact-case hit is the needle's own bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tools/text_search.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora::tools;
    if (size < 2) return 0;
    const TextSearchOptions options{(data[0] & 1) != 0, (data[0] & 2) != 0};
    const std::size_t needleSize = std::min<std::size_t>(data[1] % 16, size - 2);
    const std::string_view needle(reinterpret_cast<const char*>(data) + 2, needleSize);
    const std::string_view text(reinterpret_cast<const char*>(data) + 2 + needleSize,
                                size - 2 - needleSize);
    const std::size_t from = (data[0] >> 2) % (text.size() + 2);
    const auto hit = findText(text, needle, from, options);
    if (!hit) return 0;
    if (hit->length == 0 || hit->start < from || hit->start + hit->length > text.size())
        __builtin_trap();
    const auto again = findText(text, needle, hit->start, options);
    if (!again || !(*again == *hit)) __builtin_trap();
    if (options.caseSensitive && text.substr(hit->start, hit->length) != needle) __builtin_trap();
    return 0;
}
