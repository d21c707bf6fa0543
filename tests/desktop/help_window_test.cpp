// The help window, offscreen: the topic asked for is shown among the file's topics, a topic the
// file lacks shows the first with a note, and a missing file is told to the caller.
#include "desktop/help_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>

#include "support/qt_application.h"
#include "support/temp_dir.h"

namespace velmora::desktop {
namespace {

TEST(HelpWindow, ShowsTheTopicAskedForAndSaysWhenItIsMissing) {
    testing::testApplication();
    testing::TempDir dir;
    QtHelp help;
    help.setHelpFile(dir / "Velmora.hlp");
    EXPECT_EQ(help.showTopic(100), platform::HelpOutcome::NoHelpFile);
    EXPECT_EQ(help.window(), nullptr);

    testing::writeFile(dir / "Velmora.hlp",
                       "#100 Contents\n<b>not markup</b>\n#5150 Поиск\nFind text.\n");
    ASSERT_EQ(help.showTopic(5150), platform::HelpOutcome::Shown);
    HelpWindow* window = help.window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->shownTopic(), 5150);
    EXPECT_EQ(window->findChild<QListWidget*>(QStringLiteral("lstTopics"))->count(), 2);
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("lblTopicTitle"))->text(),
              QStringLiteral("Поиск"));
    EXPECT_TRUE(window->findChild<QLabel*>(QStringLiteral("lblTopicNote"))->isHidden());

    ASSERT_EQ(help.showTopic(4242), platform::HelpOutcome::Shown);
    EXPECT_EQ(help.window(), window) << "one window, reused";
    EXPECT_EQ(window->shownTopic(), 100);
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("lblTopicNote"))->text(),
              QStringLiteral("Topic 4242 is not in the help file."));
    EXPECT_EQ(window->findChild<QPlainTextEdit*>(QStringLiteral("txtTopic"))->toPlainText(),
              QStringLiteral("<b>not markup</b>"));
    delete window;

    testing::writeFile(dir / "Velmora.hlp", "no topics at all\n");
    EXPECT_EQ(help.showTopic(100), platform::HelpOutcome::Unreadable);
}

}  // namespace
}  // namespace velmora::desktop
