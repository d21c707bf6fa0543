// Brings the desktop program up and runs its event loop until the main window closes. Returns
// the process exit status.
#pragma once

class QApplication;

namespace velmora::desktop {

int runDesktop(QApplication& app);
// The program's whole life from main(): the application object, then runDesktop.
int runDesktopProgram(int argc, char** argv);

}  // namespace velmora::desktop
