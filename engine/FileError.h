#pragma once

#include <stdexcept>
#include <string>

// The one exception a conversion throws when a read or write fails midway:
// it names the file and carries the system's own reason.
class FileError : public std::runtime_error {
  public:
    FileError(std::string fileName, std::string reason)
        : std::runtime_error(fileName + ": " + reason), FileName(std::move(fileName)),
          Reason(std::move(reason))
    {
    }

    // Builds the error from the current errno.
    static FileError FromErrno(const std::string& fileName);

    std::string FileName;
    std::string Reason;
};
