// velmora: the desktop program.
#include "desktop/application.h"

int main(int argc, char** argv) {
    return velmora::desktop::runDesktopProgram(argc, argv);
}
