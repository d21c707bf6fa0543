#include "profiles/users_page.h"

#include <gtest/gtest.h>

#include "base/text_file.h"
#include "profiles/profile_menus.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace velmora::profiles {
namespace {

namespace fs = std::filesystem;
using testing::FakePlatform;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

struct RecordingEvents : ProfileEvents {
    void activeProfileChanged(int index) override { changes.push_back(index); }
    void profileCountChanged(std::size_t count) override { counts.push_back(count); }
    void loadSignatureFile(const std::string& name) override { signatures.push_back(name); }
    void openSignatureEditor(const std::string& name) override { editors.push_back(name); }
    std::vector<int> changes;
    std::vector<std::size_t> counts;
    std::vector<std::string> signatures;
    std::vector<std::string> editors;
};

// A home folder with profiles, loaded as at start-up, and the Users page on it.
class UsersPageTest : public ::testing::Test {
  protected:
    void start(const std::vector<std::string>& names) {
        std::vector<std::string> stored;
        for (const auto& name : names) {
            TUsersObjListBox p;
            p.profileName = name;
            p.accountName = "acct-" + name;
            p.pop3Server = "pop." + name;
            p.password = "pw-" + name;
            ASSERT_FALSE(writeProfileFile(profileFilePath(home.path(), name), p));
            writeFile(signatureFilePath(home.path(), name), "46\r\nsig of " + name);
            stored.push_back(name);
        }
        if (!names.empty()) {
            ASSERT_FALSE(writeMasterUsr(home.path(), stored));
        }
        lists.setEvents(&events);
        lists.loadProfileNames(home.path());
        ASSERT_FALSE(lists.loadProfiles(home.path()));
        lists.selectActiveProfile(0);
        lists.selectConnectionProfile(0);
        page.enterPage();
    }

    void answerAdd(const std::string& name) {
        fake.dialogs.inputAnswers.push_back(platform::InputBoxResult{name, ""});
    }
    std::vector<std::string> masterUsr() { return readMasterUsr(home.path()); }
    bool exists(const std::string& file) { return fs::exists(home / file); }

