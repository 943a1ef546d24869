// Calendar files: the rows of the numbers calendar written as events and read
// back by libical's own parser, which must find no error, every event at its
// double-hour or day, on the clock the rows were made on.

#include "output/ics.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>
#include <libical/ical.h>

#include "output/calendar.h"

namespace velm {
namespace {

const NumberTables &dataTables()
{
    static const NumbersFile file = readNumbersFile(std::string(VELM_DATA_DIR) + "/SuuFile.Dat");
    return file.tables;
}

struct ParsedEvent {
    std::string start; // as libical prints it back: "20240301T010000Z" or "20240301"
    std::string tzid;  // of DTSTART; "Z" for UTC
    int minutes = 0;   // DTEND - DTSTART
    std::string summary;
    std::string description;
    std::string uid;
};

struct Parsed {
    int errors = 0;   // X-LIC-ERROR properties anywhere
    bool restrictionsMet = false;
    std::vector<std::string> zoneOffsets; // TZOFFSETTO of each VTIMEZONE, in seconds
    std::vector<ParsedEvent> events;
};

int countErrors(icalcomponent *c)
{
    int n = icalcomponent_count_properties(c, ICAL_XLICERROR_PROPERTY);
    for (icalcomponent *sub = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); sub;
         sub = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT))
        n += countErrors(sub);
    return n;
}

Parsed parse(const std::string &text)
{
    Parsed p;
    icalcomponent *root = icalparser_parse_string(text.c_str());
    if (!root)
        return p;
    p.errors = countErrors(root);
    p.restrictionsMet = icalrestriction_check(root) == 1;
    p.errors += countErrors(root); // the check adds its findings as errors too
    for (icalcomponent *z = icalcomponent_get_first_component(root, ICAL_VTIMEZONE_COMPONENT); z;
         z = icalcomponent_get_next_component(root, ICAL_VTIMEZONE_COMPONENT)) {
        icalcomponent *std = icalcomponent_get_first_component(z, ICAL_XSTANDARD_COMPONENT);
        icalproperty *to = std ? icalcomponent_get_first_property(std, ICAL_TZOFFSETTO_PROPERTY) : nullptr;
        p.zoneOffsets.push_back(to ? std::to_string(icalproperty_get_tzoffsetto(to)) : "?");
    }
    for (icalcomponent *e = icalcomponent_get_first_component(root, ICAL_VEVENT_COMPONENT); e;
         e = icalcomponent_get_next_component(root, ICAL_VEVENT_COMPONENT)) {
        ParsedEvent pe;
        icalproperty *start = icalcomponent_get_first_property(e, ICAL_DTSTART_PROPERTY);
        const icaltimetype s = icalproperty_get_dtstart(start);
        const icaltimetype t = icalproperty_get_dtend(icalcomponent_get_first_property(e, ICAL_DTEND_PROPERTY));
        pe.start = icaltime_as_ical_string(s);
        if (icalparameter *tz = icalproperty_get_first_parameter(start, ICAL_TZID_PARAMETER))
            pe.tzid = icalparameter_get_tzid(tz);
        else if (icaltime_is_utc(s))
            pe.tzid = "Z";
        pe.minutes = static_cast<int>((icaltime_as_timet(t) - icaltime_as_timet(s)) / 60);
        pe.summary = icalcomponent_get_summary(e);
        pe.description = icalcomponent_get_description(e);
        pe.uid = icalcomponent_get_uid(e);
        p.events.push_back(pe);
    }
    icalcomponent_free(root);
    return p;
}

struct Case {
    const char *name;
    CivilTime entry;
    int rows;
    KoyomiOptions koyomi;
    std::vector<std::string> zoneOffsets; // expected VTIMEZONE offsets
    std::vector<std::string> starts;      // expected DTSTART of the first events
    std::string tzid;                     // of the timed events
};

KoyomiOptions zoned(const char *zone)
{
    KoyomiOptions k;
    k.clock.zone = zone;
    k.clock.fixedTz = -5;
    return k;
}

KoyomiOptions trueSolar()
{
    KoyomiOptions k;
    k.clock.solarTime = SolarTime::True;
    k.clock.longitude = 139.77;
    return k;
}

