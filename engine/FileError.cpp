#include "FileError.h"

#include <cerrno>
#include <cstring>

FileError FileError::FromErrno(const std::string& fileName)
{
    const int error = errno;
    return FileError(fileName, error != 0 ? std::strerror(error) : "input/output error");
}
