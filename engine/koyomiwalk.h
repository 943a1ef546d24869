#pragma once

// Calendar facts for walks over many moments. DateToKyu searches three term
// instants afresh for every moment, yet every fact it derives from them
// changes only where the sun crosses one of thirty longitudes a year (the 24
// terms, the four 土用 starts and the two solstice-mode thresholds). The
// walker finds those crossings once, keeps the term instants of each span
// between them, and composes a moment's facts from the span it lies in.
//
// The result equals DateToKyu(moment, options, false) field for field, except
// SunLongitude (NaN unless asked for) and the term instants themselves, which
// may differ by a fraction of a second (the search's own tolerance). Moments
// within a few seconds of a crossing, and spans whose term instant falls within
// a few seconds of midnight, take the full computation, so no derived date can
// differ; precise crossings read from the table (preciseterms.h) are the very
// values the full computation finds, so their spans need no such care. One
// walker per thread; it is not shared.

#include <cstdint>
#include <vector>

#include "engine/ju.h"
#include "engine/koyomi.h"

namespace velm {

class KoyomiWalker {
public:
    explicit KoyomiWalker(const KoyomiOptions &options, bool exactLongitude = false);

    Koyomi at(const CivilTime &moment);

    const KoyomiOptions &options() const { return m_options; }
    // Moments that took the full computation (near a crossing or midnight).
    std::int64_t fullComputations() const { return m_full; }

private:
    struct Span {
        bool ready = false;
        bool safe = true;
        bool doyo = false;
        DayValue monthTerm = 0;
        DayValue latestTerm = 0;
        CivilTime monthTermText;
        CivilTime latestTermText;
        FutoDayResult solstice;
    };

    // Index of the span holding v, or -1 when v is too near its ends.
    int spanOf(DayValue v);
    void cover(DayValue v);
    const Span &span(int index);

    KoyomiOptions m_options;
    bool m_exactLongitude;
    struct Crossing {
        DayValue at;
        int angle;  // index into TermThresholds
        bool exact; // every search for it returns `at` (the precise table)
    };
    // Latest crossing at or before `index` of the threshold `angle`, or -1.
    int crossingBefore(int index, int angle) const;

    std::vector<Crossing> m_crossings; // ascending; span i is [m_crossings[i], m_crossings[i+1])
    std::vector<Span> m_spans;
    int m_last = 0;
    std::int64_t m_full = 0;
};

} // namespace velm
