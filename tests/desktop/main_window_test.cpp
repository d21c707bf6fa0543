// Smoke test of the main window's widget offscreen: it renders the model's frame, tree, status
// panels and child windows, and forwards tree commands. With VELMORA_SCREENSHOT_DIR set it also
// saves a picture of the window there (docs/main-window.png is made this way).
#include "desktop/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTreeWidget>

#include "desktop/floating_tips.h"
#include "desktop/folder_window_view.h"
#include "support/fake_platform.h"
#include "support/qt_application.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::desktop {
namespace {

QApplication& application() {
    return testing::testApplication();
}

TEST(MainWindow, RendersTheModelAndItsChildWindows) {
    application();
    registerFolderWindowView();
    testing::TempDir home;
    testing::writeFile(home / "ENGLISH.DCT", "x");
    // One profile, so that start-up opens no modal configuration window.
    testing::writeFile(home / "master.usr", "46\r\nHome");
    testing::writeFile(home / "Home.usr", "46\r\nHome");
    std::filesystem::create_directories(home / "Work.001");
    // Three messages in InBox, without an index: the window rebuilds it on opening.
    const struct {
        const char* fileName;
        const char* sender;
        const char* address;
        const char* subject;
        const char* date;
    } arrivals[] = {
        {"2026.12.08.09.12.03.101", "Ann Lee", "ann@example.org", "Quarterly report",
         "Tue, 8 Dec 2026 09:12:03 +0100"},
        {"2026.12.09.14.40.51.202", "Bob Stone", "bob@example.org", "Re: lunch on Friday",
         "Wed, 9 Dec 2026 14:40:51 +0100"},
        {"2026.12.10.08.05.17.303", "Cy Marsh", "cy@example.org", "Minutes of the board meeting",
         "Thu, 10 Dec 2026 08:05:17 +0100"},
    };
    for (const auto& arrival : arrivals) {
        velmora::testing::MessageSample sample;
        sample.fileName = arrival.fileName;
        sample.senderName = arrival.sender;
        sample.senderAddress = arrival.address;
        sample.subject = arrival.subject;
        sample.date = arrival.date;
        sample.to = {{"Dana Home", "dana@example.org"}};
        velmora::testing::storeMessage(home / "InBox.000", sample);
    }
    testing::FakePlatform fake;
    core::TmainForm model(fake.platform(), home.path(), {}, {1280, 1024});
    MainWindow window(model);
    model.FormCreate();
    window.showFrame();
    fake.clock.advance(platform::Milliseconds{100});
    QApplication::processEvents();

    EXPECT_EQ(window.windowTitle(), QStringLiteral("Velmora Pro 4.6"));
    auto* tree = window.findChild<QTreeWidget*>(QStringLiteral("TMailTree"));
    ASSERT_NE(tree, nullptr);
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree->topLevelItem(0);
    EXPECT_EQ(root->text(0), QStringLiteral("Velmora"));
    ASSERT_EQ(root->childCount(), 6);
    EXPECT_EQ(root->child(0)->text(0), QStringLiteral("Drafts"));
    EXPECT_EQ(root->child(5)->text(0), QStringLiteral("Work"));

    model.openFolderWindow("Work", true);
    QApplication::processEvents();
    auto* mdi = window.findChild<QMdiArea*>();
    ASSERT_NE(mdi, nullptr);
    EXPECT_EQ(mdi->subWindowList().size(), 2);
    ASSERT_NE(mdi->activeSubWindow(), nullptr);
    EXPECT_EQ(mdi->activeSubWindow()->windowTitle(), QStringLiteral("Work   Message 0/0"));
    auto* list = mdi->activeSubWindow()->findChild<QTableView*>(QStringLiteral("lvMail"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->model()->columnCount(), 6);
    EXPECT_EQ(list->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Size KB"));

    model.closeChild(*model.findChild("InBox.Work"));
    QApplication::processEvents();
    EXPECT_EQ(mdi->subWindowList().size(), 1);
    auto* inbox = mdi->subWindowList()[0]->findChild<QTableView*>(QStringLiteral("lvMail"));
    ASSERT_NE(inbox, nullptr);
    ASSERT_EQ(inbox->model()->rowCount(), 3);
    QStringList subjects;
    for (int row = 0; row < 3; ++row) subjects << inbox->model()->index(row, 2).data().toString();
    EXPECT_TRUE(subjects.contains(QStringLiteral("Re: lunch on Friday")))
        << subjects.join(", ").toStdString();

    // With a profile, the mail buttons are there to use.
    for (const char* button : {"cmdTBCompose", "cmdTBCount", "cmdTBMessages"}) {
        auto* action = window.findChild<QAction*>(QString::fromLatin1(button));
        ASSERT_NE(action, nullptr) << button;
        EXPECT_TRUE(action->isEnabled()) << button;
    }

    if (const char* dir = std::getenv("VELMORA_SCREENSHOT_DIR")) {
        window.resize(1000, 640);
        QApplication::processEvents();
        window.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/main-window.png"));
    }
    model.FormCloseQuery();
    model.FormClose();
}

// A main window with one profile, shown offscreen; messages are stored before start().
class ShownMainWindow : public ::testing::Test {
  protected:
    ShownMainWindow() {
        application();
        registerFolderWindowView();
        testing::writeFile(home / "ENGLISH.DCT", "x");
        testing::writeFile(home / "master.usr", "46\r\nHome");
        testing::writeFile(home / "Home.usr", "46\r\nHome");
    }
    ~ShownMainWindow() override {
        if (!model) return;
        model->FormCloseQuery();
        model->FormClose();
    }
    MainWindow& start() {
        model = std::make_unique<core::TmainForm>(
            fake.platform(), home.path(), core::StartRequest{}, core::ScreenSize{1280, 1024});
        window = std::make_unique<MainWindow>(*model);
        model->FormCreate();
        window->showFrame();
        fake.clock.advance(platform::Milliseconds{100});
        QApplication::processEvents();
        return *window;
    }

    testing::TempDir home;
    testing::FakePlatform fake;
    std::unique_ptr<core::TmainForm> model;
    std::unique_ptr<MainWindow> window;  // goes before the model it shows
};

TEST_F(ShownMainWindow, EditMenuCopiesFromTheFocusedPaneAndFillTakesTheWholeArea) {
    velmora::testing::MessageSample sample;
    sample.subject = "Grüße aus Köln";
    velmora::testing::storeMessage(home / "InBox.000", sample);
    MainWindow& window = start();
    reading::TinboxForm& inbox = model->openFolderWindow("InBox", true);
    inbox.clickRow(0);
    fake.clock.advance(platform::Milliseconds{350});
    QApplication::processEvents();
    auto* mdi = window.findChild<QMdiArea*>();
    ASSERT_NE(mdi->activeSubWindow(), nullptr);
    auto* preview =
        mdi->activeSubWindow()->findChild<QPlainTextEdit*>(QStringLiteral("richEditPreview"));
    ASSERT_NE(preview, nullptr);
    QApplication::setActiveWindow(&window);
    preview->setFocus();
    preview->selectAll();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), preview);

    ASSERT_FALSE(preview->toPlainText().isEmpty());
    const std::optional<core::FocusedText> field = window.focusedText();
    ASSERT_TRUE(field.has_value());
    EXPECT_TRUE(field->hasSelection);
    EXPECT_TRUE(field->readOnly);
    const platform::Menu bar = model->menuBar();
    EXPECT_FALSE(platform::findMenuEntry(bar, "mnuEdit_Cut")->enabled);
    const platform::MenuEntry* copy = platform::findMenuEntry(bar, "mnuEdit_Copy");
    ASSERT_TRUE(copy->enabled);
    copy->command();
    EXPECT_TRUE(QApplication::clipboard()->text().contains(QStringLiteral("Grüße aus Köln")));

    mdi->activeSubWindow()->showMaximized();
    platform::findMenuEntry(model->menuBar(), "mnuWindow_Fill")->command();
    QApplication::processEvents();
    EXPECT_FALSE(mdi->activeSubWindow()->isMaximized());
    EXPECT_EQ(mdi->activeSubWindow()->geometry(), mdi->viewport()->rect());
}

// A new compose window fills the client area; restored, it cascades from the window that was
// current rather than covering it.
TEST_F(ShownMainWindow, ANewComposeWindowFillsTheAreaAndRestoresCascaded) {
    MainWindow& window = start();
    model->openFolderWindow("InBox", true);
    QApplication::processEvents();
    auto* mdi = window.findChild<QMdiArea*>();
    QMdiSubWindow* inbox = mdi->currentSubWindow();
    ASSERT_NE(inbox, nullptr);
    model->commands().run("compose.new");
    QApplication::processEvents();
    QMdiSubWindow* compose = mdi->currentSubWindow();
    ASSERT_NE(compose, inbox);
    EXPECT_TRUE(compose->isMaximized());
    const auto* composeModel = model->children().front().get();
    EXPECT_EQ(composeModel->kind(), "Compose");
    EXPECT_EQ(composeModel->state(), platform::WindowState::Maximized);
    compose->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(compose->pos(), inbox->pos() + QPoint(24, 24));
    EXPECT_TRUE(mdi->viewport()->rect().contains(compose->geometry())) << "wholly in the area";
}

TEST_F(ShownMainWindow, KeyPanelsFollowCapsLockAndTheInsertToggle) {
    MainWindow& window = start();
    auto* pane = new QPlainTextEdit(&window);
    pane->show();
    QApplication::setActiveWindow(&window);
    pane->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), pane);
    auto press = [&](Qt::Key key, const QString& text, Qt::KeyboardModifiers modifiers = {}) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(pane, &event);
    };
    using core::StatusPanel;
    press(Qt::Key_A, QStringLiteral("A"));  // a capital without Shift
    EXPECT_EQ(model->statusPanel(StatusPanel::Caps), " CAP");
    EXPECT_EQ(model->statusPanel(StatusPanel::Insert), " INS");
    press(Qt::Key_A, QStringLiteral("A"), Qt::ShiftModifier);
    EXPECT_EQ(model->statusPanel(StatusPanel::Caps), " cap");
    press(Qt::Key_Insert, QString());
    EXPECT_TRUE(pane->overwriteMode());
    EXPECT_EQ(model->statusPanel(StatusPanel::Insert), "OVR");
    press(Qt::Key_Insert, QString());
    EXPECT_EQ(model->statusPanel(StatusPanel::Insert), " INS");
}

TEST(MainWindow, FloatingTipsSwitchedOffShowNoTipAndOnTakeTheirDuration) {
    application();
    FloatingTipsFilter::State state{false, 8000};
    FloatingTipsFilter tips(nullptr, [&state] { return state; });
    qApp->installEventFilter(&tips);
    QWidget widget;
    widget.setToolTip(QStringLiteral("Trashcan"));
    auto sendTipEvent = [&widget] {
        QHelpEvent event(QEvent::ToolTip, QPoint(1, 1), QPoint(1, 1));
        return QApplication::sendEvent(&widget, &event);
    };
    EXPECT_TRUE(sendTipEvent()) << "taken by the filter";
    EXPECT_EQ(widget.toolTipDuration(), -1);
    state = {true, 3000};
    sendTipEvent();
    EXPECT_EQ(widget.toolTipDuration(), 3000);
    qApp->removeEventFilter(&tips);
}

}  // namespace
}  // namespace velmora::desktop
