// List files ("一覧表ファイル"): read one, then do what the list window does
// with it: lay it out, find each row's chart, mark its direction, and save
// it again (a list that reads must write back to the same rows).

#include <cstdint>
#include <cstdlib>

#include "output/listfile.h"
#include "fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace velm;
    ListFileRead read = readListFile(fuzz::writeScratch(data, size));
    if (!read.ok())
        return 0;
    ListModel &model = read.model;
    (void)listKindOf(model.SenL);
    (void)listLayout(model, listInitialWidths());
    for (const ListRow &row : model.rows) {
        (void)rowMoment(row);
        (void)markedColumn(row);
    }
    const std::string copy = fuzz::scratchPath() + ".copy";
    if (writeListFile(copy, model).empty()) {
        ListFileRead again = readListFile(copy);
        if (!again.ok() || again.model.rows != model.rows)
            std::abort(); // saved and read back differently
    }
    return 0;
}
