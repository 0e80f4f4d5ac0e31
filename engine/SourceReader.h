#pragma once

#include "TextLineReader.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The source's lines for column discovery and then for the run. A source that
// cannot be opened a second time from its start (standard input "-", a pipe,
// a device) stays open after discovery, and the lines that discovery read are
// handed out again to the run, so that every line is converted exactly once.
class SourceReader {
  public:
    // Opens the file, or goes back to the first line of a kept source of that name.
    // False when it cannot be opened (errno tells why).
    bool Open(const std::string& path);
    // Opens as Open does, for a discovery: what it reads of a source that can be
    // read only once is kept.
    bool OpenForDiscovery(const std::string& path);
    // Ends a discovery: a regular file is closed; any other source is kept open
    // with the lines read so far, for the next Open.
    void EndDiscovery();
    void Close();
    bool IsOpen() const { return File.IsOpen(); }

    // The next line without its line end, valid until the next call; false at
    // the end. Throws FileError naming the file when reading fails, also when
    // a line does not fit into memory.
    bool ReadLine(std::string_view& line);
    // The physical number of the line read last (1 for the first).
    std::uint64_t LineNumber() const { return LinesRead; }

    std::uint64_t FileSize() const { return File.FileSize(); }
    const std::string& Path() const { return FilePath; }

  private:
    TextLineReader File;
    std::string FilePath;
    bool Reopenable = true;
    bool Discovering = false;
    std::vector<std::string> KeptLines; // what a discovery read from a source read only once
    std::size_t NextKept = 0;
    std::uint64_t LinesRead = 0;
};
