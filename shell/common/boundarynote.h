#pragma once

// What the windows say about a moment near a boundary: the badge ("立春まで7分"),
// its hint with the boundary's exact time, and the boundary itself for the
// chart on its other side.

#include <string>
#include <unordered_map>

#include <QColor>
#include <QString>

#include "engine/boundaries.h"
#include "output/listfile.h"

namespace velm {

struct BoundaryNote {
    MomentBoundaries boundaries{};
    int index = -1; // the nearest boundary worth a warning, or -1
    QString badge;  // "立春から13分（簡略式の誤差を含む）"; empty when none is near
    QString hint;   // the boundary's exact time on the calendar clock, and why it matters

    bool isNear() const { return index >= 0; }
    const Boundary &boundary() const { return boundaries[static_cast<std::size_t>(index)]; }
};

// The note of a moment on the calendar clock; warnMinutes 0 gives none.
// termsOnly leaves out the double-hour changes and midnights (list rows, and
// the designated hour charts, laid at the start of their double-hours); else
// the boundary that matters to a chart of `kind` (-1: the moment as a whole).
BoundaryNote boundaryNote(const CivilTime &moment, const KoyomiOptions &options, int warnMinutes,
                          bool termsOnly = false, int kind = -1);

// "（簡略式の誤差を含む）" after the distance of a term of the short series.
QString boundaryBadge(const Boundary &b, Astronomy astronomy);

// The badge of the chart across a term, which shows the other side of it:
// "立春後として表示（実際は立春の27分前）".
QString otherSideBadge(const Boundary &b, Astronomy astronomy);

// Background of the date cell of a list row near a term.
inline const QColor BoundaryMarkColour{0xff, 0xd0, 0x90};

// Marks of list rows (date in column 1, hour in column 2, on the calendar
// clock) that lie near a term: display only, the rows stay as they are.
// Worked out when a row is first drawn and kept per moment.
class RowBoundaryMarks {
public:
    void setOptions(const KoyomiOptions &options, int warnMinutes);
    // The badge and hint of the row's moment, or an empty text.
    const QString &markOf(const ListRow &row) const;

private:
    KoyomiOptions m_options;
    int m_warnMinutes = 0;
    mutable std::unordered_map<std::string, QString> m_marks;
};

} // namespace velm
