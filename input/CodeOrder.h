#pragma once
// The order in which the destination box lists the airport codes: without regard to letter case
// (as CompareNoCase), and codes equal but for case by their bytes, so capitals come first.

#include "input/ListReading.h"

#include <cstdint>
#include <vector>

// The indexes of `codes` in that order. The codes themselves never move: a world-sized list is
// ordered at every opening of the plan dialog.
std::vector<std::uint32_t> SortedCodeOrder(const EntryList& codes);
