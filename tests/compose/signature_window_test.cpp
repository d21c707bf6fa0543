// The signature window's model and how the compose windows of its profile follow it: moving,
// deleting and renaming blocks keep each window's chosen block, closing writes the file, and the
// Users page's "&Signature" opens it in the real main window.
#include <gtest/gtest.h>

#include "compose/compose_windows.h"
#include "compose/signature_form.h"
#include "core/main_form.h"
#include "fake_compose_host.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace velmora::compose {
namespace {

namespace fs = std::filesystem;
using platform::Answer;
using profiles::RankKey;

SignatureList threeBlocks(int defaultPosition = 0) {
    SignatureList list;
    list.defaultPosition = defaultPosition;
    list.blocks = {{"A", {"-- a"}}, {"B", {"-- b"}}, {"C", {"-- c"}}};
    return list;
}

std::vector<std::string> names(const SignatureList& list) {
    std::vector<std::string> out;
    for (const auto& b : list.blocks) out.push_back(b.name);
    return out;
}

class SignatureWindow : public ::testing::Test {
  protected:
    SignatureWindow() { form.open("Work", file); }
    testing::TempDir dir;
    fs::path file = dir / "Work.sig";
    testing::FakePlatform fake;
    TsignatureForm form{fake};
};

TEST_F(SignatureWindow, NamesAreUniqueWithoutCaseAndDeletingTheLastDeletesTheFile) {
    EXPECT_EQ(form.caption(), "Signature Blocks For [Work]");
    fake.dialogs.inputAnswers = {platform::InputBoxResult{"Home", ""},
                                 platform::InputBoxResult{"HOME", ""}, std::nullopt};
    EXPECT_TRUE(form.addClick());
    EXPECT_FALSE(form.addClick());
    EXPECT_EQ(fake.dialogs.texts("information"),
              (std::vector<std::string>{"Signature Block name  'Home'  already in use."}));
    form.setEditorText("-- home");
    ASSERT_FALSE(form.close());
    EXPECT_EQ(readSignatureFile(file).blocks.size(), 1u);
    fake.dialogs.answers = {Answer::Yes};
    EXPECT_TRUE(form.deleteClick());
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(SignatureWindow, MovingKeepsEachTextAndTheSelectionAndTellsWhereBlocksWent) {
    ASSERT_FALSE(writeSignatureFile(file, threeBlocks()));
    form.open("Work", file);
    std::vector<SignatureMoves> told;
    form.onListChanged = [&](const SignatureMoves& m) { told.push_back(m); };
    EXPECT_TRUE(form.rankKey(RankKey::Down, true));  // A below B
    EXPECT_EQ(names(form.list()), (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(form.selected(), 1);
    EXPECT_EQ(form.editorText(), "-- a");
    form.rankKey(RankKey::End, false);  // selects C
    form.dragBlock(2, 0);
    EXPECT_EQ(names(form.list()), (std::vector<std::string>{"C", "B", "A"}));
    EXPECT_EQ(form.selected(), 0);
    EXPECT_EQ(told, (std::vector<SignatureMoves>{{1, 0, 2}, {1, 2, 0}}));
    ASSERT_FALSE(form.close());
    const SignatureList saved = readSignatureFile(file);
    EXPECT_EQ(names(saved), (std::vector<std::string>{"C", "B", "A"}));
    EXPECT_EQ(saved.blocks[2].block.text, "-- a");
    EXPECT_EQ(saved.defaultPosition, 0);
}

TEST_F(SignatureWindow, DeletingSelectsTheBlockAtTheSamePlaceOrTheNewLast) {
    ASSERT_FALSE(writeSignatureFile(file, threeBlocks(1)));
    form.open("Work", file);
    fake.dialogs.answers = {Answer::Yes, Answer::Yes, Answer::No};
    ASSERT_TRUE(form.deleteClick());  // B
    EXPECT_EQ(fake.dialogs.texts("question").back(), "Confirm deleting B Signature Block?");
    EXPECT_EQ(form.selected(), 1);
    EXPECT_EQ(form.editorText(), "-- c");
    EXPECT_EQ(form.focus(), SignatureFocus::List);
    ASSERT_TRUE(form.deleteClick());  // C, the last
    EXPECT_EQ(form.selected(), 0);
    EXPECT_EQ(form.editorText(), "-- a");
    EXPECT_FALSE(form.deleteClick());  // answered No
    EXPECT_EQ(names(form.list()), std::vector<std::string>{"A"});
}

TEST_F(SignatureWindow, PasteNeedsACopyHereAndAddsABlockToAnEmptyList) {
    EXPECT_EQ(form.focus(), SignatureFocus::AddButton);
    auto enabled = [this](const char* name) {
        const platform::Menu menu = form.popupMenu();
        return platform::findMenuEntry(menu, name)->enabled;
    };
    EXPECT_FALSE(enabled("popCopySignature"));
    EXPECT_FALSE(enabled("popPasteSignature"));
    EXPECT_FALSE(enabled("popPrintSignature"));
    fake.system.setClipboardText("-- from elsewhere");
    fake.dialogs.inputAnswers = {platform::InputBoxResult{"Work", ""}};
    ASSERT_TRUE(form.pasteAt(0));
    EXPECT_EQ(names(form.list()), std::vector<std::string>{"Work"});
    EXPECT_EQ(form.editorText(), "-- from elsewhere");
    EXPECT_TRUE(enabled("popCopySignature"));
    EXPECT_FALSE(enabled("popPasteSignature"));
    form.setEditorText("Ann\r\nLee");
    form.copyClick();
    EXPECT_EQ(fake.system.clipboardText(), "Ann\r\nLee");
    EXPECT_TRUE(enabled("popPasteSignature"));
    form.pasteAt(5);  // after "Ann\r\n"
    EXPECT_EQ(form.editorText(), "Ann\r\nAnn\r\nLeeLee");
}

TEST_F(SignatureWindow, AFailedWriteKeepsTheChangesToWriteAgain) {
    form.open("Work", dir / "missing-folder" / "Work.sig");
    fake.dialogs.inputAnswers = {platform::InputBoxResult{"A", ""}};
    ASSERT_TRUE(form.addClick());
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(form.changed());
    fs::create_directory(dir / "missing-folder");
    EXPECT_FALSE(form.close());
    EXPECT_EQ(names(readSignatureFile(dir / "missing-folder" / "Work.sig")),
              std::vector<std::string>{"A"});
}

// Compose windows of the edited profile follow the signature window.
class SignaturesInComposeWindows : public ::testing::Test {
  protected:
    SignaturesInComposeWindows() {
        host.addProfile();
        profiles::TUsersObjListBox other;
        other.profileName = "Home";
        other.fromAddress = "ann@home.example";
        host.profileLists.append(other);
    }
    TcomposeForm& open() {
        TcomposeForm* w = windows.openNew();
        EXPECT_NE(w, nullptr);
        fake.clock.advance(platform::Milliseconds{60});
        return *w;
    }
    testing::TempDir home;
    testing::FakePlatform fake;
    testing::FakeComposeHost host{fake, home.path()};
    ComposeWindows windows{fake, home.path(), host};
};

TEST_F(SignaturesInComposeWindows, EditsReachTheWindowsOfThatProfileAndKeepTheirChoice) {
    ASSERT_FALSE(writeSignatureFile(home / "Work.sig", threeBlocks(1)));
    TcomposeForm& work = open();
    TcomposeForm& home2 = open();
    home2.changeProfile("Home");
    ASSERT_EQ(work.chosenSignature(), 1);
    const std::string body = work.body();

    TsignatureForm* shown = nullptr;
    windows.signatureForm().setView([&](TsignatureForm& form) {
        shown = &form;
        EXPECT_EQ(form.caption(), "Signature Blocks For [Work]");
        form.select(2);
        form.setEditorText("-- c, changed");
        form.rankKey(RankKey::Home, true);  // C first: C A B
        fake.dialogs.answers = {Answer::Yes};
        form.select(1);
        form.deleteClick();  // A: C B
        EXPECT_EQ(work.chosenSignature(), 1);
        EXPECT_EQ(work.signatureText(), "-- b");
        fake.dialogs.inputAnswers = {platform::InputBoxResult{"D", ""}};
        form.addClick();  // C B D
        form.setEditorText("-- d");
    });
    windows.openSignatureEditor("Work");
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(names(work.signatureChoice()), (std::vector<std::string>{"C", "B", "D"}));
    EXPECT_EQ(work.signatureChoice().blocks[0].block.text, "-- c, changed");
    EXPECT_EQ(work.signatureChoice().blocks[2].block.text, "-- d");
    EXPECT_EQ(work.chosenSignature(), 1);
    EXPECT_EQ(work.body(), body);
    EXPECT_TRUE(home2.signatureChoice().blocks.empty());
    const SignatureList saved = readSignatureFile(home / "Work.sig");
    EXPECT_EQ(names(saved), (std::vector<std::string>{"C", "B", "D"}));
    EXPECT_EQ(saved.defaultPosition, 2);

    // Deleting a window's chosen block chooses the first; deleting them all empties the choice.
    windows.signatureForm().setView([&](TsignatureForm& form) {
        fake.dialogs.answers = {Answer::Yes, Answer::Yes, Answer::Yes};
        form.select(1);
        form.deleteClick();
        EXPECT_EQ(work.chosenSignature(), 0);
        EXPECT_EQ(work.signatureText(), "-- c, changed");
        form.deleteClick();
        form.deleteClick();
    });
    windows.openSignatureEditor("Work");
    EXPECT_TRUE(work.signatureChoice().blocks.empty());
    EXPECT_EQ(work.chosenSignature(), -1);
    EXPECT_FALSE(fs::exists(home / "Work.sig"));
}

TEST_F(SignaturesInComposeWindows, AnotherProfilesEditorLeavesTheActiveBlocksForNewWindows) {
    ASSERT_FALSE(writeSignatureFile(home / "Work.sig", threeBlocks()));
    windows.signatureForm().setView([&](TsignatureForm& form) {
        EXPECT_EQ(form.caption(), "Signature Blocks For [Home]");
        fake.dialogs.inputAnswers = {platform::InputBoxResult{"Casual", ""}};
        form.addClick();
        form.setEditorText("-- ann");
        // A mail-to hand-over opens a window meanwhile: it takes the active profile's blocks
        // and leaves the ones being edited alone.
        TcomposeForm* handedOver = windows.openNew(std::string("bob@x.org"));
        ASSERT_NE(handedOver, nullptr);
        EXPECT_EQ(names(handedOver->signatureChoice()), (std::vector<std::string>{"A", "B", "C"}));
        EXPECT_EQ(names(form.list()), std::vector<std::string>{"Casual"});
    });
    windows.openSignatureEditor("Home");
    EXPECT_EQ(readSignatureFile(home / "Home.sig").blocks.at(0).block.text, "-- ann");
    EXPECT_EQ(windows.signatureForm().profileName(), "Work");
    TcomposeForm& w = open();
    EXPECT_EQ(names(w.signatureChoice()), (std::vector<std::string>{"A", "B", "C"}));
}

TEST_F(SignaturesInComposeWindows, UpdateMasterReachesTheOtherWindowsOfTheProfile) {
    ASSERT_FALSE(writeSignatureFile(home / "Work.sig", threeBlocks()));
    TcomposeForm& first = open();
    TcomposeForm& second = open();
    TcomposeForm& edited = open();
    edited.editSignatureText("-- a, new");
    second.editSignatureText("-- typed here");
    edited.updateMasterSignature();
    EXPECT_FALSE(edited.signatureEdited());
    EXPECT_EQ(first.signatureText(), "-- a, new");
    EXPECT_EQ(second.signatureText(), "-- typed here");  // its own edit stays
    EXPECT_EQ(readSignatureFile(home / "Work.sig").blocks[0].block.text, "-- a, new");
}

TEST(SignatureWindowInMainWindow, TheUsersPageOpensItForTheSelectedProfile) {
    testing::TempDir home;
    testing::writeFile(home / "ENGLISH.DCT", "word\r\n");
    testing::writeFile(home / "master.usr", "46\r\nWork");
    testing::writeFile(home / "Work.usr", "46\r\nWork\r\n\r\nAnn Lee\r\nann@example.org");
    testing::FakePlatform fake;
    core::TmainForm form(fake.platform(), home.path(), core::parseCommandLine({}),
                         core::ScreenSize{1024, 768});
    form.FormCreate();
    fake.clock.advance(platform::Milliseconds{1100});
    std::vector<std::string> captions;
    setSignatureWindowView([&](TsignatureForm& f) {
        captions.push_back(f.caption());
        fake.dialogs.inputAnswers = {platform::InputBoxResult{"Short", ""}};
        f.addClick();
    });
    ASSERT_NE(form.configForm(), nullptr);
    EXPECT_FALSE(form.configForm()->users().signatureMarked());
    form.configForm()->users().signatureClick();
    setSignatureWindowView(nullptr);
    EXPECT_EQ(captions, std::vector<std::string>{"Signature Blocks For [Work]"});
    EXPECT_TRUE(fs::exists(home / "Work.sig"));
    EXPECT_TRUE(form.configForm()->users().signatureMarked());
}

}  // namespace
}  // namespace velmora::compose
