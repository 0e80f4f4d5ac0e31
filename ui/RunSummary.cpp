#include "RunSummary.h"

#include "FailureText.h"

#include <cstdio>

std::string GroupedNumber(std::uint64_t number)
{
    std::string digits = std::to_string(number);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, 1, ',');
    return digits;
}

std::string CompletedRunSummary(const CConverter& converter, double seconds)
{
    char time[32];
    std::snprintf(time, sizeof time, "%.1f", seconds);
    std::string summary = GroupedNumber(converter.RowsWritten) +
                          (converter.RowsWritten == 1 ? " row" : " rows") + " written in " + time + " s";
    // Lines that did not match the columns are converted all the same; the user hears of them.
    auto add = [&](const CConverter::RaggedLines& lines, const char* what) {
        if (lines.Count == 0)
            return;
        summary += "; " + GroupedNumber(lines.Count) + (lines.Count == 1 ? " line" : " lines") + " with " +
                   what + " fields than columns (first: line " + std::to_string(lines.FirstLine) + ")";
    };
    add(converter.ShortLines, "fewer");
    add(converter.LongLines, "more");
    if (converter.Note)
        summary += std::string("; ") + converter.Note;
    return summary;
}

std::string StoppedRunSummary(std::uint64_t line)
{
    return "Stopped at line " + GroupedNumber(line) + "; the target file is as it was before the run";
}

std::string RunProgressText(const RunProgress& report)
{
    if (report.Step == RunProgress::Phase::ReadingTypes)
        return "Reading the types: line " + std::to_string(report.Line);
    return "Line " + std::to_string(report.Line) + ", " + std::to_string(report.Bytes) + " bytes done";
}

std::string DescribeOpenFailure(const CConverter::OpenFailure& failure)
{
    switch (failure.Result) {
    case CConverter::OpenResult::SettingsFailed:
        return (failure.Key.empty() ? "The project " : "The project's setting ") + failure.Reason +
               ". Correct it on the first page or in Options.";
    case CConverter::OpenResult::TargetFailed:
        return DescribeFileFailure("The target file cannot be created.", failure.File, failure.Reason);
    case CConverter::OpenResult::SourceFailed:
    case CConverter::OpenResult::Done:
        break;
    }
    return DescribeFileFailure("The source file cannot be opened.", failure.File, failure.Reason);
}
