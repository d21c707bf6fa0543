// Offscreen smoke tests of the retrieval widgets: each renders its model, forwards the user's
// actions to it, and names every control for screen readers. With VELMORA_SCREENSHOT_DIR set the
// retrieve-headers window is also saved there as a picture (docs/retrieve-headers.png).
#include "desktop/retrieval/retrieval_views.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include "desktop/app_icon.h"
#include "desktop/main_window.h"
#include "desktop/retrieval/filters_window_view.h"
#include "desktop/retrieval/headers_window_view.h"
#include "desktop/retrieval/new_mail_signals.h"
#include "desktop/retrieval/progress_box_view.h"
#include "retrieval/rules.h"
#include "support/fake_platform.h"
#include "support/qt_application.h"
#include "support/temp_dir.h"

namespace velmora::desktop {
namespace {

// Every control a user can reach carries an accessible name.
void expectAccessibleNames(QWidget& root) {
    for (QWidget* w : root.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
                             qobject_cast<QLineEdit*>(w) || qobject_cast<QProgressBar*>(w) ||
                             (qobject_cast<QAbstractItemView*>(w) && !w->inherits("QHeaderView"));
        if (!control || w->parent() == nullptr || w->inherits("QComboBoxListView") ||
            w->inherits("QTableCornerButton"))
            continue;
        if (w->objectName().startsWith(QStringLiteral("qt_"))) continue;
        EXPECT_FALSE(w->accessibleName().isEmpty())
            << w->objectName().toStdString() << " " << w->metaObject()->className();
    }
}

retrieval::HeadersRow headersRow(int serverIndex, const char* subject, const char* size) {
    retrieval::HeadersRow row;
    row.serverIndex = serverIndex;
    row.columns = {"Ret & Del",
                   std::to_string(serverIndex + 1),
                   size,
                   subject,
                   "Ann <a@x.org>",
                   "Bob <b@x.org>",
                   "12/10/2026"};
    return row;
}

TEST(RetrievalViews, HeadersWindowShowsTheRowsAndForwardsKeysSortingAndButtons) {
    testing::testApplication();
    testing::TempDir home;
    testing::FakePlatform fake;
    int executed = 0;
    retrieval::TheadersForm model(fake.platform(), home.path(),
                                  {[] { return false; }, [] {}, [&] { ++executed; }});
    model.addRow(headersRow(0, "first", "12"));
    model.addRow(headersRow(1, "second", "3"));
    model.addRow(headersRow(2, "<b>third</b>", "100"));
    model.fetchFinished();
    HeadersWindowView view(model, nullptr);
    view.resize(700, 300);
    view.show();
    auto* list = view.findChild<QTableWidget*>(QStringLiteral("lvHeaders"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->rowCount(), 3);
    EXPECT_EQ(list->item(2, 3)->text(), QStringLiteral("<b>third</b>")) << "shown as it came";
    EXPECT_TRUE(view.findChild<QRadioButton*>(QStringLiteral("optRetDel"))->isChecked());

    QTest::keyClick(list, Qt::Key_H);  // Hold for the selected row (the first)
    EXPECT_EQ(model.rows()[0].action, retrieval::ServerAction::Hold);
    EXPECT_EQ(list->item(0, 0)->text(), QStringLiteral("Hold"));
    EXPECT_TRUE(view.findChild<QRadioButton*>(QStringLiteral("optHold"))->isChecked());

    // Size KB sorts by number: 3, 12, 100; the rows keep their server messages.
    list->horizontalHeader()->sectionClicked(2);
    EXPECT_EQ(list->item(0, 3)->text(), QStringLiteral("second"));
    EXPECT_EQ(list->item(2, 3)->text(), QStringLiteral("<b>third</b>"));
    EXPECT_EQ(model.rows()[0].serverIndex, 1);

    if (const char* dir = std::getenv("VELMORA_SCREENSHOT_DIR"))
        view.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/retrieve-headers.png"));
    view.findChild<QPushButton*>(QStringLiteral("cmdExecute"))->click();
    EXPECT_EQ(executed, 1);
    model.clearRows();
    view.refreshFromModel();
    EXPECT_EQ(list->rowCount(), 0);
    EXPECT_FALSE(view.findChild<QPushButton*>(QStringLiteral("cmdExecute"))->isEnabled());

    expectAccessibleNames(view);
}

TEST(RetrievalViews, NarrowRecordedBoundsNeverCutTheHeadersWindowsCaptionsShort) {
    testing::testApplication();
    testing::TempDir home;
    testing::FakePlatform fake;
    retrieval::TheadersForm model(fake.platform(), home.path(),
                                  {[] { return false; }, [] {}, [] {}});
    QMdiArea area;
    area.resize(900, 600);
    auto* frame = new QMdiSubWindow;
    frame->setWidget(new HeadersWindowView(model, frame));
    area.addSubWindow(frame);
    area.show();
    frame->show();
    setFrameBounds(*frame, {10, 10, 300, 200});
    QApplication::processEvents();
    EXPECT_EQ(frame->pos(), QPoint(10, 10));
    for (QAbstractButton* button : frame->findChildren<QAbstractButton*>()) {
        if (button->parent() == frame) continue;  // the frame's own title buttons
        EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
    }
}

TEST(RetrievalViews, RulesWindowAddsRulesAndTheReorderWindowWritesTheNewOrder) {
    testing::testApplication();
    testing::TempDir home;
    std::filesystem::create_directories(home / "InBox.000");
    std::filesystem::create_directories(home / "Work.001");
    testing::FakePlatform fake;
    retrieval::RuleList rules;
    retrieval::TfiltersForm model(fake.platform(), home.path(), rules);
    FiltersWindowView view(model, nullptr);
    view.show();
    EXPECT_FALSE(view.findChild<QComboBox*>(QStringLiteral("cboFilterOn"))->isEnabled())
        << "no rule to set it for";
    fake.dialogs.inputAnswers.push_back(platform::InputBoxResult{"Newsletters", ""});
    fake.dialogs.inputAnswers.push_back(platform::InputBoxResult{"Boss", ""});
    auto* add = view.findChild<QPushButton*>(QStringLiteral("cmdAdd"));
    add->click();
    add->click();
    auto* list = view.findChild<QListWidget*>(QStringLiteral("lstFilters"));
    ASSERT_EQ(list->count(), 2);
    EXPECT_TRUE(view.findChild<QComboBox*>(QStringLiteral("cboFilterOn"))->isEnabled());
    EXPECT_TRUE(view.findChild<QLineEdit*>(QStringLiteral("txtFilterText"))->text().isEmpty())
        << "the prompt is the placeholder";
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("Boss"));
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(view.findChild<QComboBox*>(QStringLiteral("cboFilterAction"))->currentText(),
              QStringLiteral("Move to"));

    auto* text = view.findChild<QLineEdit*>(QStringLiteral("txtFilterText"));
    text->setText(QStringLiteral("boss@"));
    emit text->editingFinished();
    EXPECT_EQ(rules.rules[1].filterText, "boss@");
    list->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(rules.rules[0].enabled);

    retrieval::TorderFilterForm order(model);
    ReorderFiltersDialog dialog(order, &view);
    auto* up = dialog.findChild<QPushButton*>(QStringLiteral("cmdUp"));
    up->click();  // "Boss" (selected in the rules window) goes first
    expectAccessibleNames(dialog);
    dialog.findChild<QPushButton*>(QStringLiteral("cmdClose"))->click();
    EXPECT_EQ(rules.rules[0].description, "Boss");
    EXPECT_TRUE(std::filesystem::exists(home / retrieval::kRulesFile));
    expectAccessibleNames(view);
}

TEST(RetrievalViews, ProgressBoxFollowsItsModelAndCancelReachesTheSession) {
    testing::testApplication();
    retrieval::TretrieveHeadersDialogForm model;
    int cancelled = 0;
    model.onCancel = [&] { ++cancelled; };
    ProgressBoxView box(model, nullptr);
    EXPECT_FALSE(box.isVisible());
    model.start("Retrieving All Messages For [Home]");
    model.setUpperLine("Connecting to <pop.example.org>");
    model.setMessageCount(4);
    model.messageDone(1);
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Retrieving All Messages For [Home]"));
    EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("lblUpperStatus"))->text(),
              QStringLiteral("Connecting to <pop.example.org>"));
    EXPECT_EQ(box.findChild<QProgressBar*>(QStringLiteral("pbLower"))->value(), 500);
    box.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    EXPECT_EQ(cancelled, 1);
    expectAccessibleNames(box);
    model.close();
    EXPECT_FALSE(box.isVisible());
}

