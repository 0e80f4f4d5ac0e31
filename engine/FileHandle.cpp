#include "FileHandle.h"

#include <cerrno>
#include <filesystem>

FileHandle OpenUnbuffered(const std::string& path, const char* mode)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        errno = EISDIR;
        return nullptr;
    }
    FileHandle file(std::fopen(path.c_str(), mode));
    if (file)
        std::setvbuf(file.get(), nullptr, _IONBF, 0);
    return file;
}
