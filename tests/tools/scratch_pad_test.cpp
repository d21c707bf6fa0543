// The scratch pads through the main window: the View menu's commands, typing and closing, the
// pop-up menu, the session file and the web-link pad, on a temporary home folder with the fakes.
#include <gtest/gtest.h>

#include "core/main_form.h"
#include "platform/menu.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"
#include "tools/scratch_pad_form.h"
#include "tools/scratch_pads.h"
#include "tools/spell_check_form.h"

namespace velmora::tools {
namespace {

using platform::Answer;
using testing::FakePlatform;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;
namespace fs = std::filesystem;

class ScratchPadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        writeFile(home / "ENGLISH.DCT", "word\r\n");
        writeFile(home / "master.usr", "46\r\nHome");
        writeFile(home / "Home.usr", "46\r\nHome");
    }

    core::TmainForm& start() {
        form = std::make_unique<core::TmainForm>(
            fake.platform(), home.path(), core::parseCommandLine({}), core::ScreenSize{1024, 768});
        form->FormCreate();
        fake.clock.advance(platform::Milliseconds{100});
        fake.dialogs.clear();
        return *form;
    }
    void shutDown() {
        form->FormCloseQuery();
        form->FormClose();
        form.reset();
    }
    bool run(const std::string& command) { return form->commands().run(command); }
    TscratchPadForm* pad(const std::string& fileName) {
        return dynamic_cast<TscratchPadForm*>(form->findChild("ScratchPad." + fileName));
    }
    // "&New" answered with `name`.
    TscratchPadForm* newPad(const std::string& name) {
        fake.dialogs.inputAnswers.push_back(platform::InputBoxResult{name, ""});
        run("scratch.new");
        return pad(name + ".txt");
    }
    TscratchPadForm* openPad(const fs::path& file) {
        fake.dialogs.fileAnswers.push_back({file});
        run("scratch.open");
        return pad(file.filename().string());
    }
    static void type(TscratchPadForm& p, const std::string& text) {
        p.keyPressed({});
        p.textEdited(text);
    }
    // No message box (warning, question ...) was shown.
    bool noMessageBoxes() const {
        for (const auto& d : fake.dialogs.shown)
            if (d.what != "inputBox" && d.what != "openFiles") return false;
        return true;
    }
    std::size_t padCount() const {
        std::size_t n = 0;
        for (const auto& child : form->children())
            if (child->kind() == "ScratchPad") ++n;
        return n;
    }

    TempDir home;
    TempDir elsewhere;
    FakePlatform fake;
    std::unique_ptr<core::TmainForm> form;
};

// --- New and Open ----------------------------------------------------------------------------

TEST_F(ScratchPadTest, NewCreatesTheFileAtOnceHoldingOnlyCrLf) {
    start();
    TscratchPadForm* p = newPad("notes");
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(fake.dialogs.inputBoxes.size(), 1u);
    EXPECT_EQ(fake.dialogs.inputBoxes[0].caption, "Create New Scratch Pad");
    EXPECT_EQ(fake.dialogs.inputBoxes[0].first.prompt, "Enter Scratch Pad Name");
    EXPECT_EQ(readFile(home / "notes.txt"), "\r\n");
    EXPECT_EQ(p->caption(), "notes.txt");
    EXPECT_FALSE(p->modified());
    EXPECT_EQ(form->children().front().get(), p) << "the new pad is the window in front";
}

TEST_F(ScratchPadTest, NewWithoutANameDoesNothing) {
    start();
    for (const std::optional<platform::InputBoxResult>& answer :
         {std::optional<platform::InputBoxResult>{}, std::optional{platform::InputBoxResult{}},
          std::optional{platform::InputBoxResult{"   ", ""}}}) {
        fake.dialogs.inputAnswers.push_back(answer);
        run("scratch.new");
    }
    EXPECT_EQ(padCount(), 0u);
    EXPECT_TRUE(noMessageBoxes());
}

