// velmora: the desktop program.
#include <QApplication>

#include "desktop/application.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return velmora::desktop::runDesktop(app);
}
