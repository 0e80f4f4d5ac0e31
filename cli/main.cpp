// tabulon-convert: runs a saved project without the user interface.
#include "CommandLine.h"
#include "Converter.h"
#include "FileError.h"
#include "Project.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {

enum ExitStatus {
    Done = 0,
    SourceFailed = 1,
    TargetFailed = 2,
    RunFailed = 3,
    ProjectFailed = 4,
    BadUsage = 64,
};

using Clock = std::chrono::steady_clock;

// The progress function takes no context, so its display state lives here.
Clock::time_point LastDraw;
bool ShowProgress = false;

void DrawProgress(const char* status, int percent)
{
    if (!ShowProgress)
        return;
    const Clock::time_point now = Clock::now();
    if (now - LastDraw < std::chrono::milliseconds(100))
        return;
    LastDraw = now;
    std::fprintf(stderr, "\r%s  %3d%%\033[K", status, percent > 100 ? 100 : percent);
    std::fflush(stderr);
}

// A relative path stored in a project is taken from the project file's folder,
// so that a project travels with its data.
std::string FromProjectFolder(const std::string& path, const std::string& projectFile)
{
    if (path.empty() || std::filesystem::path(path).is_absolute())
        return path;
    return (std::filesystem::path(projectFile).parent_path() / path).lexically_normal().string();
}

int Fail(int status, const std::string& file, const std::string& reason)
{
    std::fprintf(stderr, "tabulon-convert: %s: %s\n", file.c_str(), reason.c_str());
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    const CommandLine options = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
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

    CProject project;
    project.ProjectPath = options.ProjectFile;
    errno = 0;
    if (!project.Load()) {
        const bool isFolder = std::filesystem::is_directory(options.ProjectFile);
        return Fail(ProjectFailed, options.ProjectFile,
                    isFolder     ? "is a folder"
                    : errno != 0 ? std::strerror(errno)
                                 : "cannot be read");
    }
    project.FileName =
        options.Source ? *options.Source : FromProjectFolder(project.FileName, options.ProjectFile);
    project.TargetName =
        options.Target ? *options.Target : FromProjectFolder(project.TargetName, options.ProjectFile);
    if (options.Table)
        project.TableName = *options.Table;

    CConverter converter;
    converter.Project = &project;
    converter.UseProjectSeparator();
    if (options.Discover || project.Columns.empty())
        converter.DiscoverProjectColumns();

    ShowProgress = !options.Quiet && isatty(fileno(stderr));
    const Clock::time_point started = Clock::now();
    try {
        if (converter.Run(DrawProgress) != 0) {
            const CConverter::OpenFailure& failure = converter.LastOpenFailure();
            return Fail(failure.Result == -1 ? SourceFailed : TargetFailed, failure.File, failure.Reason);
        }
    } catch (const FileError& error) {
        if (ShowProgress)
            std::fputs("\n", stderr);
        return Fail(RunFailed, error.FileName, error.Reason);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    if (ShowProgress)
        std::fputs("\r\033[K", stderr);

    std::error_code ec;
    const std::filesystem::path target = std::filesystem::absolute(project.TargetName, ec);
    std::printf("Converted %llu lines (%llu bytes) into %s in %.2f s\n",
                static_cast<unsigned long long>(converter.LinesRead),
                static_cast<unsigned long long>(converter.SourceSize),
                (ec ? project.TargetName : target.string()).c_str(), seconds);
    return Done;
}
