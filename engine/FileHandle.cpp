#include "FileHandle.h"

#include "Utf8Path.h"

#include <cerrno>
#include <filesystem>

#include <sys/stat.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

FileHandle OpenUnbuffered(const std::string& path, const char* mode)
{
    std::error_code ec;
    if (std::filesystem::is_directory(PathFromUtf8(path), ec)) {
        errno = EISDIR;
        return nullptr;
    }
    const FileSharing sharing = mode[0] == 'r' ? FileSharing::DenyWrite : FileSharing::Exclusive;
    FileHandle file(OpenFileUtf8(path, mode, sharing));
    if (file)
        std::setvbuf(file.get(), nullptr, _IONBF, 0);
    return file;
}

FileHandle OpenStandardStream(bool output)
{
    std::FILE* stream = output ? stdout : stdin;
    if (output)
        std::fflush(stdout); // what the process printed before goes first
#ifdef _WIN32
    const int fd = _dup(_fileno(stream));
    if (fd < 0)
        return nullptr;
    _setmode(fd, _O_BINARY);
    FileHandle file(_fdopen(fd, output ? "wb" : "rb"));
    if (!file)
        _close(fd);
#else
    const int fd = ::dup(::fileno(stream));
    if (fd < 0)
        return nullptr;
    FileHandle file(::fdopen(fd, output ? "wb" : "rb"));
    if (!file)
        ::close(fd);
#endif
    if (file)
        std::setvbuf(file.get(), nullptr, _IONBF, 0);
    return file;
}

bool IsRegularFile(std::FILE* file)
{
#ifdef _WIN32
    struct _stat64 status;
    return _fstat64(_fileno(file), &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFREG;
#else
    struct stat status;
    return ::fstat(::fileno(file), &status) == 0 && S_ISREG(status.st_mode);
#endif
}
