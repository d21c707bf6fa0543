#include "tools/text_search.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

namespace velmora::tools {

namespace {

// One character of a text: its code point (folded for a case-blind search) and where its bytes
// begin. A byte that is not part of well-formed UTF-8 becomes a value above the Unicode range, so
// it matches only the same byte.
struct Character {
    UChar32 code = 0;
    std::size_t offset = 0;
};

constexpr UChar32 kStrayByteBase = 0x110000;
// The UTF-8 macros count in 32-bit offsets; a preview text is far below this.
constexpr std::size_t kMaxText = 0x7fffffff;

std::vector<Character> decode(std::string_view text, bool fold) {
    std::vector<Character> characters;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t i = 0;
    while (i < length) {
        const std::int32_t start = i;
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) {
            // U8_NEXT skips the whole ill-formed sequence; each of its bytes stands alone.
            for (std::int32_t b = start; b < i; ++b)
                characters.push_back({kStrayByteBase + bytes[b], static_cast<std::size_t>(b)});
            continue;
        }
        characters.push_back(
            {fold ? u_foldCase(c, U_FOLD_CASE_DEFAULT) : c, static_cast<std::size_t>(start)});
    }
    return characters;
}

// Letters, digits and the marks that combine with them (accents, the vowel signs of Indic
// scripts) belong to a word.
bool isWordCharacter(UChar32 c) {
    return c < kStrayByteBase && (u_isalnum(c) || (U_GET_GC_MASK(c) & U_GC_M_MASK) != 0);
}

}  // namespace

std::optional<TextHit> findText(std::string_view text, std::string_view needle, std::size_t from,
                                const TextSearchOptions& options) {
    if (needle.empty() || from >= text.size() || text.size() > kMaxText || needle.size() > kMaxText)
        return std::nullopt;
    const bool fold = !options.caseSensitive;
    std::vector<UChar32> pattern;
    for (const Character& c : decode(needle, fold)) pattern.push_back(c.code);

    // The whole text is decoded, so that `from` inside a character moves on to the next one and
    // the character before a hit is known for the word test.
    const std::vector<Character> characters = decode(text, fold);
    std::vector<UChar32> codes;
    codes.reserve(characters.size());
    for (const Character& c : characters) codes.push_back(c.code);
    const auto begin =
        std::lower_bound(characters.begin(), characters.end(), from,
                         [](const Character& c, std::size_t offset) { return c.offset < offset; });

    const std::boyer_moore_horspool_searcher searcher(pattern.begin(), pattern.end());
    auto at = codes.begin() + (begin - characters.begin());
    while (at != codes.end()) {
        const auto [hit, end] = searcher(at, codes.end());
        if (hit == codes.end()) return std::nullopt;
        const auto first = static_cast<std::size_t>(hit - codes.begin());
        const auto last = static_cast<std::size_t>(end - codes.begin());
        const std::size_t start = characters[first].offset;
        const std::size_t stop = last < characters.size() ? characters[last].offset : text.size();
        const bool whole = (first == 0 || !isWordCharacter(codes[first - 1])) &&
                           (last == codes.size() || !isWordCharacter(codes[last]));
        if (!options.wholeWords || whole) return TextHit{start, stop - start};
        at = hit + 1;
    }
    return std::nullopt;
}

}  // namespace velmora::tools
