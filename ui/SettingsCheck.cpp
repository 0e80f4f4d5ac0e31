#include "SettingsCheck.h"

#include "Project.h"
#include "RunSettings.h"
#include "SettingsError.h"
#include "Utf8Path.h"

#include <filesystem>

namespace {

using Field = SettingsProblem::Field;

} // namespace

SettingsProblem CheckFirstPage(const CProject& project, bool forRun)
{
    std::error_code ec;
    const std::filesystem::path source = PathFromUtf8(project.FileName);
    if (project.FileName.empty())
        return {Field::Source, "No source file is named. Give the text file to convert."};
    if (!std::filesystem::exists(source, ec))
        return {Field::Source, "The source file " + project.FileName + " cannot be found."};
    if (std::filesystem::is_directory(source, ec))
        return {Field::Source, "The source file " + project.FileName + " is a folder, not a file."};
    // The splitting and the options as the engine checks them for every run; the
    // message names the field of this page that holds the value.
    try {
        (void)RunSettings::From(project);
    } catch (const SettingsError& error) {
        if (error.Key == "Separator")
            return {Field::Separator, "The separator is empty: " + error.Allowed + "."};
        if (error.Key == "Widths" && error.Value.empty())
            return {Field::Widths, "No widths are given: " + error.Allowed + "."};
        if (error.Key == "Widths")
            return {Field::Widths,
                    "The widths \"" + error.Value + "\" cannot cut the lines: " + error.Allowed + "."};
        return {Field::None,
                "The project's setting " + std::string(error.what()) + ". Correct it in Options."};
    }
    if (!forRun)
        return {};
    if (project.TargetName.empty())
        return {Field::Target, "No target file is named. Give the SQL script file to write."};
    const std::filesystem::path target = PathFromUtf8(project.TargetName);
    if (std::filesystem::is_directory(target, ec))
        return {Field::Target, "The target file " + project.TargetName + " is a folder, not a file."};
    const std::filesystem::path folder = std::filesystem::absolute(target, ec).parent_path();
    if (!std::filesystem::is_directory(folder, ec))
        return {Field::Target, "The folder of the target file " + project.TargetName + " does not exist."};
    if (std::filesystem::equivalent(source, target, ec))
        return {Field::Target, "The target file is the source file. Give another file for the script."};
    if (project.TableName.empty())
        return {Field::Table, "No table is named. Give the table the script fills."};
    if (project.TableName.find_first_of("\t\r\n") != std::string::npos)
        return {Field::Table, "The table name \"" + project.TableName + "\" holds a tab or a line break."};
    return {};
}
