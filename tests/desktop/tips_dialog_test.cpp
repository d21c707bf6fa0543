// Smoke test of the tip of the day window's widget, offscreen: every control is there with its
// accessible name, it shows the model's tip and switch, and the buttons reach the model.
#include "desktop/tips_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "desktop/text_convert.h"
#include "support/fake_platform.h"
#include "support/qt_application.h"
#include "support/temp_dir.h"
#include "tools/tips_of_the_day.h"

namespace velmora::desktop {
namespace {

TEST(TipsDialog, ShowsTheTipAndForwardsTheButtons) {
    testing::testApplication();
    testing::FakePlatform fake;
    testing::TempDir home;
    profiles::TipsSettings settings{0, true};
    tools::TtipsForm form(fake, home.path(), settings);
    form.setView([](tools::TtipsForm& f) {
        TipsDialog dialog(f, nullptr);
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Tip of the Day"));
        for (const char* name :
             {"lblHeading", "lblTip", "chkShowAtStartup", "cmdPrevious", "cmdNext", "cmdClose"}) {
            auto* widget = dialog.findChild<QWidget*>(QString::fromLatin1(name));
            ASSERT_NE(widget, nullptr) << name;
            EXPECT_FALSE(widget->accessibleName().isEmpty()) << name;
        }
        auto* tip = dialog.findChild<QLabel*>(QStringLiteral("lblTip"));
        auto* showAtStartup = dialog.findChild<QCheckBox*>(QStringLiteral("chkShowAtStartup"));
        EXPECT_EQ(tip->text(), toQt(std::string(tools::tipsOfTheDay()[1])));
        EXPECT_TRUE(showAtStartup->isChecked());
        dialog.findChild<QPushButton*>(QStringLiteral("cmdNext"))->click();
        EXPECT_EQ(tip->text(), toQt(std::string(tools::tipsOfTheDay()[2])));
        showAtStartup->click();
        dialog.findChild<QPushButton*>(QStringLiteral("cmdClose"))->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    });
    form.show();
    EXPECT_EQ(settings, (profiles::TipsSettings{2, false}));
}

}  // namespace
}  // namespace velmora::desktop
