#pragma once

// Marks of the moments where the schools of finding the ju (置閏, 拆補,
// 茅山) lay different hour charts: display only, for the calendar's hour
// rows and the heat map's cells. Worked out when a moment is first drawn and
// kept, so a redraw finds them at once.

#include <string>
#include <unordered_map>

#include <QColor>
#include <QString>

#include "engine/astro.h"
#include "engine/koyomi.h"
#include "output/listfile.h"

namespace velm {

// The colour of the mark: apart from the score colours and the term mark.
inline const QColor SchoolMarkColour{0xb0, 0x90, 0xe0};

// "流派で時盤が異なります：置閏 陽遁3局／拆補 陽遁9局／茅山 陽遁9局", or empty when
// the three agree or the options give the other schools no reading.
QString schoolDifference(const CivilTime &moment, const KoyomiOptions &options);

class SchoolMarks {
public:
    // Off, or with ten double-hours a ju, nothing is marked.
    void setOptions(const KoyomiOptions &options, bool shown);
    bool active() const { return m_active; }
    const QString &markOf(const CivilTime &moment) const;
    // A list row's moment (date and hour cells).
    const QString &markOf(const ListRow &row) const;

private:
    KoyomiOptions m_options;
    bool m_active = false;
    mutable std::unordered_map<std::string, QString> m_marks;
};

} // namespace velm
