// The import window and the re-order window over the page model.
#include <gtest/gtest.h>

#include "addressbook/import_form.h"
#include "addressbook/order_form.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace velmora::addressbook {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

fs::path fixture(const std::string& name) {
    return testing::sourceDir() / "tests" / "fixtures" / "addressbook" / name;
}

class WindowsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        writeFile(home / "master.abk", "46\r\nA\r\nB\r\nC");
        for (const char* b : {"A", "B", "C"}) writeFile(home / (std::string(b) + ".abk"), "46");
        page.loadAtStartup();
    }
    testing::TempDir home;
    testing::FakePlatform fake;
    AddressBooksPage page{fake.platform(), home.path()};
};

TEST_F(WindowsTest, ImportTreePreviewAndImportIntoTheLoadedBook) {
    TimportForm form(fake.platform(), page);
    EXPECT_EQ(form.entryCountLabel(), "Number of Entries 0");
    form.selectSource(ImportSource::Netscape);
    fake.dialogs.fileAnswers = {{fixture("thunderbird-export.ldif")}};
    form.getDataClick();
    ASSERT_EQ(form.tree().size(), 3u);  // the book, then its two lists
    EXPECT_EQ(form.tree()[0].text, "thunderbird-export");
    EXPECT_EQ(form.tree()[1].text, "Friends");
    EXPECT_FALSE(form.importEnabled());
    form.clickNode(1);
    EXPECT_EQ(form.preview(), (std::vector<std::string>{"Ann Lee", "Jürgen Müller", "Everyone"}));
    form.selectTargetBook("B");
    form.clickNode(0);
    form.importClick();
    EXPECT_EQ(
        fake.dialogs.texts("information").back(),
        "2 regular email address(es) imported.\r\r2 distribution email address(es) imported.");
    EXPECT_FALSE(form.visible());
    EXPECT_EQ(page.selectedBook(), "B");
    EXPECT_EQ(page.rowCount(), 4);
    EXPECT_GT(page.books().changes(), 0);
    EXPECT_TRUE(fs::exists(home / "TestLog.txt"));
    EXPECT_TRUE(fs::exists(fixture("thunderbird-export.ldif")));
}

TEST_F(WindowsTest, NicknameFolderAndErrorsShownInAnErrorBox) {
    TimportForm form(fake.platform(), page);
    form.selectSource(ImportSource::Eudora);
    fake.dialogs.pathAnswers = {fixture("eudora-folder")};
    form.getDataClick();
    ASSERT_EQ(form.tree().size(), 4u);  // edition, two sub-books, the pals list
    EXPECT_EQ(form.tree()[1].depth, 1);
    form.clickNode(0);
    form.importClick();
    EXPECT_EQ(
        fake.dialogs.texts("information").back(),
        "0 regular email address(es) imported.\r\r0 distribution email address(es) imported.");
    TimportForm again(fake.platform(), page);
    EXPECT_FALSE(again.readSource("/nonexistent/export.csv"));
    EXPECT_FALSE(fake.dialogs.texts("error").empty());
}

TEST_F(WindowsTest, ReorderMovesAtOnceAndWritesTheListOnClose) {
    TorderABKForm order(fake.platform(), page);
    EXPECT_EQ(order.selected(), 0);
    order.upClick();  // nothing at the top
    EXPECT_FALSE(order.orderChanged());
    order.downClick();
    order.downClick();
    order.downClick();  // nothing at the end
    EXPECT_EQ(order.rows(), (std::vector<std::string>{"B [0]", "C [0]", "A [0]"}));
    EXPECT_EQ(order.label(), "Address Book 3 of 3");
    order.select(0);
    EXPECT_EQ(page.selectedBook(), "B");
    order.drag(2, 0);
    EXPECT_EQ(page.books().names(), (std::vector<std::string>{"A", "B", "C"}));
    order.drag(0, 1);
    order.closeClick();
    EXPECT_EQ(page.selectedBook(), "A");
    EXPECT_EQ(readFile(home / "master.abk"), "46\r\nB\r\nA\r\nC");
}

}  // namespace
}  // namespace velmora::addressbook
