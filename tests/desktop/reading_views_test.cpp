// Smoke test of the folder window and read window widgets offscreen, on a small home folder: the
// list shows the rows with their looks, a click previews the message after 350 ms, Enter opens a
// read window with its tabs. With VELMORA_SCREENSHOT_DIR set it saves pictures of both windows
// there (docs/folder-window.png and docs/read-window.png are made this way).
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>

#include "desktop/folder_window_view.h"
#include "desktop/main_window.h"
#include "desktop/read_window_view.h"
#include "reading/read_window.h"
#include "reading/read_windows.h"
#include "support/fake_platform.h"
#include "support/qt_application.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::desktop {
namespace {

// The views carry no Q_OBJECT of their own, so they are found by their C++ type.
template <typename View>
View* findView(QWidget* parent) {
    for (QWidget* widget : parent->findChildren<QWidget*>())
        if (auto* view = dynamic_cast<View*>(widget)) return view;
    return nullptr;
}

// The controls a screen reader or an AT-SPI test tool needs to find by name.
void expectAccessibleNames(QWidget* view) {
    for (QWidget* widget : view->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractItemView*>(widget) ||
                             qobject_cast<QPlainTextEdit*>(widget) ||
                             qobject_cast<QTabWidget*>(widget);
        if (!control || widget->objectName().startsWith(QStringLiteral("qt_"))) continue;
        if (auto* header = qobject_cast<QHeaderView*>(widget); header && header->isHidden())
            continue;
        EXPECT_FALSE(widget->accessibleName().isEmpty())
            << widget->metaObject()->className() << " " << widget->objectName().toStdString();
    }
}

void saveScreenshot(QWidget& widget, const char* name) {
    if (const char* dir = std::getenv("VELMORA_SCREENSHOT_DIR"))
        widget.grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') +
                           QString::fromLatin1(name));
}

