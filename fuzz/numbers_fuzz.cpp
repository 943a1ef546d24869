// "SuuFile.Dat": read whatever the file holds, then score a chart with it,
// since a table that reads is a table that scores.

#include <cstdint>

#include "engine/ban.h"
#include "engine/symbols.h"
#include "engine/koyomi.h"
#include "evaluation/numbers.h"
#include "evaluation/patterns.h"
#include "evaluation/suusan.h"
#include "fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace velm;
    static const Koyomi koyomi = DateToKyu(CivilTime{2024, 3, 1, 12, 0, 0}, KoyomiOptions{});
    static const ChartRecord chart = BanCreate(koyomi, KindHour, LayingMethod::Rotating, &standardPatternDetector());
    NumbersFile file = readNumbersFile(fuzz::writeScratch(data, size));
    for (LayingMethod method : {LayingMethod::Rotating, LayingMethod::Flying}) {
        const SuuScores scores = SuuSan(chart, koyomi, file.tables, method);
        for (const SuuSanFault &f : scores.faults())
            (void)suuSanMessage(f, file.tables);
    }
    (void)numbersFileLines(file.tables);
    (void)checkTables(file.tables);
    return 0;
}
