#include "TestFiles.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

std::atomic<int> Counter{0};

int ProcessId()
{
#ifdef _WIN32
    return _getpid();
#else
    return ::getpid();
#endif
}

#ifdef _WIN32
// One argument as the C runtime's parser reads it back: in quotes when it holds
// blanks or quotes, with backslashes doubled where a quote follows them.
std::wstring QuotedArgument(const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return argument;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// Runs the program with the arguments (UTF-16, as a user's shell passes them)
// and waits for it; standard error and, without an output file, standard
// output are collected.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& outputFile)
{
    ProgramResult result;
    const std::wstring wideProgram = fs::u8path(program).wstring();
    std::wstring commandLine = QuotedArgument(wideProgram);
    for (const std::string& argument : arguments)
        commandLine += L" " + QuotedArgument(fs::u8path(argument).wstring());

    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        throw std::runtime_error("cannot create a pipe for " + program);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE output = writeEnd;
    if (!outputFile.empty()) {
        output = CreateFileW(fs::u8path(outputFile).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (output == INVALID_HANDLE_VALUE) {
            CloseHandle(readEnd);
            CloseHandle(writeEnd);
            throw std::runtime_error("cannot write " + outputFile);
        }
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(wideProgram.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (output != writeEnd)
        CloseHandle(output);
    if (!started) {
        CloseHandle(readEnd);
        throw std::runtime_error("cannot start " + program + " (Windows error " +
                                 std::to_string(GetLastError()) + ")");
    }
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
        result.Output.append(buffer, got);
    CloseHandle(readEnd);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    result.Status = static_cast<int>(status);
    return result;
}
#endif

// Removes the folder with everything in it, also what a test left without permissions.
void RemoveFolder(const fs::path& folder)
{
    std::error_code ec;
    // A test may have taken the folder's permissions away.
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
#ifdef _WIN32
    // Windows removes no read-only file.
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
#endif
    fs::remove_all(folder, ec);
}

} // namespace

ProgramResult RunShell(const std::string& command)
{
#ifdef _WIN32
    return RunProgram("cmd.exe", {"/c", command}, "");
#else
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
#endif
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
               ("tabulon-test-" + std::to_string(ProcessId()) + "-" + std::to_string(Counter++));
    RemoveFolder(RootPath); // left by an earlier process of the same number
    std::filesystem::create_directories(RootPath);
}

TestFolder::~TestFolder()
{
    RemoveFolder(RootPath);
}

std::string TestFolder::Write(const std::string& name, const std::string& bytes) const
{
    const std::string path = Path(name);
    WriteFile(path, bytes);
    return path;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(fs::u8path(path), std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(fs::u8path(path), std::ios::binary | std::ios::trunc);
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
#ifdef _WIN32
    if (!input.empty())
        throw std::logic_error("a shell pipeline into tabulon-convert needs a POSIX shell: " + input);
    return RunProgram(TABULON_CONVERT, arguments, outputFile);
#else
    std::string command = input.empty() ? "" : input + " | ";
    command += ShellQuoted(TABULON_CONVERT);
    for (const std::string& argument : arguments)
        command += " " + ShellQuoted(argument);
    command += outputFile.empty() ? " 2>&1" : " 2>&1 >" + ShellQuoted(outputFile);
    return RunShell(command);
#endif
}

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char c : bytes) {
        hex += digits[static_cast<unsigned char>(c) >> 4];
        hex += digits[static_cast<unsigned char>(c) & 15];
    }
    return hex;
}
