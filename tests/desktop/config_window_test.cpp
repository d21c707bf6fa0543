// Smoke test of the configuration window's widgets, offscreen: every page opens from the
// Configure menu entries and shows its options, user input reaches the models, and leaving a
// page writes its file. With VELMORA_SCREENSHOT set, the Users page is saved there as a PNG.
#include "desktop/config_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <cstdlib>

#include "base/text_file.h"
#include "desktop/config_option_page.h"
#include "desktop/config_users_page.h"
#include "support/fake_platform.h"
#include "support/qt_application.h"
#include "support/temp_dir.h"

namespace velmora::desktop {
namespace {

namespace fs = std::filesystem;
using profiles::ConfigPage;

class NoRegistry final : public profiles::MailHandlerRegistry {
  public:
    std::optional<std::string> currentHandler() override { return std::nullopt; }
    bool setHandler(const std::string&, std::string&) override { return false; }
    bool installDesktopEntry(std::string&) override { return false; }
    void removeDesktopEntry() override {}
};

QApplication& app() {
    return testing::testApplication();
}

class ConfigWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { app(); }

    void SetUp() override {
        for (const char* name : {"Home", "Office", "Travel"}) {
            profiles::TUsersObjListBox p;
            p.profileName = name;
            p.connectName = std::string(name) + " ISP";
            p.fromName = "Ann Example";
            p.fromAddress = "ann@example.com";
            p.organization = "Example Ltd";
            p.accountName = "ann";
            p.password = "secret";
            p.rememberPassword = true;
            p.pop3Server = "pop.example.com";
            p.smtpServer = "smtp.example.com";
            ASSERT_FALSE(
                profiles::writeProfileFile(profiles::profileFilePath(home.path(), name), p));
        }
        ASSERT_FALSE(profiles::writeMasterUsr(home.path(), {"Home", "Office", "Travel"}));
        lists.loadProfileNames(home.path());
        ASSERT_FALSE(lists.loadProfiles(home.path()));
        lists.selectActiveProfile(0);
        lists.selectConnectionProfile(0);
    }

    testing::TempDir home;
    testing::FakePlatform fake;
    profiles::Settings settings;
    profiles::ProfileLists lists;
    NoRegistry registry;
    profiles::TconfigForm form{fake, home.path(), lists, settings, registry};
    ConfigWindow window{form, lists};
};

TEST_F(ConfigWindowTest, EveryPageOpensFromTheConfigureMenuAndShowsItsOptions) {
    for (const auto& entry : profiles::kConfigureMenu) {
        window.openOn(entry.page);
        EXPECT_EQ(window.tabs().currentIndex(), static_cast<int>(entry.page)) << entry.path;
        EXPECT_TRUE(window.tabs().currentWidget()->isVisible()) << entry.path;
        if (profiles::OptionPage* page = form.optionPage(entry.page)) {
            for (const auto& option : page->options())
                EXPECT_NE(window.optionPage(entry.page)->control(option.id), nullptr) << option.id;
        }
        window.close();
        EXPECT_FALSE(form.visible());
    }
    EXPECT_EQ(window.tabs().count(), profiles::kConfigPageCount);
    EXPECT_EQ(window.tabs().tabText(1), "Address Books");
}

TEST_F(ConfigWindowTest, TheWindowAndItsCloseButtonStayOnTheScreen) {
    // The offscreen screen is 800 x 600, smaller than the Users page: the page scrolls.
    window.openOn(ConfigPage::Users);
    QApplication::processEvents();
    const QRect room = window.screen()->availableGeometry();
    EXPECT_TRUE(room.contains(window.frameGeometry())) << window.frameGeometry().height();
    QPushButton* close = nullptr;
    for (QPushButton* button : window.findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("Close")) close = button;
    ASSERT_NE(close, nullptr);
    EXPECT_TRUE(close->isVisible());
    EXPECT_TRUE(room.contains(QRect(close->mapToGlobal(QPoint(0, 0)), close->size())));
    window.close();
}

TEST_F(ConfigWindowTest, ChangesReachThePageModelsAndAreWrittenWhenTheTabChanges) {
    window.openOn(ConfigPage::Misc);
    auto* notify = static_cast<QCheckBox*>(window.optionPage(ConfigPage::Misc)->control("notify"));
    auto* blink = window.optionPage(ConfigPage::Misc)->control("blinkTaskbar");
    EXPECT_FALSE(blink->isEnabled());
    notify->click();
    EXPECT_TRUE(settings.misc.notify);
    EXPECT_TRUE(blink->isEnabled());
    window.tabs().setCurrentIndex(static_cast<int>(ConfigPage::Reply));
    EXPECT_EQ(form.page(), ConfigPage::Reply);
    EXPECT_TRUE(profiles::loadMiscSettings(home.path()).notify);

    auto* wrap = static_cast<QLineEdit*>(window.optionPage(ConfigPage::Reply)->control("wordWrap"));
    wrap->selectAll();
    QTest::keyClicks(wrap, "72");
    EXPECT_EQ(settings.reply.wordWrap, "72");
    auto* cursor =
        static_cast<QComboBox*>(window.optionPage(ConfigPage::Reply)->control("cursorPosition"));
    EXPECT_EQ(cursor->itemText(1), "End of Message");
    window.close();
    EXPECT_EQ(profiles::loadReplySettings(home.path()).wordWrap, "72");
}

TEST_F(ConfigWindowTest, UsersPageShowsTheProfilesAndForwardsEdits) {
    window.openOn(ConfigPage::Users);
    ConfigUsersPage& users = window.usersPage();
    ASSERT_EQ(users.rankList()->count(), 3);
    EXPECT_EQ(users.rankList()->item(2)->text(), "Travel");
    EXPECT_EQ(users.field(profiles::UsersFocus::FromAddress)->text(), "ann@example.com");
    EXPECT_EQ(users.field(profiles::UsersFocus::Password)->echoMode(), QLineEdit::Password);

    QLineEdit* organization = users.field(profiles::UsersFocus::Organization);
    users.model().setFocus(profiles::UsersFocus::Organization);
    organization->selectAll();
    QTest::keyClicks(organization, "Other Ltd");
    EXPECT_EQ(users.model().fields().organization, "Other Ltd");
    users.model().clickRankList(1);
    users.refresh();
    EXPECT_EQ(profiles::readProfileFile(home / "Home.usr")->organization, "Other Ltd");
    EXPECT_EQ(users.rankList()->currentRow(), 1);
    EXPECT_EQ(users.field(profiles::UsersFocus::ProfileName)->text(), "Office");

    // The connection choices are found by their names and reach the model.
    QComboBox* security = nullptr;
    for (auto* box : users.findChildren<QComboBox*>())
        if (box->accessibleName() == "POP3 Security") security = box;
    ASSERT_NE(security, nullptr);
    users.model().setFocus(profiles::UsersFocus::Pop3Security);
    security->setCurrentIndex(2);
    emit security->activated(2);
    EXPECT_EQ(users.model().fields().pop3Security, profiles::Security::Tls);

    if (const char* shot = std::getenv("VELMORA_SCREENSHOT")) {
        users.model().clickRankList(0);
        users.refresh();
        window.tabs().setCurrentIndex(static_cast<int>(ConfigPage::Users));
        window.grab().save(QString::fromLocal8Bit(shot));
    }
    window.close();
}

}  // namespace
}  // namespace velmora::desktop
