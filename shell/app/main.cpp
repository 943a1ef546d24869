// velm: the desktop program.

#include <QApplication>

#include "shell/app/app.h"
#include "shell/app/japanese.h"

int main(int argc, char **argv)
{
    velm::preferJapaneseTimes();
    QApplication app(argc, argv);
    return velm::runVelm(app);
}
