#pragma once

// The windows made at start beside the main window, and what joins them to it.

#include <memory>

namespace velm {

class AppSettings;
class TMainF;
class TSysF;
class TTeiiF;
class TTeii2F;
class TAboutBox;
class TMsgF;
class TSuuF;
class TSenF;
class TCaleF;
class THeatF;
class TSetuF;

struct StartWindows {
    std::unique_ptr<TSysF> sys;
    std::unique_ptr<TTeiiF> teii;
    std::unique_ptr<TTeii2F> teii2;
    std::unique_ptr<TAboutBox> about;
    std::unique_ptr<TMsgF> message;
    std::unique_ptr<TSetuF> setu;  // the three master-data editors
    std::unique_ptr<TSuuF> suu;
    std::unique_ptr<TSenF> sen;
    // A window of its own beside the main window, not inside it.
    std::unique_ptr<TCaleF> calendar;
    std::unique_ptr<THeatF> heat;
    ~StartWindows();
};

// Creates the system settings window and connects the main window's
// commands for it and for the special characters.
std::unique_ptr<StartWindows> makeStartWindows(TMainF &main, AppSettings &settings);

// Once the main window is shown with its moment: the calendar when the
// settings ask for it at start.
void showStartWindowsAfterMain(StartWindows &windows, TMainF &main, AppSettings &settings);

} // namespace velm
