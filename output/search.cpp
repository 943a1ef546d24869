#include "output/search.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <memory>
#include <optional>
#include <stdexcept>
#include <thread>

#include "engine/codec.h"
#include "engine/datetime.h"
#include "engine/koyomiwalk.h"
#include "engine/symbols.h"
#include "engine/textfile.h"
#include "evaluation/patterns.h"
#include "evaluation/suusan.h"
#include "output/chartshapes.h"
#include "output/laidchart.h"
#include "output/walk.h"
#include "output/walkthreads.h"

namespace velm {
namespace {

std::string palaceCell(SearchElement element, int p, const ChartRecord &chart,
                       const SuuScores &scores, const ConstData &names)
{
    const auto i = static_cast<std::size_t>(p);
    const auto &ban = chart.Ban;
    switch (element) {
    case SearchElement::Score:
        return formatScore(scores.BanSuu[8][i]);
    case SearchElement::Stems:
        return std::string(StemName[ban[TenKan][i] % 10]) + std::string(StemName[ban[ChiKan][i] % 10]);
    case SearchElement::Door:
        return p == 0 ? std::string() : std::string(DoorName[ban[Mon][i] % 9]) + "門";
    case SearchElement::Star:
        return "天" + names.StarChar[ban[Sei][i] % 10];
    case SearchElement::Deity:
        return p == 0 ? std::string() : names.DeityName[ban[Shin][i] % 9];
    case SearchElement::NineStar:
        return std::string(NineStarName[ban[KyuSeiBan][i] % 9]);
    case SearchElement::Pattern:
        return names.PatternName[ban[Kaku0][i] % PatternCount];
    }
    return {};
}

// Columns 4..13 of a row: the flag, then the palaces in ring order (centre,
// then clockwise from the north). They depend on the chart alone.
using ChartCells = std::array<std::string, 10>;

ChartCells chartCells(const ChartRecord &chart, const SuuScores &scores, SearchElement element,
                      const ConstData &names)
{
    ChartCells cells;
    cells[0] = std::string(FlagName[static_cast<std::size_t>(chart.BanFlagNo % 5)]);
    for (int ring = 0; ring < 9; ++ring)
        cells[static_cast<std::size_t>(1 + ring)] =
            palaceCell(element, RingToKyu[static_cast<std::size_t>(ring)], chart, scores, names);
    return cells;
}

// The date, hour and weekday cells of a walk's moments, for rows in time
// order: the calendar date is worked out once a day, not once a row. The
// texts are those of formatListDate, formatListHour and formatListWeekday
// for walkMoment(start, kind, k).
class WalkMomentCells {
public:
    WalkMomentCells(const CivilTime &start, int kind)
        : m_base(secondsFromCivil(start)), m_step(WalkStepSeconds[kind >= 0 && kind < 4 ? kind : 3])
    {
    }

    void at(std::int64_t k)
    {
        const std::int64_t s = m_base + k * m_step;
        const std::int64_t days = s >= 0 ? s / 86400 : (s - 86399) / 86400;
        if (days != m_days) {
            m_days = days;
            const CivilTime t = civilFromSeconds(days * 86400);
            m_date = formatListDate(t);
            m_weekdayText = formatListWeekday(t);
            m_weekday = weekday(dayNumberFromCivil(t.year, t.month, t.day));
        }
        const int hour = static_cast<int>((s - days * 86400) / 3600);
        m_hour[0] = static_cast<char>('0' + hour / 10);
        m_hour[1] = static_cast<char>('0' + hour % 10);
    }

