#include "engine/schools.h"

#include "engine/koyomi_inputs.h"

namespace velm {

namespace {

SchoolReading readingOf(const Koyomi &k)
{
    SchoolReading s;
    s.term = k.BanSekki[3];
    s.yuan = k.Gen;
    s.dun = k.BanTon[3];
    s.ju = k.BanKyoku[3];
    s.headDay = k.futoDay;
    return s;
}

} // namespace

std::optional<HourSchools> hourSchools(const Koyomi &k, const CivilTime &moment, const KoyomiOptions &options)
{
    if (!options.settingsExist || options.periods[3] != 1)
        return std::nullopt;
    HourSchools out;
    if (options.juMethod == JuMethod::Zhirun) {
        out[0] = readingOf(k);
    } else {
        KoyomiOptions ours = options;
        ours.juMethod = JuMethod::Zhirun;
        out[0] = readingOf(DateToKyu(moment, ours));
    }
    // The other two need only the term in force and its entry, which every
    // school's koyomi carries.
    const DayValue hourDay = hourChartDay(k.moment, moment.hour);
    const DayValue at = termComparisonMoment(moment, options);
    out[1] = schoolReading(JuMethod::Chaibu, k.BanSekki[2], k.latestTerm, hourDay, at);
    out[2] = schoolReading(JuMethod::Maoshan, k.BanSekki[2], k.latestTerm, hourDay, at);
    return out;
}

bool schoolsDiffer(const HourSchools &schools)
{
    for (const SchoolReading &s : schools)
        if (s.dun != schools[0].dun || s.ju != schools[0].ju)
            return true;
    return false;
}

} // namespace velm
