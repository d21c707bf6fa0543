// The Address Books page model with the fake platform: start-up, book and entry commands, the
// entry clipboard, type-ahead, write failures, adding a sender, harvesting and build mode.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <fstream>

#include "addressbook/address_book_page.h"
#include "addressbook/book_list.h"
#include "support/fake_platform.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::addressbook {
namespace {

namespace fs = std::filesystem;
using platform::Answer;
using testing::readFile;
using testing::writeFile;

std::string bookText(std::vector<std::pair<std::string, std::string>> people) {
    std::vector<TEmailNameObjListView> entries;
    for (auto& [name, nick] : people) {
        TEmailNameObjListView e;
        e.fullName = name;
        e.nickname = nick;
        e.addresses = {nick + "@example.com"};
        entries.push_back(e);
    }
    return bookBytes(entries, BookFileKind::Book);
}

struct Events : AddressBookEvents {
    int booksChangedCount = 0;
    std::vector<std::string> status;
    void booksChanged() override { ++booksChangedCount; }
    void showStatus(const std::string& text) override { status.push_back(text); }
};

class PageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        writeFile(home / "master.abk", "46\r\nFriends\r\nWork");
        writeFile(home / "Friends.abk",
                  bookText({{"Ann Lee", "ann"}, {"Bob Ray", "bob"}, {"Cy Two", "cy"}}));
        writeFile(home / "Work.abk", bookText({{"Dee Boss", "dee"}}));
    }
    AddressBooksPage& page() {
        if (!page_) {
            page_ = std::make_unique<AddressBooksPage>(fake.platform(), home.path(), &events);
            page_->loadAtStartup();
            fake.dialogs.clear();
        }
        return *page_;
    }

    testing::TempDir home;
    testing::FakePlatform fake;
    Events events;
    std::unique_ptr<AddressBooksPage> page_;
};

TEST_F(PageTest, StartupDropsOnlyBooksWithoutAnyFile) {
    writeFile(home / "master.abk", "46\r\nFriends\r\nGone\r\nShouty\r\nWork");
    writeFile(home / "SHOUTY.ABK", bookText({{"X", "x"}}));
    AddressBooksPage p(fake.platform(), home.path(), &events);
    p.loadAtStartup();
    EXPECT_EQ(
        fake.dialogs.texts("information"),
        std::vector<std::string>{"Address Book 'Gone.abk' was not found - skipping that file."});
    EXPECT_EQ(p.books().namesWithCounts(),
              (std::vector<std::string>{"Friends [3]", "Shouty [1]", "Work [1]"}));
    EXPECT_EQ(readFile(home / "master.abk"), "46\r\nFriends\r\nShouty\r\nWork");
    EXPECT_EQ(p.selectedBook(), "Friends");
    EXPECT_EQ(p.bookLabel(), "Address Book 1 of 3");
    EXPECT_EQ(p.entriesLabel(), "Address Book Entries 1/3");
    EXPECT_EQ(p.fields().nickname, "ann");
}

TEST_F(PageTest, StartupShowsTheBookOfAddbookCfg) {
    AddBookConfig c;
    c.selectedBook = 1;
    ASSERT_FALSE(writeAddBookConfig(home.path(), c));
    EXPECT_EQ(page().selectedBook(), "Work");
}

TEST_F(PageTest, SwitchingBooksSavesTheChangedBookFirst) {
    page().clickRow(1);
    page().editNickname("bobby");
    page().leaveNickname();
    ASSERT_TRUE(page().selectBook("Work"));
    EXPECT_NE(readFile(home / "Friends.abk").find("\r\nbobby\r\n"), std::string::npos);
    EXPECT_EQ(page().rowCount(), 1);
    EXPECT_GT(events.booksChangedCount, 0);
}

TEST_F(PageTest, NewBookIsRefusedWhenItsNameIsInsideAnotherAndUnsafeNamesToo) {
    writeFile(home / "master.abk", "46\r\nHomework");
    writeFile(home / "Homework.abk", "46");
    fake.dialogs.inputAnswers = {
        platform::InputBoxResult{"Work", ""}, platform::InputBoxResult{"../evil", ""},
        platform::InputBoxResult{"master", ""}, platform::InputBoxResult{"Play", ""}};
    page().newBookClick();
    const auto infos = fake.dialogs.texts("information");
    ASSERT_EQ(infos.size(), 3u);
    EXPECT_EQ(infos[0], "Address Book name  'Homework'  already in use.");
    EXPECT_EQ(page().books().names(), (std::vector<std::string>{"Homework", "Play"}));
    EXPECT_EQ(page().selectedBook(), "Play");
    EXPECT_EQ(page().focus(), PageFocus::AddButton);
    EXPECT_FALSE(fs::exists(home.path().parent_path() / "evil.abk"));
}

