#include "CommandLine.h"

const char* const UsageText =
    "Usage: tabulon-convert [OPTION...] PROJECT.cvtproj\n"
    "       tabulon-convert --source FILE --target FILE --table NAME [OPTION...]\n"
    "       tabulon-convert --detect FILE\n"
    "\n"
    "Converts the source text file of a saved Tabulon project into its SQL script;\n"
    "without a project, the settings of a new project are used, with what the\n"
    "source's own bytes say (separator, quoted fields, header, encoding ...) on top.\n"
    "\n"
    "  --source FILE     read FILE instead of the project's source file (- : standard input)\n"
    "  --target FILE     write the script to FILE instead of the project's target\n"
    "                    (- : standard output)\n"
    "  --table NAME      fill table NAME instead of the project's table\n"
    "  --set KEY=VALUE   use VALUE for the project key KEY in this run (repeatable),\n"
    "                    e.g. --set Separator=, --set QuotedFields=1\n"
    "  --detect FILE     print the settings detected from FILE as project keys, one a\n"
    "                    line, each followed by a tab and what it was decided from\n"
    "  --discover        read the column names and quotation from the source first\n"
    "                    (done anyway when the project has no columns)\n"
    "  --strict          fail (exit 5) when a line has fewer or more fields than there\n"
    "                    are columns\n"
    "  --quiet           no progress display\n"
    "  --help            show this text\n"
    "  --version         show the version\n"
    "\n"
    "Relative paths inside the project are taken from the project file's folder.\n"
    "The script takes the target's place only when the run completes; messages go\n"
    "to standard error.\n"
    "Exit status: 0 done, 1 source cannot be opened, 2 target cannot be created,\n"
    "3 read or write error during the run, 4 project file cannot be read or is\n"
    "incomplete, 5 data that cannot be written safely (a NUL byte, text invalid in\n"
    "its encoding; with --strict, ragged lines), 64 bad usage.\n";

CommandLine ParseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine result;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&](std::optional<std::string>& into) {
            if (i + 1 >= arguments.size()) {
                result.Error = argument + " needs a value";
                return;
            }
            into = arguments[++i];
        };
        if (argument == "--source")
            value(result.Source);
        else if (argument == "--target")
            value(result.Target);
        else if (argument == "--table")
            value(result.Table);
        else if (argument == "--detect")
            value(result.Detect);
        else if (argument == "--set") {
            std::optional<std::string> setting;
            value(setting);
            const std::size_t equals = setting ? setting->find('=') : std::string::npos;
            if (setting && (equals == std::string::npos || equals == 0))
                result.Error = "--set needs KEY=VALUE, not " + *setting;
            else if (setting)
                result.Settings.emplace_back(setting->substr(0, equals), setting->substr(equals + 1));
        } else if (argument == "--discover")
            result.Discover = true;
        else if (argument == "--strict")
            result.Strict = true;
        else if (argument == "--quiet")
            result.Quiet = true;
        else if (argument == "--help" || argument == "-h")
            result.Help = true;
        else if (argument == "--version")
            result.Version = true;
        else if (argument.size() > 1 && argument[0] == '-')
            result.Error = "unknown option " + argument;
        else if (!result.ProjectFile.empty())
            result.Error = "more than one project file given";
        else
            result.ProjectFile = argument;
        if (!result.Error.empty())
            return result;
    }
    const bool standsAlone = (result.Source && result.Target && result.Table) || result.Detect;
    if (result.ProjectFile.empty() && !standsAlone && !result.Help && !result.Version)
        result.Error = "no project file given (without one, --source, --target and --table are needed)";
    return result;
}
