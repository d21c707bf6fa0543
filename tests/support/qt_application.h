// The one QApplication of a widget test program, created on first use (offscreen unless the
// environment names a platform) and never destroyed: tearing it down during static destruction,
// after Qt's plugins are gone, crashes. It carries the program's icon, so pictures show it.
#pragma once

#include <QApplication>

#include "desktop/app_icon.h"

namespace velmora::testing {

inline QApplication& testApplication() {
    static int argc = 1;
    static char name[] = "velmora_widget_tests";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* application = [] {
        auto* created = new QApplication(argc, argv);
        created->setWindowIcon(desktop::applicationIcon());  // as the program does
        return created;
    }();
    return *application;
}

}  // namespace velmora::testing
