#pragma once

#include <stdexcept>
#include <string>

// Thrown when a project holds data that no script can carry safely (a NUL
// byte, at which SQL clients cut their input). The message names the file
// and where in it the data stands, and says what the user can do.
class DataError : public std::runtime_error {
  public:
    DataError(std::string fileName, const std::string& problem)
        : std::runtime_error(fileName + ": " + problem), FileName(std::move(fileName))
    {
    }

    std::string FileName;
};