TEST_F(PageTest, EditNameRefusesTheUnchangedNameAndMovesTheFile) {
    fake.dialogs.inputAnswers = {platform::InputBoxResult{"friends", ""},
                                 platform::InputBoxResult{"Pals", ""}};
    page().editNameClick();
    EXPECT_EQ(fake.dialogs.texts("information").at(0),
              "Address Book name  'Friends'  already in use.");
    EXPECT_EQ(page().books().names(), (std::vector<std::string>{"Pals", "Work"}));
    EXPECT_TRUE(fs::exists(home / "Pals.abk"));
    EXPECT_FALSE(fs::exists(home / "Friends.abk"));
}

TEST_F(PageTest, RemovingTheLastBookRunsNewAtOnce) {
    fake.dialogs.answers = {Answer::Yes, Answer::Yes};
    page().removeClick();
    EXPECT_EQ(fake.dialogs.texts("question").at(0),
              "Are you sure you want to remove Address Book 'Friends'?");
    EXPECT_EQ(page().selectedBook(), "Work");
    fake.dialogs.inputAnswers = {platform::InputBoxResult{"Fresh", ""}};
    page().removeClick();
    EXPECT_EQ(page().books().names(), std::vector<std::string>{"Fresh"});
    EXPECT_EQ(readFile(home / "master.abk"), "46\r\nFresh");
}

TEST_F(PageTest, AddDeleteAndTheAddressPaneRules) {
    page().addClick();
    EXPECT_EQ(page().fields().fullName, kEnterFullName);
    EXPECT_EQ(page().fields().addresses, std::vector<std::string>{kEnterAddress});
    page().editFullName("Smith, John");
    page().leaveFullName();
    EXPECT_EQ(page().row(3).fullName, "\"Smith, John\"");
    page().editNickname("john");
    page().leaveNickname();
    EXPECT_TRUE(page().fields().addresses.empty());  // the placeholder goes
    page().editAddresses({"  ", "Jones, Mary <mary@example.com>", "plain@example.com", ""});
    page().leaveAddresses();
    EXPECT_EQ(
        page().row(3).addresses,
        (std::vector<std::string>{"\"Jones, Mary\" <mary@example.com>", "plain@example.com"}));
    page().saveClick();
    EXPECT_EQ(events.status.back(), "[Friends] Address Book Was Saved");
    const std::string file = readFile(home / "Friends.abk");
    EXPECT_NE(file.find("\r\nSmith, John\r\njohn\r\n2\r\n"), std::string::npos);

    page().setSelection({0, 1});
    EXPECT_EQ(page().entriesLabel(), "Address Book Entries 2 Selected/4");
    fake.dialogs.answers = {Answer::Yes};
    page().deleteClick();
    EXPECT_EQ(fake.dialogs.texts("question").back(),
              "Are you sure you want to delete multiple entries?");
    EXPECT_EQ(page().rowCount(), 2);
    EXPECT_EQ(page().currentRow(), 0);
}

TEST_F(PageTest, EntryClipboardCaptionsAndPaste) {
    EXPECT_EQ(page().pasteCaption(), "Paste [0] Email E&ntry");
    page().pasteClick();
    EXPECT_EQ(fake.dialogs.texts("information").back(), "Address book clipboard is empty!");
    page().setSelection({0, 2});
    EXPECT_EQ(page().cutCaption(), "Cut [2] &Email Entries");
    page().cutClick();
    EXPECT_EQ(page().rowCount(), 1);
    EXPECT_EQ(page().pasteCaption(), "Paste [2] Email E&ntries");
    ASSERT_TRUE(page().selectBook("Work"));
    page().pasteClick();
    EXPECT_EQ(page().rowCount(), 3);
    EXPECT_EQ(page().copyCaption(), "Copy [1] Ema&il Entry");
    page().copyToClipboard(ClipboardPart::NameAndAddress);
    EXPECT_EQ(fake.system.clipboard, "Cy Two <cy@example.com>");
}

