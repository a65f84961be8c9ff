#pragma once
// The time zone of a position and the UTC offset of a zone at any moment from 2000 to 2050, from
// tables built into the program: the same answers on every platform, whatever zones it knows.
// Core, no Qt.

#include "check/Calendar.h"
#include "check/Geo.h"

#include <optional>
#include <string_view>
#include <vector>

// The IANA zone the map gives a position (open sea gives an "Etc/GMT" zone).
std::string_view MapZoneAt(GeoPosition position);

// The zone airlines keep at a position: the map's, except in the few places where they keep another
// (every airport in China keeps Beijing time, Asia/Shanghai, Xinjiang included).
std::string_view AirlineZoneAt(GeoPosition position);

struct ZoneOffset {
    int minutes = 0; // east of Greenwich positive: +330 for India
    bool daylight = false;
    friend bool operator==(const ZoneOffset&, const ZoneOffset&) = default;
};

// The offset of `zone` at `moment`; nothing for a zone the table does not hold or a moment outside
// 2000-01-01 to 2050-12-31.
std::optional<ZoneOffset> UtcOffset(std::string_view zone, UnixSeconds moment);

struct OffsetPeriod {
    UnixSeconds from = 0; // the first moment it holds
    ZoneOffset offset;
};

// The offsets `zone` keeps in [from, to): the one in force at `from`, then one per change. The span
// is cut to the table's years, so the first period starts at `from` or at 2000-01-01 if that is
// later. Empty for a zone the table does not hold or a span outside 2000 to 2050.
std::vector<OffsetPeriod> OffsetPeriods(std::string_view zone, UnixSeconds from, UnixSeconds to);

// The tzdata release the offset table was made from ("2025b").
std::string_view TzdataVersion();
