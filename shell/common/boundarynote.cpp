#include "shell/common/boundarynote.h"

#include "shell/common/strings.h"

namespace velm {

QString boundaryBadge(const Boundary &b, Astronomy astronomy)
{
    QString badge = qs(boundaryDistanceText(b));
    if (b.kind == BoundaryKind::Term && astronomy == Astronomy::Short)
        badge += QStringLiteral("（簡略式の誤差を含む）");
    return badge;
}

QString otherSideBadge(const Boundary &b, Astronomy astronomy)
{
    const std::int64_t minutes = (std::llabs(b.seconds) + 30) / 60;
    QString badge = QStringLiteral("%1として表示（実際は%2の%3分%4")
                        .arg(qs(otherSideText(b)), qs(b.name))
                        .arg(minutes)
                        .arg(b.seconds > 0 ? QStringLiteral("前") : QStringLiteral("後"));
    if (astronomy == Astronomy::Short)
        badge += QStringLiteral("、簡略式の誤差を含む");
    return badge + QStringLiteral("）");
}

BoundaryNote boundaryNote(const CivilTime &moment, const KoyomiOptions &options, int warnMinutes, bool termsOnly,
                          int kind)
{
    BoundaryNote note;
    if (warnMinutes <= 0)
        return note;
    note.boundaries = boundariesOf(moment, options);
    note.index = termsOnly ? nearestBoundary(note.boundaries, warnMinutes, options.astronomy, true)
                           : boundaryToWarn(note.boundaries, warnMinutes, options.astronomy, kind);
    if (!note.isNear())
        return note;
    const Boundary &b = note.boundary();
    note.badge = boundaryBadge(b, options.astronomy);
    const CivilTime &t = b.time;
    const QString name = b.kind == BoundaryKind::Term ? qs(b.name)
        : b.kind == BoundaryKind::Hour                ? qs(b.name) + QStringLiteral("刻入り")
                                                      : QStringLiteral("日替り");
    note.hint = QStringLiteral("%1：%2/%3/%4 %5:%6:%7")
                    .arg(name)
                    .arg(t.year, 4, 10, QLatin1Char('0'))
                    .arg(t.month, 2, 10, QLatin1Char('0'))
                    .arg(t.day, 2, 10, QLatin1Char('0'))
                    .arg(t.hour, 2, 10, QLatin1Char('0'))
                    .arg(t.minute, 2, 10, QLatin1Char('0'))
                    .arg(t.second, 2, 10, QLatin1Char('0'));
    if (b.kind != BoundaryKind::Term)
        return note;
    if (options.astronomy == Astronomy::Short)
        note.hint += QStringLiteral("\n簡略式の節入り時刻は、実際より最大%1分ほど早いことがあります。").arg(ShortSeriesMarginMinutes);
    if (b.counted != (b.seconds <= 0))
        note.hint += QStringLiteral("\n節入りを時の正時で判定するため、この時刻は%1%2として作盤されます。")
                         .arg(name, b.counted ? QStringLiteral("後") : QStringLiteral("前"));
    return note;
}

void RowBoundaryMarks::setOptions(const KoyomiOptions &options, int warnMinutes)
{
    m_options = options;
    m_warnMinutes = warnMinutes;
    m_marks.clear();
}

const QString &RowBoundaryMarks::markOf(const ListRow &row) const
{
    static const QString none;
    if (m_warnMinutes <= 0)
        return none;
    const std::string key = row[ListCol::Date] + " " + row[ListCol::Hour];
    if (const auto found = m_marks.find(key); found != m_marks.end())
        return found->second;
    QString mark;
    if (const std::optional<CivilTime> moment = listCellMoment(row[ListCol::Date], row[ListCol::Hour])) {
        const BoundaryNote note = boundaryNote(*moment, m_options, m_warnMinutes, true);
        if (note.isNear())
            mark = note.badge + QLatin1Char('\n') + note.hint;
    }
    return m_marks.emplace(key, mark).first->second;
}

} // namespace velm