TEST_F(PageTest, ExportsTheBookOrTheSelectionAsVCardOrCsv) {
    fake.dialogs.pathAnswers = {home / "all.vcf", home / "two.csv", home / "missing" / "x.vcf"};
    page().exportClick(false);
    EXPECT_EQ(fake.dialogs.texts("information").back(),
              "3 entries exported to " + (home / "all.vcf").string() + ".");
    const std::string vcards = readFile(home / "all.vcf");
    std::size_t cards = 0;
    for (std::size_t at = vcards.find("BEGIN:VCARD"); at != std::string::npos;
         at = vcards.find("BEGIN:VCARD", at + 1))
        ++cards;
    EXPECT_EQ(cards, 3u);
    page().setSelection({0, 2});
    page().exportClick(true);
    EXPECT_EQ(readFile(home / "two.csv").rfind("\"Full Name\",\"Nickname\"", 0), 0u);
    page().exportClick(false);
    EXPECT_EQ(fake.dialogs.texts("warning").back().rfind("File I/O Error 9563\r", 0), 0u);
}

TEST_F(PageTest, TypeAheadFindsFromTheLastMatch) {
    page().typeAheadKey('B');
    EXPECT_EQ(page().currentRow(), 1);
    EXPECT_EQ(page().typeAheadLabel(), "bob");
    page().typeAheadKey('x');
    EXPECT_EQ(page().typeAheadLabel(), kNoMatch);
    page().typeAheadEscape();
    EXPECT_EQ(page().currentRow(), 0);
    EXPECT_EQ(page().typeAheadLabel(), kTypeAheadReady);
    page().typeAheadOtherKey();
    EXPECT_EQ(page().typeAheadLabel(), "1 address");
    page().listLeft();
    EXPECT_EQ(page().typeAheadLabel(), kTypeAheadLeft);
}

TEST_F(PageTest, BackupWritesQuotedNamesAndReportsEmptyBooks) {
    page().addClick();
    page().editFullName("Smith, John");
    page().leaveFullName();
    page().backupClick();
    EXPECT_EQ(fake.dialogs.texts("information").back(),
              "[Friends] Address Book Has Been Backed Up!");
    EXPECT_NE(readFile(home / "Friends.abk.bak").find("\r\n\"Smith, John\"\r\n"),
              std::string::npos);
    writeFile(home / "Empty.abk", "46");
    writeFile(home / "master.abk", "46\r\nFriends\r\nWork\r\nEmpty");
    page_.reset();
    page().backupAllFromMenu();
    EXPECT_EQ(fake.dialogs.texts("information"),
              (std::vector<std::string>{
                  "Address Book [Empty] is empty - click OK to continue.",
                  "Address Books Containing Records Were Successfully Backed Up!"}));
    EXPECT_TRUE(fs::exists(home / "Work.abk.bak"));
    EXPECT_EQ(fake.dialogs.statusLines.front()[0], "Backing Up [Friends] Address Book");
    EXPECT_EQ(page().backupMenu().size(), 5u);
}

TEST_F(PageTest, PrintLayoutOfEntriesAndMailingLists) {
    fake.clock.setLocalTime({2026, 12, 10, 15, 5, 0, 0, 4, 60});
    page().clickRow(0);
    page().editAddresses({"ann@example.com", "ann@work.example"});
    page().editNotes({"Friend from school"});
    page().setMailingList(true);
    page().editListField(PageFocus::ListFrom, "from@example.com");
    page().enterListTo();
    EXPECT_EQ(page().fields().listTo, "from@example.com");
    PrintJob job = page().printJob(true);
    EXPECT_EQ(job.title, "Address Book: Friends");
    EXPECT_EQ(job.rightHeader, "12/10/2026 03:05 PM");
    EXPECT_EQ(job.footer, "Velmora Pro Version 4.6");
    EXPECT_EQ(
        job.lines,
        (std::vector<std::string>{
            "Start Mailing List Entry ------------------------------",
            "                Name: Ann Lee", "            Nickname: ann",
            "     Email Addresses: ann@example.com", "                      ann@work.example",
            "               Notes:", "Friend from school", "   Mailing List From: from@example.com",
            "     Mailing List To: from@example.com", "Mailing List ReplyTo: ",
            "End Mailing List Entry --------------------------------", " "}));
    EXPECT_EQ(job.fontName, "Courier New");
    EXPECT_EQ(job.fontSize, 9);

    // The entry prints the selected entries through the printer; a failure is shown.
    const platform::Menu menu = page().popupMenu();
    ASSERT_TRUE(platform::findMenuEntry(menu, "popPrintSelected")->enabled);
    fake.printer.result = {platform::PrintOutcome::Failed, "no paper"};
    platform::findMenuEntry(menu, "popPrintSelected")->command();
    ASSERT_EQ(fake.printer.jobs.size(), 1u);
    EXPECT_EQ(fake.printer.jobs[0].lines, job.lines);
    EXPECT_EQ(fake.dialogs.texts("error"), std::vector<std::string>{"Printing failed:\rno paper"});
}

