// Finding a text in the preview text of a message, as the find window does: UTF-8 in, byte
// offsets out. A case-blind search folds both texts by Unicode's simple case folding, so "ÄRGER"
// finds "ärger" and "МОСКВА" finds "москва"; a hit never starts or ends inside a character.
// Bytes that are not well-formed UTF-8 stand for themselves and match only the same byte.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace velmora::tools {

struct TextSearchOptions {
    bool caseSensitive = false;
    // A hit must be a whole word: the characters beside it (if any) are neither letters nor
    // digits.
    bool wholeWords = false;
};

// A hit: its first byte in the text and its length in bytes (which may differ from the search
// text's length when a case-blind hit has case variants of other sizes, like "K" and the Kelvin
// sign).
struct TextHit {
    std::size_t start = 0;
    std::size_t length = 0;
    bool operator==(const TextHit&) const = default;
};

// The first hit of `needle` in `text` that starts at or after byte `from` (moved on to the next
// character when it falls inside one). Nothing for an empty needle or `from` past the end.
std::optional<TextHit> findText(std::string_view text, std::string_view needle, std::size_t from,
                                const TextSearchOptions& options);

}  // namespace velmora::tools
