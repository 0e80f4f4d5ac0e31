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

// The status while a run goes on: the phase, how far the whole run has come, the rate
// and the time left: "Writing the script: 62 %, 1,234,567 rows, 250,000 rows/s, about
// 3 s left", or "Reading the types: 20 %, line 1,234, ..." during the pass for CREATE
// TABLE (lines per second there). `phaseSeconds` is the time since this phase began,
// `runSeconds` since the run began. The rate shows once the phase has run for a moment,
// the time left once a percentage is known (not from a pipe).
std::string RunProgressText(const RunProgress& report, double phaseSeconds, double runSeconds);

// "about 3 s left", "about 2 min 5 s left", "about 1 h 3 min left".
std::string TimeLeftText(double seconds);

// The final status of a run that failed at `line` (0: before the first line) with the
// Error box's `message`: "Failed at line 2,998. ", the message's first paragraph and
// "The target file is as it was before the run." (a failed run never replaces it).
std::string FailedRunSummary(std::uint64_t line, const std::string& message);

// Why a run could not start: the project's fault, or the file that cannot be
// opened or created and the system's reason.
std::string DescribeOpenFailure(const CConverter::OpenFailure& failure);

// The final status of a run the user stopped at `line`.
std::string StoppedRunSummary(std::uint64_t line);
