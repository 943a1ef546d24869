// "SetuFile.Dat": read it, then compose the palace pane of every palace and
// every editor text from it.

#include <cstdint>

#include "engine/ban.h"
#include "engine/symbols.h"
#include "engine/constdata.h"
#include "engine/koyomi.h"
#include "evaluation/explanations.h"
#include "evaluation/numbers.h"
#include "evaluation/patterns.h"
#include "evaluation/suusan.h"
#include "fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace velm;
    static const ConstData names = MakeConstData();
    static const Koyomi koyomi = DateToKyu(CivilTime{2024, 3, 1, 12, 0, 0}, KoyomiOptions{});
    static const ChartRecord chart = BanCreate(koyomi, KindHour, LayingMethod::Rotating, &standardPatternDetector());
    static const SuuScores scores = SuuSan(chart, koyomi, NumberTables{}, LayingMethod::Rotating);
    const SetuTexts texts = SetuTexts::load(fuzz::writeScratch(data, size));
    for (int pos = 0; pos < 9; ++pos)
        (void)PnlRead(chart.Ban, scores, pos, texts, names, "", "\n");
    for (int kind = 0; kind < 8; ++kind)
        for (int item = 0; item < 60; ++item)
            (void)texts.text(kind, item);
    return 0;
}
