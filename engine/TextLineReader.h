#pragma once

#include "BackgroundTask.h"
#include "FileHandle.h"
#include "TextDecoder.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

// Reads a file line by line: LF ends a line and the CRs right before it are
// part of the line end; any other CR stays, and a last line without LF is
// still a line. A file whose first 64 KiB hold a CR and no LF has CR line ends
// (every CR ends a line, an LF is data). A byte 26 (Ctrl-Z) that is the file's
// last byte is the old end-of-file mark and goes; anywhere else it stays, and
// HoldsControlZ says so, for the caller to refuse. Lines have no length
// limit; the buffer grows only as far as the longest line needs. The next
// chunk of the file is read by a background task while the lines of the
// current one are handed out.
//
// A byte order mark at the start is skipped; a UTF-16 one makes the file
// UTF-16. Text in an encoding other than UTF-8 is decoded into UTF-8 as it is
// read (in the background as well), and UTF-8 is checked when it is named.
class TextLineReader {
  public:
    static constexpr std::size_t ChunkSize = std::size_t{1} << 20;

    // Thrown by ReadLine for the line that holds bytes invalid in the encoding.
    class InvalidText : public std::runtime_error {
      public:
        InvalidText(SourceEncoding encoding, std::uint64_t offset);
        SourceEncoding Encoding;
        std::uint64_t Offset; // of the invalid bytes in the file, after the byte order mark
    };

    // False when the file cannot be opened for reading (errno tells why);
    // a folder counts as a file that cannot be opened. "-" is standard input.
    // Bytes takes the bytes as they are, unless a byte order mark says otherwise.
    bool Open(const std::string& path, SourceEncoding encoding = SourceEncoding::Bytes);
    void Close();
    bool IsOpen() const { return File != nullptr; }
    // A regular file on disk, as opposed to a pipe, a terminal or a device.
    bool IsRegular() const { return File && IsRegularFile(File.get()); }
    // The encoding the text is read in: the one asked for, or what a byte
    // order mark said (known once the first line has been read).
    SourceEncoding TextEncoding() const { return Encoding; }

    // The next line, without its line end; the view stays valid until the
    // next call. False at the end of the file. Throws FileError when reading fails.
    bool ReadLine(std::string_view& line)
    {
        Anchor = Begin;
        return ReadBufferedLine(line) || ScanLine(line, false);
    }
    // The next line when it lies whole in the chunk read already, as nearly
    // every line does; false, reading nothing, when it does not (then ReadLine
    // reads it). Never throws.
    bool ReadBufferedLine(std::string_view& line)
    {
        const char* data = Buffer.Get();
        const void* lf = End > Begin ? std::memchr(data + Begin, LineEndByte, End - Begin) : nullptr;
        if (!lf)
            return false;
        Anchor = Begin;
        EndLineAt(static_cast<std::size_t>(static_cast<const char*>(lf) - data), line);
        return true;
    }
    // Extends the line read last by the line after it: the view then reaches
    // from the start of the first line to the end of the next, the line end
    // between them kept as the file holds it. False, with the view as it was,
    // at the end of the file.
    bool ContinueLine(std::string_view& line);
    // The line end that followed the line read last: "\n" with the CRs
    // before it, "\r" where CRs end lines, or none at the end.
    std::string_view LastLineEnd() const { return LineEnd; }
    // A byte 26 (Ctrl-Z) lies in the text handed out so far or in the chunk
    // read next, elsewhere than as the file's last byte.
    bool HoldsControlZ() const { return ControlZ; }
    // Looks out for a byte whose lines the caller must examine (a backslash): from
    // then on HoldsWatchedByte says whether it lies in the text not handed out at
    // the call, up to the chunk read next. The chunks read ahead are searched on the
    // reading thread, so that the caller need not search every line. Open ends it.
    void Watch(char byte);
    bool HoldsWatchedByte() const { return WatchedSeen; }
    // Lines end at CRs: the first 64 KiB held a CR and no LF.
    bool CrLineEnds() const { return LineEndByte == '\r'; }

