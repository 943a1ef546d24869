#include "output/search.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <memory>
#include <optional>
#include <thread>

#include "engine/koyomiwalk.h"
#include "engine/symbols.h"
#include "evaluation/patterns.h"
#include "evaluation/suusan.h"
#include "output/chartshapes.h"
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

void fillRow(ListRow &row, int kind, const CivilTime &moment, const ChartCells &cells, int direction)
{
    row[0] = SearchKindCaption[static_cast<std::size_t>(kind & 3)];
    row[1] = formatListDate(moment);
    row[2] = formatListHour(moment);
    row[3] = formatListWeekday(moment);
    std::copy(cells.begin(), cells.end(), row.begin() + 4);
    row[14] = std::to_string(direction);
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
                   const SenMatter &matter, const NumberTables &tables, const ConstData &names)
{
    ChartOutcome out;
    const SuuScores scores = SuuSan(chart, koyomi, tables, settings.method);
    const SenResult result = SenCheck(matter, settings.direction, chart.Ban, scores);
    if (!result.matched)
        return out;
    out.matched = true;
    out.direction = result.direction;
    out.cells = chartCells(chart, scores, settings.element, names);
    return out;
}

// A judged chart: the thread whose cache holds its outcome in the high half,
// the outcome's number there in the low half; or Unmatched.
using OutcomeRef = std::uint64_t;
inline constexpr OutcomeRef Unmatched = ~OutcomeRef{0};

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

    // The outcome of the chart of the walk's kind for these calendar facts.
    OutcomeRef at(const Koyomi &koyomi)
    {
        const std::optional<ChartShapes::Shape> shape = m_shapes.find(koyomi);
        if (!shape) {
            // Outside the table's range (never for real dates): computed afresh.
            return store(judge(BanCreate(koyomi, m_settings.kind, m_settings.method, &standardPatternDetector()),
                               koyomi, m_settings, m_matter, m_tables, m_names));
        }
        const std::uint32_t plate = shape->plate;
        const std::uint64_t key = shape->key;
        std::size_t at = findJudged(plate, key);
        if (m_judged[at].plate == plate && m_judged[at].key == key)
            return m_judged[at].match == NoMatch ? Unmatched : m_matches[m_judged[at].match];

        std::optional<OutcomeRef> outcome;
        if (m_shared)
            outcome = m_shared->find(shape->slot, key);
        if (!outcome) {
            // Judged from the plates, the marks and the scores' own inputs
            // only, so nothing else of this moment can leak into what later
            // moments reuse.
            outcome = store(judge(m_shapes.chart(*shape, koyomi), m_shapes.scoringFacts(koyomi), m_settings,
                                  m_matter, m_tables, m_names));
            if (m_shared)
                outcome = m_shared->add(shape->slot, key, *outcome);
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
    ChartOutcome takeOutcome(std::uint32_t index) { return std::move(m_outcomes[index]); }
    std::size_t outcomeCount() const { return m_outcomes.size(); }

private:
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
        m_outcomes.push_back(std::move(outcome));
        return OutcomeRef{m_thread} << 32 | (m_outcomes.size() - 1);
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
    std::deque<ChartOutcome> m_outcomes;
};

struct Found {
    std::int64_t index;    // moment number within the walk
    OutcomeRef outcome;
};

// Examines moments [from, to) of the walk; matches in order appended to `found`.
void examine(std::int64_t from, std::int64_t to, const SearchSettings &settings,
             const SenMatter &matter, KoyomiWalker &walker, ChartCache &cache,
             std::vector<Found> &found)
{
    if (!matter.usable() || matter.groupCount == 0)
        return;
    for (std::int64_t k = from; k < to; ++k) {
        const OutcomeRef outcome = cache.at(walker.at(walkMoment(settings.start, settings.kind, k)));
        if (outcome != Unmatched)
            found.push_back({k, outcome});
    }
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
    const std::int64_t limit = walkLimit(settings.start, settings.kind, settings.limit);
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
    const auto T = static_cast<std::size_t>(std::clamp<std::int64_t>(limit / Chunk, 1, wanted));

    // Each worker sits on cache lines of its own: a line two threads write
    // would pass back and forth between the cores.
    struct alignas(64) Worker {
        Worker(const SearchSettings &settings, const SenMatter &matter, const NumberTables &tables,
               const ConstData &names, std::uint32_t thread, JudgedCharts *shared)
            : walker(settings.koyomi), cache(settings, matter, tables, names, thread, shared)
        {
        }
        KoyomiWalker walker;
        ChartCache cache;
        std::vector<std::vector<Found>> chunks; // the hits of each chunk it walked
        std::vector<std::uint32_t> shared;      // its outcomes as numbered in out.charts
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
            std::vector<Found> &found = w.chunks.emplace_back();
            examine(from, to, settings, matter, w.walker, w.cache, found);
            return static_cast<std::int64_t>(found.size());
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
    constexpr std::uint32_t NotShared = 0xFFFFFFFF;
    std::size_t outcomes = 0;
    for (const auto &w : workers) {
        outcomes += w->cache.outcomeCount();
        w->shared.assign(w->cache.outcomeCount(), NotShared);
    }
    out.found.reserve(static_cast<std::size_t>(std::min(end.prefix.hits, settings.maxMatches)));
    out.charts.reserve(outcomes);
    for (const WalkChunk &chunk : end.chunks) {
        for (const Found &f : workers[static_cast<std::size_t>(chunk.thread)]->chunks[chunk.seq]) {
            if (out.matches >= settings.maxMatches)
                break;
            Worker &holder = *workers[static_cast<std::size_t>(f.outcome >> 32)];
            const auto index = static_cast<std::uint32_t>(f.outcome);
            std::uint32_t &id = holder.shared[index];
            if (id == NotShared) {
                ChartOutcome o = holder.cache.takeOutcome(index);
                out.charts.push_back({std::move(o.cells), o.direction});
                id = static_cast<std::uint32_t>(out.charts.size() - 1);
            }
            out.found.push_back({f.index, id});
            ++out.matches;
        }
    }
    out.examined = full ? out.found.back().index + 1 : end.prefix.reached;
    out.stopped = stopped;
    out.ended = !full && !stopped && end.prefix.complete && limit < settings.limit;
    return out;
}

ListRow SearchOutcome::row(std::size_t i) const
{
    const SearchMatch &m = found[i];
    const SearchChart &c = charts[m.chart];
    return assembleRow(kind, walkMoment(start, kind, m.index), c.cells, c.direction);
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
        for (std::size_t i = from; i < to; ++i) {
            const SearchMatch &m = outcome.found[i];
            const SearchChart &c = outcome.charts[m.chart];
            fillRow(dest[i], outcome.kind, walkMoment(outcome.start, outcome.kind, m.index), c.cells,
                    c.direction);
        }
    });
}

} // namespace

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

ListModel searchListModel(std::string_view matter, int direction, SearchOutcome outcome)
{
    ListModel model = ListModel::fresh();
    model.SenL = searchSenL(matter, searchDirectionText(direction));
    model.CntL = searchCntL(outcome.matches, outcome.examined);
    ListRow captions = model.rows.empty() ? ListRow{} : model.rows.front();
    model.rows.assign(outcome.rowCount() + 1, ListRow{});
    model.rows[0] = std::move(captions);
    fillRows(outcome, model.rows.data() + 1);
    applyListCaptions(model, listLayout(model, listInitialWidths()));
    return model;
}

} // namespace velm
