#include "output/search.h"

#include <algorithm>
#include <iterator>
#include <thread>

#include "engine/koyomiwalk.h"
#include "engine/symbols.h"
#include "evaluation/patterns.h"
#include "evaluation/suusan.h"
#include "output/walk.h"

namespace velm {
namespace {

// What the matter's conditions read, so a moment that cannot match is not
// scored: scores only for number conditions (and the patterns behind the
// 格局 score), patterns only for those and pattern conditions.
struct Needs {
    bool scores = false;
    bool patterns = false;
};

Needs needsOf(const SenMatter &matter)
{
    Needs n;
    for (int g = 0; g < matter.groupCount; ++g) {
        const SenGroup &group = matter.groups[static_cast<std::size_t>(g)];
        for (int r = 0; r < group.count; ++r) {
            switch (group.rows[static_cast<std::size_t>(r)].test) {
            case SenCondition::Test::Number:
                n.scores = true;
                break;
            case SenCondition::Test::PatternEqual:
            case SenCondition::Test::PatternNotEqual:
                n.patterns = true;
                break;
            default:
                break;
            }
        }
    }
    n.patterns = n.patterns || n.scores;
    return n;
}

// The detector without patterns: the 五不遇時 flag still comes out.
const PatternDetector &flagsOnlyDetector()
{
    static const PatternDetector detector{nullptr, standardPatternDetector().GoFugu};
    return detector;
}

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

// One moment, with what the matter reads worked out once per walk.
std::optional<ListRow> findWith(const CivilTime &moment, const SearchSettings &settings,
                                const SenMatter &matter, const Needs &needs,
                                const NumberTables &tables, const ConstData &names,
                                KoyomiWalker &walker)
{
    if (!matter.usable() || matter.groupCount == 0)
        return std::nullopt;
    const Koyomi k = walker.at(moment);
    const PatternDetector &detector = needs.patterns ? standardPatternDetector() : flagsOnlyDetector();
    ChartRecord chart = BanCreate(k, settings.kind, settings.method, &detector);
    SuuScores scores;
    if (needs.scores)
        scores = SuuSan(chart, k, tables, settings.method);
    const SenResult result = SenCheck(matter, settings.direction, chart.Ban, scores);
    if (!result.matched)
        return std::nullopt;
    // A match: lay it in full for its row (the checks above read nothing the
    // full laying would change).
    if (!needs.patterns)
        chart = BanCreate(k, settings.kind, settings.method, &standardPatternDetector());
    if (!needs.scores)
        scores = SuuSan(chart, k, tables, settings.method);
    return searchRow(settings.kind, moment, chart, scores, settings.element, result.direction, names);
}

struct Found {
    std::int64_t index; // moment number within the walk
    ListRow row;
};

// Examines moments [from, to) of the walk; matches in order into `found`
// (cleared first; its storage is reused wave after wave).
void examine(std::int64_t from, std::int64_t to, const SearchSettings &settings,
             const SenMatter &matter, const NumberTables &tables, const ConstData &names,
             KoyomiWalker &walker, std::vector<Found> &found)
{
    found.clear();
    const Needs needs = needsOf(matter);
    for (std::int64_t k = from; k < to; ++k) {
        const CivilTime t = walkMoment(settings.start, settings.kind, k);
        if (auto row = findWith(t, settings, matter, needs, tables, names, walker))
            found.push_back({k, std::move(*row)});
    }
}

} // namespace

ListRow searchRow(int kind, const CivilTime &moment, const ChartRecord &chart,
                  const SuuScores &scores, SearchElement element, int direction,
                  const ConstData &names)
{
    ListRow row;
    row[0] = std::string(SearchKindCaption[static_cast<std::size_t>(kind & 3)]);
    row[1] = formatListDate(moment);
    row[2] = formatListHour(moment);
    row[3] = formatListWeekday(moment);
    row[4] = std::string(FlagName[static_cast<std::size_t>(chart.BanFlagNo % 5)]);
    // Palaces in ring order: centre, then clockwise from the north.
    for (int ring = 0; ring < 9; ++ring)
        row[static_cast<std::size_t>(5 + ring)] =
            palaceCell(element, RingToKyu[static_cast<std::size_t>(ring)], chart, scores, names);
    row[14] = std::to_string(direction);
    return row;
}

std::optional<ListRow> FindProc(const CivilTime &moment, const SearchSettings &settings,
                                const SenMatter &matter, const NumberTables &tables,
                                const ConstData &names, KoyomiWalker &walker)
{
    return findWith(moment, settings, matter, needsOf(matter), tables, names, walker);
}

SearchOutcome SrcProc(const SearchSettings &settings, const SenMatter &matter,
                      const NumberTables &tables, const ConstData &names,
                      const SearchProgress &progress)
{
    SearchOutcome out;
    if (settings.limit <= 0 || settings.maxMatches <= 0)
        return out;

    int threads = settings.threads > 0 ? settings.threads
                                       : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    constexpr std::int64_t Chunk = 4096;
    std::vector<KoyomiWalker> walkers(static_cast<std::size_t>(threads), KoyomiWalker(settings.koyomi));
    std::vector<std::vector<Found>> results(static_cast<std::size_t>(threads));

    for (std::int64_t waveStart = 0; waveStart < settings.limit;) {
        // Each thread takes one consecutive chunk of the wave; a thread keeps
        // its walker, which moves forward wave by wave.
        const std::int64_t waveEnd = std::min(settings.limit, waveStart + Chunk * threads);
        auto work = [&](int j) {
            const std::int64_t from = waveStart + Chunk * j;
            const std::int64_t to = std::min(waveEnd, from + Chunk);
            examine(from, std::max(from, to), settings, matter, tables, names,
                    walkers[static_cast<std::size_t>(j)], results[static_cast<std::size_t>(j)]);
        };
        if (threads == 1) {
            work(0);
        } else {
            std::vector<std::thread> pool;
            for (int j = 1; j < threads; ++j)
                pool.emplace_back(work, j);
            work(0);
            for (std::thread &t : pool)
                t.join();
        }

        // Merge in time order; the walk ends where the serial loop would.
        if (waveStart == 0) {
            // Room for the whole list as the first wave foretells it, so the
            // rows are not moved again and again as the list grows.
            std::size_t firstWave = 0;
            for (const auto &chunk : results)
                firstWave += chunk.size();
            const double share = static_cast<double>(firstWave) / static_cast<double>(waveEnd);
            const double expected = std::min<double>(static_cast<double>(settings.maxMatches),
                                                     share * static_cast<double>(settings.limit) * 1.05 + 16);
            out.rows.reserve(static_cast<std::size_t>(std::min(expected, 4.0e6)));
        }
        out.examined = waveEnd;
        bool full = false;
        for (auto &chunk : results) {
            for (Found &f : chunk) {
                out.rows.push_back(std::move(f.row));
                if (++out.matches >= settings.maxMatches) {
                    out.examined = f.index + 1;
                    full = true;
                    break;
                }
            }
            if (full)
                break;
        }
        if (full)
            break;
        waveStart = waveEnd;
        if (progress && !progress(out.matches, out.examined)) {
            out.stopped = true;
            break;
        }
    }
    return out;
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
    model.rows = std::move(outcome.rows);
    model.rows.insert(model.rows.begin(), std::move(captions));
    applyListCaptions(model, listLayout(model, listInitialWidths()));
    return model;
}

} // namespace velm
