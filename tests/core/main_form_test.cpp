#include "core/main_form.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "compose/compose_form.h"
#include "core/startup_checks.h"
#include "profiles/settings.h"
#include "reading/folder_window.h"
#include "retrieval/filters_form.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace velmora::core {
namespace {

using testing::FakePlatform;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;
namespace fs = std::filesystem;

// A started main window on a temporary home folder, driven through the fake platform.
class MainFormTest : public ::testing::Test {
  protected:
    void SetUp() override { writeFile(home / "ENGLISH.DCT", "word\r\n"); }

    TmainForm& start(std::vector<std::string> args = {}) {
        form = std::make_unique<TmainForm>(fake.platform(), home.path(), parseCommandLine(args),
                                           ScreenSize{1024, 768});
        if (!program.empty()) form->setExecutablePath(program);
        form->FormCreate();
        fake.clock.advance(platform::Milliseconds{100});  // the one-shot start-up timer
        EXPECT_TRUE(form->started());
        return *form;
    }
    // Closes the frame as E&xit does; returns the fake time the shutdown took.
    platform::Milliseconds shutDown() {
        const auto before = fake.clock.elapsed();
        form->FormCloseQuery();
        form->FormClose();
        form.reset();
        return fake.clock.elapsed() - before;
    }
    void addProfile(const std::string& name) {
        writeFile(home / "master.usr", "46\r\n" + name);
        writeFile(home / (name + ".usr"), "46\r\n" + name);
    }
    // Stand-ins for the commands the retrieval and compose modules register.
    static void registerMailCommands(TmainForm& f) {
        for (const char* name :
             {"retrieve.count", "retrieve.headers", "retrieve.messages", "compose.new"})
            f.commands().add(name, {[] {}, nullptr});
    }
    static platform::MenuEntry toolButton(TmainForm& f, const std::string& name) {
        const platform::Menu buttons = f.toolbar();
        const platform::MenuEntry* entry = platform::findMenuEntry(buttons, name);
        EXPECT_NE(entry, nullptr) << name;
        return entry ? *entry : platform::MenuEntry{};
    }
    std::vector<std::string> childKeys() const {
        std::vector<std::string> keys;
        for (const auto& c : form->children()) keys.push_back(c->key());
        return keys;
    }

