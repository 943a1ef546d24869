// "Senji.Dat" and "Senji.Idx": the first input byte picks the file; the
// rest is its content. Every matter read is compiled and judged on a chart.

#include <cstdint>

#include "engine/ban.h"
#include "engine/symbols.h"
#include "engine/koyomi.h"
#include "evaluation/matters.h"
#include "evaluation/numbers.h"
#include "evaluation/patterns.h"
#include "evaluation/sencheck.h"
#include "evaluation/suusan.h"
#include "fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace velm;
    if (size == 0)
        return 0;
    static const Koyomi koyomi = DateToKyu(CivilTime{2024, 3, 1, 12, 0, 0}, KoyomiOptions{});
    static const ChartRecord chart = BanCreate(koyomi, KindHour, LayingMethod::Rotating, &standardPatternDetector());
    static const SuuScores scores = SuuSan(chart, koyomi, NumberTables{}, LayingMethod::Rotating);
    const bool index = data[0] & 1;
    const std::string &path = fuzz::writeScratch(data + 1, size - 1);
    if (index) {
        MatterListLoad load = readMatterList(path);
        for (const std::string &name : load.list.names)
            (void)load.list.indexOf(name);
        return 0;
    }
    MattersFile file = readMattersFile(path);
    for (const MatterRecord &record : file.records) {
        const SenMatter matter = compileMatter(record.matter());
        for (int direction = 0; direction <= 8; direction += 4)
            (void)SenCheck(matter, direction, chart.Ban, scores);
        (void)file.indexOf(record.name);
    }
    (void)file.lines();
    if (!file.records.empty()) {
        SenMatterLoad load = loadSenMatter(path, file.records.front().name);
        if (load.ok)
            (void)SenCheck(load.matter, 0, chart.Ban, scores);
    }
    return 0;
}
