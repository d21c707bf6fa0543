#include "compose/compose_form.h"

#include <gtest/gtest.h>

#include "compose/addresses.h"
#include "compose/compose_windows.h"
#include "fake_compose_host.h"
#include "store/message_file.h"
#include "support/fake_platform.h"
#include "support/servers/real_servers.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::compose {
namespace {

namespace fs = std::filesystem;
using platform::Answer;

class ComposeWindow : public ::testing::Test {
  protected:
    ComposeWindow() { host.addProfile(); }
    // A new window, initialised.
    TcomposeForm& open() {
        TcomposeForm* w = windows.openNew();
        EXPECT_NE(w, nullptr);
        fake.clock.advance(platform::Milliseconds{60});
        EXPECT_FALSE(w->loading());
        return *w;
    }
    fs::path dir(const std::string& folder) { return store::folderDirectory(home.path(), folder); }
    reading::TinboxForm& folder(const std::string& name) {
        return host.folderHost.openFolderWindow(name, true);
    }
    // Stored messages in a folder, returned in the window's row order.
    std::vector<std::string> store3(const std::string& name) {
        std::vector<std::string> names;
        for (int i = 1; i <= 3; ++i) {
            testing::MessageSample s;
            s.fileName = "2001.07.31.15.30.45.00" + std::to_string(i);
            s.subject = "Message " + std::to_string(i);
            testing::storeMessage(dir(name), s);
            names.push_back(s.fileName);
        }
        return names;
    }
    std::vector<std::string> fileNames(const std::string& name) {
        std::vector<std::string> names;
        for (const auto& row : folder(name).rows()) names.push_back(row.item.fileName);
        std::sort(names.begin(), names.end());
        return names;
    }

