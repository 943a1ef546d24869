#include "shell/startwindows.h"

#include "shell/gaiji.h"
#include "shell/mainwindow.h"
#include "shell/syssettings.h"

namespace velm {

StartWindows::~StartWindows() = default;

std::unique_ptr<StartWindows> makeStartWindows(TMainF &main, AppSettings &settings)
{
    auto windows = std::make_unique<StartWindows>();
    windows->sys = std::make_unique<TSysF>(settings, &main);
    TSysF *sys = windows->sys.get();
    QObject::connect(sys, &TSysF::kcb1Changed, &main, &TMainF::setKCB1);
    QObject::connect(sys, &TSysF::settingsChanged, &main, &TMainF::refreshFromSettings);

    TMainF::Hooks hooks = main.hooks();
    hooks.showSystemSettings = [sys] { sys->showSettings(); };
    hooks.showGaiji = [&main, &settings] {
        TGaijiF dialog(settings, &main);
        dialog.exec();
    };
    const auto previousClose = hooks.closeStartWindows;
    hooks.closeStartWindows = [sys, previousClose] {
        if (sys->isVisible())
            sys->close();
        if (previousClose)
            previousClose();
    };
    main.setHooks(std::move(hooks));
    return windows;
}

} // namespace velm
