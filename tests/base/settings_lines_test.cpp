#include "base/settings_lines.h"

#include <gtest/gtest.h>

#include "base/text_file.h"
#include "support/temp_dir.h"

namespace velmora {
namespace {

TEST(SettingsLines, WrittenFileStartsWithVersionAndEndsWithoutLineEnd) {
    SettingsWriter writer;
    writer.text("name").boolean(true).integer(-12);
    EXPECT_EQ(writer.bytes(), "46\r\nname\r\nTRUE\r\n-12");
}

TEST(SettingsLines, RoundTripThroughAFile) {
    testing::TempDir dir;
    SettingsWriter writer;
    writer.text("a b").boolean(false).integer(42).integer(3);
    ASSERT_FALSE(writer.save(dir / "x.cfg"));
    SettingsReader reader(dir / "x.cfg");
    EXPECT_EQ(reader.text(), "a b");
    EXPECT_FALSE(reader.boolean(true));
    EXPECT_EQ(reader.integer(0), 42);
    EXPECT_EQ(reader.choice(4, 0), 3);
    EXPECT_TRUE(reader.atEnd());
}

TEST(SettingsLines, MissingFileGivesDefaults) {
    testing::TempDir dir;
    SettingsReader reader(dir / "none.cfg");
    EXPECT_FALSE(reader.exists());
    EXPECT_EQ(reader.text("d"), "d");
    EXPECT_TRUE(reader.boolean(true));
    EXPECT_EQ(reader.integer(7), 7);
}

TEST(SettingsLines, DamagedNumberLineTakesItsDefaultAndReadingGoesOn) {
    SettingsReader reader({"46", "12x", "", "true", "5", "9"});
    EXPECT_EQ(reader.integer(1), 1);
    EXPECT_EQ(reader.integer(2), 2);
    EXPECT_FALSE(reader.boolean(true));  // only exactly "TRUE" is true
    EXPECT_EQ(reader.integer(0), 5);
    EXPECT_EQ(reader.choice(3, 1), 1);  // 9 is no position of three choices
    EXPECT_EQ(reader.damagedLines(), 2);
}

TEST(SettingsLines, LineEndsInsideATextDoNotShiftLaterValues) {
    SettingsWriter writer;
    writer.text("two\r\nlines").integer(5);
    SettingsReader reader(splitLines(writer.bytes()));
    EXPECT_EQ(reader.text(), "two  lines");
    EXPECT_EQ(reader.integer(0), 5);
}

}  // namespace
}  // namespace velmora
