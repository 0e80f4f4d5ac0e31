// tabulon-convert: runs a saved project without the user interface.
#include "CommandLine.h"
#include "Converter.h"
#include "DataError.h"
#include "FileError.h"
#include "FileHandle.h"
#include "FileReplacement.h"
#include "ProfileFile.h"
#include "ProgressLine.h"
#include "Project.h"
#include "ProjectKeys.h"
#include "SettingsError.h"
#include "SourceDetection.h"
#include "TextDecoder.h"
#include "TextRules.h"
#include "Utf8Path.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

// Ctrl+C, kill or a closed terminal during a run: the temporary script goes, an
// earlier target stays as it was, and the status is 128 and the signal's number.
extern "C" void StopOnSignal(int signal)
{
    RemoveTemporaryFiles();
    static const char message[] = "\ntabulon-convert: stopped by a signal; the target was left as it was\n";
#ifdef _WIN32
    (void)_write(2, message, sizeof message - 1);
#else
    (void)!::write(2, message, sizeof message - 1);
#endif
    std::_Exit(128 + signal);
}

void StopOnSignals()
{
#ifdef _WIN32
    std::signal(SIGINT, StopOnSignal);
    std::signal(SIGTERM, StopOnSignal);
#else
    struct sigaction action = {};
    action.sa_handler = StopOnSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction before = {};
        // A hangup ignored by whoever started us (nohup) stays ignored.
        if (signal == SIGHUP && ::sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signal, &action, nullptr);
    }
#endif
}

bool IsTerminal(std::FILE* stream)
{
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return ::isatty(::fileno(stream)) != 0;
#endif
}

enum ExitStatus {
    Done = 0,
    SourceFailed = 1,
    TargetFailed = 2,
    RunFailed = 3,
    ProjectFailed = 4,
    UnsafeData = 5,
    BadUsage = 64,
};

using Clock = std::chrono::steady_clock;

// The progress line on standard error, redrawn at most every 100 ms.
class ProgressDisplay {
  public:
    explicit ProgressDisplay(bool show) : Show(show), Line(show && TerminalUnderstandsEscapes(stderr)) {}

    void operator()(const RunProgress& report)
    {
        if (!Show)
            return;
        const Clock::time_point now = Clock::now();
        if (now - LastDraw < std::chrono::milliseconds(100))
            return;
        LastDraw = now;
        const std::string status =
            report.Step == RunProgress::Phase::ReadingTypes
                ? "Reading the types: line " + std::to_string(report.Line)
                : "Line " + std::to_string(report.Line) + ", " + std::to_string(report.Bytes) + " bytes done";
        std::fputs(Line.Draw(status, report.Percent).c_str(), stderr);
        std::fflush(stderr);
    }
    // Ends the line before a message, or clears it before the summary.
    void Break()
    {
        if (Show)
            std::fputs("\n", stderr);
    }
    void Clear()
    {
        if (Show)
            std::fputs(Line.Clear().c_str(), stderr);
    }

  private:
    bool Show;
    ProgressLine Line;
    Clock::time_point LastDraw;
};

int Fail(int status, const std::string& file, const std::string& reason)
{
    std::fprintf(stderr, "tabulon-convert: %s: %s\n", file.c_str(), reason.c_str());
    return status;
}

// How the summary names the script.
std::string TargetDescription(const std::string& target)
{
    if (IsStandardStream(target))
        return "standard output";
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(PathFromUtf8(target), ec);
    return ec ? target : Utf8FromPath(absolute);
}

bool Overridden(const CommandLine& options, std::string_view key)
{
    return std::any_of(options.Settings.begin(), options.Settings.end(),
                       [&](const auto& setting) { return SameIgnoringAsciiCase(setting.first, key); });
}

// After a failed run: what a script written straight into a stream holds. False for a file on disk.
bool ReportFailedStream(const CConverter& converter, const CProject& project)
{
    if (!IsStreamTarget(project.TargetName))
        return false;
    std::fprintf(stderr,
                 "tabulon-convert: %llu rows had been written to %s; the script ends in a statement that "
                 "fails on purpose, so that no client runs a partial statement%s.\n",
                 static_cast<unsigned long long>(converter.RowsWritten),
                 TargetDescription(project.TargetName).c_str(),
                 project.Dialect.empty() ? "" : " and the open transaction is rolled back");
    return true;
}

