#pragma once
// The two tables of time zones, as the build embeds them from check/data (cmake/EmbedData.cmake).
// Core, no Qt.

#include <string_view>

// check/data/zone-map.bin: the zones' boundaries, in a quadtree over the globe.
std::string_view ZoneMapBytes();

// check/data/zone-offsets.txt: the UTC offsets of those zones from 2000 to 2050.
std::string_view ZoneOffsetsText();
