#include "TestFiles.h"

#include <atomic>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace {
std::atomic<int> Counter{0};
}

TestFolder::TestFolder()
{
    Root = std::filesystem::temp_directory_path() /
           ("tabulon-test-" + std::to_string(::getpid()) + "-" + std::to_string(Counter++));
    std::filesystem::remove_all(Root);
    std::filesystem::create_directories(Root);
}

TestFolder::~TestFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(Root, ec);
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
