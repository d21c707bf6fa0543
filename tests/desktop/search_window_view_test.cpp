// Smoke test of the find window's widget offscreen over a folder window: its controls with
// their hints and accessible names, Enter in the text finds the hit, which the preview pane shows
// selected (byte offsets of the model mapped to the pane's characters), Escape hides the window.
#include "desktop/search_window_view.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "desktop/folder_window_view.h"
#include "desktop/main_window.h"
#include "support/fake_platform.h"
#include "support/qt_application.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"
#include "tools/search.h"

namespace velmora::desktop {
namespace {

template <typename View>
View* findView(QWidget* parent) {
    for (QWidget* widget : parent->findChildren<QWidget*>())
        if (auto* view = dynamic_cast<View*>(widget)) return view;
    return nullptr;
}

TEST(SearchWindowView, EnterFindsTheHitAndThePreviewShowsItSelected) {
    testing::testApplication();
    registerFolderWindowView();
    registerSearchWindowView();
    testing::TempDir home;
    testing::writeFile(home / "ENGLISH.DCT", "x");
    testing::writeFile(home / "master.usr", "46\r\nHome");  // no first-start configuration
    testing::writeFile(home / "Home.usr", "46\r\nHome");
    velmora::testing::MessageSample sample;
    // Line breaks, two-byte, three-byte and four-byte characters before the hit: the pane counts
    // them differently from the model's bytes.
    sample.body = {"Добрый день 😀 — €5", "", "МОСКВА ждёт"};
    velmora::testing::storeMessage(home / "InBox.000", sample);

    testing::FakePlatform fake;
    core::TmainForm model(fake.platform(), home.path(), {}, {1280, 1024});
    MainWindow window(model);
    model.FormCreate();
    window.showFrame();
    window.resize(1000, 700);
    fake.clock.advance(platform::Milliseconds{100});
    reading::TinboxForm& inbox = model.openFolderWindow("InBox", true);
    QApplication::processEvents();

    ASSERT_TRUE(model.commands().run(tools::kFindCommand));
    QApplication::processEvents();
    tools::TsearchForm* search = tools::findSearchWindow(model);
    ASSERT_NE(search, nullptr);
    auto* mdi = window.findChild<QMdiArea*>();
    SearchWindowView* view = nullptr;
    for (QMdiSubWindow* frame : mdi->subWindowList())
        if (!view) view = findView<SearchWindowView>(frame);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isVisible());
    EXPECT_TRUE(view->parentWidget()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(view->parentWidget()->windowTitle(), QStringLiteral("Find Dialog"));

    for (QWidget* control : view->findChildren<QWidget*>()) {
        if (!qobject_cast<QAbstractButton*>(control) && !qobject_cast<QComboBox*>(control) &&
            !qobject_cast<QLineEdit*>(control))
            continue;
        if (control->objectName().startsWith(QStringLiteral("qt_"))) continue;
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
        EXPECT_FALSE(control->toolTip().isEmpty()) << control->objectName().toStdString();
    }
    auto* target = view->findChild<QComboBox*>(QStringLiteral("cboSearchTargetWindow"));
    ASSERT_NE(target, nullptr);
    ASSERT_EQ(target->count(), 3);
    EXPECT_EQ(target->itemText(2), QStringLiteral("All Open Mail Message Windows"));
    auto* reset = view->findChild<QPushButton*>(QStringLiteral("cmdReset"));
    ASSERT_NE(reset, nullptr);
    EXPECT_TRUE(reset->toolTip().contains(QLatin1Char('\n'))) << "the hint's two lines";
    auto* help = view->findChild<QPushButton*>(QStringLiteral("cmdHelp"));
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isEnabled()) << "a missing help file is said when it is pressed";
    EXPECT_FALSE(view->findChild<QPushButton*>(QStringLiteral("cmdNextMessage"))->isEnabled());

    auto* text = view->findChild<QLineEdit*>(QStringLiteral("txtSearchText"));
    ASSERT_NE(text, nullptr);
    // Typed as a keyboard with Cyrillic letters sends them (QTest types ASCII only).
    for (const QChar letter : QStringLiteral("москва")) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(letter));
        QApplication::sendEvent(text, &press);
    }
    EXPECT_EQ(search->searchText(), "москва");
    QTest::keyClick(text, Qt::Key_Return);
    QApplication::processEvents();

    ASSERT_TRUE(inbox.previewSelection());
    auto* folderView = findView<FolderWindowView>(mdi);
    ASSERT_NE(folderView, nullptr);
    EXPECT_EQ(folderView->preview()->textCursor().selectedText(), QStringLiteral("МОСКВА"));
    EXPECT_TRUE(fake.dialogs.texts("information").empty()) << "no end message";

    // Clicking a check box sets the option in the model.
    auto* wholeWords = view->findChild<QCheckBox*>(QStringLiteral("chkWholeWords"));
    ASSERT_NE(wholeWords, nullptr);
    wholeWords->click();
    EXPECT_TRUE(search->wholeWords());
    EXPECT_TRUE(text->hasFocus()) << "the check box gives the focus back to the text";

    QTest::keyClick(view, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(search->visible());
    EXPECT_FALSE(view->parentWidget()->isVisible());
    EXPECT_TRUE(std::filesystem::exists(home / "search.cfg"));
}

}  // namespace
}  // namespace velmora::desktop
