#pragma once

#include <ostream>

#include "output/listfile.h"

namespace velm::cli {

// A list as its window shows it: title and count, then columns 0..13 side by
// side (column 14 is hidden), captions centred, values right-aligned, widths
// in CP932 bytes (the width in a fixed-pitch terminal font).
void printGrid(std::ostream &out, const ListModel &model);

} // namespace velm::cli
