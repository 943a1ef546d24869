#include "output/chartshapes.h"

namespace velm {

ChartShapes::ChartShapes(int kind, LayingMethod method) : m_kind(kind & 3), m_method(method) {}

std::optional<std::size_t> ChartShapes::slotOf(const PlateInputs &in)
{
    if (in.stem < 0 || in.stem > 9 || in.branch < 0 || in.branch > 11 || in.dun < 0 || in.dun > 1 || in.ju < 0
        || in.ju > 8 || in.nineStar < 0 || in.nineStar > 8 || in.term < 0 || in.term >= static_cast<int>(TermSlots))
        return std::nullopt;
    const auto u = [](int v) { return static_cast<std::size_t>(v); };
    // The term outermost: a rotating-plate walk (term always 0) then
    // touches only the first 19,440 slots, which stay in the cache.
    return ((((u(in.term) * 10 + u(in.stem)) * 12 + u(in.branch)) * 2 + u(in.dun)) * 9 + u(in.ju)) * 9
        + u(in.nineStar);
}

std::optional<ChartShapes::Shape> ChartShapes::find(const Koyomi &koyomi)
{
    const auto k = static_cast<std::size_t>(m_kind);
    const PlateInputs in = plateInputs(koyomi, m_kind, m_method);
    const std::optional<std::size_t> slot = slotOf(in);
    if (!slot || koyomi.Kisetsu < 0 || koyomi.Kisetsu > 7 || koyomi.BanSekki[k] < 0 || koyomi.BanSekki[k] > 255)
        return std::nullopt;
    std::vector<std::uint32_t> &part = m_slots[*slot / SlotsPerTerm];
    if (part.empty())
        part.assign(SlotsPerTerm, 0);
    std::uint32_t &index = part[*slot % SlotsPerTerm];
    if (index == 0) {
        m_plates.push_back(layPlates(in, m_kind, m_method));
        m_probes.push_back(pillarProbe(m_plates.back()));
        index = static_cast<std::uint32_t>(m_plates.size());
    }
    Shape shape;
    shape.plate = index - 1;
    shape.slot = static_cast<std::uint32_t>(*slot);
    shape.key = pillarSignature(m_probes[shape.plate], koyomi) | static_cast<std::uint64_t>(koyomi.Kisetsu) << 48
        | static_cast<std::uint64_t>(koyomi.BanSekki[k]) << 51;
    return shape;
}

ChartRecord ChartShapes::chart(const Shape &shape, const Koyomi &koyomi) const
{
    ChartRecord chart = m_plates[shape.plate];
    markChart(chart, koyomi, &standardPatternDetector());
    return chart;
}

Koyomi ChartShapes::scoringFacts(const Koyomi &koyomi) const
{
    const auto k = static_cast<std::size_t>(m_kind);
    Koyomi scoring;
    scoring.Kisetsu = koyomi.Kisetsu;
    scoring.BanSekki[k] = koyomi.BanSekki[k];
    return scoring;
}

} // namespace velm
