#pragma once

// Projects and project files for the robustness tests.

#include "Project.h"
#include "TestFiles.h"

#include <filesystem>
#include <string>
#include <vector>

namespace robust {

namespace fs = std::filesystem;

// A project that converts source.txt in the folder into script.sql there, filling table T.
inline CProject ProjectIn(const TestFolder& dir)
{
    CProject project;
    project.FileName = dir / "source.txt";
    project.TargetName = dir / "script.sql";
    project.TableName = "T";
    return project;
}

// A project file in the format the program writes.
inline std::string ProjectText(const std::vector<std::string>& lines)
{
    std::string text = "[General]\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

} // namespace robust
