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

std::string TimeLeftText(double seconds)
{
    const auto whole = static_cast<std::uint64_t>(seconds + 0.5);
    std::string text = "about ";
    if (whole < 60)
        text += std::to_string(whole) + " s";
    else if (whole < 3600)
        text += std::to_string(whole / 60) + " min " + std::to_string(whole % 60) + " s";
    else
        text += std::to_string(whole / 3600) + " h " + std::to_string(whole % 3600 / 60) + " min";
    return text + " left";
}

std::string RunProgressText(const RunProgress& report, double phaseSeconds, double runSeconds)
{
    const bool readingTypes = report.Step == RunProgress::Phase::ReadingTypes;
    std::string text = readingTypes ? "Reading the types" : "Writing the script";
    const bool sized = report.TotalBytes != 0;
    const int percent = report.Percent > 100 ? 100 : report.Percent;
    text += sized ? ": " + std::to_string(percent) + " %, " : ": ";
    const std::uint64_t count = readingTypes ? report.Line : report.Rows;
    text += readingTypes ? "line " + GroupedNumber(count)
                         : GroupedNumber(count) + (count == 1 ? " row" : " rows");
    // A rate over less than a moment says nothing yet.
    constexpr double Moment = 0.5;
    if (phaseSeconds >= Moment)
        text += ", " + GroupedNumber(static_cast<std::uint64_t>(static_cast<double>(count) / phaseSeconds)) +
                (readingTypes ? " lines/s" : " rows/s");
    if (sized && percent > 0 && percent < 100 && runSeconds >= Moment)
        text += ", " + TimeLeftText(runSeconds * (100 - percent) / percent);
    return text;
}

std::string FailedRunSummary(std::uint64_t line, const std::string& message)
{
    std::string summary =
        line == 0 ? "Failed before the first line. " : "Failed at line " + GroupedNumber(line) + ". ";
    const std::string first = message.substr(0, message.find("\n\n"));
    if (!first.empty())
        summary += first + " ";
    return summary + "The target file is as it was before the run.";
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
