#pragma once
// The check of a plan line too long to hold all its legs at once (a line of millions of legs): the
// line is read twice, first for whether it is a plan and how long its loop takes, then a stretch of
// legs at a time, each stretch looked up, walked and checked before the next is read. It finds what
// walking the whole plan and checking it finds, in the same order, in memory that does not grow with
// the line. Core, no Qt.

#include "planfile/PlanFileReader.h"
#include "planfile/PlanFindings.h"
#include "planfile/PlanLine.h"

#include <string>
#include <string_view>

// Reads `line` as ReadPlanLine does (`plan` gets its header alone, `reason` why a line is refused) and
// hands the findings of a plan to `found` as they are found.
PlanLineKind CheckLongPlanLine(std::string_view line, const ReferenceData& data, int turnaroundMinutes, PlanLine& plan,
                               std::string& reason, const FindingSink& found);
