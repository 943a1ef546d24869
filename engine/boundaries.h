#pragma once

// The boundaries around a moment: the solar terms, double-hour changes and
// midnights on either side of it, how far away each one is, and the calendar
// facts of the moment laid on the other side of one.
//
// A moment exactly on a boundary lies after it, as the term search counts a
// term reached at the moment as begun. Times are on the calendar clock and
// to the whole second; term times are those the terms listing shows.

#include <array>
#include <cstdint>
#include <string>

#include "engine/koyomi.h"

namespace velm {

enum class BoundaryKind {
    Term,
    Hour, // a double-hour change, at an odd hour (子 from 23:00)
    Day,  // midnight
};

struct Boundary {
    BoundaryKind kind = BoundaryKind::Term;
    std::string name;          // the term; the branch of the double-hour that begins; "日"
    CivilTime time;            // on the calendar clock, whole seconds
    std::int64_t seconds = 0;  // time minus the moment: negative once passed
    int term = -1;             // term index 0..23 (0 冬至), or -1
    // Term only: the instant as a local day value on the moment's search clock,
    // and whether the moment's chart counts the term as begun. Without exact
    // minutes the chart compares at the whole hour, so a term earlier in the
    // same hour is counted as not yet begun.
    DayValue instant = 0;
    bool counted = false;
};

// In this order: previous term, next term, previous and next double-hour
// change, previous and next midnight.
using MomentBoundaries = std::array<Boundary, 6>;

// The moment (on the calendar clock, minutes and seconds included) and the
// options its chart is laid with.
MomentBoundaries boundariesOf(const CivilTime &moment, const KoyomiOptions &options);

// Minutes by which a term instant of the short series can be early; the
// warning reaches that much further for terms when that series is in use.
inline constexpr int ShortSeriesMarginMinutes = 16;

// Whether a boundary asks for a warning: within warnMinutes of the moment
// (terms widened by the margin above on the short series), or a term the
// chart counts on the other side from the moment. warnMinutes 0: never.
bool boundaryIsNear(const Boundary &b, int warnMinutes, Astronomy astronomy);

// Index of the nearest boundary that asks for a warning, or -1. With
// termsOnly the double-hour changes and midnights are left out.
int nearestBoundary(const MomentBoundaries &all, int warnMinutes, Astronomy astronomy,
                    bool termsOnly = false);

// The boundary the chart of `kind` (0..3 year .. hour; -1: the entered moment
// as a whole) warns about, or -1. A near term comes first whatever the
// distances, since it turns the month pillar and the ju of every chart; then,
// for a day chart, a near midnight, and for an hour chart or the moment, the
// nearest double-hour change or midnight. Year and month charts change only
// at terms.
int boundaryToWarn(const MomentBoundaries &all, int warnMinutes, Astronomy astronomy, int kind);

// The calendar facts on the other side of a term: the same day and
// double-hour with the term counted the other way from the moment's chart.
Koyomi otherSideOfTerm(const CivilTime &moment, const KoyomiOptions &options, const Boundary &term,
                       bool withSummary = false);

// The moment on the other side of a double-hour change or midnight: the
// change itself when it lies ahead, the minute before it when it has passed.
CivilTime otherSideMoment(const Boundary &b);

// "立春まで7分", "立春から13分", "戌刻まで5分", "日替りから2分" (minutes rounded).
std::string boundaryDistanceText(const Boundary &b);
// "立春後" or "立春前": the side the other-side chart lies on.
std::string otherSideText(const Boundary &b);

} // namespace velm