TEST_F(ScratchPadTest, NewWithTheNameOfAnExistingPadFileOpensItInsteadOfEmptyingIt) {
    writeFile(home / "notes.txt", "keep me\r\n");
    start();
    TscratchPadForm* p = newPad("notes");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->text(), "keep me");
    EXPECT_EQ(readFile(home / "notes.txt"), "keep me\r\n");
    // Asked again while the pad is open: the same pad comes to the front.
    form->openFolderWindow("InBox", true);
    EXPECT_EQ(newPad("notes"), p);
    EXPECT_EQ(padCount(), 1u);
    EXPECT_EQ(form->children().front().get(), p);
}

TEST_F(ScratchPadTest, NamesThatReachOutsideTheHomeFolderAreRefused) {
    start();
    for (const char* name : {"../evil", "a/b", "a\\b", "..", "two\nlines", "/tmp/x"}) {
        SCOPED_TRACE(name);
        fake.dialogs.clear();
        EXPECT_EQ(newPad(name), nullptr);
        ASSERT_EQ(fake.dialogs.texts("warning").size(), 1u);
        EXPECT_NE(fake.dialogs.texts("warning")[0].find("cannot be the name of a scratch pad"),
                  std::string::npos);
    }
    EXPECT_EQ(padCount(), 0u);
    EXPECT_FALSE(fs::exists(home.path().parent_path() / "evil.txt"));
    EXPECT_FALSE(fs::exists(home / "a"));
}

TEST_F(ScratchPadTest, OpenLoadsTheChosenFileUnmodified) {
    writeFile(elsewhere / "list.txt", "one\r\ntwo\r\n");
    start();
    TscratchPadForm* p = openPad(elsewhere / "list.txt");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->key(), "ScratchPad.list.txt");
    EXPECT_EQ(p->text(), "one\r\ntwo");
    EXPECT_FALSE(p->modified());
    // A cancelled dialog opens nothing; a file of an open pad's name brings that pad up.
    run("scratch.open");
    form->openFolderWindow("InBox", true);
    writeFile(home / "list.txt", "other list\r\n");
    EXPECT_EQ(openPad(home / "list.txt"), p);
    EXPECT_EQ(padCount(), 1u);
    EXPECT_EQ(form->children().front().get(), p);
    EXPECT_EQ(p->text(), "one\r\ntwo");
    EXPECT_EQ(fake.dialogs.texts("information").size(), 1u);
}

TEST_F(ScratchPadTest, AFileThatCannotBeLoadedWarnsAndLeavesThePadOpen) {
    fs::create_directories(elsewhere / "folder.txt");
    start();
    TscratchPadForm* p = openPad(elsewhere / "folder.txt");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->text(), "");
    ASSERT_EQ(fake.dialogs.texts("warning").size(), 1u);
    EXPECT_EQ(fake.dialogs.texts("warning")[0].rfind("Load ScratchPad File Error 1263\r", 0), 0u);
    EXPECT_EQ(fake.system.beeps, 1);
}

// --- typing, saving and closing --------------------------------------------------------------

TEST_F(ScratchPadTest, TypingMarksThePadOnceAndSaveRemovesTheMark) {
    start();
    TscratchPadForm& p = *newPad("notes");
    EXPECT_FALSE(p.keyPressed({}));
    EXPECT_EQ(p.caption(), "notes.txt *");
    type(p, "héllo, мир");
    EXPECT_EQ(p.caption(), "notes.txt *") << "further keys add nothing";
    EXPECT_TRUE(run("scratch.save"));
    EXPECT_EQ(p.caption(), "notes.txt");
    EXPECT_FALSE(p.modified());
    EXPECT_EQ(readFile(home / "notes.txt"), "héllo, мир\r\n");
}

