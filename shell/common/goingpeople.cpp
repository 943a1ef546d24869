#include "shell/common/goingpeople.h"

#include "shell/common/strings.h"

namespace velm {

GoingPeople &GoingPeople::instance()
{
    static GoingPeople people;
    return people;
}

void GoingPeople::set(std::vector<GoingPerson> people)
{
    m_people = std::move(people);
    emit changed();
}

QString GoingPeople::names() const
{
    QStringList names;
    for (const GoingPerson &p : m_people)
        names << p.name;
    return names.join(QStringLiteral("・"));
}

PeopleExclusion GoingPeople::exclusion(bool alsoYearMonth) const
{
    std::vector<int> honmei;
    for (const GoingPerson &p : m_people)
        honmei.push_back(p.honmei);
    return PeopleExclusion::of(honmei, alsoYearMonth);
}

PalaceMarks palaceMarks(const std::vector<GoingPerson> &people, const std::array<std::uint8_t, 9> &nineStars,
                        int branch, int kind, int palace)
{
    PalaceMarks marks;
    if (palace < 1 || palace > 8)
        return marks;
    std::uint8_t all = 0;
    for (const GoingPerson &p : people) {
        const std::uint8_t reasons = judgePalaces(nineStars, branch, p.honmei).reasons[static_cast<std::size_t>(palace)];
        if (reasons == 0)
            continue;
        all |= reasons;
        QStringList names;
        for (int r = 0; r < BadReasonCount; ++r)
            if ((reasons >> r) & 1)
                names << qs(badReasonName(r, kind));
        marks.hintLines << QStringLiteral("【凶方位】%1：%2").arg(p.name, names.join(QStringLiteral("・")));
    }
    for (int r = 0; r < BadReasonCount; ++r)
        if ((all >> r) & 1)
            marks.signs += qs(BadSign[static_cast<std::size_t>(r)]);
    return marks;
}

} // namespace velm
