#include "tools/spelling_words.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <limits>

#include "base/text.h"

namespace velmora::tools {

namespace {

enum class Kind { Letter, Mark, Digit, Apostrophe, Blank, Other };

struct Character {
    std::size_t offset;
    std::size_t length;
    Kind kind;
};

Kind kindOf(UChar32 c) {
    if (c < 0) return Kind::Other;
    if (c == '\'' || c == 0x2019) return Kind::Apostrophe;
    if (u_isUWhiteSpace(c)) return Kind::Blank;
    const std::uint32_t category = U_GET_GC_MASK(c);
    if (category & U_GC_N_MASK) return Kind::Digit;
    if (category & U_GC_M_MASK) return Kind::Mark;
    if (u_isalpha(c)) return Kind::Letter;
    return Kind::Other;
}

bool partOfWord(Kind kind) {
    return kind == Kind::Letter || kind == Kind::Mark || kind == Kind::Digit;
}

bool isAddress(std::string_view piece) {
    return piece.find('@') != std::string_view::npos ||
           piece.find("://") != std::string_view::npos || startsWithNoCase(piece, "www.");
}

// The words of one blank-free piece of a line, its characters given.
void wordsOfPiece(const std::vector<Character>& chars, std::vector<TextWord>& words) {
    std::size_t i = 0;
    while (i < chars.size()) {
        if (chars[i].kind != Kind::Letter && chars[i].kind != Kind::Digit) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        bool digit = false;
        std::size_t end = i;  // one past the last character of the word
        while (end < chars.size()) {
            if (partOfWord(chars[end].kind)) {
                digit = digit || chars[end].kind == Kind::Digit;
                ++end;
            } else if (chars[end].kind == Kind::Apostrophe && end + 1 < chars.size() &&
                       partOfWord(chars[end + 1].kind) && chars[end + 1].kind != Kind::Mark) {
                ++end;
            } else {
                break;
            }
        }
        if (!digit) {
            const std::size_t offset = chars[start].offset;
            words.push_back({offset, chars[end - 1].offset + chars[end - 1].length - offset});
        }
        i = end;
    }
}

void wordsOfLine(std::string_view text, std::size_t lineStart, std::size_t lineEnd,
                 std::vector<TextWord>& words) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    std::vector<Character> piece;
    bool firstVisible = true;
    auto endPiece = [&] {
        if (piece.empty()) return;
        const std::size_t from = piece.front().offset;
        const std::size_t to = piece.back().offset + piece.back().length;
        if (!isAddress(text.substr(from, to - from))) wordsOfPiece(piece, words);
        piece.clear();
    };
    auto i = static_cast<std::int32_t>(lineStart);
    const auto end = static_cast<std::int32_t>(lineEnd);
    while (i < end) {
        const std::int32_t start = i;
        UChar32 c = 0;
        U8_NEXT(bytes, i, end, c);
        const Kind kind = kindOf(c);
        if (kind == Kind::Blank) {
            endPiece();
            continue;
        }
        if (firstVisible) {
            if (c == '>') return;  // a quoted line
            firstVisible = false;
        }
        piece.push_back(
            {static_cast<std::size_t>(start), static_cast<std::size_t>(i - start), kind});
    }
    endPiece();
}

}  // namespace

std::vector<TextWord> findWords(std::string_view text) {
    std::vector<TextWord> words;
    // ICU's macros count in 32-bit offsets; no message or note comes near that size.
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return words;
    std::size_t lineStart = 0;
    while (lineStart <= text.size()) {
        std::size_t lineEnd = text.find_first_of("\r\n", lineStart);
        if (lineEnd == std::string_view::npos) lineEnd = text.size();
        wordsOfLine(text, lineStart, lineEnd, words);
        if (lineEnd == text.size()) break;
        lineStart = lineEnd + 1;
    }
    return words;
}

}  // namespace velmora::tools