    TempDir home;
    FakePlatform fake;
    std::filesystem::path program;  // the program file, when a test needs what lies beside it
    std::unique_ptr<TmainForm> form;
};

TEST_F(MainFormTest, FirstStartCreatesTheDefaultFoldersAndSaysNoProfileExists) {
    TmainForm& f = start();
    EXPECT_TRUE(f.firstRun());
    std::vector<std::string> labels;
    for (const auto& node : f.tree().root().children) labels.push_back(node->label);
    EXPECT_EQ(labels, (std::vector<std::string>{"Drafts", "InBox", "OutBox", "Sent", "Trash"}));
    EXPECT_EQ(f.statusPanel(StatusPanel::Messages), kNoProfileText);
    EXPECT_TRUE(f.children().empty());
    registerMailCommands(f);
    EXPECT_FALSE(toolButton(f, "cmdTBCount").enabled) << "no profile yet";
    EXPECT_FALSE(toolButton(f, "cmdTBCompose").enabled);
    EXPECT_EQ(f.caption(), "Velmora Pro 4.6");
    EXPECT_TRUE(fs::exists(home / "other.cfg"));
    EXPECT_TRUE(fs::exists(home / "gui.cfg"));
    // The configuration window opens on the Users page and goes straight to adding a profile.
    ASSERT_NE(f.configForm(), nullptr);
    EXPECT_EQ(f.configForm()->page(), profiles::ConfigPage::Users);
    ASSERT_EQ(fake.dialogs.inputBoxes.size(), 1u);
    EXPECT_EQ(fake.dialogs.inputBoxes[0].caption, "Add User Name Profile");
}

TEST_F(MainFormTest, ProfileAddedOnFirstStartEnablesTheMailButtons) {
    fake.dialogs.inputAnswers = {platform::InputBoxResult{"Home", ""}};
    TmainForm& f = start();
    EXPECT_EQ(f.profileLists().size(), 1u);
    registerMailCommands(f);
    EXPECT_TRUE(toolButton(f, "cmdTBCount").enabled);
    EXPECT_TRUE(toolButton(f, "cmdTBCompose").enabled);
    EXPECT_NE(f.statusPanel(StatusPanel::Messages), kNoProfileText)
        << "the notice goes with the first profile";
    f.configForm()->close();  // leaving the page writes the profile
    EXPECT_TRUE(fs::exists(home / "Home.usr"));
}

TEST_F(MainFormTest, StatusClockShowsDateAndTimeEveryFiveSeconds) {
    fake.clock.setLocalTime({2026, 12, 10, 15, 7, 0, 0, 4, 60});
    TmainForm& f = start();
    EXPECT_EQ(f.statusPanel(StatusPanel::Date), "12/10/2026");
    EXPECT_EQ(f.statusPanel(StatusPanel::Time), "03:07 PM");
    fake.clock.setLocalTime({2026, 12, 11, 0, 5, 0, 0, 5, 60});
    f.settings().other.statusBarDate = false;
    fake.clock.advance(platform::Milliseconds{5000});
    EXPECT_EQ(f.statusPanel(StatusPanel::Date), "");
    EXPECT_EQ(f.statusPanel(StatusPanel::Time), "12:05 AM");
}

TEST_F(MainFormTest, DefaultGeometryWhenMainCfgComesFromAnotherScreen) {
    writeFile(home / "main.cfg", "46\r\n800\r\n500\r\n700\r\n10\r\n20");
    TmainForm& f = start();
    EXPECT_EQ(f.geometry().width, 993);   // 97 % of 1024
    EXPECT_EQ(f.geometry().height, 691);  // 90 % of 768
    EXPECT_EQ(f.geometry().left, 15);
    EXPECT_EQ(f.geometry().top, 28);
}

TEST_F(MainFormTest, RestoresFolderWindowsWithNegativePositionsAtZero) {
    fs::create_directories(home / "Work.001");
    writeFile(home / "folders.dat",
              "Work\r\n0\r\n0\r\n0\r\n-10\r\n-20\r\n640\r\n480\r\n"
              "InBox\r\n0\r\n0\r\n2\r\n5\r\n6\r\n300\r\n200\r\n");
    TmainForm& f = start();
    EXPECT_EQ(childKeys(), (std::vector<std::string>{"InBox.InBox", "InBox.Work"}));
    const platform::ChildWindow* work = f.findChild("InBox.Work");
    ASSERT_NE(work, nullptr);
    EXPECT_EQ(work->bounds().left, 0);
    EXPECT_EQ(work->bounds().top, 0);
    EXPECT_EQ(work->bounds().width, 640);
    EXPECT_EQ(f.findChild("InBox.InBox")->state(), platform::WindowState::Maximized);
}

TEST_F(MainFormTest, RestoresEveryKindOfWindowInOrder) {
    writeFile(home / "headers.dat", "0\r\n-1\r\n2\r\n700\r\n500\r\n");
    writeFile(home / "scratch.dat", "notes.txt\r\n0\r\n1\r\n2\r\n300\r\n200\r\n");
    writeFile(home / "compose.dat", "Drafts\r\n0\r\n");
    writeFile(home / "folders.dat", "Sent\r\n0\r\n0\r\n0\r\n0\r\n0\r\n300\r\n200\r\n");
    writeFile(home / "read.dat",
              "Sent\r\n0\r\n0\r\n-3\r\n4\r\n500\r\n400\r\n1\r\n"
              "Gone\r\n0\r\n0\r\n0\r\n0\r\n500\r\n400\r\n0\r\n");
    std::vector<std::string> order;
    form = std::make_unique<TmainForm>(fake.platform(), home.path(), StartRequest{},
                                       ScreenSize{1024, 768});
    // Kinds of other modules, each restoring from its own file.
    auto kind = [&](const char* prefix, const char* file) {
        platform::WindowKind k;
        k.keyPrefix = prefix;
        k.sessionFile = file;
        k.restore = [&order, prefix, this](const std::vector<std::string>& lines) {
            std::string opened;
            for (const auto& c : form->children()) opened += " " + c->key();
            order.push_back(std::string(prefix) + " " + std::to_string(lines.size()) + " lines," +
                            (opened.empty() ? " nothing open" : opened));
        };
        form->windowKinds().add(std::move(k));
    };
    kind("Headers", "headers.dat");
    kind("ScratchPad", "scratch.dat");
    kind("Compose", "compose.dat");
    kind("Read", "read.dat");
    form->FormCreate();
    fake.clock.advance(platform::Milliseconds{100});
    EXPECT_EQ(order, (std::vector<std::string>{
                         "Headers 5 lines, nothing open", "ScratchPad 6 lines, nothing open",
                         "Compose 2 lines, nothing open", "Read 16 lines, InBox.Sent"}))
        << "folder windows are reopened between compose and read windows";
}

TEST_F(MainFormTest, ShutdownRecordsOpenFolderWindowsAndRestoresThem) {
    addProfile("Home");
    TmainForm& f = start();
    EXPECT_EQ(childKeys(), std::vector<std::string>{"InBox.InBox"}) << "InBox opens with profiles";
    f.openFolderWindow("Sent", true);
    shutDown();
    const std::string folders = readFile(home / "folders.dat");
    // Visited from the last to the first in child order: InBox (older) first, then Sent.
    EXPECT_EQ(folders.rfind("InBox\r\n", 0), 0u) << folders;
    EXPECT_NE(folders.find("Sent\r\n"), std::string::npos);
    EXPECT_EQ(folders.find("OutBox"), std::string::npos) << "OutBox was opened only to be closed";
    start();
    EXPECT_EQ(childKeys(), (std::vector<std::string>{"InBox.Sent", "InBox.InBox"}));
}

// A frame that activates the next child window when one closes, as an MDI area does.
class ActivatingView : public MainFormView {
  public:
    explicit ActivatingView(TmainForm& form) : form_(form) {}
    void childOpened(platform::ChildWindow&) override {}
    void childClosing(platform::ChildWindow& window) override {
        closed.push_back(window.key());
        for (const auto& other : form_.children())
            if (other.get() != &window) form_.activateChild(*other);
    }
    void childChanged(platform::ChildWindow&) override {}
    void childActivated(platform::ChildWindow&) override {}
    void frameChanged() override {}
    void treeChanged() override {}
    void editFolderLabel(const store::TMailNode&) override {}
    void bringToFront() override {}
    std::vector<std::string> closed;

