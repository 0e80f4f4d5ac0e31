#pragma once

#include <optional>
#include <string>
#include <vector>

// What the command line asked for.
struct CommandLine {
    std::optional<std::string> Source; // replaces the project's FileName
    std::optional<std::string> Target; // replaces the project's TargetName
    std::optional<std::string> Table;  // replaces the project's TableName
    bool Discover = false;
    bool Quiet = false;
    bool Help = false;
    bool Version = false;
    std::string ProjectFile;
    std::string Error; // non-empty: the arguments are unusable
};

CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

extern const char* const UsageText;
