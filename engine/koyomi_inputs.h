#pragma once

// The astronomy behind one moment's calendar facts, apart from the arithmetic
// that turns it into pillars and ju. Walks over many moments supply these
// from a cache (koyomiwalk.h); DateToKyu searches them afresh.

#include "engine/ju.h"
#include "engine/koyomi.h"

namespace velm {

struct KoyomiInputs {
    DayValue r = 0;               // the moment at its whole hour
    DayValue termsAt = 0;         // where the terms were compared (r unless minutes count)
    long double SunLongitude = 0; // at r (may be NaN when a walk does not compute it)
    bool doyo = false;            // r lies in one of the four 土用 spans
    DayValue monthTerm = 0;       // latest month-opening term (mode 1)
    DayValue latestTerm = 0;      // latest of the 24 terms (mode 0)
    CivilTime monthTermText;      // the two instants as their texts read back
    CivilTime latestTermText;
    FutoDayResult futo;           // governing xun-head day of the hour chart's day
    // A walk's cached value in place of `futo`, read without a copy.
    const FutoDayResult *futoRef = nullptr;
};

// The term searches run from `termsAt` and the xun-head day from `solsticeAt`
// (both local day values; the moment's whole hour unless minutes count).
KoyomiInputs gatherKoyomiInputs(const CivilTime &moment, double tz, Astronomy astronomy);
KoyomiInputs gatherKoyomiInputs(const CivilTime &moment, double tz, Astronomy astronomy,
                                DayValue termsAt, DayValue solsticeAt);
Koyomi composeKoyomi(const CivilTime &moment, const KoyomiOptions &options,
                     const KoyomiInputs &inputs, bool withSummary);

// 23:00 belongs to the next day's 00:30 for the hour chart.
DayValue hourChartDay(DayValue r, int hour);
bool inDoyo(long double sunLongitude);

} // namespace velm