TEST_F(ScratchPadTest, KeysThatGoNoFurther) {
    start();
    struct Case {
        const char* name;
        PadKey key;
        bool quietKeyboard;
        bool swallowed;
    };
    const Case cases[] = {
        {"a key with Alt", {false, true, false}, false, true},
        {"a key the edge guard holds back", {false, false, true}, false, true},
        {"the same key with Quiet keyboard on", {false, false, true}, true, false},
        {"any other key", {}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->settings().other.quietKeyboard = c.quietKeyboard;
        TscratchPadForm& p = *newPad("keys");
        EXPECT_EQ(p.keyPressed(c.key), c.swallowed);
        EXPECT_EQ(p.modified(), !c.swallowed) << "a swallowed key changes nothing";
        p.closeClick();
    }
}

TEST_F(ScratchPadTest, EscAndCloseWindowAskButThePopUpsCloseDoesNot) {
    start();
    // The pop-up's "&Close" drops the changes without a question.
    TscratchPadForm* p = newPad("notes");
    type(*p, "lost on purpose");
    platform::findMenuEntry(p->popupMenu(false), "popScratch_Close")->command();
    EXPECT_EQ(pad("notes.txt"), nullptr);
    EXPECT_TRUE(noMessageBoxes());
    EXPECT_EQ(readFile(home / "notes.txt"), "\r\n");

    // "&Close Window" asks; No closes without saving.
    p = newPad("notes");
    type(*p, "dropped");
    fake.dialogs.answers.push_back(Answer::No);
    platform::findMenuEntry(p->popupMenu(false), "popScratch_CloseWindow")->command();
    ASSERT_EQ(fake.dialogs.texts("question").size(), 1u);
    EXPECT_EQ(fake.dialogs.texts("question")[0],
              "ScratchPad  notes.txt  has been modified - Do you want to save it?");
    EXPECT_EQ(pad("notes.txt"), nullptr);
    EXPECT_EQ(readFile(home / "notes.txt"), "\r\n");

    // Esc asks too; Yes saves.
    p = newPad("notes");
    type(*p, "kept");
    fake.dialogs.answers.push_back(Answer::Yes);
    EXPECT_TRUE(p->keyPressed({true, false, false}));
    EXPECT_EQ(pad("notes.txt"), nullptr);
    EXPECT_EQ(readFile(home / "notes.txt"), "kept\r\n");

    // An unchanged pad closes without a question.
    fake.dialogs.clear();
    newPad("notes")->closeWindowClick();
    EXPECT_TRUE(noMessageBoxes());
}

TEST_F(ScratchPadTest, AFailedSaveKeepsTheTextTheMarkAndTheWindow) {
    start();
    TscratchPadForm* p = newPad("notes");
    type(*p, "precious");
    // The pad's file cannot be replaced: a directory took its place.
    fs::remove(home / "notes.txt");
    fs::create_directories(home / "notes.txt");
    EXPECT_TRUE(run("scratch.save"));
    ASSERT_EQ(fake.dialogs.texts("warning").size(), 1u);
    EXPECT_EQ(fake.dialogs.texts("warning")[0].rfind("File I/O Error 9563\r", 0), 0u);
    EXPECT_TRUE(p->modified());
    EXPECT_EQ(p->caption(), "notes.txt *");
    // Yes to the close question with the file still unwritable: the window stays.
    fake.dialogs.answers.push_back(Answer::Yes);
    p->closeWindowClick();
    ASSERT_EQ(pad("notes.txt"), p);
    EXPECT_EQ(p->text(), "precious");
}

TEST_F(ScratchPadTest, SavingAPadFromAnotherFolderNeverReplacesADifferentHomeFileUnasked) {
    writeFile(elsewhere / "notes.txt", "from elsewhere\r\n");
    start();
    // Without a home file of that name, the copy is simply written.
    TscratchPadForm* p = openPad(elsewhere / "notes.txt");
    type(*p, "edited");
    run("scratch.save");
    EXPECT_TRUE(noMessageBoxes());
    EXPECT_EQ(readFile(home / "notes.txt"), "edited\r\n");
    EXPECT_EQ(readFile(elsewhere / "notes.txt"), "from elsewhere\r\n");
    p->closeClick();

    // With a different home file of that name the user is asked; No keeps both.
    writeFile(home / "notes.txt", "home notes\r\n");
    p = openPad(elsewhere / "notes.txt");
    type(*p, "second copy");
    fake.dialogs.answers.push_back(Answer::No);
    run("scratch.save");
    EXPECT_EQ(fake.dialogs.texts("question").size(), 1u);
    EXPECT_EQ(readFile(home / "notes.txt"), "home notes\r\n");
    EXPECT_EQ(readFile(home / "notes (2).txt"), "second copy\r\n");
    EXPECT_EQ(p->caption(), "notes (2).txt");
    EXPECT_EQ(p->key(), "ScratchPad.notes (2).txt");

    // Yes replaces it; a save once the pad is the home file asks nothing more.
    p->closeClick();
    p = openPad(elsewhere / "notes.txt");
    type(*p, "third");
    fake.dialogs.clear();
    fake.dialogs.answers.push_back(Answer::Yes);
    run("scratch.save");
    EXPECT_EQ(readFile(home / "notes.txt"), "third\r\n");
    type(*p, "fourth");
    run("scratch.save");
    EXPECT_EQ(fake.dialogs.texts("question").size(), 1u);
    EXPECT_EQ(readFile(home / "notes.txt"), "fourth\r\n");
}

TEST_F(ScratchPadTest, SortKeepsNonEmptyLinesInLowerCaseSortedIgnoringCase) {
    start();
    TscratchPadForm& p = *newPad("list");
    struct Case {
        const char* text;
        const char* sorted;
    };
    const Case cases[] = {
        {"b\r\n\r\nA", "a\r\nb"},
        {"Beta\r\nalpha\r\nBETA", "alpha\r\nbeta\r\nbeta"},  // duplicates kept
        {"Яблоко\r\nарбуз\r\nÉcole", "école\r\nарбуз\r\nяблоко"},
        {"Z\xff\r\nA", "a\r\nz\xff"},  // a byte that is not UTF-8 stays as it was
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        p.textEdited(c.text);
        fake.dialogs.answers.push_back(Answer::Yes);
        platform::findMenuEntry(p.popupMenu(false), "popScratch_Sort")->command();
        EXPECT_EQ(p.text(), c.sorted);
    }
    EXPECT_EQ(fake.dialogs.texts("question").back(), "Verify you want to Sort this data?");
    fake.dialogs.answers.push_back(Answer::No);
    p.textEdited("b\r\na");
    p.sortClick();
    EXPECT_EQ(p.text(), "b\r\na");
}

TEST_F(ScratchPadTest, ThePopUpMenuFollowsTheSelectionAndOffersTheMainCommands) {
    start();
    TscratchPadForm& p = *newPad("notes");
    EXPECT_EQ(platform::findMenuEntry(p.popupMenu(false), "popScratch_Print")->caption,
              "&Print Document");
    const platform::Menu menu = p.popupMenu(true);
    EXPECT_EQ(platform::findMenuEntry(menu, "popScratch_Print")->caption, "&Print Selected Text");
    EXPECT_TRUE(platform::findMenuEntry(menu, "popScratch_Print")->enabled);
    EXPECT_TRUE(platform::findMenuEntry(menu, "popScratch_SpellCheck")->enabled);
    EXPECT_TRUE(platform::findMenuEntry(menu, "popScratch_New")->enabled);
    EXPECT_TRUE(platform::findMenuEntry(menu, "popScratch_FloatingTips")->checkable);
}

TEST_F(ScratchPadTest, SpellCheckPutsTheCorrectedTextBackAsTypingWould) {
    writeFile(home / "ENGLISH.DCT", "the\r\nword\r\n");
    writeFile(home / "notes.txt", "the wrod\r\n");
    start();
    TscratchPadForm& p = *newPad("notes");
    ASSERT_FALSE(p.modified());
    tools::setSpellCheckWindowView([](TspellCheckForm& f) { f.changeClick(); });
    EXPECT_TRUE(run("spell.check"));
    EXPECT_EQ(p.text(), "the word");
    EXPECT_EQ(p.caption(), "notes.txt *");
    EXPECT_EQ(fake.dialogs.texts("information"), std::vector<std::string>{kSpellCheckCompleteText});

    // Cancelled: nothing changes.
    type(p, "the wrod again");
    tools::setSpellCheckWindowView([](TspellCheckForm& f) { f.cancelClick(); });
    EXPECT_TRUE(run("spell.check"));
    EXPECT_EQ(p.text(), "the wrod again");

    p.setState(platform::WindowState::Minimized);
    EXPECT_FALSE(form->commands().available("spell.check"));
    tools::setSpellCheckWindowView(nullptr);
}

TEST_F(ScratchPadTest, SpellCheckOfASelectionChangesOnlyTheSelection) {
    writeFile(home / "ENGLISH.DCT", "the\r\nword\r\n");
    writeFile(home / "notes.txt", "wrod\r\nthe wrod\r\nwrod");
    start();
    TscratchPadForm& p = *newPad("notes");
    std::vector<std::string> checked;
    tools::setSpellCheckWindowView([&](TspellCheckForm& f) {
        checked.push_back(f.text());
        f.changeAllClick();
    });
    p.setSelection("the wrod", 6);
    EXPECT_TRUE(run("spell.check"));
    EXPECT_EQ(checked, std::vector<std::string>{"the wrod"});
    EXPECT_EQ(p.text(), "wrod\r\nthe word\r\nwrod");
    EXPECT_EQ(p.selectedText(), "") << "the selection went with the change";

    // A place that no longer matches the text (or none at all): the whole note is checked.
    for (std::size_t start : {std::size_t{0}, std::size_t{99}, TscratchPadForm::kUnknownPlace}) {
        type(p, "wrod\r\nthe wrod");
        p.setSelection("the wrod", start);
        EXPECT_TRUE(run("spell.check"));
        EXPECT_EQ(p.text(), "word\r\nthe word") << start;
    }
    tools::setSpellCheckWindowView(nullptr);
}

TEST_F(ScratchPadTest, SpellCheckIsOffWithoutTheDictionaryOrAPadInFront) {
    start();
    newPad("notes");
    EXPECT_TRUE(form->commands().available("spell.check"));
    form->openFolderWindow("InBox", true);
    EXPECT_FALSE(form->commands().available("spell.check")) << "a folder window has no text";
    shutDown();

    std::filesystem::remove(home / "ENGLISH.DCT");
    start();
    newPad("notes");
    EXPECT_FALSE(form->commands().available("spell.check"));
}

// --- the main window while a pad is in front -------------------------------------------------

TEST_F(ScratchPadTest, SaveCloseAndTheMessageButtonsFollowThePadInFront) {
    core::TmainForm& f = start();
    for (const char* command : {"send.current", "mail.previous", "mail.next", "reply.sender",
                                "forward.message", "mail.delete"})
        f.commands().add(command, {[] {}, nullptr});
    const char* const buttons[] = {"cmdTBSend",  "cmdTBPrev",    "cmdTBNext",
                                   "cmdTBReply", "cmdTBForward", "cmdTBTrash"};
    auto enabled = [&](const platform::Menu& menu, const char* name) {
        const platform::MenuEntry* entry = platform::findMenuEntry(menu, name);
        return entry && entry->enabled;
    };

    TscratchPadForm& p = *newPad("notes");
    for (const char* name : buttons) EXPECT_FALSE(enabled(f.toolbar(), name)) << name;
    EXPECT_FALSE(enabled(f.menuBar(), "mnuMail_SendMessage"));
    EXPECT_TRUE(enabled(f.menuBar(), "mnuView_ScratchPad_Save"));
    EXPECT_TRUE(enabled(f.menuBar(), "mnuView_ScratchPad_Close"));

    f.openFolderWindow("InBox", true);
    for (const char* name : buttons) EXPECT_TRUE(enabled(f.toolbar(), name)) << name;
    EXPECT_TRUE(enabled(f.menuBar(), "mnuMail_SendMessage"));
    EXPECT_FALSE(enabled(f.menuBar(), "mnuView_ScratchPad_Save"));
    EXPECT_FALSE(run("scratch.close"));

    f.activateChild(p);
    EXPECT_TRUE(run("scratch.close"));
    EXPECT_EQ(padCount(), 0u);
}

// --- the session and the web-link pad --------------------------------------------------------

TEST_F(ScratchPadTest, ShutdownRecordsThePadsAndWritesTheModifiedText) {
    start();
    TscratchPadForm* plain = newPad("plain");
    plain->setBounds({10, 20, 300, 200});
    TscratchPadForm* edited = newPad("edited");
    type(*edited, "written at exit");
    edited->setState(platform::WindowState::Maximized);
    shutDown();
    EXPECT_EQ(readFile(home / "edited.txt"), "written at exit\r\n");
    EXPECT_EQ(readFile(home / "scratch.dat"),
              "plain.txt\r\n0\r\n10\r\n20\r\n300\r\n200\r\n"
              "edited.txt\r\n2\r\n0\r\n0\r\n0\r\n0\r\n");

    start();
    ASSERT_NE(pad("plain.txt"), nullptr);
    EXPECT_EQ(pad("plain.txt")->bounds().left, 10);
    EXPECT_EQ(pad("plain.txt")->bounds().width, 300);
    ASSERT_NE(pad("edited.txt"), nullptr);
    EXPECT_EQ(pad("edited.txt")->text(), "written at exit");
    EXPECT_EQ(pad("edited.txt")->state(), platform::WindowState::Maximized);
    EXPECT_FALSE(pad("edited.txt")->modified());
    EXPECT_TRUE(noMessageBoxes());
}

TEST_F(ScratchPadTest, RestoringWarnsOfMissingAndUnreadableFilesAndKeepsThePadsOpenEmpty) {
    fs::create_directories(home / "broken.txt");
    writeFile(home / "scratch.dat",
              "gone.txt\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"
              "broken.txt\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"
              "../outside.txt\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
    form = std::make_unique<core::TmainForm>(
        fake.platform(), home.path(), core::parseCommandLine({}), core::ScreenSize{1024, 768});
    form->FormCreate();
    fake.clock.advance(platform::Milliseconds{100});
    const auto warnings = fake.dialogs.texts("warning");
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0], "ScratchPad File " + (home / "gone.txt").string() + " not found.");
    EXPECT_EQ(warnings[1].rfind("Load ScratchPad File Error 4270\r", 0), 0u);
    ASSERT_NE(pad("gone.txt"), nullptr);
    ASSERT_NE(pad("broken.txt"), nullptr);
    EXPECT_EQ(pad("broken.txt")->text(), "");
    EXPECT_EQ(pad("../outside.txt"), nullptr) << "a record naming a path is not followed";
}