    testing::TempDir home;
    testing::FakePlatform fake;
    testing::FakeComposeHost host{fake, home.path()};
    ComposeWindows windows{fake, home.path(), host};
};

TEST_F(ComposeWindow, NicknameAndAddressExpandIntoTwoListLines) {
    AddressBookEntry bob;
    bob.nickName = "bob";
    bob.fullName = "Bob Stone";
    bob.addresses = {"bob@stone.org"};
    host.book.list = {bob};
    TcomposeForm& w = open();
    w.setPlain(AddressField::To, "BOB, ann@x.com,");
    w.leavePlain(AddressField::To);
    EXPECT_EQ(w.plain(AddressField::To), "Bob Stone <bob@stone.org>, ann@x.com");
    EXPECT_EQ(w.lines(AddressField::To),
              (std::vector<std::string>{"Bob Stone <bob@stone.org>", "ann@x.com"}));
    EXPECT_EQ(w.tabCaption(ComposePage::To), "To: [2]");
    EXPECT_TRUE(w.tabMarked(ComposePage::To));
    w.setSendOnePer(true);
    EXPECT_EQ(w.tabCaption(ComposePage::To), "To: One Per [2]");
    EXPECT_TRUE(w.sendEnabled());

    w.setLines(AddressField::CC, {"carl@x.com", "", "dora@x.com"});
    w.leaveLines(AddressField::CC);
    EXPECT_EQ(w.plain(AddressField::CC), "carl@x.com, dora@x.com");
}

TEST_F(ComposeWindow, UnknownNicknameStaysAndFailsTheCheck) {
    TcomposeForm& w = open();
    w.setPlain(AddressField::To, "nobody");
    w.leavePlain(AddressField::To);
    EXPECT_EQ(w.plain(AddressField::To), "nobody");
    EXPECT_FALSE(w.checkAddresses());
    EXPECT_EQ(w.page(), ComposePage::To);
    EXPECT_EQ(w.selectedLine(), 0);
    EXPECT_EQ(fake.dialogs.texts("information"), (std::vector<std::string>{kBadAddressText}));
}

TEST_F(ComposeWindow, TheEleventhWindowIsRefused) {
    for (int i = 0; i < kMaxComposeWindows; ++i) ASSERT_NE(windows.openNew(), nullptr);
    EXPECT_EQ(windows.openNew(), nullptr);
    EXPECT_EQ(host.windows.size(), 10u);
    EXPECT_EQ(fake.dialogs.texts("information"), (std::vector<std::string>{kTooManyWindowsText}));
    EXPECT_EQ(host.windows.back()->caption(), "Compose 10");
    host.busyFlag = true;
    host.closeComposeWindow(*host.windows.front());
    EXPECT_EQ(windows.openNew(), nullptr);  // nothing opens while mail is moving
}

TEST_F(ComposeWindow, SubjectRewritesTheCaption) {
    TcomposeForm& w = open();
    w.setSubject("  Plans ");
    w.leaveSubject();
    EXPECT_EQ(w.caption(), "Compose 1 - [Plans]");
    w.setSubject("");
    w.leaveSubject();
    EXPECT_EQ(w.caption(), "Compose 1 - [No Subject]");
}

TEST_F(ComposeWindow, ClosingUntouchedAsksNothing) {
    TcomposeForm& w = open();
    EXPECT_TRUE(w.closeQuery());
    EXPECT_TRUE(fake.dialogs.shown.empty());
}

TEST_F(ComposeWindow, ClosingWithOnlyASubjectYesFilesIntoDraftsWithThePlaceholder) {
    TcomposeForm& w = open();
    w.setSubject("Just a subject");
    fake.dialogs.answers = {Answer::Yes};
    EXPECT_TRUE(w.closeQuery());
    ASSERT_EQ(fake.dialogs.shown.size(), 1u);
    EXPECT_EQ(fake.dialogs.shown[0].title, "Save Compose Message Confirmation");
    EXPECT_EQ(fake.dialogs.shown[0].text,
              "Save Compose Message [Just a subject] To Drafts Folder?");
    auto& drafts = folder("Drafts");
    ASSERT_EQ(drafts.rowCount(), 1u);
    EXPECT_EQ(store::columnText(drafts.rows()[0].text, store::Column::To), kPlaceholderTo);
}

TEST_F(ComposeWindow, ClosingAndAnsweringNoFilesIntoTrash) {
    TcomposeForm& w = open();
    w.setBody("Some thoughts");
    fake.dialogs.answers = {Answer::No};
    EXPECT_TRUE(w.closeQuery());
    EXPECT_EQ(folder("Trash").rowCount(), 1u);
    EXPECT_EQ(folder("Drafts").rowCount(), 0u);
}

TEST_F(ComposeWindow, AFailedFilingKeepsTheWindowOpen) {
    TcomposeForm& w = open();
    w.setSubject("Keep me");
    fs::remove_all(dir("Drafts"));
    testing::writeFile(dir("Drafts"), "not a folder");
    fake.dialogs.answers = {Answer::Yes};
    EXPECT_FALSE(w.closeQuery());
    EXPECT_FALSE(fake.dialogs.texts("warning").empty());
    EXPECT_FALSE(w.saved());
}

TEST_F(ComposeWindow, CopyingFromDraftsTwiceLeavesOneCopyAndTheNeighbours) {
    const auto names = store3("Drafts");
    auto& drafts = folder("Drafts");
    ASSERT_EQ(drafts.rowCount(), 3u);
    const int middle = findRowByFileName(drafts, names[1]);
    TcomposeForm* w = windows.openStored("Drafts", middle);
    ASSERT_NE(w, nullptr);
    fake.clock.advance(platform::Milliseconds{60});
    EXPECT_EQ(w->mode(), ComposeMode::Drafts);
    EXPECT_EQ(w->subject(), "Message 2");
    EXPECT_EQ(w->plain(AddressField::To), "Bob <bob@example.org>");
    EXPECT_EQ(w->caption(), "Compose 1 - Drafts - [Message 2]");
    w->setSubject("Message 2, edited");
    ASSERT_TRUE(w->copyTo("Drafts"));
    drafts.sortRows();
    ASSERT_TRUE(w->copyTo("Drafts"));
    const auto after = fileNames("Drafts");
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[0], names[0]);
    EXPECT_EQ(after[1], names[2]);
    EXPECT_EQ(w->source()->fileName, after[2]);
    EXPECT_EQ(host.windows.size(), 1u);
    EXPECT_FALSE(w->saved());
}

