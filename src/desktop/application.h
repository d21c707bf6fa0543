// Brings the desktop program up on a QApplication and runs its event loop until the main window
// closes. Returns the process exit status.
#pragma once

class QApplication;

namespace velmora::desktop {

int runDesktop(QApplication& app);

}  // namespace velmora::desktop
