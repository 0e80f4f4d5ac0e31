#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

// Paths are UTF-8 text everywhere inside the program. The system is asked in
// its own terms: on Windows through the wide (UTF-16) functions, never through
// the ANSI code page, which cannot name every file and would make two spellings
// of one name look different (or two names look alike).

// The path a UTF-8 text names.
std::filesystem::path PathFromUtf8(std::string_view utf8);
// A path as UTF-8 text.
std::string Utf8FromPath(const std::filesystem::path& path);

// How others may use a file while it is open (honoured on Windows; POSIX has no
// such locks): a source is read while nobody writes it, a script is written
// while nobody else opens it.
enum class FileSharing { DenyWrite, Exclusive };

// std::fopen for a UTF-8 path. Null with errno set when it fails, EACCES when
// another program holds the file in a way the sharing does not allow.
std::FILE* OpenFileUtf8(const std::string& path, const char* mode, FileSharing sharing);

// A path stored in a project file, as UTF-8: text that is valid UTF-8 stays as
// it is; any other text was written by an older program in the system's ANSI
// code page and is read in it (on Windows; elsewhere it stays as it is).
std::string StoredPathAsUtf8(std::string_view stored);

// A path as a project holds it, resolved against the project file: a relative
// path is taken from the project file's folder, so that a project travels with
// its data. Absolute paths (also UNC paths and \\?\ paths on Windows), "-" and
// an empty path stay as they are.
std::string FromProjectFolder(const std::string& path, const std::string& projectFile);

#ifdef _WIN32
std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);
// Text in the given Windows code page (CP_ACP: the system's ANSI code page) as UTF-8.
std::string Utf8FromCodePage(std::string_view text, unsigned codePage);
#endif
