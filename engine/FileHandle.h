#pragma once

#include <cstdio>
#include <memory>
#include <string>

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Opens a file (UTF-8 path) for reading or writing in large blocks of our own,
// so without the C library's buffer. A folder is no file: null with errno
// EISDIR, as the system's open would not say on every platform. On Windows a
// file being read cannot be written by others meanwhile, and a file being
// written cannot be opened by others at all.
FileHandle OpenUnbuffered(const std::string& path, const char* mode);

// "-" names standard input as a source and standard output as a target.
inline bool IsStandardStream(const std::string& path)
{
    return path == "-";
}

// Standard input or output in binary mode, unbuffered, as a handle of its own:
// closing it leaves the process's stream open.
FileHandle OpenStandardStream(bool output);

// True when the open file is a regular file on disk (so it can be opened
// again and read from the start), false for pipes, terminals and devices.
bool IsRegularFile(std::FILE* file);
