#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

// What the command line asked for.
struct CommandLine {
    std::optional<std::string> Source; // replaces the project's FileName
    std::optional<std::string> Target; // replaces the project's TargetName
    std::optional<std::string> Table;  // replaces the project's TableName
    // --set KEY=VALUE: project keys replaced for this run, in order.
    std::vector<std::pair<std::string, std::string>> Settings;
    // --detect FILE: print the settings detected from FILE, as project keys, and stop.
    std::optional<std::string> Detect;
    bool Discover = false;
    bool Quiet = false;
    bool Strict = false; // lines with too few or too many fields fail the run
    bool Help = false;
    bool Version = false;
    std::string ProjectFile; // empty: a new project's settings (with --source, --target and --table)
    std::string Error;       // non-empty: the arguments are unusable
};

CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

extern const char* const UsageText;
