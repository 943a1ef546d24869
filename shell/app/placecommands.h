#pragma once

// The place windows (the direction map and the place book) and the
// main window's commands for them, joined to the search, the heat map, the
// calendar and the chart windows.

namespace velm {

class AppSettings;
class TMainF;
struct StartWindows;
struct SearchWindows;

void addPlaceCommands(TMainF &main, StartWindows &windows, const SearchWindows &search, AppSettings &settings);

} // namespace velm