// "3 lines have fewer fields than the 5 columns (the first is line 7): ..."
void ReportRaggedLines(const CConverter::RaggedLines& lines, const char* comparison, std::size_t columns,
                       const char* consequence)
{
    if (lines.Count == 0)
        return;
    std::fprintf(stderr,
                 "tabulon-convert: %llu line%s %s fields than the %zu columns (the first is line %llu): %s\n",
                 static_cast<unsigned long long>(lines.Count), lines.Count == 1 ? " has" : "s have",
                 comparison, columns, static_cast<unsigned long long>(lines.FirstLine), consequence);
}

// The exit status and message for a run that could not start. A setting at
// fault that the command line gave is a usage error.
int FailToOpen(const CConverter::OpenFailure& failure, const CommandLine& options, const std::string& subject)
{
    switch (failure.Result) {
    case CConverter::OpenResult::SourceFailed:
        return Fail(SourceFailed, failure.File.empty() ? subject : failure.File, failure.Reason);
    case CConverter::OpenResult::TargetFailed:
        return Fail(TargetFailed, failure.File.empty() ? subject : failure.File, failure.Reason);
    case CConverter::OpenResult::SettingsFailed:
    case CConverter::OpenResult::Done:
        break;
    }
    if (!failure.Key.empty() && Overridden(options, failure.Key))
        return Fail(BadUsage, "--set", failure.Reason);
    return Fail(ProjectFailed, failure.File.empty() ? subject : failure.File, failure.Reason);
}

// Each column name written otherwise than the project has it, as the database takes names.
void ReportWrittenNames(const std::vector<std::string>& names, const std::vector<std::string>& written)
{
    for (std::size_t k = 0; k < names.size() && k < written.size(); ++k) {
        if (written[k] != names[k])
            std::fprintf(stderr, "tabulon-convert: column %zu, \"%s\", is written as \"%s\"\n", k + 1,
                         names[k].c_str(), written[k].c_str());
    }
}

