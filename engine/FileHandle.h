#pragma once

#include <cstdio>
#include <memory>
#include <string>

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Opens a file for reading or writing in large blocks of our own, so without
// the C library's buffer. A folder is no file: null with errno EISDIR, as the
// system's open would not say on every platform.
FileHandle OpenUnbuffered(const std::string& path, const char* mode);
