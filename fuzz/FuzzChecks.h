#pragma once
// Checks shared by the fuzz targets and the regression test. Each one writes the given bytes to a
// file, reads it the way the program does and compares what came back with what the byte rules of a
// text-mode read and of the two line rules say it must be. Each returns an empty text when everything
// agrees, otherwise what disagreed, with the bytes around it.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// TextFileReader by whole lines, by Read with buffers of many sizes and by both mixed, ReadTextFile
// and the personal copy, against FromTextMode; FromTextMode against the text-mode byte rules.
std::string CheckTextModeReading(std::string_view bytes);
// ReadAircraftEntries against AircraftEntryFromLine applied to each line, and that rule against what
// an aircraft entry is.
std::string CheckAircraftReading(std::string_view bytes);
// ReadAirportCodes against AirportCodeFromLine applied to each line, and that rule against what an
// airport code is.
std::string CheckAirportReading(std::string_view bytes);
// PositionFromAirportLine on the input's first line: a position it gives lies on the globe and reads
// back from the same place written in degrees and minutes and in decimal degrees.
std::string CheckAirportPosition(std::string_view bytes);
// PlanFileReader line by line against the text-mode lines (after a UTF-8 byte-order mark; UTF-16
// text refused), each line's kind against its first
// bytes, and every plan read against the ranges of its fields and the arithmetic of its loop.
std::string CheckPlanFileReading(std::string_view bytes);

// The comparisons behind the checks, open so that a test can show they catch a wrong reading.
// `fileBytes` are the bytes on disk; the list or the text is what a reader gave for them.
std::string CompareTextModeText(std::string_view fileBytes, std::string_view text);
std::string CompareTextModeLines(std::string_view fileBytes, const std::vector<std::string>& lines);
std::string CompareAircraftEntries(std::string_view fileBytes, const std::vector<std::string>& entries);
std::string CompareAirportCodes(std::string_view fileBytes, const std::vector<std::string>& codes);

struct FuzzTarget {
    const char* name; // the folder of its inputs under fuzz/corpus and fuzz/regressions
    std::string (*check)(std::string_view bytes);
};
const std::vector<FuzzTarget>& FuzzTargets();

// The inputs kept for `target` under `sourceFolder`: its seed corpus and every input that once failed,
// in a stable order. Files whose names begin with a dot are not inputs.
std::vector<std::filesystem::path> KeptInputs(const std::filesystem::path& sourceFolder, std::string_view target);