  private:
    TmainForm& form_;
};

TEST_F(MainFormTest, WindowsActivatedWhileOneClosesDoNotTakeItsPlace) {
    addProfile("Home");
    TmainForm& f = start();
    f.openFolderWindow("Sent", true);
    f.openFolderWindow("Drafts", true);
    ActivatingView view(f);
    f.setView(&view);
    ASSERT_TRUE(f.closeChild(*f.findChild("InBox.Sent")));
    EXPECT_EQ(f.findChild("InBox.Sent"), nullptr);
    EXPECT_NE(f.findChild("InBox.InBox"), nullptr);
    EXPECT_NE(f.findChild("InBox.Drafts"), nullptr);

    f.FormCloseQuery();
    f.FormClose();
    std::sort(view.closed.begin(), view.closed.end());
    EXPECT_EQ(view.closed, (std::vector<std::string>{"InBox.Drafts", "InBox.InBox", "InBox.OutBox",
                                                     "InBox.Sent"}))
        << "every window closed once";
    EXPECT_TRUE(f.children().empty());
    f.setView(nullptr);
}

TEST_F(MainFormTest, AFolderWindowClosedMinimizedOpensRestoredAndOneClosedMaximizedMaximized) {
    addProfile("Home");
    TmainForm& f = start();
    for (const auto& [closedAs, opensAs] :
         {std::pair{platform::WindowState::Minimized, platform::WindowState::Normal},
          std::pair{platform::WindowState::Maximized, platform::WindowState::Maximized}}) {
        f.openFolderWindow("Sent", true).setState(closedAs);
        ASSERT_TRUE(f.closeChild(*f.findChild("InBox.Sent")));
        EXPECT_EQ(f.openFolderWindow("Sent", true).state(), opensAs);
        ASSERT_TRUE(f.closeChild(*f.findChild("InBox.Sent")));
    }
}

// The frame's side of the Edit and Window menus: the focused field and the arrangements asked for.
class TextFieldView : public ActivatingView {
  public:
    using ActivatingView::ActivatingView;
    void arrangeChildren(Arrangement how) override { arranged.push_back(how); }
    std::optional<FocusedText> focusedText() const override { return field; }
    void editFocusedText(TextEdit edit) override { edits.push_back(edit); }
    std::optional<FocusedText> field;
    std::vector<TextEdit> edits;
    std::vector<Arrangement> arranged;
};

TEST_F(MainFormTest, EditMenuFollowsTheFocusedFieldAndFillNormalizesTheFrontWindow) {
    addProfile("Home");
    TmainForm& f = start();
    TextFieldView view(f);
    f.setView(&view);
    auto entry = [&f](const std::string& name) {
        const platform::Menu bar = f.menuBar();
        return *platform::findMenuEntry(bar, name);
    };
    const char* const kEdits[] = {"mnuEdit_Undo", "mnuEdit_Cut", "mnuEdit_Copy", "mnuEdit_Paste"};
    // No focused field: all four are disabled.
    for (const char* name : kEdits) EXPECT_FALSE(entry(name).enabled) << name;
    // A read-only pane with a selection copies, and nothing else.
    view.field = FocusedText{false, true, true, true};
    EXPECT_FALSE(entry("mnuEdit_Cut").enabled);
    EXPECT_TRUE(entry("mnuEdit_Copy").enabled);
    EXPECT_FALSE(entry("mnuEdit_Paste").enabled);
    // An editable field that can undo, without a selection, with text on the clipboard.
    view.field = FocusedText{true, false, false, true};
    EXPECT_TRUE(entry("mnuEdit_Undo").enabled);
    EXPECT_FALSE(entry("mnuEdit_Copy").enabled);
    EXPECT_TRUE(entry("mnuEdit_Paste").enabled);
    EXPECT_EQ(entry("mnuEdit_Paste").shortcut, "Ctrl+V");
    entry("mnuEdit_Paste").command();
    EXPECT_EQ(view.edits, std::vector<TextEdit>{TextEdit::Paste});

    platform::ChildWindow& inbox = *f.children().front();
    f.openFolderWindow("Sent", true);
    platform::ChildWindow& sent = *f.findChild("InBox.Sent");
    inbox.setState(platform::WindowState::Minimized);
    sent.setState(platform::WindowState::Maximized);
    entry("mnuWindow_Fill").command();
    EXPECT_EQ(sent.state(), platform::WindowState::Normal);
    EXPECT_EQ(inbox.state(), platform::WindowState::Minimized);
    entry("mnuWindow_FillAll").command();
    EXPECT_EQ(inbox.state(), platform::WindowState::Normal);
    EXPECT_EQ(view.arranged, (std::vector<Arrangement>{Arrangement::Fill, Arrangement::FillAll}));
    f.setView(nullptr);
}

TEST_F(MainFormTest, HelpOpensTheTopicOfTheMenuOrOfTheWindowInFrontAndSaysWhenTheFileIsMissing) {
    TempDir programDir;
    writeFile(programDir / "Velmora.hlp", "#100 Contents\r\n");
    program = programDir / "velmora";
    TmainForm& f = start();
    // The help file the program brings reaches the home folder, and the engine reads it there.
    EXPECT_EQ(readFile(home / "Velmora.hlp"), "#100 Contents\r\n");
    EXPECT_EQ(fake.help.helpFile(), home / "Velmora.hlp");
    const platform::Menu bar = f.menuBar();
    EXPECT_EQ(bar.back().caption, "&Help");
    for (const char* entry : {"mnuHelp_Help", "mnuHelp_FAQ", "mnuHelp_ContactUs"})
        platform::findMenuEntry(bar, entry)->command();
    EXPECT_EQ(fake.help.topics, (std::vector<int>{100, 10200, 10400}));
    // A window's own Help entry opens its topic.
    f.openFolderWindow("InBox", true);
    ASSERT_TRUE(f.commands().run(platform::kHelpCommand));
    EXPECT_EQ(fake.help.topics.back(), platform::help_topic::kFolderWindow);

    // Without the help file the program says so.
    fake.help.outcome = platform::HelpOutcome::NoHelpFile;
    platform::findMenuEntry(bar, "mnuHelp_Help")->command();
    EXPECT_EQ(fake.dialogs.texts("information"),
              std::vector<std::string>{"The help file\r" + (home / "Velmora.hlp").string() +
                                       "\rwas not found."});

    // The maker's addresses are not part of this program: disabled.
    EXPECT_FALSE(platform::findMenuEntry(bar, "mnuHelp_Website")->enabled);
    platform::findMenuEntry(bar, "mnuHelp_About")->command();
    EXPECT_EQ(fake.dialogs.texts("information").back().rfind("Velmora Pro 4.6\r", 0), 0u);
}

TEST_F(MainFormTest, CloseAllWindowsOnShutdownRecordsNothingAndInBoxOpensNextTime) {
    addProfile("Home");
    TmainForm& f = start();
    f.openFolderWindow("Sent", true);
    f.settings().other.closeAllWindowsOnShutdown = true;
    shutDown();
    EXPECT_FALSE(fs::exists(home / "folders.dat"));
    start();
    EXPECT_EQ(childKeys(), std::vector<std::string>{"InBox.InBox"});
}

TEST_F(MainFormTest, ADamagedOutBoxIndexIsReportedAndShutdownGoesOn) {
    addProfile("Home");
    start();
    // An OutBox index that cannot be read: a directory in its place.
    fs::create_directories(home / "OutBox.000" / "OutBox.dat");
    fs::remove(home / "vl.cfg");
    shutDown();
    EXPECT_FALSE(fake.dialogs.shown.empty());
    EXPECT_TRUE(fs::exists(home / "vl.cfg")) << "the settings are written all the same";
    EXPECT_TRUE(fs::exists(home / "folders.dat"));
}

TEST_F(MainFormTest, TrashOpenedOnlyForEmptyingIsNotRecorded) {
    addProfile("Home");
    TmainForm& f = start();
    f.settings().other.emptyTrashOnExit = true;
    shutDown();
    const std::string folders = readFile(home / "folders.dat");
    EXPECT_NE(folders.find("InBox"), std::string::npos);
    EXPECT_EQ(folders.find("Trash"), std::string::npos) << folders;
}

TEST_F(MainFormTest, FloatingTipsAreOneSwitchForEveryWindowAndOtherCfgKeepsIt) {
    addProfile("Home");
    TmainForm& f = start();
    f.openFolderWindow("InBox", true);
    auto* inbox = dynamic_cast<reading::TinboxForm*>(f.findChild("InBox.InBox"));
    ASSERT_NE(inbox, nullptr);
    f.commands().run("rules.show");
    auto* rules = dynamic_cast<retrieval::TfiltersForm*>(f.findChild(retrieval::kFiltersWindowKey));
    ASSERT_NE(rules, nullptr);
    f.commands().run("compose.new");
    auto* compose = dynamic_cast<compose::TcomposeForm*>(f.findChild(compose::kComposeKey));
    ASSERT_NE(compose, nullptr);
    auto tipsEntries = [&] {
        return std::vector<platform::MenuEntry>{
            *platform::findMenuEntry(f.menuBar(), "mnuView_FloatingTips"),
            *platform::findMenuEntry(f.treeMenu(), "mnuTree_FloatingTips"),
            *platform::findMenuEntry(inbox->listMenu(), "popListView_Tips"),
            *platform::findMenuEntry(inbox->previewMenu(), "popPreview_Tips"),
            *platform::findMenuEntry(rules->popupMenu(), "mnuFilters_Tips"),
            *platform::findMenuEntry(compose->popupMenu(), "popTips")};
    };
    for (const platform::MenuEntry& e : tipsEntries()) {
        EXPECT_TRUE(e.enabled && e.checkable && e.checked) << e.name;
        EXPECT_EQ(e.caption, "Floating &Tips");
    }
    // Switched off from a folder window's menu: off everywhere, and kept at exit.
    tipsEntries()[2].command();
    for (const platform::MenuEntry& e : tipsEntries()) EXPECT_FALSE(e.checked) << e.name;
    EXPECT_FALSE(f.settings().other.showFloatingTips);
    shutDown();
    EXPECT_FALSE(profiles::loadOtherSettings(home.path()).showFloatingTips);
    TmainForm& again = start();
    EXPECT_FALSE(platform::findMenuEntry(again.menuBar(), "mnuView_FloatingTips")->checked);
}

TEST_F(MainFormTest, ShutdownPausesAreShortUnlessThGiven) {
    addProfile("Home");
    start();
    const auto quick = shutDown();
    start({"-th"});
    const auto full = shutDown();
    // OutBox: 250 (or 100) + 500 always; Trash not open and not emptied: nothing; FormClose 250.
    EXPECT_EQ(quick, platform::Milliseconds{100 + 500 + 250});
    EXPECT_EQ(full, platform::Milliseconds{250 + 500 + 250});
}

TEST_F(MainFormTest, FreeSpaceThresholds) {
    fake.system.freeSpace = 5'000'000;
    start();
    auto warnings = fake.dialogs.texts("warning");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].rfind("Free Disk Space Is EXTREMELY Low", 0), 0u);
    form.reset();
    fake.dialogs.clear();
    fake.system.freeSpace = 10'000'001;
    start();
    EXPECT_TRUE(fake.dialogs.texts("warning").empty());
}

