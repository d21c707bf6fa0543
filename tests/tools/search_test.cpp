// The find window through the main window, on stored messages in real folders: the three
// targets with their end messages, passing over messages without hits, starting over after the
// last window, the window list, nothing to search in, and "search.cfg".
#include "tools/search.h"

#include <gtest/gtest.h>

#include "core/command_line.h"
#include "core/main_form.h"
#include "reading/folder_window.h"
#include "store/message_file.h"
#include "support/fake_platform.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"
#include "tools/search_form.h"

namespace velmora::tools {
namespace {

using reading::TinboxForm;
using testing::readFile;
using testing::writeFile;
namespace fs = std::filesystem;

// The current folder window's selected preview text, its row, and the folder.
struct Hit {
    std::string folder;
    int row = -1;
    std::string text;
    bool operator==(const Hit&) const = default;
};

void PrintTo(const Hit& hit, std::ostream* out) {
    *out << "{" << hit.folder << ", row " << hit.row << ", \"" << hit.text << "\"}";
}

class SearchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        writeFile(home / "ENGLISH.DCT", "word\r\n");
        form = std::make_unique<core::TmainForm>(
            fake.platform(), home.path(), core::parseCommandLine({}), core::ScreenSize{1024, 768});
        form->FormCreate();
        fake.clock.advance(platform::Milliseconds{100});
        fake.dialogs.clear();
    }
    void TearDown() override {
        form->FormCloseQuery();
        form->FormClose();
        form.reset();
    }

    // Message n of a folder, dated so that the rows sort in the order they are stored.
    void store(const std::string& folder, int n, std::vector<std::string> body) {
        testing::MessageSample sample;
        sample.fileName = "2001.01.01.00.00.00.00" + std::to_string(n);
        sample.subject = "subject " + std::to_string(n);
        sample.date = "Tue, 0" + std::to_string(n) + " Jul 2001 10:00:00 +0000";
        sample.body = std::move(body);
        testing::storeMessage(home / (folder + ".000"), sample);
    }
    TinboxForm& open(const std::string& folder) { return form->openFolderWindow(folder, true); }

    TsearchForm& find(const std::string& text, SearchTarget target) {
        EXPECT_TRUE(form->commands().run(kFindCommand));
        TsearchForm* window = findSearchWindow(*form);
        EXPECT_NE(window, nullptr);
        window->setTarget(target);
        window->setSearchText(text);
        return *window;
    }
    Hit hit() const {
        const TinboxForm* window = form->currentFolderWindow();
        if (!window || !window->previewSelection()) return {};
        const auto& selection = *window->previewSelection();
        return {window->logicalPath(), window->currentRow(),
                window->previewText().substr(selection.start, selection.length)};
    }
    std::vector<std::string> informations() const { return fake.dialogs.texts("information"); }

    testing::TempDir home;
    testing::FakePlatform fake;
    std::unique_ptr<core::TmainForm> form;
};

TEST_F(SearchTest, FindMenuEntryShowsTheWindowOnceAndBringsItBack) {
    const platform::Menu menu = form->menuBar();
    const platform::MenuEntry* entry = platform::findMenuEntry(menu, "mnuEdit_Find");
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->enabled);
    store("InBox", 1, {"text"});
    open("InBox");

    TsearchForm& window = find("text", SearchTarget::CurrentMessage);
    EXPECT_TRUE(window.visible());
    EXPECT_EQ(window.caption(), "Find Dialog");
    window.cmdCloseClick();
    EXPECT_FALSE(window.visible());
    // The frame's close button hides the window too: it stays for the next Ctrl+F.
    form->commands().run(kFindCommand);
    EXPECT_FALSE(form->closeChild(window));
    EXPECT_FALSE(window.visible());
    form->minimizeAll();  // reaches the hidden window too
    form->commands().run(kFindCommand);
    EXPECT_EQ(findSearchWindow(*form), &window);
    EXPECT_TRUE(window.visible());
    EXPECT_EQ(window.state(), platform::WindowState::Normal);
}

TEST_F(SearchTest, TwoHitsInTheCurrentMessageThenItsEndThenTheFirstAgain) {
    store("InBox", 1, {"An Apple a day,", "and an apple pie."});
    TinboxForm& inbox = open("InBox");
    TsearchForm& window = find("apple", SearchTarget::CurrentMessage);

    window.cmdSearchClick();
    const Hit first = hit();
    const std::size_t firstStart = inbox.previewSelection()->start;
    EXPECT_EQ(first.text, "Apple");
    EXPECT_FALSE(window.nextMessageEnabled());
    EXPECT_FALSE(window.nextFolderEnabled());
    window.cmdSearchClick();
    EXPECT_EQ(hit().text, "apple");
    EXPECT_GT(inbox.previewSelection()->start, firstStart);
    EXPECT_TRUE(informations().empty());

    const int beeps = fake.system.beeps;
    window.cmdSearchClick();
    EXPECT_EQ(informations(), std::vector<std::string>{kEndOfMessage});
    EXPECT_EQ(fake.system.beeps, beeps + 1);
    EXPECT_FALSE(inbox.previewSelection());
    EXPECT_EQ(window.searchPosition(), 0);

    window.cmdSearchClick();
    EXPECT_EQ(hit(), first);
    EXPECT_GT(inbox.previewFocusRequests(), 0) << "each search puts the focus in the preview";
}

