// Smoke tests of the address books' widgets, offscreen: the page shows the model's books,
// entries and fields and forwards typing and clicks; the verification, import and re-order
// dialogs render their models.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include "addressbook/address_book_page.h"
#include "base/text_file.h"
#include "desktop/addressbook/address_book_dialogs.h"
#include "desktop/addressbook/address_book_page_view.h"
#include "support/fake_platform.h"
#include "support/qt_application.h"
#include "support/temp_dir.h"

namespace velmora::desktop {
namespace {

using testing::writeFile;

class AddressBookViewsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { testing::testApplication(); }
    void SetUp() override {
        writeFile(home / "master.abk", "46\r\nFriends\r\nWork");
        writeFile(home / "Friends.abk",
                  "46\r\nAnn Lee\r\nann\r\n1\r\nann@example.com\r\n\r\n0\r\n\r\nFALSE\r\n\r\n\r\n"
                  "\r\nBob Ray\r\nbob\r\n1\r\nbob@example.com\r\n\r\n0\r\n\r\nFALSE\r\n\r\n\r\n");
        writeFile(home / "Work.abk", "46");
        page.loadAtStartup();
    }
    template <typename W>
    W* child(QWidget& parent, const char* name) {
        W* w = parent.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    testing::TempDir home;
    testing::FakePlatform fake;
    addressbook::AddressBooksPage page{fake.platform(), home.path()};
    AddressBookPageView::Runner run = [](std::function<void()> action) {
        action();
        return true;
    };
};

TEST_F(AddressBookViewsTest, PageShowsTheModelAndForwardsEdits) {
    AddressBookPageView view(page, nullptr, run);
    view.show();
    auto* books = child<QComboBox>(view, "cboAddressBooks");
    ASSERT_EQ(books->count(), 2);
    EXPECT_EQ(books->currentText(), QStringLiteral("Friends"));
    auto* list = child<QTreeView>(view, "lvAddressBook");
    ASSERT_EQ(list->model()->rowCount(), 2);
    EXPECT_EQ(list->model()->index(1, 1).data().toString(), QStringLiteral("Bob Ray"));
    auto* nickname = child<QLineEdit>(view, "txtNickname");
    EXPECT_EQ(nickname->text(), QStringLiteral("ann"));
    EXPECT_EQ(nickname->accessibleName(), QStringLiteral("Nickname:"));
    QTest::keyClicks(nickname, "ie");
    EXPECT_EQ(page.row(0).nickname, "annie");
    EXPECT_EQ(list->model()->index(0, 0).data().toString(), QStringLiteral("annie"));
    EXPECT_GT(page.books().changes(), 0);
    child<QPushButton>(view, "cmdAdd")->click();
    EXPECT_EQ(page.rowCount(), 3);
    EXPECT_EQ(child<QLineEdit>(view, "txtFullName")->text(), QStringLiteral("Enter Full Name"));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Escape);
    QTest::keyClicks(list, "b");
    EXPECT_EQ(page.currentRow(), 1);
    EXPECT_EQ(child<QLabel>(view, "lblTypeAhead")->text(), QStringLiteral("bob"));
    child<QPushButton>(view, "cmdSave")->click();
    EXPECT_EQ(page.books().readBook("Friends").entries.size(), 3u);
    for (QWidget* w : view.findChildren<QWidget*>()) {
        if (qobject_cast<QPushButton*>(w) || qobject_cast<QLineEdit*>(w) ||
            qobject_cast<QCheckBox*>(w)) {
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        }
    }
}

TEST_F(AddressBookViewsTest, DialogsRenderTheirModels) {
    struct Host : addressbook::VerificationHost {
        bool b = false;
        bool busy() const override { return b; }
        void setBusy(bool v) override { b = v; }
        bool autoCheckRunning() const override { return false; }
        void stopAutoCheck() override {}
        void restartAutoCheck() override {}
        std::string applicationTitle() const override { return "Velmora Pro"; }
        void setApplicationTitle(const std::string&) override {}
        void showStatus(const std::string&) override {}
    } host;
    struct Lookup : addressbook::MxLookup {
        Answer lookup(const std::string&) override { return {true, 1}; }
    };
    page.clickRow(0);
    addressbook::TckAddressForm verify(
        fake.platform(), host, [] { return std::make_unique<Lookup>(); }, "Friends",
        page.selectedForVerification());
    VerifyDialog verifyDialog(verify);
    verify.open();
    verify.startCheck();
    EXPECT_EQ(verifyDialog.windowTitle(),
              QStringLiteral("Verification Finished - A Total of 1 Address Was Verified"));
    EXPECT_EQ(child<QListWidget>(verifyDialog, "lboxGood")->count(), 1);
    verify.close();

    addressbook::TimportForm import(fake.platform(), page);
    ImportDialog importDialog(import, run);
    EXPECT_EQ(child<QComboBox>(importDialog, "cboAddressBookType")->count(), 4);
    import.selectSource(addressbook::ImportSource::Netscape);
    import.readSource(testing::sourceDir() / "tests" / "fixtures" / "addressbook" /
                      "thunderbird-export.ldif");
    importDialog.refresh();
    EXPECT_EQ(child<QTreeWidget>(importDialog, "tv")->topLevelItemCount(), 1);
    EXPECT_FALSE(child<QPushButton>(importDialog, "cmdImport")->isEnabled());

    addressbook::TorderABKForm order(fake.platform(), page);
    OrderDialog orderDialog(order, run);
    EXPECT_EQ(child<QListWidget>(orderDialog, "lboxBooks")->count(), 2);
    child<QPushButton>(orderDialog, "cmdDown")->click();
    EXPECT_EQ(page.books().names(), (std::vector<std::string>{"Work", "Friends"}));
}

}  // namespace
}  // namespace velmora::desktop