    std::string_view date() const { return m_date; }
    std::string_view hour() const { return {m_hour, 2}; }
    std::string_view weekdayText() const { return m_weekdayText; }
    int weekdayNumber() const { return m_weekday; } // 0 = Sunday

private:
    std::int64_t m_base;
    std::int64_t m_step;
    std::int64_t m_days = INT64_MIN;
    std::string m_date;
    std::string m_weekdayText;
    int m_weekday = 0;
    char m_hour[2] = {'0', '0'};
};

void fillRow(ListRow &row, int kind, const WalkMomentCells &moment, const SearchChart &chart)
{
    row[ListCol::Kind] = SearchKindCaption[static_cast<std::size_t>(kind & 3)];
    row[ListCol::Date] = moment.date();
    row[ListCol::Hour] = moment.hour();
    row[ListCol::Weekday] = moment.weekdayText();
    for (std::size_t c = 0; c < SearchChart::CellCount; ++c)
        row[ListCol::Flag + c] = chart.cell(c);
    row[ListCol::Mark] = std::to_string(chart.direction);
}

void fillRow(ListRow &row, int kind, const CivilTime &moment, const ChartCells &cells, int direction)
{
    row[ListCol::Kind] = SearchKindCaption[static_cast<std::size_t>(kind & 3)];
    row[ListCol::Date] = formatListDate(moment);
    row[ListCol::Hour] = formatListHour(moment);
    row[ListCol::Weekday] = formatListWeekday(moment);
    std::copy(cells.begin(), cells.end(), row.begin() + ListCol::Flag);
    row[ListCol::Mark] = std::to_string(direction);
}

ListRow assembleRow(int kind, const CivilTime &moment, const ChartCells &cells, int direction)
{
    ListRow row;
    fillRow(row, kind, moment, cells, direction);
    return row;
}

// The outcome of one chart: whether it satisfies the matter, where, and its cells.
struct ChartOutcome {
    bool matched = false;
    int direction = 0;
    ChartCells cells;
};

ChartOutcome judge(const ChartRecord &chart, const Koyomi &koyomi, const SearchSettings &settings,
                   const SenMatter &matter, const NumberTables &tables, const ConstData &names,
                   std::uint16_t excluded)
{
    ChartOutcome out;
    const SuuScores scores = SuuSan(chart, koyomi, tables, settings.method);
    const SenResult result = SenCheck(matter, settings.direction, chart.Ban, scores, excluded);
    if (!result.matched)
        return out;
    out.matched = true;
    out.direction = result.direction;
    out.cells = chartCells(chart, scores, settings.element, names);
    return out;
}

// A judged chart: the thread whose cache holds its outcome in the high 8
// bits, the outcome's number there in the low 24; or Unmatched. Four bytes:
// a century's hits are kept until the walk ends.
using OutcomeRef = std::uint32_t;
inline constexpr OutcomeRef Unmatched = ~OutcomeRef{0};
inline constexpr int OutcomeBits = 24;
inline constexpr std::size_t MaxWalkThreads = 256;

// The charts judged by any thread of one walk, so that each chart is judged
// once however many threads meet it. A thread asks here only when its own
// cache lacks a chart. Entries are written once and published by their
// state, so neither look-up nor insertion takes a lock: under a lock the two
// threads would queue for it thousands of times a second. The table has a
// fixed size and takes no more charts once half full; threads then judge for
// themselves what it lacks.
class JudgedCharts {
public:
    JudgedCharts() : m_entries(Capacity) {}

    // The chart recorded for a plate slot and the rest of what the chart
    // reads, or nothing.
    std::optional<OutcomeRef> find(std::uint32_t slot, std::uint64_t key) const
    {
        for (std::size_t at = hash(slot, key);; at = (at + 1) & (Capacity - 1)) {
            const Entry &e = m_entries[at];
            const std::uint32_t state = e.state.load(std::memory_order_acquire);
            if (state == Empty)
                return std::nullopt;
            if (state == Ready && e.slot == slot && e.key == key)
                return e.outcome;
        }
    }

    // Records a chart this thread judged; returns the outcome that stands for
    // it, another thread's when that thread recorded it first.
    OutcomeRef add(std::uint32_t slot, std::uint64_t key, OutcomeRef outcome)
    {
        if (m_count.load(std::memory_order_relaxed) >= Capacity / 2)
            return outcome;
        for (std::size_t at = hash(slot, key);; at = (at + 1) & (Capacity - 1)) {
            Entry &e = m_entries[at];
            std::uint32_t state = e.state.load(std::memory_order_acquire);
            if (state == Empty && e.state.compare_exchange_strong(state, Writing, std::memory_order_acquire)) {
                e.slot = slot;
                e.key = key;
                e.outcome = outcome;
                e.state.store(Ready, std::memory_order_release);
                m_count.fetch_add(1, std::memory_order_relaxed);
                return outcome;
            }
            // An entry still being written is passed over: at worst the same
            // chart is recorded twice, with equal outcomes.
            if (state == Ready && e.slot == slot && e.key == key)
                return e.outcome;
        }
    }

private:
    static constexpr std::size_t Capacity = std::size_t{1} << 16;
    static constexpr std::uint32_t Empty = 0;
    static constexpr std::uint32_t Writing = 1;
    static constexpr std::uint32_t Ready = 2;
    struct Entry {
        std::atomic<std::uint32_t> state{Empty};
        std::uint32_t slot = 0;
        std::uint64_t key = 0;
        OutcomeRef outcome = Unmatched;
    };

    static std::size_t hash(std::uint32_t slot, std::uint64_t key)
    {
        std::uint64_t h = key * 0x9E3779B97F4A7C15ull ^ (std::uint64_t{slot} + 1) * 0xC2B2AE3D27D4EB4Full;
        h ^= h >> 29;
        return static_cast<std::size_t>(h) & (Capacity - 1);
    }

