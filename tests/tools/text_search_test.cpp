// Finding text in UTF-8 preview texts: case folding across scripts, whole words, byte offsets
// that never split a character, and text that is not well-formed UTF-8.
#include "tools/text_search.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace velmora::tools {

void PrintTo(const TextHit& hit, std::ostream* out) {
    *out << "{" << hit.start << ", " << hit.length << "}";
}

namespace {

struct Case {
    const char* name;
    std::string text;
    std::string needle;
    std::size_t from;
    TextSearchOptions options;
    std::optional<TextHit> expected;
};

constexpr TextSearchOptions kBlind{false, false};
constexpr TextSearchOptions kExact{true, false};
constexpr TextSearchOptions kWords{false, true};
constexpr TextSearchOptions kExactWords{true, true};

TEST(TextSearchTest, FindsTheFirstHitFromThePosition) {
    const Case cases[] = {
        {"plain", "one two one", "one", 0, kBlind, TextHit{0, 3}},
        {"after the first hit", "one two one", "one", 3, kBlind, TextHit{8, 3}},
        {"from exactly at a hit", "one two one", "one", 8, kBlind, TextHit{8, 3}},
        {"none after the position", "one two one", "one", 9, kBlind, std::nullopt},
        {"position past the end", "one", "one", 7, kBlind, std::nullopt},
        {"empty search text", "one", "", 0, kBlind, std::nullopt},
        {"empty text", "", "one", 0, kBlind, std::nullopt},
        {"latin case blind", "Kein ÄRGER heute", "ärger", 0, kBlind, TextHit{5, 6}},
        {"cyrillic case blind", "Привет из МОСКВА!", "москва", 0, kBlind, TextHit{18, 12}},
        {"greek final sigma folds", "ΟΔΟΣ", "οδος", 0, kBlind, TextHit{0, 8}},
        {"case sensitive refuses other case", "Kein ÄRGER, nur ärger", "ÄRGER", 0, kExact,
         TextHit{5, 6}},
        {"case sensitive skips to the exact case", "Kein ärger, nur ÄRGER", "ÄRGER", 0, kExact,
         TextHit{17, 6}},
        {"case sensitive finds nothing", "ärger", "ÄRGER", 0, kExact, std::nullopt},
        // The Kelvin sign (3 bytes) folds to "k" (1 byte): the hit covers the text's bytes.
        {"case variant of another size",
         "5 \xE2\x84\xAA"
         "elvin",
         "kelvin", 0, kBlind, TextHit{2, 8}},
        // Position 1 lies inside "ä": the search starts at the next character.
        {"position inside a character", "ääa", "ä", 1, kBlind, TextHit{2, 2}},
        {"cjk", "東京と大阪", "大阪", 0, kBlind, TextHit{9, 6}},
        {"emoji outside the basic plane", "a 😀 b 😀", "😀", 3, kBlind, TextHit{9, 4}},
        {"line breaks are text like any other", "one\r\ntwo", "two", 0, kBlind, TextHit{5, 3}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(findText(c.text, c.needle, c.from, c.options), c.expected) << c.name;
}

TEST(TextSearchTest, WholeWordsAreBoundedByNonLettersOrTheEnds) {
    const Case cases[] = {
        {"word at the start and end", "cat", "cat", 0, kWords, TextHit{0, 3}},
        {"inside a longer word skipped", "concatenate cat", "cat", 0, kWords, TextHit{12, 3}},
        {"prefix of a word", "cats", "cat", 0, kWords, std::nullopt},
        {"digits belong to the word", "cat2 cat", "cat", 0, kWords, TextHit{5, 3}},
        {"punctuation bounds", "(cat).", "cat", 0, kWords, TextHit{1, 3}},
        {"underscore bounds", "my_cat", "cat", 0, kWords, TextHit{3, 3}},
        {"non-latin letters continue the word", "Märger ärger", "ärger", 0, kWords, TextHit{8, 6}},
        {"cyrillic word inside a word", "москвариум москва", "москва", 0, kWords, TextHit{21, 12}},
        {"combining accent continues the word", "cafe\xCC\x81 cafe", "cafe", 0, kWords,
         TextHit{7, 4}},
        {"search started inside the word sees its letter before", "xcat cat", "cat", 1, kWords,
         TextHit{5, 3}},
        {"whole words and exact case", "Cat cat", "cat", 0, kExactWords, TextHit{4, 3}},
        {"overlapping candidates", "aaa aa", "aa", 0, kWords, TextHit{4, 2}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(findText(c.text, c.needle, c.from, c.options), c.expected) << c.name;
}

TEST(TextSearchTest, BytesThatAreNotUtf8MatchOnlyThemselves) {
    // A windows-1252 "ä" (0xE4) alone is not UTF-8: it is found as that byte, never as "ä".
    const std::string text =
        "gr\xE4"
        "fin gr\xC3\xA4"
        "fin";
    EXPECT_EQ(findText(text, "gr\xE4", 0, kBlind), (TextHit{0, 3}));
    EXPECT_EQ(findText(text, "gräfin", 0, kBlind), (TextHit{7, 7}));
    EXPECT_EQ(findText(text, "fin", 0, kWords), (TextHit{3, 3})) << "a stray byte is no letter";
    // A truncated sequence at the end never runs past the text.
    EXPECT_EQ(findText("abc\xE2\x82", "\xE2", 0, kExact), (TextHit{3, 1}));
    EXPECT_EQ(findText("abc\xE2\x82", "abc", 0, kWords), (TextHit{0, 3}));
}

}  // namespace
}  // namespace velmora::tools