TEST_F(MainFormTest, NewHomeFolderGetsTheProgramsDictionaryAndOnlyARemovedOneIsReported) {
    fs::remove(home / "ENGLISH.DCT");
    TempDir programDir;
    writeFile(programDir / "ENGLISH.DCT", "aardvark\r\nabacus\r\n");
    program = programDir / "velmora";
    TmainForm& f = start();
    EXPECT_TRUE(f.spellCheckEnabled());
    EXPECT_TRUE(fake.dialogs.texts("information").empty());
    EXPECT_EQ(readFile(home / "ENGLISH.DCT"), "aardvark\r\nabacus\r\n");
    shutDown();

    fs::remove(home / "ENGLISH.DCT");  // the user removed it: no longer a first start
    TmainForm& again = start();
    EXPECT_FALSE(again.spellCheckEnabled());
    EXPECT_EQ(fake.dialogs.texts("information"), std::vector<std::string>{kDictionaryMissingText});
}

TEST_F(MainFormTest, MissingDictionaryIsReported) {
    fs::remove(home / "ENGLISH.DCT");
    TmainForm& f = start();
    EXPECT_FALSE(f.spellCheckEnabled());
    EXPECT_EQ(fake.dialogs.texts("information"), std::vector<std::string>{kDictionaryMissingText});
}

