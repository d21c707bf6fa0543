// Smoke test of the scratch pad's widget, offscreen: the editor shows the model's text in any
// script, typed keys mark the pad, keys with Alt and keys the edge guard holds back change
// nothing, Esc closes, the pop-up menu comes from the model; and in the main window a new pad
// fills the client area.
#include "desktop/scratch_pad_view.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>

#include "core/main_form.h"
#include "desktop/editor_text.h"
#include "desktop/main_window.h"
#include "support/fake_platform.h"
#include "support/qt_application.h"
#include "support/temp_dir.h"

namespace velmora::desktop {
namespace {

class FakePadHost final : public tools::ScratchPadHost {
  public:
    void showPad(platform::ChildWindow&) override {}
    void closePad(platform::ChildWindow& pad) override {
        if (pad.closeQuery()) ++closed;
    }
    void padChanged(platform::ChildWindow&) override { ++changes; }
    bool quietKeyboard() const override { return quiet; }
    const platform::Commands& commands() const override { return registered; }

    platform::Commands registered;
    bool quiet = false;
    int closed = 0;
    int changes = 0;
};

class ScratchPadViewTest : public ::testing::Test {
  protected:
    ScratchPadViewTest() { testing::testApplication(); }

    testing::TempDir home;
    testing::FakePlatform fake;
    FakePadHost host;
    tools::TscratchPadForm pad{fake.platform(), host, home.path(), "notes.txt"};
};

TEST_F(ScratchPadViewTest, ShowsTheTextAndMarksThePadOnTyping) {
    testing::writeFile(home / "notes.txt", "Grüße\r\nмир 世界\r\n");
    ASSERT_FALSE(pad.load(home / "notes.txt"));
    ScratchPadView view(pad, nullptr);
    view.show();
    QPlainTextEdit* edit = view.findChild<QPlainTextEdit*>(QStringLiteral("richEdit"));
    ASSERT_EQ(edit, view.editor());
    EXPECT_FALSE(edit->accessibleName().isEmpty());
    EXPECT_EQ(edit->toolTip(), QStringLiteral("Free form area for any kind of ascii text."));
    EXPECT_EQ(edit->toPlainText(), QString::fromUtf8("Grüße\nмир 世界"));

    edit->moveCursor(QTextCursor::End);
    QTest::keyClicks(edit, QString::fromUtf8("!ß"));
    EXPECT_EQ(pad.caption(), "notes.txt *");
    EXPECT_EQ(pad.text(), "Grüße\r\nмир 世界!ß");
    // A change the model makes (sorting) reaches the editor.
    fake.dialogs.answers.push_back(platform::Answer::Yes);
    pad.sortClick();
    view.refreshFromModel();
    EXPECT_EQ(edit->toPlainText(), QString::fromUtf8("grüße\nмир 世界!ß"));
}

TEST_F(ScratchPadViewTest, TheSelectionReachesTheModelWithItsPlaceInTheText) {
    testing::writeFile(home / "notes.txt", "Grüße\r\nмир wrod\r\nend");
    ASSERT_FALSE(pad.load(home / "notes.txt"));
    ScratchPadView view(pad, nullptr);
    view.show();
    QPlainTextEdit* edit = view.editor();
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(6);  // after the paragraph break: "мир wrod"
    cursor.setPosition(14, QTextCursor::KeepAnchor);
    edit->setTextCursor(cursor);
    EXPECT_EQ(pad.selectedText(), "мир wrod");
    ASSERT_EQ(pad.selectionStart(), std::string("Grüße\r\n").size());
    EXPECT_EQ(pad.text().substr(pad.selectionStart(), pad.selectedText().size()), "мир wrod");
    cursor.clearSelection();
    edit->setTextCursor(cursor);
    EXPECT_EQ(pad.selectedText(), "");
    EXPECT_EQ(pad.selectionStart(), platform::ChildWindow::kUnknownPlace);
}

TEST_F(ScratchPadViewTest, KeysWithAltAndKeysHeldAtTheEdgeChangeNothing) {
    ScratchPadView view(pad, nullptr);
    view.show();
    QPlainTextEdit* edit = view.editor();
    QTest::keyClick(edit, Qt::Key_X, Qt::AltModifier);
    EXPECT_EQ(edit->toPlainText(), QString());
    QTest::keyClick(edit, Qt::Key_Home);  // the start of an empty text
    QTest::keyClick(edit, Qt::Key_Shift);
    EXPECT_FALSE(pad.modified());
    host.quiet = true;
    QTest::keyClick(edit, Qt::Key_Home);
    EXPECT_TRUE(pad.modified()) << "with Quiet keyboard on, the key reaches the editor";
}

TEST_F(ScratchPadViewTest, TheEdgeGuardKnowsWhereTheCaretCannotMove) {
    QPlainTextEdit edit;
    edit.setPlainText(QStringLiteral("first\nmiddle\nlast"));
    edit.show();
    struct Case {
        const char* name;
        int position;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool blocked;
    };
    const Case cases[] = {
        {"Home at the start of a line", 6, Qt::Key_Home, Qt::NoModifier, true},
        {"Home inside a line", 8, Qt::Key_Home, Qt::NoModifier, false},
        {"End at the end of a line", 12, Qt::Key_End, Qt::NoModifier, true},
        {"Up on the first line", 3, Qt::Key_Up, Qt::NoModifier, true},
        {"Page Up on the first line", 3, Qt::Key_PageUp, Qt::NoModifier, true},
        {"Up on the second line", 8, Qt::Key_Up, Qt::NoModifier, false},
        {"Down on the last line", 15, Qt::Key_Down, Qt::NoModifier, true},
        {"Page Down above the last line", 8, Qt::Key_PageDown, Qt::NoModifier, false},
        {"Left at the very start", 0, Qt::Key_Left, Qt::NoModifier, true},
        {"Left after it", 1, Qt::Key_Left, Qt::NoModifier, false},
        {"Right at the very end", 17, Qt::Key_Right, Qt::NoModifier, true},
        {"Ctrl+Home on the first line", 3, Qt::Key_Home, Qt::ControlModifier, true},
        {"Ctrl+Home further down", 8, Qt::Key_Home, Qt::ControlModifier, false},
        {"Ctrl+End on the last line", 14, Qt::Key_End, Qt::ControlModifier, true},
        {"a letter", 0, Qt::Key_A, Qt::NoModifier, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTextCursor cursor = edit.textCursor();
        cursor.setPosition(c.position);
        edit.setTextCursor(cursor);
        const QKeyEvent key(QEvent::KeyPress, c.key, c.modifiers);
        EXPECT_EQ(keyBlockedAtEdge(&edit, &key), c.blocked);
    }
    // With a selection the key drops it, so it is never held back.
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(0);
    cursor.setPosition(3, QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
    const QKeyEvent left(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    EXPECT_FALSE(keyBlockedAtEdge(&edit, &left));
}

TEST_F(ScratchPadViewTest, EscClosesAndThePopUpMenuComesFromTheModel) {
    ScratchPadView view(pad, nullptr);
    view.show();
    QMenu menu;
    view.fillPopupMenu(menu);
    QStringList names;
    for (QAction* action : menu.actions()) {
        if (action->isSeparator()) continue;
        names << action->objectName();
        EXPECT_FALSE(action->text().isEmpty()) << action->objectName().toStdString();
    }
    EXPECT_TRUE(names.contains(QStringLiteral("popScratch_Sort")));
    EXPECT_TRUE(names.contains(QStringLiteral("popScratch_CloseWindow")));
    QTest::keyClick(view.editor(), Qt::Key_Escape);
    EXPECT_EQ(host.closed, 1);
}

TEST(ScratchPadInMainWindow, ANewPadFillsTheClientArea) {
    testing::testApplication();
    registerScratchPadView();
    testing::TempDir home;
    testing::writeFile(home / "ENGLISH.DCT", "x");
    testing::writeFile(home / "master.usr", "46\r\nHome");
    testing::writeFile(home / "Home.usr", "46\r\nHome");
    testing::FakePlatform fake;
    core::TmainForm model(fake.platform(), home.path(), {}, {1280, 1024});
    MainWindow window(model);
    model.FormCreate();
    window.showFrame();
    fake.clock.advance(platform::Milliseconds{100});
    QApplication::processEvents();

    fake.dialogs.inputAnswers.push_back(platform::InputBoxResult{"notes", ""});
    ASSERT_TRUE(model.commands().run("scratch.new"));
    QApplication::processEvents();
    QApplication::processEvents();
    auto* area = window.findChild<QMdiArea*>();
    ASSERT_NE(area, nullptr);
    QMdiSubWindow* frame = area->activeSubWindow();
    ASSERT_NE(frame, nullptr);
    auto* view = dynamic_cast<ScratchPadView*>(frame->widget());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("notes.txt"));
    EXPECT_EQ(frame->geometry(), area->viewport()->rect());
    QTest::keyClicks(view->editor(), QStringLiteral("x"));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("notes.txt *"));
    model.FormCloseQuery();
    model.FormClose();
    EXPECT_EQ(testing::readFile(home / "notes.txt"), "x\r\n");
}

}  // namespace
}  // namespace velmora::desktop