TEST_F(PageTest, AddSenderRulesAndDuplicates) {
    struct Case {
        const char* name;
        const char* address;
        const char* fullName;
        const char* nickname;
    };
    const Case cases[] = {
        {"Jones, Mary", "mary@example.com", "\"Jones, Mary\"", "mary"},
        {"", "anon@example.com", "NO FULL NAME", "NO NICKNAME"},
        {"", "other@example.com", "NO FULL NAME", "NO NICKNAME"},  // another nameless sender
        {"Cher", "cher@example.com", "Cher", "cher"},
        {"Peter Pan", "  ", "Peter Pan", "peter"},
        {"Odd,Comma X", "odd@example.com", "\"Odd,Comma X\"", "comma x"},
    };
    for (const Case& c : cases) {
        page().addSender("Work", mime::TmsMailAddress(c.address, c.name));
        bool found = false;
        for (int i = 0; i < page().rowCount(); ++i)
            found |= page().row(i).fullName == c.fullName && page().row(i).nickname == c.nickname;
        EXPECT_TRUE(found) << c.name;
    }
    EXPECT_EQ(page().rowCount(), 7);
    EXPECT_EQ(page().books().readBook("Work").entries.size(), 7u);
    EXPECT_EQ(fake.dialogs.texts("information").front(),
              "\"Jones, Mary\" <mary@example.com> was added to [Work] address book!\r"
              "There are now 2 entries in this address book");
    page().addSender("Work", mime::TmsMailAddress("MARY@example.com", "Jones, Mary"));
    EXPECT_EQ(fake.dialogs.texts("information").back(),
              "\"Jones, Mary\" is already in [Work] address book!");
    EXPECT_EQ(page().rowCount(), 7);
}

TEST_F(PageTest, HarvestingListsAndSeparateEntries) {
    page().harvestSendersAsList("Work", {"a@x", "b@y", "a@x"});
    ASSERT_EQ(page().rowCount(), 2);
    const auto& entries = page().books().entries();
    auto list =
        std::find_if(entries.begin(), entries.end(), [](auto& e) { return e.isMailingList; });
    ASSERT_NE(list, entries.end());
    EXPECT_EQ(list->addresses, (std::vector<std::string>{"a@x", "b@y", "a@x"}));
    EXPECT_EQ(list->fullName, "New Mailing List");
    EXPECT_EQ(fake.dialogs.texts("information").back(),
              "Sender Mailing List Successfully Built.\rPress F9 To Display Mailing List Entries.");
    mime::TmsAddressList to, cc;
    to.AddAddress("t1@x", "To One");
    to.AddAddress("t2@x", "");
    cc.AddAddress("c1@x", "Cee, See");
    page().harvestRecipientsAsList("Friends", to, cc);
    EXPECT_EQ(page().selectedBook(), "Friends");
    EXPECT_EQ(page().books().entries().back().addresses,
              (std::vector<std::string>{"t1@x", "t2@x", "c1@x"}));
    page().harvestRecipientsAsEntries("Friends", to, cc);
    const auto& after = page().books().entries();
    EXPECT_EQ(after.size(), 7u);
    EXPECT_EQ(after[5].fullName, "NO FULL NAME");
    EXPECT_EQ(after[5].nickname, "NO NICKNAME");
    EXPECT_EQ(after[6].fullName, "\"Cee, See\"");
    EXPECT_EQ(page().books().readBook("Friends").entries.size(), 7u);
}

TEST_F(PageTest, BookChoiceMenuForTheFolderWindowsHarvestEntries) {
    std::vector<std::string> chosen;
    const platform::Menu menu = page().bookChoiceMenu(
        "popHarvestSenders_", [&](const std::string& book) { chosen.push_back(book); });
    ASSERT_EQ(menu.size(), 2u);
    EXPECT_TRUE(menu[0].checked);
    EXPECT_EQ(menu[1].name, "popHarvestSenders_1");
    menu[1].command();
    EXPECT_EQ(chosen, std::vector<std::string>{"Work"});
}

