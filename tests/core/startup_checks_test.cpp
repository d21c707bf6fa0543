#include "core/startup_checks.h"

#include <gtest/gtest.h>

#include "core/error_report.h"
#include "support/fake_platform.h"

namespace velmora::core {
namespace {

TEST(FreeSpace, MostSevereWarningOnly) {
    struct Case {
        std::int64_t bytes;
        const char* starts;  // nullptr: no warning
    };
    const Case cases[] = {
        {-1, nullptr},
        {0, "Free Disk Space Is CRITICALLY Low <= 0MB Free."},
        {1'000'000, "Free Disk Space Is CRITICALLY Low <= 1MB Free."},
        {1'000'001, "Free Disk Space Is EXTREMELY Low <= 1MB Free."},
        {4'812'345, "Free Disk Space Is EXTREMELY Low <= 4.8MB Free."},
        {5'000'000, "Free Disk Space Is EXTREMELY Low <= 5MB Free."},
        {5'000'001, "Free Disk Space Is VERY Low <= 5MB Free."},
        {10'000'000, "Free Disk Space Is VERY Low <= 10MB Free."},
        {10'000'001, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        const auto warning = freeSpaceWarning(c.bytes);
        if (!c.starts) {
            EXPECT_FALSE(warning);
            continue;
        }
        ASSERT_TRUE(warning);
        EXPECT_EQ(warning->rfind(c.starts, 0), 0u) << *warning;
    }
    EXPECT_EQ(*freeSpaceWarning(5'000'000),
              "Free Disk Space Is EXTREMELY Low <= 5MB Free.\r\rVelmora Pro may not be able to "
              "successfully write all data to the hard disk.\r\rIt is recommended that you free up "
              "some additional hard disk space as soon as possible.");
}

TEST(ErrorReport, PeriodAppendedByTheLastCharacter) {
    EXPECT_EQ(generalErrorText("Disk full"), "Disk full.");
    EXPECT_EQ(generalErrorText("Done."), "Done.");
    EXPECT_EQ(generalErrorText("What?"), "What?.");  // '?' sorts after '.'
    EXPECT_EQ(generalErrorText("Stop!"), "Stop!");   // '!' sorts before '.'
    EXPECT_EQ(generalErrorText(""), "");
}

TEST(ErrorReport, ExceptionLeavingACommandIsShownAndTheProgramGoesOn) {
    testing::FakeDialogs dialogs;
    EXPECT_FALSE(runReported(dialogs, "Velmora Pro 4.6",
                             [] { throw std::runtime_error("Cannot open file"); }));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].what, "error");
    EXPECT_EQ(dialogs.shown[0].title, "Velmora Pro 4.6");
    EXPECT_EQ(dialogs.shown[0].text, "Cannot open file.");
    EXPECT_FALSE(runReported(dialogs, "t", [] { throw SilentAbort(); }));
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(runReported(dialogs, "t", [] {}));
}

}  // namespace
}  // namespace velmora::core