TEST(ReadingViews, FolderWindowPreviewsAndOpensAReadWindow) {
    testing::testApplication();
    registerFolderWindowView();
    registerReadWindowView();
    testing::TempDir home;
    testing::writeFile(home / "ENGLISH.DCT", "x");
    testing::writeFile(home / "master.usr", "46\r\nHome");
    testing::writeFile(home / "Home.usr", "46\r\nHome");
    struct Arrival {
        const char* fileName;
        const char* sender;
        const char* subject;
        const char* date;
        const char* status;
        std::vector<std::string> body;
        std::vector<std::pair<std::string, std::string>> attachments;
        mime::TCharSet charSet = mime::TCharSet::csUSASCII;
    };
    const Arrival arrivals[] = {
        {"2026.12.08.09.12.03.101",
         "Ann Lee",
         "Quarterly report",
         "Tue, 8 Dec 2026 09:12:03 +0100",
         "R O r f A N",
         {"Hello Dana,", "", "the figures for the quarter are attached."},
         {{"report.txt", "Revenue up 4 %."}}},
        {"2026.12.09.14.40.51.202",
         "Bob Stone",
         "Re: lunch on Friday",
         "Wed, 9 Dec 2026 14:40:51 +0100",
         "U O r f a H",
         {"Friday at noon suits me.", "", "Bob"},
         {}},
        {"2026.12.10.08.05.17.303",
         "Cy Marsh",
         "Minutes of the board meeting",
         "Thu, 10 Dec 2026 08:05:17 +0100",
         "U O r f a N",
         {"Dear all,", "", "please find the minutes below.", "", "1. Budget approved.",
          "2. Next meeting on 14 January."},
         {}},
        // Written in ISO-8859-1, and in UTF-8 under no declared character set.
        {"2026.12.10.10.20.00.404",
         "Ren\xE9 Dupont",
         "R\xE9union \xE0 Z\xFCrich",
         "Thu, 10 Dec 2026 10:20:00 +0100",
         "U O r f a N",
         {"Bonjour Dana,", "", "la r\xE9union de lundi a lieu \xE0 Z\xFCrich, Caf\xE9 M\xFCller.",
          "Gr\xFC\xDF"
          "e aus K\xF6ln \xB7 \xA9 2026"},
         {},
         mime::TCharSet::csISO8859},
        {"2026.12.10.11.45.00.505",
         "Юлия Петрова",
         "Привет — 日本語 €",
         "Thu, 10 Dec 2026 11:45:00 +0100",
         "U O r f a N",
         {"Добрый день, Dana!", "",
          "こんにちは · Grüß"
          "e · café € 5"},
         {}},
    };
    for (const Arrival& arrival : arrivals) {
        velmora::testing::MessageSample sample;
        sample.fileName = arrival.fileName;
        sample.senderName = arrival.sender;
        sample.senderAddress = std::string(arrival.fileName).substr(20) + "@example.org";
        sample.subject = arrival.subject;
        sample.date = arrival.date;
        sample.status = arrival.status;
        sample.body = arrival.body;
        sample.attachments = arrival.attachments;
        sample.charSet = arrival.charSet;
        sample.to = {{"Dana Home", "dana@example.org"}};
        velmora::testing::storeMessage(home / "InBox.000", sample);
    }
    testing::FakePlatform fake;
    core::TmainForm model(fake.platform(), home.path(), {}, {1280, 1024});
    MainWindow window(model);
    model.FormCreate();
    window.showFrame();
    window.resize(1000, 640);
    fake.clock.advance(platform::Milliseconds{100});
    QApplication::processEvents();

    reading::TinboxForm& inbox = model.openFolderWindow("InBox", true);
    inbox.setState(platform::WindowState::Maximized);
    model.folderWindowChanged(inbox);
    QApplication::processEvents();
    auto* mdi = window.findChild<QMdiArea*>();
    ASSERT_NE(mdi, nullptr);
    auto* view = findView<FolderWindowView>(mdi->activeSubWindow());
    ASSERT_NE(view, nullptr);
    QTableView* list = view->list();
    ASSERT_EQ(list->model()->rowCount(), 5);
    auto rowOf = [&](const QString& subjectStart) {
        for (int row = 0; row < list->model()->rowCount(); ++row)
            if (list->model()->index(row, 2).data().toString().startsWith(subjectStart)) return row;
        return -1;
    };
    // Subjects and names read in their character sets.
    ASSERT_GE(rowOf(QStringLiteral("Réunion à Zürich")), 0);
    ASSERT_GE(rowOf(QStringLiteral("Привет — 日本語 €")), 0);
    EXPECT_EQ(list->accessibleName(), QStringLiteral("Messages"));
    expectAccessibleNames(view);
    // The list keeps the shared height when the window grows: the room goes to the preview.
    auto* splitter = view->findChild<QSplitter*>(QStringLiteral("splitterPreview"));
    ASSERT_NE(splitter, nullptr);
    const int listHeight = splitter->sizes().value(0);
    window.resize(1200, 900);
    QApplication::processEvents();
    EXPECT_EQ(splitter->sizes().value(0), listHeight);
    // Unread rows are bold; the high-priority one is drawn in its colour.
    const int bob = rowOf(QStringLiteral("Re: lunch"));
    EXPECT_TRUE(list->model()->index(bob, 2).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_EQ(list->model()->index(bob, 2).data(Qt::ForegroundRole).value<QColor>(),
              QColor(255, 0, 0));

    // A click on a row previews it 350 ms later.
    const int latin1 = rowOf(QStringLiteral("Réunion"));
    list->selectionModel()->setCurrentIndex(
        list->model()->index(latin1, 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QApplication::processEvents();
    fake.clock.advance(platform::Milliseconds{350});
    QApplication::processEvents();
    auto* preview = view->findChild<QPlainTextEdit*>(QStringLiteral("richEditPreview"));
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->toPlainText().contains(QStringLiteral("Subject: Réunion à Zürich")))
        << preview->toPlainText().toStdString();
    EXPECT_TRUE(preview->toPlainText().contains(QStringLiteral("Grüße aus Köln · © 2026")));
    // Focus that comes with the window marks nothing read: four rows stay unread.
    EXPECT_EQ(inbox.statusCountsText(), "Total [InBox] Messages 5/4 Unread");
    saveScreenshot(window, "folder-window.png");

    // Home and End go to the first and the last message, not along the columns, and select it:
    // the message shown is the one a Delete takes. Shift+End selects down to the last.
    for (const auto& [key, row] : {std::pair{Qt::Key_End, 4}, std::pair{Qt::Key_Home, 0}}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(list, &press);
        QApplication::processEvents();
        EXPECT_EQ(list->currentIndex().row(), row);
        EXPECT_EQ(inbox.currentRow(), row);
        EXPECT_EQ(inbox.selectedRows(), std::vector<int>{row});
    }
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(list, &down);
    QKeyEvent shiftEnd(QEvent::KeyPress, Qt::Key_End, Qt::ShiftModifier);
    QApplication::sendEvent(list, &shiftEnd);
    QApplication::processEvents();
    EXPECT_EQ(list->currentIndex().row(), 4);
    EXPECT_EQ(inbox.selectedRows(), (std::vector<int>{1, 2, 3, 4}));

    // A click on a row cut off at the bottom of a short list selects that row, though the list
    // scrolls it into view while the click is handled.
    const int rowHeight = list->rowHeight(0);
    const int header = list->horizontalHeader()->height();
    inbox.host().setFolderListHeight(header + rowHeight * 5 / 2 + 2 * list->frameWidth());
    model.folderWindowChanged(inbox);
    QApplication::processEvents();
    list->scrollToTop();
    QApplication::processEvents();
    const QRect cut = list->visualRect(list->model()->index(2, 1));
    ASSERT_GT(cut.bottom(), list->viewport()->height());
    const QPoint at(cut.center().x(), cut.top() + 2);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent click(type, at, list->viewport()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &click);
        QApplication::processEvents();
    }
    EXPECT_EQ(list->currentIndex().row(), 2);
    EXPECT_EQ(inbox.currentRow(), 2);
    EXPECT_EQ(inbox.selectedRows(), std::vector<int>{2});
    ASSERT_EQ(list->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(list->selectionModel()->selectedRows().front().row(), 2);

    // Enter opens the row in a read window with its four tabs.
    const int first = rowOf(QStringLiteral("Quarterly"));
    list->selectionModel()->setCurrentIndex(
        list->model()->index(first, 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QApplication::processEvents();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(list, &enter);
    QApplication::processEvents();
    ASSERT_NE(mdi->activeSubWindow(), nullptr);
    auto* read = findView<ReadWindowView>(mdi->activeSubWindow());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(mdi->activeSubWindow()->windowTitle(),
              QStringLiteral("Read 1/1 [InBox 1/5] [Quarterly report]"));
    expectAccessibleNames(read);
    auto* tabs = read->findChild<QTabWidget*>(QStringLiteral("tabsRead"));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Full Headers"));
    EXPECT_EQ(tabs->tabText(3), QStringLiteral("Attachments [1]"));
    EXPECT_EQ(tabs->currentIndex(), 1);
    auto* text = read->findChild<QPlainTextEdit*>(QStringLiteral("richEditNormalHeaders"));
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->toPlainText().contains(QStringLiteral("the figures for the quarter")));
    tabs->setCurrentIndex(3);
    QApplication::processEvents();
    auto* files = read->findChild<QListWidget*>(QStringLiteral("lvAttachments"));
    ASSERT_NE(files, nullptr);
    ASSERT_EQ(files->count(), 1);
    EXPECT_TRUE(files->item(0)->text().endsWith(QStringLiteral(".att.report.txt")));

    // The UTF-8 message in a read window of its own, maximized for the picture.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(files, &escape);
    QApplication::processEvents();
    reading::TreadForm* utf8 = reading::openReadWindow(inbox, rowOf(QStringLiteral("Привет")));
    ASSERT_NE(utf8, nullptr);
    QApplication::processEvents();
    auto* utf8View = findView<ReadWindowView>(mdi->activeSubWindow());
    ASSERT_NE(utf8View, nullptr);
    // It opened on the Attachments page, the page chosen last; the text is one tab away.
    EXPECT_EQ(utf8->page(), reading::ReadPage::Attachments);
    utf8View->findChild<QTabWidget*>(QStringLiteral("tabsRead"))->setCurrentIndex(1);
    QApplication::processEvents();
    auto* utf8Text = utf8View->findChild<QPlainTextEdit*>(QStringLiteral("richEditNormalHeaders"));
    EXPECT_TRUE(utf8Text->toPlainText().contains(QStringLiteral("こんにちは · Grüße · café € 5")))
        << utf8Text->toPlainText().toStdString();
    EXPECT_TRUE(
        mdi->activeSubWindow()->windowTitle().endsWith(QStringLiteral("[Привет — 日本語 €]")));
    mdi->activeSubWindow()->showMaximized();
    QApplication::processEvents();
    saveScreenshot(window, "read-window.png");

    model.FormCloseQuery();
    model.FormClose();
}

}  // namespace
}  // namespace velmora::desktop
