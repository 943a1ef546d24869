#include "shell/startwindows.h"

#include "shell/app.h"
#include "shell/appsettings.h"
#include "shell/fixedviews.h"
#include "shell/gaiji.h"
#include "shell/mainwindow.h"
#include "shell/syssettings.h"
#include "shell/titlewindows.h"

namespace velm {

StartWindows::~StartWindows() = default;

std::unique_ptr<StartWindows> makeStartWindows(TMainF &main, AppSettings &settings)
{
    auto windows = std::make_unique<StartWindows>();
    windows->sys = std::make_unique<TSysF>(settings, &main);
    TSysF *sys = windows->sys.get();
    QObject::connect(sys, &TSysF::kcb1Changed, &main, &TMainF::setKCB1);
    QObject::connect(sys, &TSysF::settingsChanged, &main, &TMainF::refreshFromSettings);

    // In the order of the start: fixed positions, about, the solar terms, the notice window.
    windows->teii = std::make_unique<TTeiiF>(main.constData(), settings.store(), &main);
    windows->about = std::make_unique<TAboutBox>(QLatin1String(ApplicationTitle), settings.SetURL(), &main);
    windows->teii2 = std::make_unique<TTeii2F>(settings.store(), &main);
    windows->message = std::make_unique<TMsgF>(&main);
    TTeiiF *teii = windows->teii.get();
    TTeii2F *teii2 = windows->teii2.get();
    TAboutBox *about = windows->about.get();

    TMainF::Hooks hooks = main.hooks();
    hooks.showTeii = [teii, teii2] {
        for (QWidget *w : {static_cast<QWidget *>(teii), static_cast<QWidget *>(teii2)}) {
            w->show();
            w->raise();
        }
    };
    hooks.showAbout = [about] { about->exec(); };
    hooks.showSystemSettings = [sys] { sys->showSettings(); };
    hooks.showGaiji = [&main, &settings] {
        TGaijiF dialog(settings, &main);
        dialog.exec();
    };
    const auto previousClose = hooks.closeStartWindows;
    hooks.closeStartWindows = [sys, teii, teii2, previousClose] {
        if (sys->isVisible())
            sys->close();
        // Each stores its placement as it closes.
        if (teii->isVisible())
            teii->close();
        if (teii2->isVisible())
            teii2->close();
        if (previousClose)
            previousClose();
    };
    main.setHooks(std::move(hooks));
    return windows;
}

} // namespace velm