TEST_F(ComposeWindow, AStoredMessageOpensInUtf8WhateverItsCharacterSet) {
    // A draft of an older version, written in ISO-8859-1.
    testing::MessageSample latin1;
    latin1.fileName = "2001.07.31.15.30.45.001";
    latin1.subject = "R\xE9union";
    latin1.to = {{"Ren\xE9", "rene@example.org"}};
    latin1.body = {"Gr\xFC\xDF"};
    latin1.charSet = mime::TCharSet::csISO8859;
    testing::storeMessage(dir("Drafts"), latin1);
    // One of ours, whose subject is longer than its encoded words may be cut at.
    std::string longSubject;
    for (int i = 0; i < 40; ++i) longSubject += "日本";
    testing::MessageSample utf8;
    utf8.fileName = "2001.07.31.15.30.45.002";
    utf8.subject = longSubject;
    utf8.body = {"こんにちは"};
    utf8.charSet = mime::TCharSet::csUTF8;
    testing::storeMessage(dir("Drafts"), utf8);
    auto& drafts = folder("Drafts");
    TcomposeForm* old = windows.openStored("Drafts", findRowByFileName(drafts, latin1.fileName));
    ASSERT_NE(old, nullptr);
    fake.clock.advance(platform::Milliseconds{60});
    EXPECT_EQ(old->subject(), "Réunion");
    EXPECT_EQ(old->plain(AddressField::To), "René <rene@example.org>");
    EXPECT_EQ(old->body(), "Grüß");
    TcomposeForm* ours = windows.openStored("Drafts", findRowByFileName(drafts, utf8.fileName));
    ASSERT_NE(ours, nullptr);
    fake.clock.advance(platform::Milliseconds{60});
    EXPECT_EQ(ours->subject(), longSubject);
    EXPECT_EQ(ours->body(), "こんにちは");
}

TEST_F(ComposeWindow, TheSessionRecordFindsTheRowEvenWithTheFolderWindowClosed) {
    const auto names = store3("Drafts");
    const int row = findRowByFileName(folder("Drafts"), names[2]);
    TcomposeForm* w = windows.openStored("Drafts", row);
    fake.clock.advance(platform::Milliseconds{60});
    EXPECT_EQ(w->sessionRecord(), (std::pair<std::string, int>{"Drafts", row}));
    folder("Drafts").setIndexDirty();
    host.folderHost.close("Drafts");  // writes the index
    EXPECT_EQ(w->sessionRecord(), (std::pair<std::string, int>{"Drafts", row}));
    EXPECT_EQ(host.folderHost.findFolderWindow("Drafts"), nullptr);  // nothing was opened
}

TEST_F(ComposeWindow, MovingToOutBoxRemovesTheDraftAndCloses) {
    const auto names = store3("Drafts");
    TcomposeForm* w = windows.openStored("Drafts", findRowByFileName(folder("Drafts"), names[0]));
    fake.clock.advance(platform::Milliseconds{60});
    ASSERT_TRUE(w->moveTo("OutBox"));
    EXPECT_TRUE(host.windows.empty());
    EXPECT_EQ(folder("Drafts").rowCount(), 2u);
    EXPECT_EQ(folder("OutBox").rowCount(), 1u);
    EXPECT_EQ(host.shownFolders.back(), "OutBox");
}

TEST_F(ComposeWindow, RemovingAnAttachmentDeletesOnlyTheStoredCopy) {
    testing::MessageSample s;
    s.attachments = {{"report.txt", "stored"}};
    const auto item = testing::storeMessage(dir("Drafts"), s);
    fs::create_directories(home.path() / "elsewhere");
    const fs::path mine = home.path() / "elsewhere" / "mine.txt";
    testing::writeFile(mine, "my own");
    TcomposeForm* w = windows.openStored("Drafts", 0);
    fake.clock.advance(platform::Milliseconds{60});
    ASSERT_EQ(w->attachments().size(), 1u);
    w->addAttachments({mine, "/dev/zero", home.path() / "elsewhere"});
    ASSERT_EQ(w->attachments().size(), 2u);
    EXPECT_EQ(fake.dialogs.texts("information").size(), 2u);  // the device and the folder
    EXPECT_EQ(w->tabCaption(ComposePage::Attachments), "+report.txt");
    fake.dialogs.answers = {Answer::Yes};
    w->removeAttachments({0, 1});
    EXPECT_EQ(fake.dialogs.shown.back().text,
              "Delete all selected file attachments from Drafts folder?");
    EXPECT_TRUE(w->attachments().empty());
    EXPECT_EQ(w->tabCaption(ComposePage::Attachments), "Attachment");
    EXPECT_FALSE(fs::exists(item.attachList[0]));
    EXPECT_TRUE(fs::exists(mine));
}

