#pragma once

// Reading what the user typed into the small entry fields of the run dialogs
// (the search, the chart-data list, the quick search, the calendar, the
// chart-data files), with the program's own message when it will not do.

#include <optional>
#include <string_view>

#include <QString>
#include <QStringList>

#include "engine/astro.h"
#include "shell/settings/appsettings.h"

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QWidget;

namespace velm {

// A framed group of radio buttons named "<name>" (the frame and the button
// group both) with buttons "<name>_<i>",
// item i having id i, laid out `columns` to a row, item `checked` checked.
struct RadioGroup {
    QGroupBox *box = nullptr;
    QButtonGroup *group = nullptr;
};
RadioGroup makeRadioGroup(QWidget *parent, const QString &name, const QString &caption, const QStringList &items,
                          int columns, int checked);

// The captions of a table of texts, in order.
template <typename Texts>
QStringList captionList(const Texts &texts)
{
    QStringList out;
    for (std::string_view text : texts)
        out << QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return out;
}

// A field for a whole-number limit: right-aligned, nine digits at most.
QLineEdit *makeLimitEdit(QWidget *parent, const char *objectName, const QString &text);

// The text of a number field as typed; full-width digits, as an input method
// gives them, read as the digits they are.
QString typedNumber(const QLineEdit *edit);

// A limit of 0 or more from `edit`; otherwise says "『…』は、<caption>として正しく
// ありません。…", puts the cursor on the field with its text selected, and
// gives nothing.
std::optional<qint64> readLimit(QWidget *parent, QLineEdit *edit, const QString &caption);

// Whether the time zone of the settings was read as a number; otherwise says
// so, naming the stored text, and gives false.
bool checkTimeZone(QWidget *parent, const EngineOptions &options);

} // namespace velm