TEST(IcsFile, CalendarRowsReadBackAsEvents)
{
    const std::vector<Case> cases{
        // Year, month and day rows first: whole days; then two-hour events
        // at their UTC instants, which every calendar program places alike.
        {"fixed offset", {2024, 3, 1, 1, 0}, 6, KoyomiOptions{}, {},
         {"20240301", "20240301", "20240301", "20240229T160000Z", "20240229T180000Z", "20240229T200000Z"},
         "Z"},
        // A named zone's standard time: 01:00 EST, which New York's clocks
        // show as 02:00 EDT in July.
        {"zone in summer", {2024, 7, 1, 1, 0}, 4, zoned("America/New_York"), {},
         {"20240701", "20240701", "20240701", "20240701T060000Z"}, "Z"},
        // True solar time drifts by seconds a day.
        {"true solar", {2024, 3, 1, 23, 0}, 6, trueSolar(), {},
         {"20240301", "20240301", "20240301", "20240301T135", "20240302", "20240301T155"}, "Z"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CalendarOptions options;
        options.entry = c.entry;
        options.rows = c.rows;
        options.koyomi = c.koyomi;
        const CalendarList list = buildCalendar(options, dataTables());
        ASSERT_EQ(list.rows.size(), static_cast<std::size_t>(c.rows));
        std::vector<ListRow> rows{calendarCaptions()};
        for (const CalendarRow &r : list.rows)
            rows.push_back(r.cells);

        IcsOptions ics;
        ics.koyomi = c.koyomi;
        const std::vector<IcsEvent> events = icsEvents(rows, ics, dataTables());
        ASSERT_EQ(events.size(), list.rows.size()); // the caption row is no event
        const Parsed p = parse(icsText(events, ics, 1'700'000'000));
        EXPECT_EQ(p.errors, 0);
        EXPECT_TRUE(p.restrictionsMet);
        EXPECT_EQ(p.zoneOffsets, c.zoneOffsets);
        ASSERT_EQ(p.events.size(), events.size());
        for (std::size_t i = 0; i < p.events.size(); ++i) {
            const ParsedEvent &e = p.events[i];
            EXPECT_EQ(e.start.substr(0, c.starts[i].size()), c.starts[i]) << i;
            const bool timed = list.rows[i].kind == KindHour;
            EXPECT_EQ(e.tzid, timed ? c.tzid : "") << i;
            EXPECT_EQ(e.minutes, timed ? 120 : 24 * 60) << i;
            EXPECT_EQ(e.summary, events[i].summary);
            // The description names the clock of the row's label.
            EXPECT_EQ(e.description.find("時刻は暦の時計（") != std::string::npos, timed) << e.description;
        }
    }
}

// A file made with other settings adds its events instead of replacing
// these: the UID names the method and the calendar options. A double-hour
// that would begin before the year 1 in UTC is no event.
TEST(IcsFile, UidsTellSettingsApartAndEventsStayInTheYears)
{
    CalendarOptions options;
    options.entry = {2024, 3, 1, 13, 0};
    options.rows = 4;
    const CalendarList list = buildCalendar(options, dataTables());
    const ListRow row = list.rows.back().cells;
    const auto uidWith = [&](const IcsOptions &ics) {
        const std::vector<IcsEvent> events = icsEvents({row}, ics, dataTables());
        return parse(icsText(events, ics, 0)).events.at(0).uid;
    };
    IcsOptions plain;
    IcsOptions flying = plain;
    flying.method = LayingMethod::Flying;
    IcsOptions periods = plain;
    periods.koyomi.periods = {0, 0, 0, 0};
    IcsOptions precise = plain;
    precise.koyomi.astronomy = Astronomy::Precise;
    IcsOptions zone = plain;
    zone.koyomi.clock.zone = "Asia/Tokyo";
    IcsOptions exact = plain;
    exact.koyomi.exactMinutes = true;
    const std::vector<std::string> uids{uidWith(plain),   uidWith(flying), uidWith(periods),
                                        uidWith(precise), uidWith(zone),   uidWith(exact)};
    EXPECT_EQ(uids[0], "20240301T1300-3-m0-p1111-k1-UTC+09:00@velm");
    for (std::size_t i = 0; i < uids.size(); ++i)
        for (std::size_t j = i + 1; j < uids.size(); ++j)
            EXPECT_NE(uids[i], uids[j]) << uids[i];
    EXPECT_EQ(uidWith(plain), uids[0]); // and the same settings give the same UID

    CalendarOptions first;
    first.entry = {1, 1, 1, 0, 0};
    first.rows = 6;
    std::vector<ListRow> rows;
    for (const CalendarRow &r : buildCalendar(first, dataTables()).rows)
        rows.push_back(r.cells);
    const std::vector<IcsEvent> events = icsEvents(rows, IcsOptions{}, dataTables());
    for (const ParsedEvent &e : parse(icsText(events, IcsOptions{}, 0)).events)
        EXPECT_NE(e.start.rfind("0000", 0), 0u) << e.start;
    EXPECT_LT(events.size(), rows.size());
    EXPECT_GE(events.size(), 3u); // the year, month and day of 0001-01-01 stay
}

TEST(IcsFile, SummaryNamesTheBestDirectionsHighestFirst)
{
    CalendarOptions options;
    options.entry = {2024, 3, 1, 13, 0};
    options.rows = 4;
    const CalendarList list = buildCalendar(options, dataTables());
    const std::vector<IcsEvent> events = icsEvents({list.rows.back().cells}, IcsOptions{}, dataTables());
    ASSERT_EQ(events.size(), 1u);
    const IcsEvent &e = events.front();
    ASSERT_EQ(e.best.size(), 3u);
    EXPECT_GE(e.best[0].score, e.best[1].score);
    EXPECT_GE(e.best[1].score, e.best[2].score);
    // The scores are those the calendar row shows, and no other direction beats them.
    double lowestShown = e.best[2].score;
    for (int c = 6; c <= 13; ++c)
        EXPECT_LE(std::stod(list.rows.back().cells[static_cast<std::size_t>(c)]), e.best[0].score + 0.005);
    int above = 0;
    for (int c = 6; c <= 13; ++c)
        above += std::stod(list.rows.back().cells[static_cast<std::size_t>(c)]) > lowestShown + 0.005;
    EXPECT_LE(above, 2);
    EXPECT_EQ(e.summary.rfind("時盤 ", 0), 0u) << e.summary;

    // A search from an even hour lists even hours; each belongs to the
    // double-hour begun an hour before (0:00 to 子 from 23:00 the day before).
    ListRow midnight = list.rows.back().cells;
    midnight[1] = "2024/03/01";
    midnight[2] = "00";
    const std::vector<IcsEvent> early = icsEvents({midnight}, IcsOptions{}, dataTables());
    ASSERT_EQ(early.size(), 1u);
    EXPECT_EQ(early[0].start, (CivilTime{2024, 2, 29, 23, 0, 0}));
}

TEST(IcsFile, WrittenWholeOrNotAtAll)
{
    const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "ics";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "out.ics").string();
    std::ofstream(path) << "old";

    EXPECT_NE(writeIcsFile(path, {}, IcsOptions{}, 0), "");
    std::stringstream kept;
    kept << std::ifstream(path).rdbuf();
    EXPECT_EQ(kept.str(), "old");

    CalendarOptions options;
    options.entry = {2024, 3, 1, 1, 0};
    options.rows = 5;
    const CalendarList list = buildCalendar(options, dataTables());
    std::vector<ListRow> rows;
    for (const CalendarRow &r : list.rows)
        rows.push_back(r.cells);
    const auto events = icsEvents(rows, IcsOptions{}, dataTables());
    EXPECT_EQ(writeIcsFile(path, events, IcsOptions{}, 0), "");
    std::stringstream written;
    written << std::ifstream(path).rdbuf();
    EXPECT_EQ(parse(written.str()).events.size(), 5u);
    EXPECT_NE(written.str().find("\r\n"), std::string::npos);
}

} // namespace
} // namespace velm
