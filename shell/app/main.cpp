// velm: the desktop program.

#include <string_view>

#include <QApplication>

#include "engine/textfile.h"
#include "shell/app/app.h"
#include "shell/common/japanese.h"

int main(int argc, char **argv)
{
    velm::preferJapaneseTimes();
    // Ended by a signal while saving, it leaves no temporary file behind.
    velm::removeTemporariesOnSignals();
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        // --help and --version answer in a terminal without any display.
        if (a == "--help" || a == "-h" || a == "--version") {
            QCoreApplication app(argc, argv);
            return velm::answerWithoutWindows(app);
        }
        // An export shows no window: it needs no display either.
        if ((a == "--export" || a.starts_with("--export=")) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    return velm::runVelm(app);
}
