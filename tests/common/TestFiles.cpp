#include "TestFiles.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::atomic<int> Counter{0};

} // namespace

ProgramResult RunShell(const std::string& command)
{
    ProgramResult result;
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

std::string ShellQuoted(const std::string& argument)
{
    std::string quoted = "'";
    for (const char c : argument)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

TestFolder::TestFolder()
{
    RootPath = std::filesystem::temp_directory_path() /
               ("tabulon-test-" + std::to_string(::getpid()) + "-" + std::to_string(Counter++));
    std::filesystem::remove_all(RootPath);
    std::filesystem::create_directories(RootPath);
}

TestFolder::~TestFolder()
{
    std::error_code ec;
    // A test may have taken the folder's permissions away.
    std::filesystem::permissions(RootPath, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(RootPath, ec);
}

std::string TestFolder::Write(const std::string& name, const std::string& bytes) const
{
    const std::string path = Path(name);
    WriteFile(path, bytes);
    return path;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

ProgramResult RunConvert(const std::vector<std::string>& arguments)
{
    return RunConvertPiped("", arguments, "");
}

ProgramResult RunConvertPiped(const std::string& input, const std::vector<std::string>& arguments,
                              const std::string& outputFile)
{
    std::string command = input.empty() ? "" : input + " | ";
    command += ShellQuoted(TABULON_CONVERT);
    for (const std::string& argument : arguments)
        command += " " + ShellQuoted(argument);
    command += outputFile.empty() ? " 2>&1" : " 2>&1 >" + ShellQuoted(outputFile);
    return RunShell(command);
}