TEST_F(MainFormTest, HandOverBringsToFrontAndRunsTheMailToAction) {
    addProfile("Home");
    TmainForm& f = start();
    std::vector<std::string> composed;
    platform::WindowKind compose;
    compose.keyPrefix = "Compose";
    compose.mailTo = [&](const std::string& a) { composed.push_back(a); };
    f.windowKinds().add(std::move(compose));
    f.receiveHandOver("justBringToFront");
    EXPECT_TRUE(composed.empty());
    f.receiveHandOver("ann@example.com?subject=x");
    f.receiveHandOver("  bob@example.com  ");
    EXPECT_EQ(composed, (std::vector<std::string>{"ann@example.com", "bob@example.com"}));
    EXPECT_EQ(f.children().front()->key(), "InBox.InBox");
}

TEST_F(MainFormTest, MailToWithCopyToBufferOpensSentAndAppendsTheLink) {
    addProfile("Home");
    TmainForm& f = start();
    f.settings().other.copyMailtoToBuffer = true;
    std::vector<std::string> links;
    platform::WindowKind pad;
    pad.keyPrefix = "ScratchPad";
    pad.mailTo = [&](const std::string& a) { links.push_back(a); };
    f.windowKinds().add(std::move(pad));
    f.mailTo("bob@example.com");
    EXPECT_EQ(links, std::vector<std::string>{"bob@example.com"});
    EXPECT_EQ(f.children().front()->key(), "InBox.Sent");
}

