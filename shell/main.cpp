// velm: the desktop program.

#include <QApplication>

#include "shell/app.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    return velm::runVelm(app);
}
