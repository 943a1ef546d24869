#pragma once

// The windows made at start beside the main window, and what joins them to it.

#include <memory>

namespace velm {

class AppSettings;
class TMainF;
class TSysF;

struct StartWindows {
    std::unique_ptr<TSysF> sys;
    ~StartWindows();
};

// Creates the system settings window and connects the main window's
// commands for it and for the special characters.
std::unique_ptr<StartWindows> makeStartWindows(TMainF &main, AppSettings &settings);

} // namespace velm