// --- folder tree commands -------------------------------------------------------------------

TEST_F(MainFormTest, TwoNewFoldersInARowAndNothingUnderInBox) {
    TmainForm& f = start();
    f.treeCreateFolder(home.path());
    f.treeCreateFolder(home.path());
    EXPECT_TRUE(fs::is_directory(home / "New Folder.001"));
    EXPECT_TRUE(fs::is_directory(home / "New Folder (2).001"));
    EXPECT_EQ(f.children().front()->key(), "InBox.New Folder (2)");
    f.treeCreateFolder(home / "InBox.000");
    EXPECT_FALSE(fs::exists(home / "InBox.000" / "New Folder.001"));
}

TEST_F(MainFormTest, RenameMovesIndexAndLayoutAndReKeysTheWindow) {
    fs::create_directories(home / "Work.001");
    writeFile(home / "Work.001" / "Work.dat", "0\r\n");
    writeFile(home / "Work.001" / "Work.cfg", "46\r\n");
    TmainForm& f = start();
    f.openFolderWindow("Work", true);
    ASSERT_TRUE(f.treeCanRename(home / "Work.001"));
    ASSERT_TRUE(f.treeRename(home / "Work.001", "Jobs"));
    EXPECT_TRUE(fs::exists(home / "Jobs.001" / "Jobs.dat"));
    EXPECT_TRUE(fs::exists(home / "Jobs.001" / "Jobs.cfg"));
    EXPECT_FALSE(fs::exists(home / "Work.001"));
    EXPECT_NE(f.findChild("InBox.Jobs"), nullptr);
    EXPECT_EQ(f.findChild("InBox.Work"), nullptr);
    EXPECT_EQ(f.children().front()->key(), "InBox.InBox") << "the tree moves to InBox";
}