TEST_F(SearchTest, OptionsNarrowTheHits) {
    store("InBox", 1, {"Pineapple apple APPLE"});
    open("InBox");
    TsearchForm& window = find("APPLE", SearchTarget::CurrentMessage);
    window.setCaseSensitive(true);
    window.cmdSearchClick();
    EXPECT_EQ(hit().text, "APPLE");
    window.setTarget(SearchTarget::CurrentMessage);
    window.setCaseSensitive(false);
    window.setWholeWords(true);
    window.cmdSearchClick();
    EXPECT_EQ(hit().text, "apple") << "the one inside Pineapple is no whole word";
    EXPECT_GE(window.textFocusRequests(), 3) << "the check boxes give the focus to the text";
}

TEST_F(SearchTest, CurrentWindowPassesOverMessagesWithoutHitsSilently) {
    store("InBox", 1, {"the red car"});
    store("InBox", 2, {"nothing here"});
    store("InBox", 3, {"a red door"});
    store("InBox", 4, {"red, but its file went"});
    TinboxForm& inbox = open("InBox");
    ASSERT_EQ(inbox.rowCount(), 4u);
    fs::remove(store::messageFilePath(inbox.directory(), inbox.rows()[3].item.fileName));
    TsearchForm& window = find("red", SearchTarget::CurrentWindow);

    window.cmdSearchClick();
    EXPECT_EQ(hit().row, 0) << "the search starts at the first row";
    EXPECT_EQ(hit().text, "red");
    EXPECT_TRUE(window.nextMessageEnabled());
    window.cmdSearchClick();
    EXPECT_EQ(hit().row, 2) << "row 1 holds no hit";
    EXPECT_TRUE(inbox.isSelected(2));
    EXPECT_TRUE(informations().empty());

    window.cmdSearchClick();
    EXPECT_EQ(informations(), std::vector<std::string>{kEndOfWindow}) << "after the last row";
    EXPECT_EQ(window.messageIndex(), 0);
    window.cmdSearchClick();
    EXPECT_EQ(hit().row, 0) << "and starts over";
}

TEST_F(SearchTest, NextMessageGoesOnWithTheFollowingRow) {
    store("InBox", 1, {"red red red"});
    store("InBox", 2, {"red"});
    open("InBox");
    TsearchForm& window = find("red", SearchTarget::CurrentWindow);
    window.cmdSearchClick();
    EXPECT_EQ(hit().row, 0);
    window.cmdNextMessageClick();
    EXPECT_EQ(hit().row, 1);
    EXPECT_EQ(hit().text, "red");
}

TEST_F(SearchTest, AllWindowsGoesThroughTheListAndStartsOverAfterItsEnd) {
    store("InBox", 1, {"blue sky"});
    store("InBox", 2, {"grey sky"});
    store("Sent", 1, {"no colour"});
    store("Sent", 2, {"deep blue sea"});
    open("InBox");
    open("Sent");
    open("Drafts");  // empty: not in the list
    TsearchForm& window = find("blue", SearchTarget::AllWindows);
    EXPECT_EQ(window.windowList(), (std::vector<std::string>{"InBox.InBox", "InBox.Sent"}));

    window.cmdSearchClick();
    EXPECT_EQ(hit(), (Hit{"InBox", 0, "blue"}));
    EXPECT_TRUE(window.nextFolderEnabled());
    EXPECT_TRUE(window.nextMessageEnabled());
    window.cmdSearchClick();
    EXPECT_EQ(hit(), (Hit{"Sent", 1, "blue"}));
    EXPECT_FALSE(window.nextMessageEnabled()) << "the hit lies in the last row";
    EXPECT_TRUE(informations().empty());

    window.cmdSearchClick();
    EXPECT_EQ(informations(), std::vector<std::string>{kEndOfAllWindows});
    EXPECT_FALSE(window.searchEnded());
    EXPECT_EQ(window.windowIndex(), 0);
    EXPECT_FALSE(window.nextMessageEnabled());
    EXPECT_FALSE(window.nextFolderEnabled());
    window.cmdSearchClick();
    EXPECT_EQ(hit(), (Hit{"InBox", 0, "blue"}));
    EXPECT_EQ(form->currentFolderWindow()->logicalPath(), "InBox");
}

TEST_F(SearchTest, NextFolderSkipsTheRestOfAWindowAndClosedWindows) {
    store("InBox", 1, {"one"});
    store("InBox", 2, {"one"});
    store("Sent", 1, {"one"});
    store("Trash", 1, {"one"});
    open("InBox");
    open("Sent");
    open("Trash");
    TsearchForm& window = find("one", SearchTarget::AllWindows);
    ASSERT_EQ(window.windowList().size(), 3u);
    window.cmdSearchClick();
    EXPECT_EQ(hit(), (Hit{"InBox", 0, "one"}));
    form->closeChild(*form->findFolderWindow("Sent"));
    window.cmdNextFolderClick();
    EXPECT_EQ(form->currentFolderWindow()->logicalPath(), "Trash");
    window.cmdSearchClick();
    EXPECT_EQ(hit(), (Hit{"Trash", 0, "one"}));
    window.cmdNextFolderClick();
    EXPECT_EQ(informations(), std::vector<std::string>{kEndOfAllWindows});
}