TEST_F(ComposeWindow, AutoSaveWritesTheBodyOnItsIntervalAndNeverAnEmptyOne) {
    host.settingsValue.compose.autoSave = 3;  // 3 minutes
    TcomposeForm& w = open();
    const fs::path file = home.path() / "Compose 1.txt";
    EXPECT_EQ(w.autoSavePath(), file);
    w.setBody("");
    fake.clock.advance(std::chrono::minutes{3});
    EXPECT_FALSE(fs::exists(file));
    w.setBody("draft text");
    fake.clock.advance(std::chrono::minutes{3});
    EXPECT_EQ(testing::readFile(file), "draft text");
    ASSERT_FALSE(host.statusTexts.empty());
    EXPECT_EQ(host.statusTexts.back(), file.string() + " saved.");
    EXPECT_EQ(autoSaveFile(home.path(), "Compose 123 - [x]"), home.path() / "Compose 123.txt");
}

TEST_F(ComposeWindow, EscapeClosesOnTheBodyPageAndResetsTheSearchElsewhere) {
    TcomposeForm& w = open();
    w.pressEscape(false);
    EXPECT_EQ(host.windows.size(), 1u);
    w.showPage(ComposePage::Body);
    w.pressEscape(false);
    EXPECT_TRUE(host.windows.empty());
}

TEST_F(ComposeWindow, TypeAheadFindsBySortColumnAndStopsOnNoMatch) {
    auto entry = [](std::string nick) {
        AddressBookEntry e;
        e.nickName = std::move(nick);
        e.addresses = {e.nickName + "@x.com"};
        return e;
    };
    host.book.list = {entry("alice"), entry("bob"), entry("bobby")};
    TcomposeForm& w = open();
    w.typeAhead('B');
    EXPECT_EQ(w.addressBookRow(), 1);
    w.typeAhead('o');
    w.typeAhead('b');
    w.typeAhead('b');
    EXPECT_EQ(w.addressBookRow(), 2);
    w.typeAhead('z');
    EXPECT_EQ(w.addressBookRow(), 0);
    EXPECT_EQ(w.typeAheadText(), "No Match - ESC To Reset");
    EXPECT_EQ(fake.system.beeps, 1);
    w.typeAhead('a');
    EXPECT_EQ(w.typeAheadText(), "No Match - ESC To Reset");
    w.pressEscape(false);
    EXPECT_EQ(w.typeAheadText(), "");
    w.typeAhead('a');
    EXPECT_EQ(w.addressBookRow(), 0);
}

TEST_F(ComposeWindow, MailingListFillsFromToReplyToAndBccOnce) {
    AddressBookEntry list;
    list.nickName = "club";
    list.mailingList = true;
    list.listFrom = "Club <club@x.org>";
    list.listReplyTo = "replies@x.org";
    list.addresses = {"m1@x.org", "m2@x.org", "m1@x.org"};
    TcomposeForm& w = open();
    w.insertEntry(list, AddressField::CC);
    EXPECT_EQ(w.from(), "Club <club@x.org>");
    EXPECT_EQ(w.replyTo(), "replies@x.org");
    EXPECT_EQ(w.plain(AddressField::To), "Club <club@x.org>");
    EXPECT_EQ(w.lines(AddressField::BCC), (std::vector<std::string>{"m1@x.org", "m2@x.org"}));
    EXPECT_TRUE(w.lines(AddressField::CC).empty());
}

TEST_F(ComposeWindow, DroppedEntriesAndTheBufferAddressReachTheFields) {
    AddressBookEntry bob;
    bob.nickName = "bob";
    bob.fullName = "Bob Stone";
    bob.addresses = {"bob@stone.org"};
    AddressBookEntry ann;
    ann.nickName = "ann";
    ann.addresses = {"ann@x.org", "", "ann@y.org"};
    host.book.list = {bob, ann};
    TcomposeForm& w = open();
    auto bufferEntry = [&w] {
        const platform::Menu menu = w.popupMenu();
        return *platform::findMenuEntry(menu, "popInsertMailToFromBuffer");
    };
    EXPECT_FALSE(bufferEntry().enabled);  // nothing captured yet

    w.dropEntries({1, 0, 7}, AddressField::CC);
    EXPECT_EQ(w.plain(AddressField::CC), "ann@x.org, ann@y.org, Bob Stone <bob@stone.org>");
    EXPECT_EQ(w.lines(AddressField::CC).size(), 3u);
    EXPECT_TRUE(w.tabMarked(ComposePage::CC));

    host.captured = "carl@z.org";
    w.setPlain(AddressField::To, "old@x.org");
    w.leavePlain(AddressField::To);
    const platform::MenuEntry entry = bufferEntry();
    EXPECT_EQ(entry.caption, "Insert Mail To: Address From Buffer");
    ASSERT_TRUE(entry.enabled);
    entry.command();
    EXPECT_EQ(w.plain(AddressField::To), "carl@z.org");
    EXPECT_EQ(w.lines(AddressField::To), std::vector<std::string>{"carl@z.org"});
    EXPECT_TRUE(w.sendEnabled());
}

