// Lines of a text held in memory: every kind of line break, wherever it falls in the text.
#include "base/line_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace velmora {
namespace {

std::vector<std::string> readAll(std::string_view text) {
    LineReader reader(text);
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.next(line)) lines.emplace_back(line);
    return lines;
}

// The same rule a byte at a time.
std::vector<std::string> splitByHand(std::string_view text) {
    std::vector<std::string> lines;
    std::string current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            current += text[i];
            continue;
        }
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        lines.push_back(current);
        current.clear();
    }
    if (!current.empty()) lines.push_back(current);
    return lines;
}

TEST(LineReader, EveryKindOfBreak) {
    EXPECT_EQ(readAll(""), std::vector<std::string>{});
    EXPECT_EQ(readAll("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(readAll("a\r\n"), std::vector<std::string>{"a"});
    EXPECT_EQ(readAll("\r\n\n\r\r\n"), (std::vector<std::string>{"", "", "", ""}));
    EXPECT_EQ(readAll("\n\r"), (std::vector<std::string>{"", ""}));
}

// Breaks at every position of long lines, and the text's end inside a line, read in chunks.
TEST(LineReader, BreaksAnywhereInLongText) {
    std::mt19937 random(11);
    const char alphabet[] = "ab\r\n";
    for (int round = 0; round < 200; ++round) {
        std::string text;
        const std::size_t size = random() % 200;
        const unsigned breakEvery = 1 + random() % 40;
        for (std::size_t i = 0; i < size; ++i)
            text +=
                random() % breakEvery == 0 ? alphabet[2 + random() % 2] : alphabet[random() % 2];
        SCOPED_TRACE(text);
        EXPECT_EQ(readAll(text), splitByHand(text));
    }
}

TEST(LineReader, SeekAndReset) {
    const std::string text = std::string(40, 'x') + "\r\nsecond\r\nthird";
    LineReader reader(text);
    std::string_view line;
    ASSERT_TRUE(reader.next(line));
    const std::size_t after = reader.position();
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line, "second");
    reader.seek(after);
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line, "second");
    reader.reset();
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line, std::string(40, 'x'));
    ASSERT_TRUE(reader.next(line));
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line, "third");
    EXPECT_TRUE(reader.atEnd());
    EXPECT_FALSE(reader.next(line));
}

}  // namespace
}  // namespace velmora