    TempDir home;
    FakePlatform fake;
    Settings settings;
    ProfileLists lists;
    RecordingEvents events;
    UsersPage page{fake, home.path(), lists, settings};
};

TEST_F(UsersPageTest, AddingDuplicateNameWithBlanksAndCaseIsRefusedNamingTheExisting) {
    start({"sales"});
    answerAdd("  Sales ");
    fake.dialogs.inputAnswers.push_back(std::nullopt);  // then the user cancels
    page.addClick();
    ASSERT_EQ(fake.dialogs.inputBoxes.size(), 2u);
    EXPECT_EQ(fake.dialogs.inputBoxes[0].caption, "Add User Name Profile");
    EXPECT_EQ(fake.dialogs.inputBoxes[0].first.prompt, "Enter User Profile Name");
    EXPECT_EQ(fake.dialogs.inputBoxes[1].first.value, "");  // asked again, empty
    EXPECT_EQ(fake.dialogs.texts("information"),
              std::vector<std::string>{"User name 'sales' already in use."});
    EXPECT_EQ(fake.system.beeps, 1);
    EXPECT_EQ(lists.size(), 1u);
    EXPECT_EQ(page.focus(), UsersFocus::AddButton);
}

TEST_F(UsersPageTest, DuplicateMessageCutsTheExistingNameTo42Characters) {
    const std::string longName(50, 'x');
    start({longName});
    answerAdd(std::string(50, 'X'));
    page.addClick();
    EXPECT_EQ(fake.dialogs.texts("information"),
              std::vector<std::string>{"User name '" + std::string(42, 'x') + "' already in use."});
}

TEST_F(UsersPageTest, AddedProfileBecomesActiveEverywhereAndIsWrittenAtTheNextSave) {
    start({"Home"});
    answerAdd("Office");
    page.addClick();
    EXPECT_EQ(lists.names(), (std::vector<std::string>{"Home", "Office"}));
    EXPECT_EQ(lists.connectionListBox().back(), "Office");
    EXPECT_EQ(lists.activeIndex(), 1);
    EXPECT_EQ(lists.connectionIndex(), 1);
    EXPECT_EQ(page.fields().profileName, "Office");
    EXPECT_EQ(page.focus(), UsersFocus::ProfileName);
    EXPECT_TRUE(page.edited());
    EXPECT_EQ(events.counts.back(), 2u);
    page.setFocus(UsersFocus::FromName);
    page.setText(UsersFocus::FromName, "Ann");
    page.leavePage();
    EXPECT_EQ(masterUsr(), (std::vector<std::string>{"Home", "Office"}));
    ASSERT_TRUE(readProfileFile(home / "Office.usr"));
    EXPECT_EQ(readProfileFile(home / "Office.usr")->fromName, "Ann");
}

TEST_F(UsersPageTest, FirstProfileOnAnEmptyHomeFolder) {
    start({});
    EXPECT_FALSE(page.signatureEnabled());
    answerAdd("Home");
    page.addClick();
    page.setText(UsersFocus::ProfileName, "Home");
    page.setFocus(UsersFocus::Pop3Server);
    page.setText(UsersFocus::Pop3Server, "pop.example.com");
    page.setFocus(UsersFocus::SmtpServer);  // empty: takes the POP3 server
    EXPECT_EQ(page.fields().smtpServer, "pop.example.com");
    page.leavePage();
    EXPECT_EQ(masterUsr(), std::vector<std::string>{"Home"});
    EXPECT_EQ(readProfileFile(home / "Home.usr")->smtpServer, "pop.example.com");
    EXPECT_EQ(lists.activeLogin().pop3Server, "pop.example.com");
    EXPECT_TRUE(page.signatureEnabled());
}

TEST_F(UsersPageTest, ProfileAddedFromThePopupMenuWhileInTheNameFieldIsStillWritten) {
    start({"Home"});
    page.setFocus(UsersFocus::ProfileName);
    answerAdd("Office");
    page.addClick();
    page.leavePage();
    EXPECT_TRUE(exists("Office.usr"));
    EXPECT_EQ(masterUsr(), (std::vector<std::string>{"Home", "Office"}));
}

TEST_F(UsersPageTest, EmptyNameAddsNothingAndKeepsTheShownProfile) {
    start({"Home"});
    answerAdd("   ");
    page.addClick();
    EXPECT_EQ(lists.size(), 1u);
    EXPECT_EQ(page.fields().profileName, "Home");
    EXPECT_EQ(page.fields().accountName, "acct-Home");
    EXPECT_FALSE(page.edited());
}

TEST_F(UsersPageTest, NameThatCannotBeAFileNameIsRefused) {
    start({"Home"});
    answerAdd("../escape");
    fake.dialogs.inputAnswers.push_back(std::nullopt);
    page.addClick();
    EXPECT_EQ(lists.size(), 1u);
    ASSERT_EQ(fake.dialogs.texts("warning").size(), 1u);
    EXPECT_NE(fake.dialogs.texts("warning")[0].find("'../escape' cannot be used as a file name"),
              std::string::npos);
    EXPECT_FALSE(exists("../escape.usr"));
}

TEST_F(UsersPageTest, DeletingTheOnlyProfileRemovesAllItsFiles) {
    start({"Home"});
    writeFile(home / "Home.uidl", "46\r\n");
    page.setFocus(UsersFocus::RankList);
    EXPECT_TRUE(page.deleteEnabled());
    fake.dialogs.answers.push_back(platform::Answer::Yes);
    page.setFocus(UsersFocus::DeleteButton);  // coming from the rank list keeps it enabled
    page.deleteClick();
    EXPECT_EQ(fake.dialogs.texts("question"),
              std::vector<std::string>{"Are you sure you want to delete user Home?"});
    EXPECT_FALSE(exists("master.usr"));
    EXPECT_FALSE(exists("Home.usr"));
    EXPECT_FALSE(exists("Home.sig"));
    EXPECT_FALSE(exists("Home.uidl"));
    EXPECT_TRUE(lists.empty());
    EXPECT_FALSE(page.signatureEnabled());
    EXPECT_FALSE(page.deleteEnabled());
    EXPECT_FALSE(page.headersActionEnabled());
    EXPECT_EQ(page.fields(), TUsersObjListBox{});
    EXPECT_EQ(page.focus(), UsersFocus::AddButton);
    EXPECT_EQ(events.counts.back(), 0u);
    EXPECT_EQ(events.signatures.back(), "");
}

TEST_F(UsersPageTest, DeleteSelectsTheNewFirstOrThePreviousProfile) {
    struct Case {
        int deleted;
        std::vector<std::string> left;
        int selected;
    };
    for (const Case& c : {Case{0, {"B", "C"}, 0}, Case{2, {"A", "B"}, 1}, Case{1, {"A", "C"}, 0}}) {
        TempDir h;
        FakePlatform f;
        Settings s;
        ProfileLists l;
        for (const char* name : {"A", "B", "C"}) {
            TUsersObjListBox p;
            p.profileName = name;
            p.accountName = std::string("acct-") + name;
            ASSERT_FALSE(writeProfileFile(profileFilePath(h.path(), name), p));
        }
        ASSERT_FALSE(writeMasterUsr(h.path(), {"A", "B", "C"}));
        l.loadProfileNames(h.path());
        ASSERT_FALSE(l.loadProfiles(h.path()));
        UsersPage p(f, h.path(), l, s);
        p.enterPage();
        p.clickRankList(c.deleted);
        f.dialogs.answers.push_back(platform::Answer::Yes);
        p.rankKey(RankKey::Delete, false);
        EXPECT_EQ(l.names(), c.left) << c.deleted;
        EXPECT_EQ(readMasterUsr(h.path()), c.left);
        EXPECT_EQ(l.activeIndex(), c.selected);
        EXPECT_EQ(l.connectionIndex(), c.selected);
        EXPECT_EQ(p.fields().profileName, c.left[static_cast<std::size_t>(c.selected)]);
        EXPECT_EQ(l.activeLogin().accountName,
                  "acct-" + c.left[static_cast<std::size_t>(c.selected)]);
    }
}

TEST_F(UsersPageTest, DeleteAnsweredNoKeepsEverythingAndDeleteNeedsTheRankList) {
    start({"A", "B"});
    page.setFocus(UsersFocus::FromName);
    EXPECT_FALSE(page.deleteEnabled());
    page.deleteClick();
    EXPECT_TRUE(fake.dialogs.shown.empty());
    page.setFocus(UsersFocus::RankList);
    fake.dialogs.answers.push_back(platform::Answer::No);
    page.deleteClick();
    EXPECT_EQ(lists.size(), 2u);
    EXPECT_TRUE(exists("A.usr"));
}

TEST_F(UsersPageTest, RenamingHomeToOfficeMovesTheProfileAndSignatureFiles) {
    start({"Home"});
    writeFile(home / "Home.uidl", "46\r\nabc\t1\r\n");
    page.setFocus(UsersFocus::ProfileName);
    page.setText(UsersFocus::ProfileName, " Office ");
    page.setFocus(UsersFocus::ConnectName);  // leaving the name moves the signature file
    EXPECT_TRUE(exists("Office.sig"));
    EXPECT_FALSE(exists("Home.sig"));
    EXPECT_TRUE(exists("Office.uidl"));  // else every message left on the server comes again
    EXPECT_FALSE(exists("Home.uidl"));
    EXPECT_EQ(lists.usersListBox(), std::vector<std::string>{"Office"});
    EXPECT_EQ(lists.connectionListBox(), std::vector<std::string>{"Office"});
    page.setFocus(UsersFocus::RankList);  // entering the list saves the edits
    EXPECT_TRUE(exists("Office.usr"));
    EXPECT_FALSE(exists("Home.usr"));
    EXPECT_EQ(readProfileFile(home / "Office.usr")->profileName, "Office");
    EXPECT_EQ(readProfileFile(home / "Office.usr")->password, "pw-Home");
    EXPECT_EQ(masterUsr(), std::vector<std::string>{"Office"});
    EXPECT_EQ(readFile(home / "Office.sig"), "46\r\nsig of Home");
}

TEST_F(UsersPageTest, RenamingOnlyTheCaseRenamesTheFilesToo) {
    start({"Home"});
    page.setFocus(UsersFocus::ProfileName);
    page.setText(UsersFocus::ProfileName, "home");
    page.leavePage();
    EXPECT_TRUE(exists("home.usr"));
    EXPECT_TRUE(exists("home.sig"));
    EXPECT_FALSE(exists("Home.usr"));
    EXPECT_FALSE(exists("Home.sig"));
    // Mail stored before names its server copies "Home": the profile remembers that name.
    EXPECT_EQ(readProfileFile(home / "home.usr")->formerNames, std::vector<std::string>{"Home"});
    EXPECT_EQ(profileOnceNamed(home.path(), "Home")->profileName, "home");
}

TEST_F(UsersPageTest, RenamingToAnotherProfilesNameIsRefusedAndOverwritesNothing) {
    start({"A", "B"});
    page.clickRankList(1);
    page.setFocus(UsersFocus::ProfileName);
    page.setText(UsersFocus::ProfileName, "a ");
    page.setFocus(UsersFocus::ConnectName);
    EXPECT_EQ(fake.dialogs.texts("information"),
              std::vector<std::string>{"User name 'A' already in use."});
    EXPECT_EQ(page.fields().profileName, "B");
    page.setText(UsersFocus::ProfileName, "");  // an empty name is refused too
    page.leavePage();
    EXPECT_EQ(masterUsr(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(readProfileFile(home / "A.usr")->accountName, "acct-A");
    EXPECT_EQ(readProfileFile(home / "B.usr")->accountName, "acct-B");
}

TEST_F(UsersPageTest, ShiftHomeMovesTheThirdProfileFirstAndWritesTheOrderOnFocusLoss) {
    start({"A", "B", "C"});
    page.clickRankList(2);
    ASSERT_TRUE(page.rankKey(RankKey::Home, true));
    EXPECT_EQ(lists.names(), (std::vector<std::string>{"C", "A", "B"}));
    EXPECT_EQ(lists.usersListBox(), (std::vector<std::string>{"C", "A", "B"}));
    EXPECT_EQ(lists.connectionListBox(), (std::vector<std::string>{"C", "A", "B"}));
    EXPECT_EQ(lists.activeIndex(), 0);
    EXPECT_EQ(masterUsr(), (std::vector<std::string>{"A", "B", "C"}));  // not yet
    page.setFocus(UsersFocus::AddButton);
    EXPECT_EQ(masterUsr(), (std::vector<std::string>{"C", "A", "B"}));
    EXPECT_EQ(readLines(home / "master.usr").at(1), "C");
    EXPECT_FALSE(page.orderChanged());
}

TEST_F(UsersPageTest, ShiftKeysAndDraggingMoveBySteps) {
    start({"A", "B", "C", "D"});
    page.clickRankList(1);
    page.rankKey(RankKey::Down, true);
    EXPECT_EQ(lists.names(), (std::vector<std::string>{"A", "C", "B", "D"}));
    page.rankKey(RankKey::End, true);
    EXPECT_EQ(lists.names(), (std::vector<std::string>{"A", "C", "D", "B"}));
    page.rankKey(RankKey::Up, true);
    EXPECT_EQ(lists.names(), (std::vector<std::string>{"A", "C", "B", "D"}));
    EXPECT_EQ(lists.record(static_cast<std::size_t>(lists.activeIndex())).profileName, "B");
    page.dragRankEntry(0, 3);
    EXPECT_EQ(lists.names(), (std::vector<std::string>{"C", "B", "D", "A"}));
    EXPECT_EQ(page.fields().profileName, "B");  // still the selected one
    page.rankKey(RankKey::Down, false);         // without Shift: selects the next
    EXPECT_EQ(page.fields().profileName, "D");
    page.leavePage();
    EXPECT_EQ(masterUsr(), (std::vector<std::string>{"C", "B", "D", "A"}));
}

TEST_F(UsersPageTest, RememberPasswordClearedIsSavedWithThePassword) {
    start({"Home"});
    page.setFocus(UsersFocus::RememberPassword);
    page.setChecked(UsersFocus::RememberPassword, false);
    page.setFocus(UsersFocus::HeadersDefaultAction);
    page.setHeadersAction(2);
    page.leavePage();
    const auto stored = readProfileFile(home / "Home.usr");
    EXPECT_FALSE(stored->rememberPassword);
    EXPECT_EQ(stored->password, "pw-Home");
    EXPECT_EQ(stored->headersDefaultAction, 2);
    EXPECT_FALSE(lists.activeLogin().rememberPassword);
    EXPECT_EQ(lists.activeLogin().headersDefaultAction, 2);
}

TEST_F(UsersPageTest, ConnectionChoicesAreSavedAndOutOfRangeValuesRefused) {
    start({"Home"});
    page.setFocus(UsersFocus::Pop3Security);
    page.setChoice(UsersFocus::Pop3Security, 2);
    page.setChoice(UsersFocus::SmtpSecurity, 1);
    page.setChoice(UsersFocus::SmtpLogin, 2);
    page.setChoice(UsersFocus::Pop3Login, 9);  // no such method: ignored
    page.setNumber(UsersFocus::Pop3Port, 70000);
    page.setNumber(UsersFocus::DeleteAfterDays, 30);
    page.setChecked(UsersFocus::LeaveOnServer, true);
    page.setChecked(UsersFocus::AllowPlainTextPassword, true);
    page.leavePage();
    const auto stored = readProfileFile(home / "Home.usr");
    EXPECT_EQ(stored->pop3Security, Security::Tls);
    EXPECT_EQ(stored->smtpSecurity, Security::StartTls);
    EXPECT_EQ(stored->smtpLogin, SmtpLogin::Login);
    EXPECT_EQ(stored->pop3Login, Pop3Login::UserPass);
    EXPECT_EQ(stored->pop3Port, kMaxPort);
    EXPECT_EQ(stored->deleteFromServerAfterDays, 30);
    EXPECT_TRUE(stored->leaveOnServer);
    EXPECT_TRUE(stored->allowPlainTextPassword);
    EXPECT_EQ(fieldValue(*stored, UsersFocus::SmtpLogin), 2);
    EXPECT_EQ(choicesOf(UsersFocus::Pop3Security).at(1), "STARTTLS");
}

TEST_F(UsersPageTest, EnterFromTheLastFieldGoesBackToTheFirst) {
    start({"Home"});
    page.setFocus(UsersFocus::DeleteWithTrash);
    page.pressEnter();
    EXPECT_EQ(page.focus(), UsersFocus::ProfileName);
}

TEST_F(UsersPageTest, EnterMovesToTheNextFieldAndConnectNameFeedsTheSelector) {
    start({"Home"});
    page.setFocus(UsersFocus::ConnectName);
    page.setText(UsersFocus::ConnectName, "Dial-up");
    page.pressEnter();
    EXPECT_EQ(page.focus(), UsersFocus::FromName);
    EXPECT_EQ(lists.connectionListBox(), std::vector<std::string>{"Dial-up"});
}

TEST_F(UsersPageTest, SignatureButtonSavesFirstAndOpensTheEditorForTheProfile) {
    start({"Home"});
    page.setFocus(UsersFocus::Organization);
    page.setText(UsersFocus::Organization, "Example Ltd");
    page.signatureClick();
    EXPECT_EQ(events.editors, std::vector<std::string>{"Home"});
    EXPECT_EQ(readProfileFile(home / "Home.usr")->organization, "Example Ltd");
}

TEST_F(UsersPageTest, FontButtonWritesUsersCfgWhenThePageIsLeft) {
    start({"Home"});
    platform::FontChoice font;
    font.family = "DejaVu Sans";
    font.pointSize = 12;
    font.colour = "clNavy";
    fake.dialogs.fontAnswers.push_back(font);
    page.fontClick();
    EXPECT_FALSE(exists("users.cfg"));
    page.leavePage();
    EXPECT_EQ(loadUsersPageSettings(home.path()).font, (FontSetting{"DejaVu Sans", "12", kClNavy}));
}

TEST_F(UsersPageTest, ProfileMenusAndTitleFollowTheList) {
    start({"Home"});
    ProfileMenus menus = buildProfileMenus(lists);
    EXPECT_EQ(menus.retrieveCaption, "Re&trieve  [Home]");
    EXPECT_FALSE(menus.changeUserProfileEnabled);
    EXPECT_FALSE(menus.retrieveViaEnabled);
    EXPECT_TRUE(menus.composeUsingProfileEnabled);
    EXPECT_EQ(mainWindowTitle(true, lists), "Velmora Pro 4.6");
    EXPECT_EQ(mainWindowTitle(false, lists), "Velmora Pro 4.6 - User Profile [Home]");

    for (int i = 0; i < 39; ++i) {
        TUsersObjListBox p;
        p.profileName = std::string(45, 'a') + std::to_string(i);
        lists.append(p);
    }
    lists.selectActiveProfile(5);
    menus = buildProfileMenus(lists);
    EXPECT_EQ(menus.retrieveCaption, "Re&trieve  [" + std::string(42, 'a') + "]");
    EXPECT_TRUE(menus.changeUserProfileEnabled);
    EXPECT_EQ(menus.changeUserProfile.size(), 40u);
    EXPECT_TRUE(menus.changeUserProfile[5].checked);
    EXPECT_FALSE(menus.changeUserProfile[0].checked);
    EXPECT_EQ(menus.retrieveVia.size(), 32u);
    EXPECT_EQ(menus.composeUsingProfile.size(), 40u);
}

TEST_F(UsersPageTest, WriteFailureReachesTheCallerAndKeepsTheEdits) {
    start({"Home"});
    page.setFocus(UsersFocus::FromName);
    page.setText(UsersFocus::FromName, "Ann");
    fs::remove_all(home.path());
    writeFile(home.path(), "not a folder");
    EXPECT_THROW(page.leavePage(), std::system_error);
    EXPECT_TRUE(page.edited());
    fs::remove(home.path());
    fs::create_directory(home.path());
}

}  // namespace
}  // namespace velmora::profiles
