#pragma once

// The people chosen as "going" in the people window, as every window that
// judges directions for them reads it: the chart windows mark the palaces
// bad for them, and the search, the calendar, the heat map and the
// direction map can leave those directions out. One list for the run, set
// by the people window (and at start-up from "VELM.db").

#include <vector>

#include <QObject>
#include <QString>
#include <QStringList>

#include "evaluation/ninestar.h"

namespace velm {

struct GoingPerson {
    QString name;
    int honmei = 0;   // 本命星, nine-star value 0..8
    int getsumei = 0; // 月命星
};

class GoingPeople : public QObject {
    Q_OBJECT
public:
    static GoingPeople &instance();

    const std::vector<GoingPerson> &people() const { return m_people; }
    bool empty() const { return m_people.empty(); }
    void set(std::vector<GoingPerson> people);

    // "花子・太郎" (empty without people).
    QString names() const;
    // What the walks leave out for them.
    PeopleExclusion exclusion(bool alsoYearMonth) const;

signals:
    void changed();

private:
    std::vector<GoingPerson> m_people;
};

// The hint lines of a palace bad for some of the people on a chart of `kind`:
// "【凶方位】花子：五黄殺・本命殺" one per person it is bad for; and the signs
// (五 暗 本 的 破) of every reason it is bad for anyone, in their order.
struct PalaceMarks {
    QString signs;
    QStringList hintLines;
};
PalaceMarks palaceMarks(const std::vector<GoingPerson> &people, const std::array<std::uint8_t, 9> &nineStars,
                        int branch, int kind, int palace);

} // namespace velm
