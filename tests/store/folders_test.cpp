#include "store/folders.h"

#include <gtest/gtest.h>

#include "support/fake_platform.h"

namespace velmora::store {
namespace {

TEST(Folders, Conversions) {
    EXPECT_EQ(folderExtension("InBox"), ".000");
    EXPECT_EQ(folderExtension("inbox"), ".001");  // exact names only
    EXPECT_EQ(folderExtension("Work"), ".001");
    EXPECT_EQ(toPhysicalPath("Work\\Sub"), "Work.001\\Sub.001");
    EXPECT_EQ(toPhysicalPath("Sent"), "Sent.000");
    EXPECT_EQ(toPhysicalPath("Work\\Sent"), "Work.001\\Sent.000");  // reserved at any level
    EXPECT_EQ(toLogicalPath("/home/v/Velmora/Work.001/Sub.001"), "Work\\Sub");
    EXPECT_EQ(toLogicalPath("C:\\Velmora\\InBox.000"), "InBox");
    EXPECT_EQ(toLogicalPath("/home/v/Attach"), "");
    EXPECT_EQ(lastComponent("Work\\Sub"), "Sub");
    EXPECT_EQ(lastComponent("InBox"), "InBox");
    EXPECT_EQ(folderIndexFile("/h", "Work\\Sub"),
              std::filesystem::path("/h/Work.001/Sub.001/Sub.dat"));
    EXPECT_EQ(folderLayoutFile("/h", "InBox"), std::filesystem::path("/h/InBox.000/InBox.cfg"));
    EXPECT_EQ(folderWindowKey("Work\\Sub"), "InBox.Work\\Sub");
}

TEST(Folders, KeyWithoutDotWarnsAndGivesNothing) {
    testing::FakeDialogs dialogs;
    EXPECT_EQ(windowKind("Read.Work\\Sub", dialogs), "Read");
    EXPECT_EQ(windowKeyTail("InBox.Work.Old\\Sub", dialogs), "Work.Old\\Sub");
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(windowKeyTail("nodot", dialogs, 7533), "");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].what, "warning");
    EXPECT_EQ(dialogs.shown[0].text, "FindCharPos Error 7533");
}

TEST(Folders, MoveTargetTable) {
    const char* targets[] = {"InBox", "Drafts", "OutBox", "Sent", "Trash", "Work", "Attach"};
    struct Row {
        const char* source;
        const char* allowed;  // one letter per target: y or n ('-' for the source itself)
    };
    const Row table[] = {
        {"InBox", "-nnnyyn"}, {"Drafts", "n-ynynn"}, {"OutBox", "ny-nynn"},
        {"Sent", "nyy-yyn"},  {"Trash", "yyyy-yn"},  {"Private", "ynnnyyn"},
    };
    for (const auto& row : table) {
        for (int i = 0; i < 7; ++i) {
            SCOPED_TRACE(std::string(row.source) + " -> " + targets[i]);
            EXPECT_EQ(isValidMoveTarget(targets[i], row.source), row.allowed[i] == 'y');
        }
    }
    EXPECT_FALSE(isValidMoveTarget("Work", "Work"));
    EXPECT_TRUE(isValidMoveTarget("Work", "Home\\Work"));
}

}  // namespace
}  // namespace velmora::store
