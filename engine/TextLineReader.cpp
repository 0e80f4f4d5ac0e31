#include "TextLineReader.h"

#include "FileError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>
#include <utility>

namespace {
constexpr char EndOfFileByte = 26;
}

void TextLineReader::Memory::Reserve(std::size_t size)
{
    if (size <= Size)
        return;
    const std::size_t grown = std::max(size, Size * 2);
    void* memory = std::realloc(Data.get(), grown);
    if (!memory)
        throw std::bad_alloc();
    (void)Data.release(); // realloc took it over
    Data.reset(static_cast<char*>(memory));
    Size = grown;
}

bool TextLineReader::Open(const std::string& path)
{
    Close();
    File = IsStandardStream(path) ? OpenStandardStream(false) : OpenUnbuffered(path, "rb");
    if (!File)
        return false;
    FilePath = path;
    Buffer.Reserve(Headroom + ChunkSize);
    Spare.Reserve(Headroom + ChunkSize);
    Anchor = Begin = End = 0;
    AtEnd = false;
    StartReadAhead();
    return true;
}

void TextLineReader::Close()
{
    StopReadAhead();
    File.reset();
    Anchor = Begin = End = 0;
    AtEnd = false;
    // Memory grown for one very long line is given back.
    Buffer = Memory();
    Spare = Memory();
}

std::uint64_t TextLineReader::FileSize() const
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(FilePath, ec);
    return ec ? 0 : static_cast<std::uint64_t>(size);
}

bool TextLineReader::ReadLine(std::string_view& line)
{
    Anchor = Begin;
    return ScanLine(line, false);
}

bool TextLineReader::ContinueLine(std::string_view& line)
{
    return ScanLine(line, true);
}

bool TextLineReader::ScanLine(std::string_view& line, bool continuing)
{
    if (!File) {
        if (!continuing)
            line = {};
        return false;
    }
    std::size_t scanned = Begin; // bytes before this position hold no LF
    for (;;) {
        const char* data = Buffer.Get();
        const void* lf = End > scanned ? std::memchr(data + scanned, '\n', End - scanned) : nullptr;
        if (lf) {
            const std::size_t pos = static_cast<std::size_t>(static_cast<const char*>(lf) - data);
            const bool crlf = pos > Begin && data[pos - 1] == '\r';
            line = std::string_view(data + Anchor, pos - Anchor - (crlf ? 1 : 0));
            LineEnd = crlf ? "\r\n" : "\n";
            Begin = pos + 1;
            return true;
        }
        if (AtEnd) {
            if (Begin == End) {
                if (!continuing)
                    line = {};
                return false; // a line being continued stays as it was
            }
            line = std::string_view(data + Anchor, End - Anchor);
            LineEnd = {};
            Begin = End;
            return true;
        }
        const std::size_t scannedPart = scanned - Anchor;
        Refill();
        scanned = Anchor + scannedPart;
    }
}

void TextLineReader::StartReadAhead()
{
    char* target = Spare.Get() + Headroom;
    Reader.Start([this, target] {
        errno = 0; // errno belongs to the thread that reads
        ReadAheadSize = std::fread(target, 1, ChunkSize, File.get());
        if (ReadAheadSize < ChunkSize && std::ferror(File.get()))
            throw FileError::FromErrno(FilePath);
    });
}

void TextLineReader::StopReadAhead()
{
    Reader.Drop();
}

void TextLineReader::Refill()
{
    Reader.Wait(); // throws what the read threw
    const std::size_t got = ReadAheadSize;
    // The line being read, from its anchor, goes on in front of the new chunk.
    const std::size_t pending = End - Anchor;
    const std::size_t unread = Begin - Anchor;
    if (pending <= Headroom) {
        if (pending > 0)
            std::memcpy(Spare.Get() + Headroom - pending, Buffer.Get() + Anchor, pending);
        std::swap(Buffer, Spare);
        Anchor = Headroom - pending;
        End = Headroom + got;
    } else {
        // A long line: the chunk joins it here.
        std::memmove(Buffer.Get(), Buffer.Get() + Anchor, pending);
        Buffer.Reserve(pending + got);
        std::memcpy(Buffer.Get() + pending, Spare.Get() + Headroom, got);
        Anchor = 0;
        End = pending + got;
    }
    Begin = Anchor + unread;
    const void* stop = std::memchr(Buffer.Get() + End - got, EndOfFileByte, got);
    if (stop) {
        End = static_cast<std::size_t>(static_cast<const char*>(stop) - Buffer.Get());
        AtEnd = true;
    } else if (got < ChunkSize) {
        AtEnd = true;
    } else {
        StartReadAhead();
    }
}