    // Size of the open file in bytes, 0 when the system cannot tell.
    std::uint64_t FileSize() const;

    // Cuts a line longer than `bytes` (a record being continued counts whole) to
    // its first `bytes`, dropping the rest as it is read, so that a huge line
    // costs no more memory than that and a chunk. A line that lies whole in the
    // chunk read already (shorter than ChunkSize and 64 KiB) comes whole all the
    // same. 0 keeps every line whole, as by default. For a look at the first
    // lines (a preview), never for a run.
    void LimitLines(std::size_t bytes) { LineLimit = bytes; }
    // Lines cut short by that limit since the file was opened.
    std::uint64_t LinesCut() const { return CutLines; }

  private:
    // Room in front of every chunk for the start of a line that the previous
    // chunk ended in; a longer one is joined with the chunk by copying.
    static constexpr std::size_t Headroom = std::size_t{1} << 16;

    struct Release {
        void operator()(char* memory) const { std::free(memory); }
    };
    // Plain memory, so that a very long line grows it in place where the system can.
    struct Memory {
        std::unique_ptr<char, Release> Data;
        std::size_t Size = 0;
        void Reserve(std::size_t size);
        char* Get() const { return Data.get(); }
    };

    bool ScanLine(std::string_view& line, bool continuing);
    void TakeControlZ(std::size_t got);
    void TakeWatchedByte(std::size_t got);
    // The line from Anchor ends at the line end byte at `pos`: with LF line
    // ends, the CRs right before it belong to the line end.
    void EndLineAt(std::size_t pos, std::string_view& line)
    {
        const char* data = Buffer.Get();
        std::size_t start = pos;
        while (LineEndByte == '\n' && start > Begin && data[start - 1] == '\r')
            --start;
        line = std::string_view(data + Anchor, start - Anchor);
        LineEnd = LineEndByte == '\r' ? std::string_view("\r")
                  : start == pos      ? std::string_view("\n")
                  : start + 1 == pos  ? std::string_view("\r\n")
                                      : LongLineEndAt(start, pos);
        Begin = pos + 1;
    }
    std::string_view LongLineEndAt(std::size_t start, std::size_t pos);
    void Refill();
    void StartReadAhead();
    std::size_t ReadChunk(char* target);
    std::size_t TakeByteOrderMark(char* target, std::size_t got);
    void StopReadAhead();

    FileHandle File;
    std::string FilePath;
    Memory Buffer;
    std::size_t Anchor = 0; // the line being read starts here; kept across refills
    std::size_t Begin = 0;  // unread data is Buffer[Begin, End)
    std::size_t End = 0;
    bool AtEnd = false;            // nothing more will come from the file
    std::string_view LineEnd;      // after the line read last
    Memory Spare;                  // the next chunk goes to Spare[Headroom, ...)
    std::size_t ReadAheadSize = 0; // bytes the last read-ahead got
    bool ReadAheadEnded = false;   // it reached the end of the file (or invalid text)
    SourceEncoding Encoding = SourceEncoding::Bytes;
    bool FirstChunk = true;
    char LineEndByte = '\n'; // decided from the first chunk
    bool LineEndsKnown = false;
    bool ControlZ = false;     // see HoldsControlZ
    bool ControlZLast = false; // the chunk ended in a Ctrl-Z: the file's last byte, or data
    bool Watching = false;     // see Watch
    char WatchedByte = 0;
    bool WatchedSeen = false;
    bool AheadSearched = false;         // the read-ahead searched its chunk for WatchedByte
    bool AheadFound = false;            // and found it
    bool AheadControlZ = false;         // a Ctrl-Z before the last byte of the chunk read ahead
    std::string LongLineEnd;            // a line end of more CRs than Crs holds
    std::optional<TextDecoder> Decoder; // when the text is decoded or checked
    Memory Raw;                         // the file's bytes, for the decoder
    std::size_t LineLimit = 0;          // see LimitLines
    std::uint64_t CutLines = 0;
    bool InvalidAhead = false; // the decoder stopped at invalid text
    BackgroundTask Reader;     // reads ahead; last, so that it ends first
};