TEST_F(PageTest, BuildModeNeedsOneEntryAndGathersAddresses) {
    page().setSelection({0, 1});
    EXPECT_FALSE(page().setBuildMode(true));
    EXPECT_EQ(fake.dialogs.texts("information").back(),
              "You must have only one address record selected.");
    page().clickRow(0);
    ASSERT_TRUE(page().setBuildMode(true));
    EXPECT_FALSE(page().canEditBook());
    page().clickRow(1);
    page().clickRow(2, true);
    page().dropSelectedOnAddresses();
    EXPECT_EQ(page().addressCountLabel(), "3 addresses");
    EXPECT_EQ(page().row(0).addresses,
              (std::vector<std::string>{"ann@example.com", "bob@example.com", "cy@example.com"}));
    page().locateSourceRecord("bob@example.com");
    EXPECT_EQ(fake.dialogs.texts("information").back(), "Uncheck Build Mailing List Checkbox.");
    page().setBuildMode(false);
    EXPECT_EQ(page().currentRow(), 0);
    // Locating: the first other entry that holds the address.
    page().locateSourceRecord("  cy@example.com ");
    EXPECT_EQ(page().currentRow(), 2);
    page().locateSourceRecord("a@x\r\nb@y");
    EXPECT_EQ(fake.dialogs.texts("information").back(), "Highlight Only One Email Address.");
    page().locateSourceRecord("nobody@example.com");
    EXPECT_EQ(fake.dialogs.texts("information").back(), "Email Address Was Not Found!");
    // An address standing in two other entries: the earlier one is the source.
    page().clickRow(2);
    page().editAddresses({"cy@example.com", "shared@example.com"});
    page().clickRow(1);
    page().editAddresses({"shared@example.com"});
    page().clickRow(0);
    page().locateSourceRecord("shared@example.com");
    EXPECT_EQ(page().currentRow(), 1);
}

TEST(PageWriteFailures, AFullOrReadOnlyDiskKeepsTheChangesAndShowsNoSuccess) {
    testing::SmallDisk disk(64 * 1024);
    VELMORA_SKIP_WITHOUT(disk);
    const fs::path home = disk.path();
    writeFile(home / "master.abk", "46\r\nFriends\r\nWork");
    writeFile(home / "Friends.abk", bookText({{"Ann Lee", "ann"}}));
    writeFile(home / "Work.abk", bookText({{"Dee Boss", "dee"}}));
    testing::FakePlatform fake;
    Events events;
    AddressBooksPage page(fake.platform(), home, &events);
    page.loadAtStartup();
    const std::string before = readFile(home / "Friends.abk");
    {
        std::ofstream filler(home / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        for (int i = 0; i < 64 && filler.write(block.data(), block.size()) && filler.flush(); ++i) {
        }
    }
    page.addSender("Friends", mime::TmsMailAddress("new@example.com", "New Person"));
    page.saveClick();
    EXPECT_FALSE(page.selectBook("Work"));
    page.backupClick();
    for (const std::string& text : fake.dialogs.texts("information"))
        EXPECT_EQ(text.find("added"), std::string::npos) << text;
    const auto warnings = fake.dialogs.texts("warning");
    ASSERT_GE(warnings.size(), 4u);
    EXPECT_EQ(warnings[0].rfind("File I/O Error 9563\r", 0), 0u);
    EXPECT_TRUE(events.status.empty());
    EXPECT_EQ(page.selectedBook(), "Friends");
    EXPECT_EQ(page.rowCount(), 2);
    EXPECT_GT(page.books().changes(), 0);
    EXPECT_EQ(readFile(home / "Friends.abk"), before);

    // The same on a read-only folder; once writable again, the kept changes are saved.
    fs::remove(home / "filler");
    ASSERT_EQ(::mount(nullptr, home.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    page.saveClick();
    EXPECT_TRUE(events.status.empty());
    EXPECT_EQ(readFile(home / "Friends.abk"), before);
    ASSERT_EQ(::mount(nullptr, home.c_str(), nullptr, MS_REMOUNT, nullptr), 0);
    page.saveClick();
    EXPECT_EQ(events.status.back(), "[Friends] Address Book Was Saved");
    EXPECT_EQ(page.books().readBook("Friends").entries.size(), 2u);
}

}  // namespace
}  // namespace velmora::addressbook
