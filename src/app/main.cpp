// velmora: the desktop program.
#include <QApplication>

#include "ui/qt/application.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return velmora::ui::qt::runDesktop(app);
}
