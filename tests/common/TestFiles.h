#pragma once

#include <filesystem>
#include <string>
#include <vector>

// A fresh folder per test, removed with everything in it afterwards.
class TestFolder {
  public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::filesystem::path& Root() const { return RootPath; }
    // Paths are UTF-8 text, as the program takes them.
    std::string Path(const std::string& name) const
    {
        return (RootPath / std::filesystem::u8path(name)).u8string();
    }
    std::string operator/(const std::string& name) const { return Path(name); }
    // Writes the bytes into the named file and gives its path.
    std::string Write(const std::string& name, const std::string& bytes) const;

  private:
    std::filesystem::path RootPath;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

struct ProgramResult {
    int Status = -1;
    std::string Output; // standard output and standard error together
};

// Runs tabulon-convert with the arguments (each passed as it stands) and waits for it.
ProgramResult RunConvert(const std::vector<std::string>& arguments);

// Runs `input | tabulon-convert arguments > outputFile` through the shell: input
// is a shell command (none when empty), standard output goes to outputFile (or
// with standard error into Output when empty). On Windows the program is
// started directly, its arguments in UTF-16; an input command is POSIX-only.
ProgramResult RunConvertPiped(const std::string& input, const std::vector<std::string>& arguments,
                              const std::string& outputFile);

// Runs the command with sh (cmd on Windows) and waits for it; Output is its
// standard output.
ProgramResult RunShell(const std::string& command);

// Quoted for the shell, so that any text reaches a program unchanged.
std::string ShellQuoted(const std::string& argument);

// The bytes in upper-case hexadecimal, so that any value compares and prints plainly.
std::string Hex(const std::string& bytes);
