// The splash window, offscreen: it is on screen with its name while the program starts, and it
// goes once the main window is shown.
#include "desktop/splash_window.h"

#include <gtest/gtest.h>

#include <QMainWindow>

#include "support/qt_application.h"

namespace velmora::desktop {
namespace {

TEST(SplashWindow, ShowsUntilTheMainWindowIsOnScreen) {
    testing::testApplication();
    std::unique_ptr<QSplashScreen> splash = showSplashWindow();
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(splash->accessibleName(), QStringLiteral("Velmora Pro 4.6 is starting"));
    EXPECT_FALSE(splash->pixmap().isNull());
    QMainWindow frame;
    frame.show();
    splash->finish(&frame);
    EXPECT_FALSE(splash->isVisible());
}

}  // namespace
}  // namespace velmora::desktop