TEST_F(MainFormTest, RenameRefusesReservedNamesAndDefaultFolders) {
    fs::create_directories(home / "Work.001");
    TmainForm& f = start();
    EXPECT_FALSE(f.treeRename(home / "Work.001", "Sent"));
    EXPECT_TRUE(fs::exists(home / "Work.001"));
    EXPECT_EQ(fake.dialogs.texts("information").size(), 1u);
    EXPECT_FALSE(f.treeCanRename(home / "InBox.000"));
}

TEST_F(MainFormTest, DeleteRefusedForNestedFolderAndConfirmedTwiceOtherwise) {
    fs::create_directories(home / "Work.001" / "Sub.001");
    writeFile(home / "Work.001" / "note.txt", "x");
    writeFile(home / "Work.001" / "Sub.001" / "note.txt", "x");
    TmainForm& f = start();
    f.treeDelete(home / "Work.001");
    EXPECT_TRUE(fs::exists(home / "Work.001"));
    EXPECT_EQ(fake.dialogs.texts("information"),
              std::vector<std::string>{
                  "This Folder Contains A Nested Folder - You Must Delete That Folder First!"});

    fake.dialogs.answers = {platform::Answer::Yes, platform::Answer::No};
    f.treeDelete(home / "Work.001" / "Sub.001");
    EXPECT_TRUE(fs::exists(home / "Work.001" / "Sub.001")) << "a No to the final check keeps it";
    fake.dialogs.answers = {platform::Answer::Yes, platform::Answer::Yes};
    f.treeDelete(home / "Work.001" / "Sub.001");
    EXPECT_FALSE(fs::exists(home / "Work.001" / "Sub.001"));
    EXPECT_EQ(f.treeSelection(), home / "Work.001");

    // The tree menu offers it only for user folders.
    for (const fs::path& dir : {home.path(), home / "InBox.000", home / "Work.001"}) {
        f.setTreeSelection(dir);
        EXPECT_EQ(platform::findMenuEntry(f.treeMenu(), "mnuTree_DeleteFolder")->enabled,
                  dir == home / "Work.001")
            << dir;
    }
}