    std::vector<Entry> m_entries;
    std::atomic<std::size_t> m_count{0};
};

// One cache per thread: each chart shape (chartshapes.h) is judged once.
// With several threads, what one judges the others find in the walk's
// JudgedCharts.
class ChartCache {
public:
    ChartCache(const SearchSettings &settings, const SenMatter &matter, const NumberTables &tables,
               const ConstData &names, std::uint32_t thread, JudgedCharts *shared)
        : m_settings(settings), m_matter(matter), m_tables(tables), m_names(names), m_thread(thread)
        , m_shared(shared), m_shapes(settings.kind, settings.method)
    {
    }

    // The outcome of the chart of the walk's kind for these calendar facts,
    // the directions of `extra` (palaces 1..8: bad on the moment's year and
    // month charts) left out besides those bad on the chart itself.
    OutcomeRef at(const Koyomi &koyomi, std::uint16_t extra)
    {
        const std::optional<ChartShapes::Shape> shape = m_shapes.find(koyomi);
        const int branch = koyomi.BanShi[static_cast<std::size_t>(m_settings.kind & 3)];
        if (!shape) {
            // Outside the table's range (never for real dates): computed afresh.
            const ChartRecord chart = layChart(koyomi, m_settings.kind, m_settings.method).chart;
            return store(judge(chart, koyomi, m_settings, m_matter, m_tables, m_names, excludedOn(chart, branch, extra)));
        }
        // What is bad on the chart itself follows from its plates (nine-stars
        // and branch); what the year and month charts add is not, so it goes
        // into the key, in bits the plate numbers never reach.
        const std::uint32_t tag = static_cast<std::uint32_t>(extra >> 1) << ExtraShift;
        const std::uint32_t plate = shape->plate | tag;
        const std::uint64_t key = shape->key;
        std::size_t at = findJudged(plate, key);
        if (m_judged[at].plate == plate && m_judged[at].key == key)
            return m_judged[at].match == NoMatch ? Unmatched : m_matches[m_judged[at].match];

        std::optional<OutcomeRef> outcome;
        if (m_shared)
            outcome = m_shared->find(shape->slot | tag, key);
        if (!outcome) {
            // Judged from the plates, the marks and the scores' own inputs
            // only, so nothing else of this moment can leak into what later
            // moments reuse.
            const ChartRecord chart = m_shapes.chart(*shape, koyomi);
            outcome = store(judge(chart, m_shapes.scoringFacts(koyomi), m_settings, m_matter, m_tables, m_names,
                                  excludedOn(chart, branch, extra)));
            if (m_shared)
                outcome = m_shared->add(shape->slot | tag, key, *outcome);
        }
        if (2 * (m_judgedCount + 1) > m_judged.size()) {
            growJudged();
            at = findJudged(plate, key);
        }
        std::uint32_t match = NoMatch;
        if (*outcome != Unmatched) {
            match = static_cast<std::uint32_t>(m_matches.size());
            m_matches.push_back(*outcome);
        }
        m_judged[at] = {key, plate, match};
        ++m_judgedCount;
        return *outcome;
    }

    // The walk is over: its outcomes can be handed on.
    SearchChart takeOutcome(std::uint32_t index) { return std::move(m_outcomes[index]); }
    std::size_t outcomeCount() const { return m_outcomes.size(); }

private:
    // Plate numbers and plate slots stay below 2^24 (a slot is under 2^20):
    // the eight excluded directions of the year and month charts go above.
    static constexpr int ExtraShift = 24;

    std::uint16_t excludedOn(const ChartRecord &chart, int branch, std::uint16_t extra) const
    {
        if (!m_settings.people.active())
            return 0;
        return m_settings.people.badOn(chart, branch) | extra;
    }

    // Charts judged so far, by plates and the rest of what they read: an
    // open-addressed table, at most half full.
    static constexpr std::uint32_t NoPlate = 0xFFFFFFFF;
    // Sixteen bytes an entry: the table is the walk's busiest memory.
    static constexpr std::uint32_t NoMatch = 0xFFFFFFFF;
    struct Judged {
        std::uint64_t key = 0;
        std::uint32_t plate = NoPlate;
        std::uint32_t match = NoMatch; // into m_matches
    };

    // The slot holding (plate, key), or the empty slot where it would go.
    std::size_t findJudged(std::uint32_t plate, std::uint64_t key)
    {
        if (m_judged.empty())
            m_judged.resize(1u << 14);
        const std::size_t mask = m_judged.size() - 1;
        std::uint64_t h = key * 0x9E3779B97F4A7C15ull ^ (std::uint64_t{plate} + 1) * 0xC2B2AE3D27D4EB4Full;
        h ^= h >> 29;
        for (std::size_t at = h & mask;; at = (at + 1) & mask) {
            const Judged &j = m_judged[at];
            if (j.plate == NoPlate || (j.plate == plate && j.key == key))
                return at;
        }
    }