int Convert(const CommandLine& options)
{
    if (options.Table && options.Table->empty())
        return Fail(BadUsage, "--table", "the table name is empty");
    for (const auto& [key, value] : options.Settings) {
        if (const std::optional<std::string> reason = CheckSetting(key, value))
            return Fail(BadUsage, "--set", *reason);
    }

    // The project file's settings, or a new project's, with the command line's on top.
    CProject project;
    ProfileFile settings;
    if (!options.ProjectFile.empty()) {
        project.ProjectPath = options.ProjectFile;
        if (!project.ReadProjectFile(settings))
            return Fail(ProjectFailed, options.ProjectFile, project.LoadError);
    } else {
        project.StoreSettings(settings);
        // A new project takes what its source's own bytes say; --set goes on top. A pipe is
        // not read ahead for it.
        std::error_code ec;
        if (options.Source && std::filesystem::is_regular_file(PathFromUtf8(*options.Source), ec)) {
            try {
                for (const DetectedKey& key : DetectSource(*options.Source).Keys)
                    settings.Set(ProfileSection, key.Key, key.Value);
            } catch (const FileError&) {
                // The run names the source that cannot be read.
            }
        }
    }
    for (const auto& [key, value] : options.Settings)
        settings.Set(ProfileSection, key, value);
    if (!project.LoadSettings(settings))
        return Fail(ProjectFailed, options.ProjectFile, project.LoadError);

    const std::string& projectFile = options.ProjectFile;
    if (options.Source)
        project.FileName = *options.Source;
    else if (!Overridden(options, "FileName"))
        project.FileName = FromProjectFolder(project.FileName, projectFile);
    if (options.Target)
        project.TargetName = *options.Target;
    else if (!Overridden(options, "TargetName"))
        project.TargetName = FromProjectFolder(project.TargetName, projectFile);
    if (options.Table)
        project.TableName = *options.Table;
    // Name what is missing rather than a file without a name.
    const std::string subject = projectFile.empty() ? "--set" : projectFile;
    if (project.TableName.empty())
        return Fail(ProjectFailed, subject, "names no table (TableName); give one with --table");
    if (project.FileName.empty())
        return Fail(SourceFailed, subject, "names no source file (FileName); give one with --source");
    if (project.TargetName.empty())
        return Fail(TargetFailed, subject, "names no target file (TargetName); give one with --target");

    CConverter converter;
    converter.Project = &project;
    ProgressDisplay progress(!options.Quiet && IsTerminal(stderr));
    const Clock::time_point started = Clock::now();
    try {
        // Discovery reads the source too, so its read errors end the run the same way.
        if (options.Discover || project.Columns.empty())
            converter.DiscoverProjectColumns();
        const CConverter::OpenResult opened =
            converter.Run([&progress](const RunProgress& report) { progress(report); });
        if (opened != CConverter::OpenResult::Done)
            return FailToOpen(converter.LastOpenFailure(), options, subject);
    } catch (const SettingsError& error) {
        progress.Break();
        return Fail(Overridden(options, error.Key) ? BadUsage : ProjectFailed,
                    Overridden(options, error.Key) ? std::string("--set") : subject, error.what());
    } catch (const FileError& error) {
        progress.Break();
        Fail(RunFailed, error.FileName, error.Reason);
        ReportFailedStream(converter, project);
        return RunFailed;
    } catch (const DataError& error) {
        progress.Break();
        std::fprintf(stderr, "tabulon-convert: %s\n", error.what());
        if (!ReportFailedStream(converter, project))
            std::fputs("No script was written.\n", stderr);
        return UnsafeData;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    progress.Clear();

    // On standard error, like every message of ours: standard output may be the script.
    // A pipe's size is not known beforehand, so none is claimed for it.
    const std::string size = converter.SourceSize > 0 || converter.LinesRead == 0
                                 ? " (" + std::to_string(converter.SourceSize) + " bytes)"
                                 : std::string();
    std::fprintf(stderr, "Converted %llu lines%s into %s in %.2f s\n",
                 static_cast<unsigned long long>(converter.LinesRead), size.c_str(),
                 TargetDescription(project.TargetName).c_str(), seconds);
    const std::size_t columns = project.Columns.size();
    ReportRaggedLines(converter.ShortLines, "fewer", columns, "their missing values are NULL");
    ReportRaggedLines(converter.LongLines, "more", columns, "their extra fields were left out");
    if (converter.Note)
        std::fprintf(stderr, "tabulon-convert: %s\n", converter.Note);
    ReportWrittenNames(project.Columns, converter.WrittenNames());
    if (options.Strict && (converter.ShortLines.Count > 0 || converter.LongLines.Count > 0))
        return UnsafeData;
    return Done;
}

// --detect: the detected settings on standard output, one key a line, a tab and the reason after it.
int PrintDetection(const std::string& path)
{
    try {
        const SourceDetection detection = DetectSource(path);
        for (const DetectedKey& key : detection.Keys)
            std::printf("%s=%s\t# %s\n", key.Key.c_str(), key.Value.c_str(), key.Reason.c_str());
        for (const std::string& note : detection.Notes)
            std::printf("# %s\n", note.c_str());
    } catch (const FileError& error) {
        return Fail(SourceFailed, error.FileName, error.Reason);
    }
    return Done;
}

int Main(const std::vector<std::string>& arguments)
{
    const CommandLine options = ParseCommandLine(arguments);
    if (options.Help) {
        std::fputs(UsageText, stdout);
        return Done;
    }
    if (options.Version) {
        std::printf("tabulon-convert %s\n", TABULON_VERSION);
        return Done;
    }
    if (!options.Error.empty()) {
        std::fprintf(stderr, "tabulon-convert: %s\n\n%s", options.Error.c_str(), UsageText);
        return BadUsage;
    }
    StopOnSignals();
    // What the system can still throw ends the run with a message and a documented status.
    try {
        if (options.Detect)
            return PrintDetection(*options.Detect);
        return Convert(options);
    } catch (const std::bad_alloc&) {
        std::fputs("tabulon-convert: not enough memory\n", stderr);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tabulon-convert: %s\n", error.what());
    }
    return RunFailed;
}

} // namespace

#ifdef _WIN32
// Arguments arrive in UTF-16 and become UTF-8, as every path inside the program
// is; messages go out in UTF-8, the console told so for the run.
int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(Utf8FromWide(argv[i]));
    const UINT consoleCodePage = GetConsoleOutputCP();
    SetConsoleOutputCP(CP_UTF8);
    const int status = Main(arguments);
    SetConsoleOutputCP(consoleCodePage);
    return status;
}
#else
int main(int argc, char** argv)
{
    return Main(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
