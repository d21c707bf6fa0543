// The one QApplication of a widget test program, created on first use (offscreen unless the
// environment names a platform) and never destroyed: tearing it down during static destruction,
// after Qt's plugins are gone, crashes.
#pragma once

#include <QApplication>

namespace velmora::testing {

inline QApplication& testApplication() {
    static int argc = 1;
    static char name[] = "velmora_widget_tests";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}

}  // namespace velmora::testing