TEST_F(ScratchPadTest, AModifiedPadIsSavedAtExitEvenWhenNoWindowIsRecorded) {
    core::TmainForm& f = start();
    f.settings().other.closeAllWindowsOnShutdown = true;
    type(*newPad("notes"), "not lost");
    shutDown();
    EXPECT_FALSE(fs::exists(home / "scratch.dat"));
    EXPECT_EQ(readFile(home / "notes.txt"), "not lost\r\n");
}

TEST_F(ScratchPadTest, WebLinksCollectOnTheLinksAlreadyInTheirFile) {
    writeFile(home / "WebLinks.txt", "old@example.com\r\n");
    core::TmainForm& f = start();
    f.settings().other.copyMailtoToBuffer = true;
    f.mailTo("new@example.com");
    TscratchPadForm* p = pad("WebLinks.txt");
    ASSERT_NE(p, nullptr);
    EXPECT_NE(f.findChild("InBox.Sent"), nullptr);
    EXPECT_EQ(p->text(), "old@example.com\r\nnew@example.com");
    EXPECT_EQ(p->caption(), "WebLinks.txt *");
    f.mailTo("third@example.com");
    EXPECT_EQ(padCount(), 1u);
    EXPECT_EQ(p->text(), "old@example.com\r\nnew@example.com\r\nthird@example.com");
    shutDown();
    EXPECT_EQ(readFile(home / "WebLinks.txt"),
              "old@example.com\r\nnew@example.com\r\nthird@example.com\r\n");
}

TEST_F(ScratchPadTest, APadWhoseFileCouldNotBeReadNeverWritesOverItUnasked) {
    // Larger than a pad may be: the links in it cannot be read.
    writeFile(home / "WebLinks.txt", "old@example.com\r\n");
    fs::resize_file(home / "WebLinks.txt", kMaxPadFileBytes + 1);
    core::TmainForm& f = start();
    f.settings().other.copyMailtoToBuffer = true;
    f.mailTo("new@example.com");
    ASSERT_EQ(fake.dialogs.texts("warning").size(), 1u);
    EXPECT_EQ(fake.dialogs.texts("warning")[0].rfind("Load ScratchPad File Error 1263\r", 0), 0u);
    shutDown();  // nobody answers the question: both are kept
    EXPECT_EQ(fake.dialogs.texts("question").size(), 1u);
    EXPECT_EQ(fs::file_size(home / "WebLinks.txt"), kMaxPadFileBytes + 1);
    EXPECT_EQ(readFile(home / "WebLinks (2).txt"), "new@example.com\r\n");
}

}  // namespace
}  // namespace velmora::tools
