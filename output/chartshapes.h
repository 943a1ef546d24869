#pragma once

// Charts of one kind over a walk, laid once per shape. An hour chart's
// plates come in a few thousand shapes, and beyond its plates a chart reads
// only a little of the other pillars (the pattern signature), the season and
// the term. Walks that meet the same charts again and again (the search, the
// heat map) lay each plate shape once here and key whatever they derive from
// a chart by its shape, so every moment still gets what the full computation
// gives. One instance per thread.

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "engine/ban.h"
#include "engine/koyomi.h"
#include "evaluation/patterns.h"

namespace velm {

class ChartShapes {
public:
    ChartShapes(int kind, LayingMethod method);

    // A chart's shape: its plates, numbered by this instance in the order met
    // (`plate`) and by their inputs, the same in every instance (`slot`), and
    // a key of all else that its marks and scores read. Charts of equal slot
    // and key are equal, and so are their scores.
    struct Shape {
        std::uint32_t plate = 0;
        std::uint32_t slot = 0;
        std::uint64_t key = 0;
    };

    // The shape of the chart these facts give; nothing for facts outside the
    // tables' range (never for real dates), whose chart is laid afresh.
    std::optional<Shape> find(const Koyomi &koyomi);

    // The chart of a found shape, marked from the facts that gave it.
    ChartRecord chart(const Shape &shape, const Koyomi &koyomi) const;

    // The facts the scoring reads and nothing else of them: what is derived
    // from one moment's chart then holds for every moment of its shape.
    Koyomi scoringFacts(const Koyomi &koyomi) const;

    int kind() const { return m_kind; }
    LayingMethod method() const { return m_method; }

private:
    // Direct table over every plate input: stem, branch, dun, ju, nine-star, term.
    static constexpr std::size_t TermSlots = 32;
    static constexpr std::size_t SlotsPerTerm = 10 * 12 * 2 * 9 * 9;
    static std::optional<std::size_t> slotOf(const PlateInputs &in);

    int m_kind;
    LayingMethod m_method;
    // Plate number + 1 by slot, 0 when not laid yet; a term's part is made
    // when the walk first meets the term. A rotating-plate walk meets one
    // part only, and each thread holds 78 KB instead of 2.4 MB.
    std::array<std::vector<std::uint32_t>, TermSlots> m_slots;
    // A deque: it grows without moving what it holds.
    std::deque<ChartRecord> m_plates;
    std::vector<PillarProbe> m_probes; // by plate number
};

} // namespace velm
