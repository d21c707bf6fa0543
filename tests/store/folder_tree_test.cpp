#include "store/folder_tree.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace velmora::store {
namespace {

TEST(FolderTree, DefaultFoldersFirstThenUserFoldersByNumberAndName) {
    testing::TempDir home;
    for (const char* d :
         {"Trash.000", "Sent.000", "InBox.000", "OutBox.000", "Drafts.000", "Work.001", "Alpha.001",
          "Old.002", "Attach", ".hidden", "Work.001/Sub.001"})
        std::filesystem::create_directories(home / d);
    TMailTree tree(home.path());
    std::vector<std::string> labels;
    for (const auto& child : tree.root().children) labels.push_back(child->label);
    EXPECT_EQ(labels, (std::vector<std::string>{"Drafts", "InBox", "OutBox", "Sent", "Trash",
                                                "Alpha", "Attach", "Work", "Old"}));
    EXPECT_EQ(tree.root().label, "Velmora");
    EXPECT_EQ(tree.root().imageIndex(false), 12);

    const TMailNode* sub = tree.findLogical("Work\\Sub");
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->logicalPath(), "Work\\Sub");
    EXPECT_EQ(sub->extension, ".001");
    EXPECT_TRUE(sub->isUserNode());
    const TMailNode* inbox = tree.findLogical("InBox");
    ASSERT_NE(inbox, nullptr);
    EXPECT_EQ(inbox->kind, NodeKind::InBox);
    EXPECT_EQ(inbox->imageIndex(true), 5);
    const TMailNode* attach = tree.find(home / "Attach");
    ASSERT_NE(attach, nullptr);
    EXPECT_FALSE(attach->isMailFolder());
    EXPECT_EQ(attach->sortNumber, 1);
}

TEST(FolderTree, NodeKindsAndSortNumbers) {
    EXPECT_EQ(nodeKindOf(" INBOX.000 "), NodeKind::InBox);
    EXPECT_EQ(nodeKindOf("inbox.001"), NodeKind::Other);
    EXPECT_EQ(sortNumberOf("Work.001"), 1);
    EXPECT_EQ(sortNumberOf("Work.017"), 17);
    EXPECT_EQ(sortNumberOf("Work.abc"), 1);
    EXPECT_EQ(sortNumberOf("Work"), 1);
}

}  // namespace
}  // namespace velmora::store