TEST_F(ComposeWindow, TheComposeGreetingFillsEveryPlaceholderFromTheFirstRecipient) {
    AddressBookEntry annie;
    annie.nickName = "annie";
    annie.fullName = "Ann Marie Lee";
    annie.addresses = {"ANN@x.org"};
    host.book.list = {annie};
    host.settingsValue.compose.useGreeting = true;
    host.settingsValue.compose.useSignatureBlocks = false;  // the Body: one empty line
    struct Case {
        std::string greeting, to, line;
    } cases[] = {
        {"Hi %FIRSTNAME%:", "Bob Stone <bob@x.org>", "Hi Bob:"},
        {"Dear %LASTNAME%,", "Bob Stone <bob@x.org>", "Dear Stone,"},
        {"Hello %FULLNAME%", "\"Stone, Bob\" <bob@x.org>", "Hello Bob Stone"},
        {"Hi %FIRSTNAME%:", "\"Stone, Bob\" <bob@x.org>", "Hi Bob:"},
        {"Hi %NICKNAME%!", "ann@x.org", "Hi Annie!"},            // found by address: the nickname
        {"Dear %FULLNAME%", "ann@x.org", "Dear Ann Marie Lee"},  // and the full name
        {"Hi %NICKNAME%!", "Bob Stone <bob@x.org>", "Hi!"},      // no entry
        {"Hi %FIRSTNAME%:", "bob@x.org, Carl Dunn <carl@x.org>", "Hi bob@x.org:"},
        {"Hi %FIRSTNAME%, %LASTNAME%", "Bob Stone <bob@x.org>", "Hi Bob, %LASTNAME%"},
        {"Good morning", "Bob Stone <bob@x.org>", "Good morning"},
    };
    for (const Case& c : cases) {
        host.settingsValue.compose.greeting = c.greeting;
        TcomposeForm& w = open();
        w.setPlain(AddressField::To, c.to);
        w.leavePlain(AddressField::To);
        w.setPlain(AddressField::To, "zed@x.org");  // only the first visit greets
        w.leavePlain(AddressField::To);
        EXPECT_EQ(w.body(), c.line + "\r\n") << c.greeting << " / " << c.to;
        host.windows.clear();
    }
}

TEST_F(ComposeWindow, NoComposeGreetingWhileThereAreBlindCopies) {
    host.settingsValue.compose.useGreeting = true;
    host.settingsValue.compose.useSignatureBlocks = false;  // the Body: one empty line
    TcomposeForm& w = open();
    w.setPlain(AddressField::BCC, "hidden@x.org");
    w.leavePlain(AddressField::BCC);
    w.setPlain(AddressField::To, "Bob Stone <bob@x.org>");
    w.leavePlain(AddressField::To);
    EXPECT_EQ(w.body(), "\r\n");
    w.setPlain(AddressField::BCC, "");
    w.leavePlain(AddressField::BCC);
    w.leavePlain(AddressField::To);
    EXPECT_EQ(w.body(), "Hi Bob:\r\n");
}

TEST_F(ComposeWindow, NewMessageGetsTheDefaultSignatureAndInsertsAtTheCaret) {
    SignatureList list;
    list.defaultPosition = 1;
    list.blocks = {{"Short", {"-- A"}}, {"Long", {"-- \r\nAnn Lee\r\nLee & Co"}}};
    ASSERT_FALSE(writeSignatureFile(home.path() / "Work.sig", list));
    TcomposeForm& w = open();
    EXPECT_EQ(w.chosenSignature(), 1);
    EXPECT_EQ(w.body(), "\r\n\r\n-- \r\nAnn Lee\r\nLee & Co");
    w.setBody("Hello\r\nBye");
    w.insertSignatureAtCaret(0, 1);
    EXPECT_EQ(w.body(), "Hello\r\n-- A\r\nBye");
    w.editSignatureText("-- Ann");
    w.updateMasterSignature();
    EXPECT_EQ(readSignatureFile(home.path() / "Work.sig").blocks[0].block.text, "-- Ann");
    EXPECT_EQ(readSignatureFile(home.path() / "Work.sig").blocks[1].block.text,
              "-- \r\nAnn Lee\r\nLee & Co");
}

