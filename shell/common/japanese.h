#pragma once

// Qt's own texts in Japanese. The program's windows carry their Japanese
// texts themselves; what Qt supplies (the file, font and colour dialogs, the
// はい/いいえ of a question, the date pop-up's month heading) follows Qt's
// translations and the default locale.

class QApplication;
class QCalendarWidget;

namespace velm {

// Before the application is made: dates that Qt formats in the system's
// locale (the times of files in the file dialog) in Japanese, unless the
// user's environment names a locale for everything (LC_ALL) or for times.
void preferJapaneseTimes();

// The Japanese locale for dates and calendars, Qt's Japanese translations
// ("qtbase_ja" from Qt's translations folder), and Qt's own dialogs instead
// of the desktop's, which would speak the desktop's language. False when the
// translations could not be loaded: the program still runs, with Qt's
// dialogs in English.
bool installJapanese(QApplication &app);

// The month heading of a calendar in Japanese order and form, "2024年3月":
// the year (with 年) before the month.
void japaneseMonthHeading(QCalendarWidget *calendar);

} // namespace velm
