// The splash window shown while the program starts: the program's envelope, its name and
// version. It goes when the main window is on screen.
#pragma once

#include <QSplashScreen>
#include <memory>

namespace velmora::desktop {

std::unique_ptr<QSplashScreen> showSplashWindow();

}  // namespace velmora::desktop
