#pragma once
// Generated input files of realistic shape, for benchmarks and stress runs.

#include <filesystem>

// `lines` airport lines such as EDDF,N50* 2.00',E8* 34.00',364 with varied codes.
void WriteAirportFile(const std::filesystem::path& path, int lines);
// `lines` aircraft lines such as AC#123,450,"Some Airline Boeing 737-800".
void WriteAircraftFile(const std::filesystem::path& path, int lines);
