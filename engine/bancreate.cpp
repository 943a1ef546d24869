#include "engine/ban.h"

namespace velm {

// Placeholder until both laying methods are built.
ChartRecord BanCreate2(const Koyomi &, int BanShu, const PatternDetector *)
{
    ChartRecord c;
    c.BanShu = BanShu;
    return c;
}

ChartRecord BanCreate(const Koyomi &koyomi, int BanShu, LayingMethod, const PatternDetector *detector)
{
    return BanCreate2(koyomi, BanShu, detector);
}

} // namespace velm
