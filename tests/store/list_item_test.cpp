#include "store/list_item.h"

#include <gtest/gtest.h>

#include "store/date_text.h"

namespace velmora::store {
namespace {

TEST(SizeText, WholeKilobytesAndTheFirstDigitOfTheRemainder) {
    const struct {
        std::uintmax_t bytes;
        const char* text;
    } cases[] = {{0, "1.0"},    {1023, "1.0"},       {1024, "1.0"},
                 {1124, "1.1"}, {2047, "1.0"},       {2500, "2.4"},
                 {3072, "3.0"}, {1024 + 999, "1.9"}, {10 * 1024 * 1024, "10240.0"}};
    for (const auto& c : cases) EXPECT_EQ(sizeText(c.bytes), c.text) << c.bytes;
}

TEST(SenderText, NameAddressAndTheUnknownForms) {
    EXPECT_EQ(senderText("Ann Lee", "ann@example.org"), "Ann Lee <ann@example.org>");
    EXPECT_EQ(senderText("", "ann@example.org"), "ann@example.org");
    EXPECT_EQ(senderText("<>", "ann@example.org"), "ann@example.org");
    EXPECT_EQ(senderText("Ann Lee", ""), "Ann Lee <unknown address>");
    EXPECT_EQ(senderText("Ann Lee", " <> "), "Ann Lee <unknown address>");
    EXPECT_EQ(senderText("", ""), "No Name <unknown address>");
}

TEST(RowText, SixColumnsJoinedByTabsAndOneReplacedAlone) {
    std::string row = makeRowText({"U O r f a N", "1.0", "Hi\tthere", "a@b", "c@d", "date"});
    EXPECT_EQ(row, "U O r f a N\t1.0\tHi there\ta@b\tc@d\tdate");  // a tab in a text is a blank
    EXPECT_EQ(columnText(row, Column::Subject), "Hi there");
    replaceColumn(row, Column::Status, "R O r f a N");
    replaceColumn(row, Column::Date, "31 July 2001");
    EXPECT_EQ(row, "R O r f a N\t1.0\tHi there\ta@b\tc@d\t31 July 2001");

    std::string shortRow = "U";
    replaceColumn(shortRow, Column::To, "x@y");
    EXPECT_EQ(splitRowText(shortRow)[4], "x@y");
    EXPECT_EQ(columnText("a\tb", Column::Date), "");
}

TEST(DateText, TheSixColumnFormats) {
    const char* mailDate = "Tue, 31 Jul 2001 15:30:45 +0200";
    EXPECT_EQ(dateText(mailDate, 0), "Tue, Jul 31 2001 15:30:45");
    EXPECT_EQ(dateText(mailDate, 1), "Tue, 31 July 2001 15:30:45");
    EXPECT_EQ(dateText(mailDate, 2), "July 31, 2001 15:30:45");
    EXPECT_EQ(dateText(mailDate, 3), "31 July 2001 15:30:45");
    EXPECT_EQ(dateText(mailDate, 4), "2001.07.31.15:30:45");
    EXPECT_EQ(dateText(mailDate, 5), mailDate);
    EXPECT_EQ(dateText(mailDate, 9), dateText(mailDate, 0));  // an unknown choice counts as 0
    EXPECT_EQ(dateText("not a date", 2), "not a date");
    EXPECT_EQ(sortDateText(mailDate), "20010731153045");
    EXPECT_EQ(sortDateText("garbage"), "");
}

TEST(DateText, ComposedDateCarriesTheZone) {
    EXPECT_EQ(composedMailDate({2026, 12, 10, 9, 5, 7, 0, 4, 60}),
              "Thu, 10 Dec 2026 09:05:07 +0100");
    EXPECT_EQ(composedMailDate({2001, 7, 31, 23, 0, 0, 0, 2, -330}),
              "Tue, 31 Jul 2001 23:00:00 -0530");
    EXPECT_EQ(sortDateOf(platform::LocalTime{2001, 7, 31, 15, 30, 45, 123, 2, 0}),
              "20010731153045");
}

}  // namespace
}  // namespace velmora::store