    void growJudged()
    {
        std::vector<Judged> old(m_judged.size() * 2);
        old.swap(m_judged);
        for (const Judged &j : old)
            if (j.plate != NoPlate)
                m_judged[findJudged(j.plate, j.key)] = j;
    }

    // Only matches are kept: a row needs their cells.
    OutcomeRef store(ChartOutcome outcome)
    {
        if (!outcome.matched)
            return Unmatched;
        // Each outcome is a different chart of a few hundred bytes: memory
        // would run out long before its number did.
        if (m_outcomes.size() >= (std::size_t{1} << OutcomeBits) - 1)
            throw std::length_error("too many different charts for one walk");
        m_outcomes.push_back(SearchChart::of(outcome.cells, outcome.direction));
        return m_thread << OutcomeBits | static_cast<OutcomeRef>(m_outcomes.size() - 1);
    }

    const SearchSettings &m_settings;
    const SenMatter &m_matter;
    const NumberTables &m_tables;
    const ConstData &m_names;
    const std::uint32_t m_thread;
    JudgedCharts *m_shared;
    ChartShapes m_shapes;
    std::vector<Judged> m_judged;
    std::size_t m_judgedCount = 0;
    std::vector<OutcomeRef> m_matches; // the matching charts this thread has met
    std::deque<SearchChart> m_outcomes;
};

struct Found {
    std::uint32_t index; // moment number within the walk (a walk is under 2^32 moments)
    OutcomeRef outcome;
};

// Examines moments [from, to) of the walk; matches in order appended to `found`.
void examine(std::int64_t from, std::int64_t to, const SearchSettings &settings,
             const SenMatter &matter, KoyomiWalker &walker, std::vector<KoyomiWalker> &otherSchools,
             ChartCache &cache, std::vector<Found> &found)
{
    if (!matter.usable() || matter.groupCount == 0)
        return;
    WalkMoments moments(settings.start, settings.kind);
    for (std::int64_t k = from; k < to; ++k) {
        const CivilTime moment = moments.at(k);
        const Koyomi &koyomi = walker.at(moment);
        const OutcomeRef outcome = cache.at(koyomi, settings.people.yearMonth(koyomi));
        if (outcome == Unmatched)
            continue;
        // The other schools' charts only for a moment that matched: each is
        // judged once in the same cache, as any chart is.
        const bool everySchool = std::all_of(otherSchools.begin(), otherSchools.end(), [&](KoyomiWalker &other) {
            const Koyomi &theirs = other.at(moment);
            return cache.at(theirs, settings.people.yearMonth(theirs)) != Unmatched;
        });
        if (everySchool)
            found.push_back({static_cast<std::uint32_t>(k), outcome});
    }
}

// The walkers of the schools other than the settings' own, when the search
// asks for all of them and they can differ.
std::vector<KoyomiWalker> otherSchoolWalkers(const SearchSettings &settings)
{
    std::vector<KoyomiWalker> walkers;
    if (!settings.allSchools || settings.kind != KindHour || settings.koyomi.periods[3] != 1)
        return walkers;
    for (const JuMethod method : {JuMethod::Zhirun, JuMethod::Chaibu, JuMethod::Maoshan}) {
        if (method == settings.koyomi.juMethod)
            continue;
        KoyomiOptions options = settings.koyomi;
        options.juMethod = method;
        walkers.emplace_back(options);
    }
    return walkers;
}

} // namespace

ListRow searchRow(int kind, const CivilTime &moment, const ChartRecord &chart,
                  const SuuScores &scores, SearchElement element, int direction,
                  const ConstData &names)
{
    return assembleRow(kind, moment, chartCells(chart, scores, element, names), direction);
}

SearchOutcome SrcProc(const SearchSettings &settings, const SenMatter &matter,
                      const NumberTables &tables, const ConstData &names,
                      const SearchProgress &progress)
{
    SearchOutcome out;
    out.start = settings.start;
    out.kind = settings.kind;
    // Past 9999-12-31 there is no calendar: a limit beyond it ends there.
    const std::int64_t limit = walkLimit(settings.start, settings.kind, settings.limit, settings.koyomi.astronomy);
    if (limit <= 0 || settings.maxMatches <= 0)
        return out;

    // The walk is shared out in chunks of consecutive moments (walkthreads.h);
    // each thread keeps its own walker and cache, and the hits of each chunk
    // it walks. The counts shown to the progress callback are always those of
    // the moments from the start up to some point, as the one-thread loop
    // would have them, and the walk stops exactly where that loop would: at
    // the limit, at the last match allowed, or at the moment reached when the
    // progress callback asks to stop.
    constexpr std::int64_t Chunk = 8192;
    const std::int64_t wanted = settings.threads > 0
        ? settings.threads
        : static_cast<std::int64_t>(std::max(1u, std::thread::hardware_concurrency()));
    const auto T = static_cast<std::size_t>(
        std::clamp<std::int64_t>(limit / Chunk, 1, std::min<std::int64_t>(wanted, MaxWalkThreads)));

    // Each worker sits on cache lines of its own: a line two threads write
    // would pass back and forth between the cores.
    struct alignas(64) Worker {
        Worker(const SearchSettings &settings, const SenMatter &matter, const NumberTables &tables,
               const ConstData &names, std::uint32_t thread, JudgedCharts *shared)
            : walker(settings.koyomi), otherSchools(otherSchoolWalkers(settings)),
              cache(settings, matter, tables, names, thread, shared)
        {
        }
        KoyomiWalker walker;
        std::vector<KoyomiWalker> otherSchools;
        ChartCache cache;
        std::vector<std::vector<Found>> chunks; // the hits of each chunk it walked
        std::vector<std::uint32_t> shared;      // its outcomes as numbered in out.charts
        std::vector<Found> scratch;             // the chunk being walked
    };
    std::unique_ptr<JudgedCharts> judged = T > 1 ? std::make_unique<JudgedCharts>() : nullptr;
    std::vector<std::unique_ptr<Worker>> workers;
    for (std::size_t j = 0; j < T; ++j)
        workers.push_back(std::make_unique<Worker>(settings, matter, tables, names,
                                                   static_cast<std::uint32_t>(j), judged.get()));

    bool full = false;
    bool stopped = false;
    const WalkEnd end = walkOnThreads(
        limit, static_cast<int>(T), Chunk,
        [&](int thread, std::int64_t from, std::int64_t to) {
            Worker &w = *workers[static_cast<std::size_t>(thread)];
            // Found into a buffer the thread keeps, then kept at their size:
            // a chunk's list is not grown and shrunk again.
            w.scratch.clear();
            examine(from, to, settings, matter, w.walker, w.otherSchools, w.cache, w.scratch);
            w.chunks.emplace_back(w.scratch.begin(), w.scratch.end());
            return static_cast<std::int64_t>(w.scratch.size());
        },
        [&](const WalkPrefix &prefix) {
            if (prefix.hits >= settings.maxMatches) {
                full = true;
                return false;
            }
            if (prefix.complete)
                return false;
            if (progress && !progress(prefix.hits, prefix.reached)) {
                stopped = true;
                return false;
            }
            return true;
        });

    // The matches of the prefix, in time order, each chart's cells shared.
    // The merge runs on the walk's threads too: done on one while the other
    // waited, it took a tenth of a century's search. Each thread takes a
    // share of the chunks, marks the outcomes their hits use, and once the
    // charts are numbered copies its chunks' rows into their places.
    const std::vector<WalkChunk> &chunks = end.chunks;
    std::vector<std::size_t> place(chunks.size() + 1, 0); // where each chunk's rows begin
    const auto wantedRows = static_cast<std::size_t>(std::max<std::int64_t>(settings.maxMatches, 0));
    for (std::size_t c = 0; c < chunks.size(); ++c) {
        const std::size_t hits = workers[static_cast<std::size_t>(chunks[c].thread)]->chunks[chunks[c].seq].size();
        place[c + 1] = place[c] + std::min(hits, wantedRows - place[c]);
    }
    const std::size_t rows = place.back();
    // The chunks of merging thread j: those whose rows begin in its share.
    std::vector<std::size_t> share(T + 1, chunks.size());
    share[0] = 0;
    for (std::size_t j = 1, c = 0; j < T; ++j) {
        while (c < chunks.size() && place[c] < rows * j / T)
            ++c;
        share[j] = c;
    }
    const auto hitsOf = [&](std::size_t c) -> std::vector<Found> & {
        return workers[static_cast<std::size_t>(chunks[c].thread)]->chunks[chunks[c].seq];
    };
    constexpr OutcomeRef IndexMask = (OutcomeRef{1} << OutcomeBits) - 1;
    // used[j][holder][index]: merging thread j met that outcome.
    std::vector<std::vector<std::vector<std::uint8_t>>> used(T);
    onThreads(static_cast<int>(T), [&](int j) {
        auto &marks = used[static_cast<std::size_t>(j)];
        marks.resize(T);
        for (std::size_t h = 0; h < T; ++h)
            marks[h].assign(workers[h]->cache.outcomeCount(), 0);
        for (std::size_t c = share[static_cast<std::size_t>(j)]; c < share[static_cast<std::size_t>(j) + 1]; ++c) {
            const std::vector<Found> &hits = hitsOf(c);
            const std::size_t n = place[c + 1] - place[c];
            for (std::size_t i = 0; i < n; ++i)
                marks[hits[i].outcome >> OutcomeBits][hits[i].outcome & IndexMask] = 1;
        }
    });
    // The charts some row uses, numbered holder by holder.
    constexpr std::uint32_t NotShared = 0xFFFFFFFF;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> taken; // (holder, index) by number
    for (std::size_t h = 0; h < T; ++h) {
        Worker &holder = *workers[h];
        holder.shared.assign(holder.cache.outcomeCount(), NotShared);
        for (std::size_t i = 0; i < holder.shared.size(); ++i) {
            bool met = false;
            for (std::size_t j = 0; j < T && !met; ++j)
                met = used[j][h][i] != 0;
            if (met) {
                holder.shared[i] = static_cast<std::uint32_t>(taken.size());
                taken.emplace_back(static_cast<std::uint32_t>(h), static_cast<std::uint32_t>(i));
            }
        }
    }
    std::vector<std::vector<std::vector<std::uint8_t>>>().swap(used);
    out.charts.resize(taken.size());
    out.found.resize(rows);
    onThreads(static_cast<int>(T), [&](int j) {
        const auto J = static_cast<std::size_t>(j);
        for (std::size_t k = taken.size() * J / T; k < taken.size() * (J + 1) / T; ++k)
            out.charts[k] = workers[taken[k].first]->cache.takeOutcome(taken[k].second);
        for (std::size_t c = share[J]; c < share[J + 1]; ++c) {
            std::vector<Found> &hits = hitsOf(c);
            SearchMatch *to = out.found.data() + place[c];
            const std::size_t n = place[c + 1] - place[c];
            for (std::size_t i = 0; i < n; ++i)
                to[i] = {hits[i].index, workers[hits[i].outcome >> OutcomeBits]->shared[hits[i].outcome & IndexMask]};
            // Merged: its memory goes back while the rest is merged.
            std::vector<Found>().swap(hits);
        }
    });
    out.matches = static_cast<std::int64_t>(rows);
    out.examined = full ? std::int64_t{out.found.back().index} + 1 : end.prefix.reached;
    out.stopped = stopped;
    out.ended = !full && !stopped && end.prefix.complete && limit < settings.limit;
    return out;
}

SearchChart SearchChart::of(const std::array<std::string, CellCount> &cells, int direction)
{
    SearchChart chart;
    chart.direction = direction;
    for (std::size_t c = 0; c < CellCount; ++c) {
        chart.text += cells[c];
        chart.ends[c] = static_cast<std::uint32_t>(chart.text.size());
    }
    chart.text.shrink_to_fit();
    return chart;
}

ListRow SearchOutcome::row(std::size_t i) const
{
    const SearchMatch &m = found[i];
    const SearchChart &c = charts[m.chart];
    WalkMomentCells moment(start, kind);
    moment.at(m.index);
    ListRow row;
    fillRow(row, kind, moment, c);
    return row;
}

namespace {

// Rows of every match into dest[0..], on two threads for long lists.
void fillRows(const SearchOutcome &outcome, ListRow *dest)
{
    const std::size_t n = outcome.found.size();
    const int threads = n >= 20000 ? 2 : 1;
    onThreads(threads, [&](int j) {
        const std::size_t from = j == 0 ? 0 : n / 2;
        const std::size_t to = threads == 1 || j == 1 ? n : n / 2;
        WalkMomentCells moment(outcome.start, outcome.kind);
        for (std::size_t i = from; i < to; ++i) {
            const SearchMatch &m = outcome.found[i];
            const SearchChart &c = outcome.charts[m.chart];
            moment.at(m.index);
            fillRow(dest[i], outcome.kind, moment, c);
        }
    });
}

void appendSpaces(std::string &out, int n)
{
    if (n > 0)
        out.append(static_cast<std::size_t>(n), ' ');
}

// A grid cell right-aligned to its column, behind the blank that parts it
// from the one before.
void appendGridCell(std::string &out, std::string_view cell, int cellWidth, int width)
{
    out += ' ';
    appendSpaces(out, width - cellWidth);
    out += cell;
}

bool unwritable(std::string_view cell)
{
    return cell.find_first_of(",\r\n") != std::string_view::npos;
}

std::string cp932(std::string_view text, bool &ok)
{
    CodecResult encoded = encodeCp932(text);
    ok = ok && encoded.ok;
    return std::move(encoded.text);
}

} // namespace

SearchRowText::SearchRowText(const SearchOutcome &outcome, Form form, const Widths &widths)
    : m_outcome(outcome), m_form(form), m_widths(widths)
{
    const std::string_view kind = SearchKindCaption[static_cast<std::size_t>(outcome.kind & 3)];
    // 2000-01-02 was a Sunday.
    std::array<std::string, 7> weekdays;
    for (int d = 0; d < 7; ++d)
        weekdays[static_cast<std::size_t>(d)] = formatListWeekday(CivilTime{2000, 1, 2 + d, 0, 0, 0});

    std::vector<bool> unencodable(outcome.charts.size(), false);
    std::vector<bool> commaAt(outcome.charts.size(), false);
    bool anyUnencodable = false;
    bool anyComma = false;
    m_tails.reserve(outcome.charts.size());
    if (form == Form::Grid) {
        appendSpaces(m_head, widths[0] - cp932Width(kind));
        m_head += kind;
        for (std::size_t d = 0; d < 7; ++d) {
            appendGridCell(m_weekday[d], weekdays[d], cp932Width(weekdays[d]), widths[3]);
        }
        for (const SearchChart &chart : outcome.charts) {
            std::string tail;
            for (std::size_t c = 0; c < SearchChart::CellCount; ++c)
                appendGridCell(tail, chart.cell(c), cp932Width(chart.cell(c)), widths[4 + c]);
            m_tails.push_back(std::move(tail));
        }
        return;
    }

    bool ok = true;
    m_head = cp932(kind, ok) + ",";
    for (std::size_t d = 0; d < 7; ++d)
        m_weekday[d] = cp932(weekdays[d], ok) + ",";
    for (std::size_t i = 0; i < outcome.charts.size(); ++i) {
        const SearchChart &chart = outcome.charts[i];
        bool encoded = true;
        std::string tail;
        for (std::size_t c = 0; c < SearchChart::CellCount; ++c) {
            if (unwritable(chart.cell(c)))
                commaAt[i] = true;
            tail += cp932(chart.cell(c), encoded);
            tail += ',';
        }
        tail += std::to_string(chart.direction);
        tail += ",\r\n";
        unencodable[i] = !encoded;
        anyUnencodable = anyUnencodable || !encoded;
        anyComma = anyComma || commaAt[i];
        m_tails.push_back(std::move(tail));
    }
    if (!ok)
        m_unencodable = 0;
    // The first row that meets a faulty chart, as a row-by-row check finds it.
    if (anyComma || anyUnencodable) {
        for (std::size_t r = 0; r < outcome.found.size(); ++r) {
            const std::uint32_t c = outcome.found[r].chart;
            if (m_comma < 0 && commaAt[c])
                m_comma = static_cast<std::int64_t>(r);
            if (m_unencodable < 0 && unencodable[c])
                m_unencodable = static_cast<std::int64_t>(r);
        }
    }
}

void SearchRowText::append(std::size_t from, std::size_t to, std::string &out) const
{
    const SearchOutcome &o = m_outcome;
    WalkMomentCells moment(o.start, o.kind);
    for (std::size_t i = from; i < to && i < o.found.size(); ++i) {
        const SearchMatch &m = o.found[i];
        moment.at(m.index);
        const std::size_t lineStart = out.size();
        out += m_head;
        if (m_form == Form::Grid) {
            appendGridCell(out, moment.date(), static_cast<int>(moment.date().size()), m_widths[1]);
            appendGridCell(out, moment.hour(), 2, m_widths[2]);
            out += m_weekday[static_cast<std::size_t>(moment.weekdayNumber())];
            out += m_tails[m.chart];
            while (out.size() > lineStart && out.back() == ' ')
                out.pop_back();
            out += '\n';
        } else {
            out += moment.date();
            out += ',';
            out += moment.hour();
            out += ',';
            out += m_weekday[static_cast<std::size_t>(moment.weekdayNumber())];
            out += m_tails[m.chart];
        }
    }
}

SearchRowText::Widths searchDataWidths(const SearchOutcome &outcome)
{
    SearchRowText::Widths widths{};
    if (outcome.found.empty())
        return widths;
    widths[0] = cp932Width(SearchKindCaption[static_cast<std::size_t>(outcome.kind & 3)]);
    // Every moment of a walk has the same date, hour and weekday widths;
    // the first and the last row stand for all.
    for (std::size_t i : {std::size_t{0}, outcome.found.size() - 1}) {
        const CivilTime t = walkMoment(outcome.start, outcome.kind, outcome.found[i].index);
        widths[1] = std::max(widths[1], cp932Width(formatListDate(t)));
        widths[2] = std::max(widths[2], cp932Width(formatListHour(t)));
        widths[3] = std::max(widths[3], cp932Width(formatListWeekday(t)));
    }
    for (const SearchChart &chart : outcome.charts)
        for (std::size_t c = 0; c < SearchChart::CellCount; ++c)
            widths[4 + c] = std::max(widths[4 + c], cp932Width(chart.cell(c)));
    return widths;
}

ListRow searchCaptions()
{
    ListModel model = ListModel::fresh();
    model.SenL = searchSenL("", "");
    applyListCaptions(model, listLayout(model, listInitialWidths()));
    return model.rows[0];
}

std::string writeSearchListFile(const std::string &path, std::string_view matter, int direction,
                                const SearchOutcome &outcome, int threads, SpecialTarget special)
{
    const std::string SenL = searchSenL(matter, searchDirectionText(direction));
    const std::string CntL = searchCntL(outcome.matches, outcome.examined);
    if (std::string fault = listTitleFault(path, SenL, CntL); !fault.empty())
        return fault;
    const ListRow captions = searchCaptions();
    if (std::string fault = listRowFault(path, 0, captions); !fault.empty())
        return fault;
    const SearchRowText rows(outcome, SearchRowText::Form::ListFile);
    if (rows.firstCommaRow() >= 0) {
        const auto r = static_cast<std::size_t>(rows.firstCommaRow());
        return listRowFault(path, r + 1, outcome.row(r));
    }

    // The title and the captions, then the rows as they are made.
    std::string head;
    std::size_t lineNo = 0;
    for (const std::string &line : listFileLines(ListModel{SenL, CntL, {captions}})) {
        ++lineNo;
        CodecResult encoded = encodeCp932(line);
        if (!encoded.ok)
            return listEncodingFault(path, lineNo);
        head += encoded.text;
        head += "\r\n";
    }
    if (rows.firstUnencodableRow() >= 0)
        return listEncodingFault(path, static_cast<std::size_t>(rows.firstUnencodableRow()) + 3);

    AtomicFile file(path, special);
    // Large pieces: one system call per block of rows, not per line.
    constexpr std::size_t Block = 4096;
    const std::size_t n = outcome.found.size();
    std::string pending = std::move(head);
    const bool written = makeBlocksInOrder(
        (n + Block - 1) / Block, threads > 0 ? threads : static_cast<int>(std::max(1u, std::thread::hardware_concurrency())),
        [&](std::size_t b, std::string &out) { rows.append(b * Block, std::min(n, (b + 1) * Block), out); },
        [&](std::string_view text) {
            if (!pending.empty()) {
                if (!file.write(pending))
                    return false;
                pending.clear();
            }
            return file.write(text);
        });
    if (written && !pending.empty())
        file.write(pending);
    // A failed write is kept by the file and told by commit(); the old file stays.
    return file.commit();
}

std::vector<ListRow> SearchOutcome::rows() const
{
    std::vector<ListRow> all(found.size());
    fillRows(*this, all.data());
    return all;
}

std::string searchDirectionText(int direction)
{
    if (direction <= 0 || direction > 8)
        return "全方位";
    return std::string(DirectionName[static_cast<std::size_t>(direction)]);
}

std::string searchSenL(std::string_view matter, std::string_view directionText)
{
    return " 占事「" + std::string(matter) + "」 方位「" + std::string(directionText) + "」 ";
}

std::string searchCntL(std::int64_t matches, std::int64_t examined)
{
    return std::to_string(matches) + "/" + std::to_string(examined);
}

} // namespace velm

