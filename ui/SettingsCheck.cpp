#include "SettingsCheck.h"

#include "Project.h"
#include "Utf8Path.h"

#include <filesystem>

namespace {

using Field = SettingsProblem::Field;

// The problem with one width of the list ("" when it is a whole number from 1 to 65535).
std::string WidthProblem(const std::string& width)
{
    if (width.empty())
        return "one of them is empty";
    if (width.find_first_not_of("0123456789") != std::string::npos)
        return "\"" + width + "\" is not a whole number";
    if (width.size() > 5 || std::stoul(width) > 65535)
        return "\"" + width + "\" is more than 65535";
    if (std::stoul(width) == 0)
        return "a width of 0 holds no character";
    return {};
}

std::string WidthsProblem(const std::string& widths)
{
    if (widths.empty())
        return "no width is given";
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = widths.find(',', start);
        std::string width =
            widths.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const std::size_t first = width.find_first_not_of(' ');
        width = first == std::string::npos ? std::string()
                                           : width.substr(first, width.find_last_not_of(' ') - first + 1);
        const std::string problem = WidthProblem(width);
        if (!problem.empty())
            return problem;
        if (comma == std::string::npos)
            return {};
        start = comma + 1;
    }
}

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
    if (project.WithSeparators != 0) {
        if (project.Separator.empty())
            return {Field::Separator,
                    "The separator is empty. Give the character that separates the fields, or <tab>."};
    } else {
        const std::string problem = WidthsProblem(project.Widths);
        if (!problem.empty())
            return {Field::Widths, "The widths \"" + project.Widths + "\" cannot cut the lines: " + problem +
                                       ". Give the width of each field in characters, separated by commas "
                                       "(for example 10,5,20)."};
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
