#pragma once

#include "Converter.h"

#include <cstdint>
#include <string>

// "1,234,567": a count with a comma between each group of three digits.
std::string GroupedNumber(std::uint64_t number);

// The run page's final status of a completed run: "1,000,000 rows written in 0.4 s",
// then the lines with too few or too many fields, each with the first of them,
// then the run's note (CConverter::Note).
std::string CompletedRunSummary(const CConverter& converter, double seconds);

// The status while a run goes on: "Line 1,234, 56,789 bytes done", or
// "Reading the types: line 1,234" during the pass for CREATE TABLE.
std::string RunProgressText(const RunProgress& report);

// Why a run could not start: the project's fault, or the file that cannot be
// opened or created and the system's reason.
std::string DescribeOpenFailure(const CConverter::OpenFailure& failure);

// The final status of a run the user stopped at `line`.
std::string StoppedRunSummary(std::uint64_t line);
