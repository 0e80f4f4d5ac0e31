#pragma once

// Files, folders and command-line runs for the robustness tests.

#include "Project.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <sys/wait.h>

namespace robust {

namespace fs = std::filesystem;

// A fresh folder of its own for one test, removed with everything in it afterwards.
class TempDir {
  public:
    TempDir()
    {
        std::random_device random;
        for (;;) {
            Path = fs::temp_directory_path() / ("tabulon-robust-" + std::to_string(random()));
            if (fs::create_directory(Path))
                break;
        }
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::permissions(Path, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(Path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string operator/(const std::string& name) const { return (Path / name).string(); }

    fs::path Path;
};

// A project that converts source.txt in the folder into script.sql there, filling table T.
inline CProject ProjectIn(const TempDir& dir)
{
    CProject project;
    project.FileName = dir / "source.txt";
    project.TargetName = dir / "script.sql";
    project.TableName = "T";
    return project;
}

inline void WriteBytes(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string Quoted(const std::string& argument)
{
    std::string quoted = "'";
    for (const char c : argument) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

struct CliResult {
    int Status = -1;
    std::string Output; // standard output and standard error together
};

// Runs tabulon-convert with the arguments and waits for it.
inline CliResult RunCli(const std::vector<std::string>& arguments)
{
    std::string command = Quoted(TABULON_CONVERT);
    for (const std::string& argument : arguments)
        command += " " + Quoted(argument);
    command += " 2>&1";
    CliResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.Output.append(buffer, got);
    const int status = pclose(pipe);
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
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
