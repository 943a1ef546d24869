#pragma once

// The journal windows and the main window's commands for them: "記録" in the
// view menu, "記録に残す" from every chart window, charts reopened with an
// entry's own options, and the look-backs due, announced at start-up when
// the user asks for it.

namespace velm {

class AppSettings;
class TMainF;

void addJournalCommands(TMainF &main, AppSettings &settings);

} // namespace velm
