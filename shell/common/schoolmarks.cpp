#include "shell/common/schoolmarks.h"

#include <optional>

#include "engine/schools.h"
#include "engine/symbols.h"
#include "shell/common/strings.h"

namespace velm {

QString schoolDifference(const CivilTime &moment, const KoyomiOptions &options)
{
    const std::optional<HourSchools> schools = hourSchools(DateToKyu(moment, options), moment, options);
    if (!schools || !schoolsDiffer(*schools))
        return {};
    static const char *const names[3] = {"置閏", "拆補", "茅山"};
    QStringList parts;
    for (std::size_t i = 0; i < schools->size(); ++i) {
        const SchoolReading &s = (*schools)[i];
        parts << QStringLiteral("%1 %2遁%3局")
                     .arg(QString::fromUtf8(names[i]), qs(std::string(DunName[static_cast<std::size_t>(s.dun) % 2])))
                     .arg(s.ju + 1);
    }
    return QStringLiteral("流派で時盤が異なります：") + parts.join(QStringLiteral("／"));
}

void SchoolMarks::setOptions(const KoyomiOptions &options, bool shown)
{
    m_options = options;
    m_active = shown && options.settingsExist && options.periods[3] == 1;
    m_marks.clear();
}

const QString &SchoolMarks::markOf(const CivilTime &moment) const
{
    static const QString none;
    if (!m_active)
        return none;
    const std::string key = std::to_string(moment.year) + '-' + std::to_string(moment.month) + '-'
        + std::to_string(moment.day) + ' ' + std::to_string(moment.hour);
    if (const auto found = m_marks.find(key); found != m_marks.end())
        return found->second;
    return m_marks.emplace(key, schoolDifference(moment, m_options)).first->second;
}

const QString &SchoolMarks::markOf(const ListRow &row) const
{
    static const QString none;
    if (!m_active)
        return none;
    const std::optional<CivilTime> moment = listCellMoment(row[ListCol::Date], row[ListCol::Hour]);
    return moment ? markOf(*moment) : none;
}

} // namespace velm