TEST_F(MainFormTest, DroppingRowsOnTheTreeMovesThemWhereAllowed) {
    writeFile(home / "InBox.000" / "1000.vlf",
              "From: Ann <ann@example.com>\r\nTo: bob@example.com\r\nSubject: Hi\r\n\r\nBody\r\n");
    fs::create_directories(home / "Work.001" / "Sub.001");
    TmainForm& f = start();
    reading::TinboxForm& inbox = f.openFolderWindow("InBox", true);
    ASSERT_EQ(inbox.rowCount(), 1u);
    inbox.clickRow(0);
    EXPECT_FALSE(f.treeCanDrop(home / "Sent.000", inbox)) << "InBox messages never go to Sent";
    f.treeDrop(home / "Sent.000", inbox);
    EXPECT_EQ(inbox.rowCount(), 1u);

    fake.dialogs.clear();
    f.treeDrop(home / "Work.001", inbox);
    EXPECT_EQ(fake.dialogs.texts("information"),
              std::vector<std::string>{
                  "This is not a valid folder level - there are lower level folders"});
    EXPECT_EQ(inbox.rowCount(), 1u);

    ASSERT_TRUE(f.treeCanDrop(home / "Trash.000", inbox));
    f.treeDrop(home / "Trash.000", inbox);
    EXPECT_EQ(inbox.rowCount(), 0u);
    reading::TinboxForm* trash = f.findFolderWindow("Trash");
    ASSERT_NE(trash, nullptr);
    EXPECT_EQ(trash->rowCount(), 1u);
    EXPECT_EQ(trash->state(), platform::WindowState::Minimized);
    EXPECT_FALSE(fs::exists(home / "InBox.000" / "1000.vlf"));
}

TEST_F(MainFormTest, OpeningADirectoryThatIsNoMailFolderExplains) {
    fs::create_directories(home / "Photos");
    fs::create_directories(home / "Attach");
    TmainForm& f = start();
    fake.dialogs.clear();
    f.treeOpen(home / "Attach");
    EXPECT_TRUE(fake.dialogs.shown.empty());
    f.treeOpen(home / "Photos");
    ASSERT_EQ(fake.dialogs.texts("information").size(), 1u);
    EXPECT_EQ(fake.dialogs.texts("information")[0].rfind(
                  "This Folder is not associated with Velmora Pro.\r\r", 0),
              0u);
    EXPECT_EQ(fake.system.beeps, 1);
    EXPECT_TRUE(f.children().empty());
}

}  // namespace
}  // namespace velmora::core
