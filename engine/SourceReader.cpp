#include "SourceReader.h"

#include "DataError.h"
#include "FileError.h"

#include <new>

bool SourceReader::Open(const std::string& path, SourceEncoding encoding)
{
    KeptHoldWatched = false;
    if (File.IsOpen() && !Reopenable && path == FilePath) {
        NextKept = 0;
        LinesRead = 0;
        Discovering = false;
        return true;
    }
    Close();
    if (!File.Open(path, encoding))
        return false;
    FilePath = path;
    Reopenable = File.IsRegular() && !IsStandardStream(path);
    return true;
}

void SourceReader::Watch(char byte)
{
    File.Watch(byte);
    for (std::size_t i = NextKept; i < KeptLines.size() && !KeptHoldWatched; ++i)
        KeptHoldWatched = KeptLines[i].Text.find(byte) != std::string::npos;
}

bool SourceReader::OpenForDiscovery(const std::string& path, SourceEncoding encoding)
{
    if (!Open(path, encoding))
        return false;
    Discovering = true;
    return true;
}

void SourceReader::EndDiscovery()
{
    Discovering = false;
    if (Reopenable)
        Close();
}

void SourceReader::Close()
{
    File.Close();
    KeptLines.clear();
    KeptLines.shrink_to_fit();
    Joined = std::string();
    NextKept = 0;
    LinesRead = 0;
    Discovering = false;
    Reopenable = true;
    FromKept = false;
}

void SourceReader::ThrowOutOfMemory() const
{
    throw FileError(FilePath,
                    "line " + std::to_string(LinesRead + 1) + " is too long for the memory available");
}

void SourceReader::ThrowInvalidText(const TextLineReader::InvalidText& error) const
{
    throw DataError(FilePath, "line " + std::to_string(LinesRead + 1) + " holds bytes that are not valid " +
                                  EncodingName(error.Encoding) + " text (at byte " +
                                  std::to_string(error.Offset) +
                                  "). Choose the encoding the source is written in.");
}

template <class Read> bool SourceReader::FromFile(Read&& read)
{
    // The reader's own failures, told with the line they happened in.
    try {
        return read();
    } catch (const std::bad_alloc&) {
        ThrowOutOfMemory();
    } catch (const TextLineReader::InvalidText& error) {
        ThrowInvalidText(error);
    }
}

void SourceReader::Keep(std::string_view line)
{
    if (Discovering && !Reopenable) {
        KeptLines.push_back({std::string(line), std::string(File.LastLineEnd())});
        NextKept = KeptLines.size();
    }
}

bool SourceReader::ReadPhysicalLine(std::string_view& line)
{
    if (NextKept < KeptLines.size()) {
        const KeptLine& kept = KeptLines[NextKept++];
        line = kept.Text;
        CurrentEnd = kept.End;
        ++LinesRead;
        return true;
    }
    if (!FromFile([&] { return File.ReadLine(line); }))
        return false;
    ++LinesRead;
    CurrentEnd = File.LastLineEnd();
    Keep(line);
    return true;
}

bool SourceReader::ReadLineSlowly(std::string_view& line)
{
    FromKept = NextKept < KeptLines.size();
    return ReadPhysicalLine(line);
}

bool SourceReader::ContinueLine(std::string_view& line)
{
    if (FromKept) {
        // Kept lines lie apart in memory (and may move as more are kept): the
        // continued line is put together here first.
        const std::size_t size = line.size();
        try {
            if (line.data() != Joined.data())
                Joined.assign(line);
            Joined += CurrentEnd;
            std::string_view next;
            const bool read = ReadPhysicalLine(next);
            if (read)
                Joined += next;
            else
                Joined.resize(size);
            line = read ? std::string_view(Joined) : std::string_view(Joined.data(), size);
            return read;
        } catch (const std::bad_alloc&) {
            ThrowOutOfMemory();
        }
    }
    const std::size_t before = line.size() + CurrentEnd.size();
    if (!FromFile([&] { return File.ContinueLine(line); }))
        return false;
    ++LinesRead;
    CurrentEnd = File.LastLineEnd();
    Keep(line.substr(before));
    return true;
}