TEST(RetrievalViews, NewMailSignalsDoNothingHarmfulWithoutATray) {
    testing::testApplication();
    QWidget window;
    int restored = 0;
    QtNewMailSignals signals_(&window, [&] { ++restored; });
    platform::NewMailSignals lent = signals_.lend();
    // The offscreen platform has no tray: the icon stays hidden and the bubble has no route
    // there unless a notification service answers on the session bus.
    if (!lent.tray.available()) {
        lent.tray.show(platform::TrayPicture::Envelope, "Velmora Pro - 1 Message Waiting ");
        EXPECT_FALSE(lent.tray.visible());
    }
    // Both tray pictures exist without any icon theme.
    EXPECT_FALSE(applicationIcon().pixmap(22).isNull());
    EXPECT_FALSE(envelopeIcon(true).pixmap(22).isNull());
    lent.attention.startFlashing();
    EXPECT_TRUE(signals_.attention.flashing());
    lent.attention.stopFlashing();
    EXPECT_FALSE(signals_.attention.flashing());
    lent.notifier.notify("New Mail Notification", "You have mail waiting!",
                         platform::Milliseconds{2000});
    const QString route = signals_.notifier.lastRoute();
    EXPECT_TRUE(route.isEmpty() || route == QStringLiteral("dbus") ||
                route == QStringLiteral("tray"));
}

