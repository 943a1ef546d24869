#include "shell/main/mainwindow_entry.h"

#include <algorithm>

#include <QRegularExpression>

#include "output/walk.h"

namespace velm {

std::optional<HourMinute> parseTimeText(const QString &text)
{
    static const QRegularExpression hhnn(QStringLiteral("^\\s*(\\d{1,2}):(\\d{2})\\s*$"));
    const QRegularExpressionMatch m = hhnn.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const int hour = m.captured(1).toInt();
    const int minute = m.captured(2).toInt();
    if (hour > 23 || minute > 59)
        return std::nullopt;
    return HourMinute{hour, minute};
}

QString timeText(HourMinute t)
{
    return QStringLiteral("%1:%2").arg(t.hour, 2, 10, QLatin1Char('0')).arg(t.minute, 2, 10, QLatin1Char('0'));
}

std::int64_t entrySeconds(const QDate &date, int secondsOfDay)
{
    CivilTime c{date.year(), date.month(), date.day(), 0, 0, 0};
    return secondsFromCivil(c) + secondsOfDay;
}

QDate entryDate(std::int64_t seconds)
{
    const CivilTime c = civilFromSeconds(seconds);
    return QDate(c.year, c.month, c.day);
}

int entrySecondsOfDay(std::int64_t seconds)
{
    const CivilTime c = civilFromSeconds(seconds);
    return c.hour * 3600 + c.minute * 60 + c.second;
}

bool entryInRange(std::int64_t seconds)
{
    return seconds >= entrySeconds(QDate(EntryFirstYear, 1, 1))
        && seconds < entrySeconds(QDate(EntryLastYear, 12, 31)) + OneDay;
}

std::optional<CivilTime> enteredMoment(std::int64_t dateSeconds, const QString &time)
{
    const std::optional<HourMinute> t = parseTimeText(time);
    if (!t || !entryInRange(dateSeconds))
        return std::nullopt;
    const QDate d = entryDate(dateSeconds);
    return CivilTime{d.year(), d.month(), d.day(), t->hour, t->minute, 0};
}

EntryValue stepTwoHours(EntryValue value, int direction)
{
    int minutes = value.time.hour * 60 + value.time.minute + (direction < 0 ? -120 : 120);
    if (minutes < 0) {
        value.dateSeconds -= OneDay;
        minutes += 24 * 60;
    } else if (minutes >= 24 * 60) {
        value.dateSeconds += OneDay;
        minutes -= 24 * 60;
    }
    value.time = HourMinute{minutes / 60, minutes % 60};
    return value;
}

int steppingKind(const bool checked[4])
{
    for (int kind = 3; kind >= 0; --kind)
        if (checked[kind])
            return kind;
    return 3;
}

std::optional<EntryValue> stepEntry(EntryValue value, int kind, int direction)
{
    if (kind == 3)
        value = stepTwoHours(value, direction);
    else if (kind >= 0 && kind < 3)
        value.dateSeconds += (direction < 0 ? -1 : 1) * EntryStepSeconds[kind];
    if (!entryInRange(value.dateSeconds))
        return std::nullopt;
    return value;
}

std::vector<int> designatedHours(int CG1)
{
    std::vector<int> hours;
    for (int i = 0; i < 12; ++i)
        if (CG1 & (1 << i))
            hours.push_back(2 * i + 1);
    return hours;
}

std::vector<QPoint> tilePositions(const std::vector<QSize> &sizes, int availableWidth,
                                  const std::vector<bool> &newRow)
{
    std::vector<QPoint> at;
    at.reserve(sizes.size());
    int x = 0;
    int y = 0;
    int rowHeight = 0;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const QSize &s = sizes[i];
        const bool breakHere = i < newRow.size() && newRow[i];
        if (x > 0 && (breakHere || x + s.width() > availableWidth)) {
            y += rowHeight;
            x = 0;
            rowHeight = 0;
        }
        at.emplace_back(x, y);
        x += s.width();
        rowHeight = std::max(rowHeight, s.height());
    }
    return at;
}

std::vector<int> tileOrder(const std::vector<TileKey> &keys)
{
    std::vector<int> order(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&keys](int a, int b) {
        const TileKey &x = keys[static_cast<std::size_t>(a)];
        const TileKey &y = keys[static_cast<std::size_t>(b)];
        if (x.set != y.set)
            return x.set > y.set;
        if (x.kind != y.kind)
            return x.kind < y.kind;
        if (x.moment != y.moment)
            return x.moment < y.moment;
        return x.made < y.made;
    });
    return order;
}

} // namespace velm
