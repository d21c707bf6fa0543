// Smoke test of the read acknowledgement question's widget, offscreen: the texts, the profile
// choice and the four buttons with their names and accessible names; the focus on "&Cancel";
// a click answers and a changed profile choice reaches the model.
#include "desktop/compose/read_receipt_view.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "support/qt_application.h"

namespace velmora::desktop {
namespace {

using compose::ReadReceiptButton;

TEST(ReadReceiptView, ShowsTheFormAndAnswersWithTheButton) {
    testing::testApplication();
    compose::TreadReceiptForm form;
    form.fill({"Work", "Home"}, 1);
    ReadReceiptDialog dialog(nullptr, form);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Read Acknowledgement"));
    auto* profiles = dialog.findChild<QComboBox*>(QStringLiteral("cboUserToRespondWith"));
    ASSERT_NE(profiles, nullptr);
    EXPECT_EQ(profiles->accessibleName(), QStringLiteral("User to respond with"));
    EXPECT_EQ(profiles->count(), 2);
    EXPECT_EQ(profiles->currentIndex(), 1);
    for (const char* name : {"cmdYes", "cmdNo", "cmdLater", "cmdCancel"}) {
        auto* button = dialog.findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_FALSE(button->accessibleName().isEmpty()) << name;
    }
    bool labelled = false;
    for (auto* label : dialog.findChildren<QLabel*>())
        labelled |= label->text().startsWith(QStringLiteral("Sender is requesting"));
    EXPECT_TRUE(labelled);

    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_TRUE(dialog.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->hasFocus() ||
                    dialog.focusWidget() ==
                        dialog.findChild<QPushButton*>(QStringLiteral("cmdCancel")));
        profiles->setCurrentIndex(0);
        dialog.findChild<QPushButton*>(QStringLiteral("cmdYes"))->click();
    });
    dialog.exec();
    EXPECT_EQ(dialog.answer(), ReadReceiptButton::Yes);
    EXPECT_EQ(form.chosenProfile(), 0);
}

}  // namespace
}  // namespace velmora::desktop
