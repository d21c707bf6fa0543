#include "ui/qt/application.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QStatusBar>

#include "base/identity.h"
#include "ui/qt/qt_platform.h"

namespace velmora::ui::qt {

int runDesktop(QApplication& app) {
    app.setApplicationName(QString::fromLatin1(kVersionedName));
    QtPlatform platform;
    QMainWindow window;
    window.setWindowTitle(QString::fromLatin1(kVersionedName));
    window.setCentralWidget(new QMdiArea(&window));
    window.statusBar()->addWidget(new QLabel(&window));
    platform.dialogs().setParent(&window);
    window.resize(1000, 700);
    window.show();
    return app.exec();
}

}  // namespace velmora::ui::qt
