#pragma once
// Generated input files of realistic shape, for benchmarks and stress runs.

#include <filesystem>

// `lines` airport lines such as EDDF,N50* 2.00',E8* 34.00',364 with varied codes.
void WriteAirportFile(const std::filesystem::path& path, int lines);
// `lines` aircraft lines such as AC#123,450,"Some Airline Boeing 737-800".
void WriteAircraftFile(const std::filesystem::path& path, int lines);

// The files of a large fleet, for legwise-check. `lines` airports over Europe, so that nearly every leg
// fits between departures 205 minutes apart; `lines` aircraft AC#0... of 400 to 499 kn.
void WriteEuropeAirportFile(const std::filesystem::path& path, int lines);
void WriteFastAircraftFile(const std::filesystem::path& path, int lines);
// `plans` daily plans of `legs` legs, 205 minutes apart, with a comment line before every hundredth;
// about one plan in a hundred shares its registration with another. The aircraft are drawn from the
// first `aircraft` keys, the destinations from the first `airports` codes.
void WriteDailyPlanFile(const std::filesystem::path& path, int plans, int airports, int aircraft, int legs = 7);