TEST_F(ComposeWindow, ImportingATextFileInsertsItAtTheCaretLine) {
    TcomposeForm& w = open();
    w.setBody("one\r\ntwo");
    w.setCaretLine(1);
    testing::writeFile(home.path() / "note.txt", "a\nb\n");
    fake.dialogs.fileAnswers = {{home.path() / "note.txt"}, {home.path() / "missing.txt"}};
    w.importTextFile();
    EXPECT_EQ(w.body(), "one\r\na\r\nb\r\ntwo");
    EXPECT_EQ(w.caretLine(), 3);
    w.importTextFile();
    EXPECT_EQ(fake.dialogs.texts("warning"),
              (std::vector<std::string>{"Load ASCII Text File Error 2393"}));
    w.showPage(ComposePage::Options);
    w.importTextFile();
    EXPECT_EQ(fake.dialogs.texts("information").back(),
              "The cursor must be placed in the Body of the compose message");
}

TEST_F(ComposeWindow, ComposeTxtSavedAndAppended) {
    TcomposeForm& w = open();
    w.appendFromComposeTxt();
    EXPECT_EQ(fake.dialogs.texts("information"), (std::vector<std::string>{kComposeTextMissing}));
    w.setBody("one\r\ntwo");
    w.saveBodyToComposeTxt();
    w.setBody("zero");
    w.appendFromComposeTxt();
    EXPECT_EQ(w.body(), "zero\r\none\r\ntwo");
}

TEST_F(ComposeWindow, VerifyMarksLinesWithoutMailExchangers) {
    testing::TempDir dnsDir;
    testing::DnsmasqServer dns(dnsDir.path() / "dns");
    dns.addMx("example.test", "mx1.example.test", 20);
    dns.addHost("nomx.test", "127.0.0.1");
    if (const std::string error = dns.start(); !error.empty()) GTEST_SKIP() << "dnsmasq: " << error;
    host.settingsValue.other.dnsServer = dns.address();
    TcomposeForm& w = open();
    w.setLines(AddressField::CC, {"Ann <ann@example.test>", "bob@nomx.test", "carl"});
    fake.dialogs.answers = {Answer::Yes};
    EXPECT_EQ(w.verifyAddresses(), "There were 2 unverified addresses.");
    EXPECT_EQ(
        w.lines(AddressField::CC),
        (std::vector<std::string>{"Ann <ann@example.test>", "bob@nomx.test *** Unverified ***",
                                  "carl *** NickName? ***"}));
}

TEST_F(ComposeWindow, ChangingTheProfileSetsFromAndItsSignatures) {
    profiles::TUsersObjListBox home2;
    home2.profileName = "Home";
    home2.fromAddress = "ann@home.example";
    home2.replyToAddress = "r@home.example";
    host.profileLists.append(home2);
    SignatureList list;
    list.blocks = {{"Casual", {"-- a"}}};
    ASSERT_FALSE(writeSignatureFile(home.path() / "Home.sig", list));
    TcomposeForm& w = open();
    const auto menu = w.popupMenu();
    const auto* entry = platform::findMenuEntry(menu, "popChangeProfile1");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->caption, "Home  [sig]");
    entry->command();
    EXPECT_EQ(w.from(), "ann@home.example");
    EXPECT_EQ(w.replyTo(), "r@home.example");
    EXPECT_EQ(w.signatureText(), "-- a");
    EXPECT_EQ(w.profile().profileName, "Home");
}

TEST(SignatureFile, DamagedPositionReadsAsTheFirstAndTheLastLineHasNoLineEnd) {
    testing::TempDir dir;
    const auto file = dir / "p.sig";
    testing::writeFile(file, "46\r\n-1\r\nA\r\n1\r\nline a\r\nEmpty\r\n0\r\nB\r\n2\r\nb1\r\nb2");
    const auto list = readSignatureFile(file);
    ASSERT_EQ(list.blocks.size(), 3u);
    EXPECT_EQ(list.defaultPosition, 0);
    EXPECT_EQ(list.blocks[1].block.text, "");
    EXPECT_EQ(list.blocks[2].block.text, "b1\r\nb2");
    ASSERT_FALSE(writeSignatureFile(file, list));
    EXPECT_EQ(testing::readFile(file),
              "46\r\n0\r\nA\r\n1\r\nline a\r\nEmpty\r\n0\r\nB\r\n2\r\nb1\r\nb2");
    ASSERT_FALSE(writeSignatureFile(file, {}));
    EXPECT_FALSE(fs::exists(file));
}

}  // namespace
}  // namespace velmora::compose
