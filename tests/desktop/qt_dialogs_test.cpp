// Smoke test of the platform's own dialogs on Qt, offscreen: the input box and the three-button
// message window carry accessible names, show their texts as plain text and give back what was
// typed or pressed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "desktop/qt_platform.h"
#include "support/qt_application.h"

namespace velmora::desktop {
namespace {

// Runs `act` on the modal dialog once it is open.
void whenModalOpens(std::function<void(QWidget&)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        act(*dialog);
    });
}

TEST(QtDialogs, TheInputBoxNamesItsFieldsAndGivesBackWhatWasTyped) {
    testing::testApplication();
    QtDialogs dialogs;
    const platform::InputBoxRequest request{"Log-in <alice>",
                                            {"Account for <b>alice</b>", "alice", false},
                                            platform::InputField{"Password", "", true}};
    whenModalOpens([](QWidget& dialog) {
        EXPECT_EQ(dialog.accessibleName(), QStringLiteral("Log-in <alice>"));
        for (const char* name : {"inputFirst", "inputSecond", "inputOk", "inputCancel"}) {
            auto* control = dialog.findChild<QWidget*>(QString::fromLatin1(name));
            ASSERT_NE(control, nullptr) << name;
            EXPECT_FALSE(control->accessibleName().isEmpty()) << name;
        }
        for (auto* label : dialog.findChildren<QLabel*>())
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
        auto* first = dialog.findChild<QLineEdit*>(QStringLiteral("inputFirst"));
        auto* second = dialog.findChild<QLineEdit*>(QStringLiteral("inputSecond"));
        EXPECT_EQ(first->text(), QStringLiteral("alice"));
        EXPECT_EQ(second->echoMode(), QLineEdit::Password);
        first->setText(QStringLiteral("Jörg"));
        second->setText(QStringLiteral("secret"));
        dialog.findChild<QPushButton*>(QStringLiteral("inputOk"))->click();
    });
    const auto typed = dialogs.inputBox(request);
    ASSERT_TRUE(typed);
    EXPECT_EQ(typed->first, "Jörg");
    EXPECT_EQ(typed->second, "secret");

    whenModalOpens([](QWidget& dialog) {
        dialog.findChild<QPushButton*>(QStringLiteral("inputCancel"))->click();
    });
    EXPECT_FALSE(dialogs.inputBox({"Name", {"Name", "", false}, std::nullopt}));
}

TEST(QtDialogs, TheThreeButtonWindowAnswersByButtonAndByKey) {
    testing::testApplication();
    QtDialogs dialogs;
    const platform::MsgFormRequest request{
        "Delete?", {"Delete <i>this</i>?"}, true, true, "&Delete All"};
    whenModalOpens([](QWidget& dialog) {
        EXPECT_EQ(dialog.accessibleName(), QStringLiteral("Delete?"));
        for (auto* button : dialog.findChildren<QPushButton*>())
            EXPECT_FALSE(button->accessibleName().isEmpty()) << button->text().toStdString();
        for (auto* label : dialog.findChildren<QLabel*>())
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
        QTest::keyClick(&dialog, Qt::Key_D);
    });
    EXPECT_EQ(dialogs.msgForm(request), platform::kMsgFormDelete);
    whenModalOpens([](QWidget& dialog) {
        for (auto* button : dialog.findChildren<QPushButton*>())
            if (button->accessibleName() == QStringLiteral("Yes")) button->click();
    });
    EXPECT_EQ(dialogs.msgForm(request), platform::kMsgFormYes);
}

TEST(QtDialogs, TheStatusWindowShowsItsLinesAsPlainTextUnderItsCaption) {
    testing::testApplication();
    QtDialogs dialogs;
    dialogs.showStatus("Searching", {"Folder <InBox>", "12 found", "", ""});
    QWidget* status = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->accessibleName() == QStringLiteral("Searching")) status = w;
    ASSERT_NE(status, nullptr);
    auto* first = status->findChild<QLabel*>(QStringLiteral("line0"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->text(), QStringLiteral("Folder <InBox>"));
    EXPECT_EQ(first->textFormat(), Qt::PlainText);
    dialogs.hideStatus();
    EXPECT_FALSE(status->isVisible());
}

}  // namespace
}  // namespace velmora::desktop
