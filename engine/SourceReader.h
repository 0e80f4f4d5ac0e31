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
    bool Open(const std::string& path, SourceEncoding encoding);
    // Opens as Open does, for a discovery: what it reads of a source that can be
    // read only once is kept.
    bool OpenForDiscovery(const std::string& path, SourceEncoding encoding);
    // Ends a discovery: a regular file is closed; any other source is kept open
    // with the lines read so far, for the next Open.
    void EndDiscovery();
    void Close();
    bool IsOpen() const { return File.IsOpen(); }

    // The next line without its line end, valid until the next call; false at
    // the end. Throws FileError naming the file when reading fails, also when
    // a line does not fit into memory, and DataError for text that is invalid
    // in its encoding.
    bool ReadLine(std::string_view& line)
    {
        // Nearly every line: read from the file's buffer, with nothing to keep.
        if (NextKept == KeptLines.size() && !(Discovering && !Reopenable) && File.ReadBufferedLine(line)) {
            FromKept = false;
            ++LinesRead;
            CurrentEnd = File.LastLineEnd();
            return true;
        }
        return ReadLineSlowly(line);
    }
    // Extends the line read last by the next line, the line end between them
    // kept as the file holds it (TextLineReader::ContinueLine). False at the end.
    bool ContinueLine(std::string_view& line);
    // The physical number of the line read last (1 for the first).
    std::uint64_t LineNumber() const { return LinesRead; }
    // The line end after the line read last: "\r\n", "\n", or none at the end.
    std::string_view LineEnd() const { return CurrentEnd; }

    // A Ctrl-Z lies in the text (TextLineReader::HoldsControlZ).
    bool HoldsControlZ() const { return File.HoldsControlZ(); }
    // TextLineReader::Watch and HoldsWatchedByte, the kept lines still to come included.
    void Watch(char byte);
    bool HoldsWatchedByte() const { return KeptHoldWatched || File.HoldsWatchedByte(); }
    std::uint64_t FileSize() const { return File.FileSize(); }
    // TextLineReader::LimitLines and LinesCut.
    void LimitLines(std::size_t bytes) { File.LimitLines(bytes); }
    std::uint64_t LinesCut() const { return File.LinesCut(); }
    SourceEncoding TextEncoding() const { return File.TextEncoding(); }
    // A regular file, read again from its start by the next Open; any other
    // source goes on from what a discovery kept.
    bool CanReopen() const { return Reopenable; }

  private:
    struct KeptLine {
        std::string Text;
        std::string End; // the line end that followed it
    };
    bool ReadLineSlowly(std::string_view& line);
    bool ReadPhysicalLine(std::string_view& line);
    void Keep(std::string_view line);
    [[noreturn]] void ThrowOutOfMemory() const;
    [[noreturn]] void ThrowInvalidText(const TextLineReader::InvalidText& error) const;
    // Runs a read of the file, turning its failures into the errors above.
    template <class Read> bool FromFile(Read&& read);

    TextLineReader File;
    std::string FilePath;
    bool Reopenable = true;
    bool Discovering = false;
    std::vector<KeptLine> KeptLines; // what a discovery read from a source read only once
    std::size_t NextKept = 0;
    std::uint64_t LinesRead = 0;
    std::string_view CurrentEnd;  // the line end after the line read last
    bool FromKept = false;        // the line being read started among the kept ones
    bool KeptHoldWatched = false; // the kept lines still to come hold the watched byte
    std::string Joined;           // such a line, continued
};