TEST_F(SearchTest, FindShowsAHiddenPreviewFirst) {
    store("InBox", 1, {"hidden word"});
    TinboxForm& inbox = open("InBox");
    form->setPreviewShown(false);
    TsearchForm& window = find("word", SearchTarget::CurrentMessage);
    EXPECT_TRUE(inbox.previewShown()) << "showing the window shows the preview";
    form->setPreviewShown(false);
    window.cmdSearchClick();
    EXPECT_TRUE(inbox.previewShown());
    EXPECT_EQ(hit().text, "word");
}

TEST_F(SearchTest, NothingToSearchInIsSaidNeverLoopedOver) {
    // No folder window holds a message: showing the window opens the (empty) InBox window.
    TsearchForm& window = find("x", SearchTarget::AllWindows);
    ASSERT_NE(form->findFolderWindow("InBox"), nullptr);
    EXPECT_TRUE(window.windowList().empty());
    window.cmdSearchClick();
    EXPECT_EQ(informations(), std::vector<std::string>{kNoMessages});
    window.cmdNextFolderClick();

    fake.dialogs.clear();
    window.setTarget(SearchTarget::CurrentWindow);
    window.cmdSearchClick();
    EXPECT_EQ(informations(), std::vector<std::string>{kEndOfWindow}) << "the empty InBox";

    fake.dialogs.clear();
    form->closeChild(*form->findFolderWindow("InBox"));
    for (SearchTarget target : {SearchTarget::CurrentMessage, SearchTarget::CurrentWindow}) {
        window.setTarget(target);
        window.cmdSearchClick();
    }
    EXPECT_EQ(informations(), (std::vector<std::string>{kNoFolderWindow, kNoFolderWindow}));

    fake.dialogs.clear();
    window.setSearchText("");
    window.cmdSearchClick();
    EXPECT_EQ(informations(), std::vector<std::string>{kNoSearchText});
}

TEST_F(SearchTest, AWindowClosedWhileTheEndMessageIsUpIsNeverTouchedAgain) {
    store("InBox", 1, {"alpha"});
    store("InBox", 2, {"beta"});
    open("InBox");
    TsearchForm& window = find("alpha", SearchTarget::CurrentWindow);
    window.cmdSearchClick();
    fake.dialogs.onShow = [this](const testing::ShownDialog&) {
        if (auto* inbox = form->findFolderWindow("InBox")) form->closeChild(*inbox);
    };
    window.cmdSearchClick();  // the end message's box: the window goes while it is up
    fake.dialogs.onShow = nullptr;
    window.cmdSearchClick();
    window.cmdResetClick();
    EXPECT_EQ(form->currentFolderWindow(), nullptr);
}

TEST_F(SearchTest, OptionsAreKeptInSearchCfg) {
    store("InBox", 1, {"text"});
    open("InBox");
    TsearchForm& window = find("ärger", SearchTarget::CurrentWindow);
    window.setCaseSensitive(true);
    window.setBounds({33, 44, 470, 215});
    window.cmdCloseClick();
    EXPECT_EQ(readFile(home / "search.cfg"), "46\r\n44\r\n33\r\n1\r\närger\r\nTRUE\r\nFALSE");

    TsearchForm again(fake.platform(), home.path(), *form);
    EXPECT_EQ(again.target(), SearchTarget::CurrentWindow);
    EXPECT_EQ(again.searchText(), "ärger");
    EXPECT_TRUE(again.caseSensitive());
    EXPECT_FALSE(again.wholeWords());
    EXPECT_EQ(again.bounds().left, 33);
    EXPECT_EQ(again.bounds().top, 44);

    writeFile(home / "search.cfg", "46\r\nabc\r\n12\r\n7\r\nword\r\nyes");
    TsearchForm damaged(fake.platform(), home.path(), *form);
    const SearchSettings defaults;
    EXPECT_EQ(damaged.bounds().top, defaults.top);
    EXPECT_EQ(damaged.bounds().left, 12);
    EXPECT_EQ(damaged.target(), SearchTarget::CurrentMessage);
    EXPECT_EQ(damaged.searchText(), "word");
    EXPECT_FALSE(damaged.caseSensitive());

    fs::remove(home / "search.cfg");
    fs::create_directory(home / "search.cfg");  // cannot be replaced by a file
    fake.dialogs.clear();
    form->commands().run(kFindCommand);
    window.cmdCloseClick();
    ASSERT_EQ(fake.dialogs.texts("warning").size(), 1u);
    EXPECT_EQ(fake.dialogs.texts("warning")[0].rfind("File I/O Error 9563\r", 0), 0u);
}

}  // namespace
}  // namespace velmora::tools