namespace velm {

ListModel searchListHead(std::string_view matter, int direction, const SearchOutcome &outcome)
{
    ListModel model = ListModel::fresh();
    model.SenL = searchSenL(matter, searchDirectionText(direction));
    model.CntL = searchCntL(outcome.matches, outcome.examined);
    ListRow captions = model.rows.empty() ? ListRow{} : model.rows.front();
    model.rows.assign(1, std::move(captions));
    applyListCaptions(model, listLayout(model, listInitialWidths()));
    return model;
}

ListModel searchListModel(std::string_view matter, int direction, SearchOutcome outcome)
{
    ListModel model = searchListHead(matter, direction, outcome);
    model.rows.resize(outcome.rowCount() + 1);
    fillRows(outcome, model.rows.data() + 1);
    return model;
}

void SearchOutcome::appendRows(std::size_t from, std::size_t to, std::vector<ListRow> &rows) const
{
    to = std::min(to, found.size());
    if (from >= to)
        return;
    const std::size_t at = rows.size();
    rows.resize(at + (to - from));
    WalkMomentCells moment(start, kind);
    for (std::size_t i = from; i < to; ++i) {
        moment.at(found[i].index);
        fillRow(rows[at + (i - from)], kind, moment, charts[found[i].chart]);
    }
}

bool SearchOutcome::hasWideCells() const
{
    // Every chart is some row's.
    for (const SearchChart &chart : charts)
        for (std::size_t c = 0; c < SearchChart::CellCount; ++c)
            if (listCellWide(chart.cell(c)))
                return true;
    return false;
}

} // namespace velm
