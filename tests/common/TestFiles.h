#pragma once

#include <filesystem>
#include <string>

// A fresh folder per test, removed afterwards, with helpers to write and read files byte for byte.
class TestFolder {
  public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    std::string Path(const std::string& name) const { return (Root / name).string(); }
    std::string Write(const std::string& name, const std::string& bytes) const;

  private:
    std::filesystem::path Root;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
