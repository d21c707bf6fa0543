#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/main_form.h"
#include "platform/menu.h"
#include "profiles/settings.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"
#include "tools/tips_form.h"
#include "tools/tips_of_the_day.h"

namespace velmora::tools {
namespace {

using testing::FakePlatform;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

const int kLastTip = static_cast<int>(tipsOfTheDay().size()) - 1;

TEST(TipsOfTheDay, TheTurnGoesRoundAndSurvivesADamagedPosition) {
    struct Case {
        int from, next, previous;
    };
    for (const Case& c : std::vector<Case>{{0, 1, kLastTip},
                                           {5, 6, 4},
                                           {kLastTip, 0, kLastTip - 1},
                                           {kLastTip + 40, 0, kLastTip},
                                           {-3, 0, kLastTip}}) {
        EXPECT_EQ(nextTipPosition(c.from), c.next) << c.from;
        EXPECT_EQ(previousTipPosition(c.from), c.previous) << c.from;
    }
    for (std::string_view tip : tipsOfTheDay()) EXPECT_FALSE(tip.empty());
}

class TipsFormTest : public ::testing::Test {
  protected:
    TempDir home;
    FakePlatform fake;
    profiles::TipsSettings settings;
};

TEST_F(TipsFormTest, ShowsTheTipAfterTheOneShownLastAndWritesWhereTheUserLeftOff) {
    settings.lastTip = 3;
    TtipsForm form(fake.platform(), home.path(), settings);
    std::vector<int> seen;
    form.setView([&](TtipsForm& window) {
        seen.push_back(window.position());
        window.nextClick();
        window.nextClick();
        window.previousClick();
        seen.push_back(window.position());
        EXPECT_EQ(window.tipText(), tipsOfTheDay()[5]);
        EXPECT_TRUE(window.showAtStartup());
        window.setShowAtStartup(false);
        window.closeClick();
    });
    form.show();
    EXPECT_EQ(seen, (std::vector<int>{4, 5}));
    EXPECT_EQ(readFile(home / "tips.cfg"), "46\r\n5\r\nFALSE");
    EXPECT_EQ(settings, (profiles::TipsSettings{5, false}));

    // The next opening goes on from there; closing by the frame keeps the choices too.
    form.setView([&](TtipsForm& window) { seen.push_back(window.position()); });
    form.show();
    EXPECT_EQ(seen.back(), 6);
    EXPECT_EQ(profiles::loadTipsSettings(home.path()), (profiles::TipsSettings{6, false}));
}

TEST_F(TipsFormTest, AFailedWriteIsSaidAndNoWindowMeansNoChange) {
    TtipsForm form(fake.platform(), home / "gone", settings);
    form.show();  // no view registered: nothing shown
    EXPECT_EQ(settings, profiles::TipsSettings{});
    EXPECT_TRUE(fake.dialogs.shown.empty());

    form.setView([](TtipsForm& window) { window.closeClick(); });
    form.show();
    ASSERT_EQ(fake.dialogs.texts("warning").size(), 1u);
    EXPECT_EQ(fake.dialogs.texts("warning")[0].rfind("File I/O Error 9563\r", 0), 0u);
}

// The tips through the main window: at start-up and from the Help menu.
class MainWindowTipsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        writeFile(home / "ENGLISH.DCT", "word\r\n");
        writeFile(home / "master.usr", "46\r\nHome");
        writeFile(home / "Home.usr", "46\r\nHome");
        setTipsWindowView([this](TtipsForm& window) {
            shown.push_back(window.position());
            window.closeClick();
        });
    }
    void TearDown() override { setTipsWindowView(nullptr); }
    core::TmainForm& start(std::vector<std::string> args = {}) {
        form = std::make_unique<core::TmainForm>(fake.platform(), home.path(),
                                                 core::parseCommandLine(args),
                                                 core::ScreenSize{1024, 768});
        form->FormCreate();
        fake.clock.advance(platform::Milliseconds{100});
        EXPECT_TRUE(form->started());
        return *form;
    }

    TempDir home;
    FakePlatform fake;
    std::unique_ptr<core::TmainForm> form;
    std::vector<int> shown;
};

TEST_F(MainWindowTipsTest, StartUpShowsTheNextTipUnlessSwitchedOffOrAskedToWriteMail) {
    core::TmainForm& f = start();
    EXPECT_EQ(shown, std::vector<int>{1});
    const platform::Menu bar = f.menuBar();
    const platform::MenuEntry* entry = platform::findMenuEntry(bar, "mnuHelp_TipOfTheDay");
    ASSERT_NE(entry, nullptr);
    ASSERT_TRUE(entry->enabled);
    entry->command();
    EXPECT_EQ(shown, (std::vector<int>{1, 2}));
    form.reset();

    start({"mailto:ann@example.com"});
    EXPECT_EQ(shown.size(), 2u) << "a mail-to start goes straight to the message";
    form.reset();

    writeFile(home / "tips.cfg", "46\r\n2\r\nFALSE\r\n");
    start();
    EXPECT_EQ(shown.size(), 2u);
}

}  // namespace
}  // namespace velmora::tools