TEST(RetrievalViews, F2InTheTreeRenamesAndTheRulesWindowStaysInFront) {
    testing::testApplication();
    registerRetrievalViews();
    testing::TempDir home;
    testing::writeFile(home / "ENGLISH.DCT", "x");
    testing::writeFile(home / "master.usr", "46\r\nHome");
    testing::writeFile(home / "Home.usr", "46\r\nHome");
    std::filesystem::create_directories(home / "Work.001");
    testing::FakePlatform fake;
    core::TmainForm model(fake.platform(), home.path(), {}, {1280, 1024});
    MainWindow window(model);
    model.FormCreate();
    window.showFrame();
    fake.clock.advance(platform::Milliseconds{100});
    QApplication::processEvents();
    ASSERT_TRUE(model.commands().available("retrieve.headers")) << "F2 is a live shortcut";
    auto* tree = window.findChild<QTreeWidget*>(QStringLiteral("TMailTree"));
    QTreeWidgetItem* work = tree->topLevelItem(0)->child(5);
    ASSERT_EQ(work->text(0), QStringLiteral("Work"));
    window.activateWindow();
    tree->setFocus();
    tree->setCurrentItem(work);
    QTest::keyClick(tree, Qt::Key_F2);
    auto* editor = tree->viewport()->findChild<QLineEdit*>();
    ASSERT_TRUE(editor && editor->isVisible()) << "the label is being edited";
    EXPECT_EQ(model.findChild(retrieval::kHeadersWindowKey), nullptr);

    editor->setText(QStringLiteral("Projects"));
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(std::filesystem::is_directory(home / "Projects.001"));

    // The rules window stays in front of the other child windows.
    model.commands().run("rules.show");
    QApplication::processEvents();
    QMdiSubWindow* rules = nullptr;
    for (QMdiSubWindow* frame : window.findChild<QMdiArea*>()->subWindowList())
        if (dynamic_cast<FiltersWindowView*>(frame->widget())) rules = frame;
    ASSERT_NE(rules, nullptr);
    EXPECT_TRUE(rules->windowFlags() & Qt::WindowStaysOnTopHint);
    model.FormCloseQuery();
    model.FormClose();
}

}  // namespace
}  // namespace velmora::desktop
