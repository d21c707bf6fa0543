// Smoke test of the picture viewer's widget offscreen in the main window: its controls carry
// accessible names, choosing a picture in the list shows it fitted (its colours on screen),
// Page Down shows the next one, and "Fit To Window" off shows the picture at actual size.
#include "desktop/picture_viewer_view.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollArea>
#include <QTest>

#include "desktop/main_window.h"
#include "support/fake_platform.h"
#include "support/jpeg_samples.h"
#include "support/qt_application.h"
#include "support/temp_dir.h"
#include "tools/picture_viewer.h"

namespace velmora::desktop {
namespace {

template <typename W>
W* child(QWidget* parent, const char* name) {
    W* widget = parent->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

TEST(PictureViewerView, ShowsTheChosenPictureFittedAndAtActualSize) {
    testing::testApplication();
    registerPictureViewerView();
    testing::TempDir home;
    testing::writeFile(home / "ENGLISH.DCT", "x");
    testing::writeFile(home / "master.usr", "46\r\nHome");  // no first-start configuration
    testing::writeFile(home / "Home.usr", "46\r\nHome");
    std::filesystem::create_directory(home / "Attach");
    testing::writeFile(home / "Attach" / "a-red.jpg",
                       testing::makeJpeg({.width = 2400, .height = 1600}));
    testing::writeFile(
        home / "Attach" / "b-blue.jpg",
        testing::makeJpeg({.width = 60, .height = 40, .red = 20, .green = 40, .blue = 220}));

    testing::FakePlatform fake;
    core::TmainForm model(fake.platform(), home.path(), {}, {1280, 1024});
    MainWindow window(model);
    model.FormCreate();
    window.showFrame();
    window.resize(1100, 800);
    fake.clock.advance(platform::Milliseconds{100});
    ASSERT_TRUE(model.commands().run(tools::kPictureViewerCommand));
    QApplication::processEvents();
    tools::TpictureViewerForm* viewer = tools::findPictureViewer(model);
    ASSERT_NE(viewer, nullptr);
    PictureViewerView* view = window.findChild<PictureViewerView*>();
    ASSERT_NE(view, nullptr);
    view->parentWidget()->resize(900, 600);
    QApplication::processEvents();

    for (QWidget* control : view->findChildren<QWidget*>()) {
        if (control->objectName().startsWith(QStringLiteral("qt_")) ||
            !(qobject_cast<QAbstractButton*>(control) || qobject_cast<QComboBox*>(control) ||
              qobject_cast<QListWidget*>(control) || qobject_cast<QLabel*>(control) ||
              qobject_cast<PictureCanvas*>(control)))
            continue;
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
    }
    auto* places = child<QComboBox>(view, "cboPlaces");
    EXPECT_EQ(places->itemText(0), QStringLiteral("Attach"));
    EXPECT_EQ(places->currentIndex(), 0);
    auto* pictures = child<QListWidget>(view, "lstPictures");
    ASSERT_EQ(pictures->count(), 2);
    EXPECT_EQ(child<QListWidget>(view, "lstFolders")->item(0)->text(), QStringLiteral(".."));

    pictures->setCurrentRow(0);
    QApplication::processEvents();
    auto* canvas = child<PictureCanvas>(view, "imgPicture");
    ASSERT_FALSE(canvas->image().isNull());
    // Fitted: decoded smaller than its 2400 x 1600, shown within the area, its colour on screen.
    EXPECT_LT(canvas->image().width(), 2400);
    const QRect shown = canvas->pictureRect();
    EXPECT_LE(shown.width(), canvas->width());
    EXPECT_NEAR(shown.width() * 1600.0 / shown.height(), 2400.0, 24.0);
    const QColor left =
        canvas->grab().toImage().pixelColor(shown.left() + shown.width() / 4, shown.center().y());
    EXPECT_NEAR(left.red(), 200, 16);
    EXPECT_NEAR(left.green(), 30, 16);
    EXPECT_EQ(child<QLabel>(view, "lblStatus")->text(),
              QString::fromStdString(viewer->statusLine()));
    EXPECT_TRUE(
        child<QLabel>(view, "lblStatus")->text().startsWith("a-red.jpg  2400 x 1600 pixels"));

    QTest::keyClick(pictures, Qt::Key_PageDown);
    QApplication::processEvents();
    EXPECT_EQ(viewer->selectedPicture(), 1);
    EXPECT_EQ(pictures->currentRow(), 1);
    EXPECT_EQ(canvas->image().size(), QSize(60, 40));
    // A small picture is not enlarged to the area.
    EXPECT_EQ(canvas->pictureRect().size(), QSize(60, 40));

    QTest::keyClick(pictures, Qt::Key_PageUp);
    QApplication::processEvents();
    EXPECT_EQ(viewer->selectedPicture(), 0);
    child<QAction>(view, "chkFitToWindow")->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(viewer->fitToWindow());
    EXPECT_FALSE(child<QScrollArea>(view, "scrPicture")->widgetResizable());
    EXPECT_EQ(canvas->image().size(), QSize(2400, 1600));
    EXPECT_EQ(canvas->size(), QSize(2400, 1600));
    EXPECT_FALSE(child<QAction>(view, "chkFitToWindow")->isChecked());

    model.FormCloseQuery();
    model.FormClose();
}

}  // namespace
}  // namespace velmora::desktop
