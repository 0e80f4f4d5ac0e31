#include "TextLineReader.h"

#include "FileError.h"
#include "Utf8Path.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>
#include <utility>

namespace {
constexpr char EndOfFileByte = 26;
// The first bytes of a file that decide its line ends.
constexpr std::size_t LineEndSample = std::size_t{1} << 16;
// Line ends of up to 32 CRs and an LF, as views into one text.
constexpr char Crs[] = "\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\n";
constexpr std::size_t MostCrs = sizeof(Crs) - 2;
} // namespace

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

TextLineReader::InvalidText::InvalidText(SourceEncoding encoding, std::uint64_t offset)
    : std::runtime_error("text that is not valid " + std::string(EncodingName(encoding))), Encoding(encoding),
      Offset(offset)
{
}

bool TextLineReader::Open(const std::string& path, SourceEncoding encoding)
{
    Close();
    File = IsStandardStream(path) ? OpenStandardStream(false) : OpenUnbuffered(path, "rb");
    if (!File)
        return false;
    FilePath = path;
    Encoding = encoding;
    FirstChunk = true;
    LineEndsKnown = false;
    LineEndByte = '\n';
    ControlZ = ControlZLast = false;
    Watching = WatchedSeen = false;
    Decoder.reset();
    InvalidAhead = false;
    ReadAheadEnded = false;
    CutLines = 0;
    // Room for what a chunk may grow to when it is decoded.
    const std::size_t chunkRoom =
        encoding == SourceEncoding::Bytes ? ChunkSize : TextDecoder::OutputLimit(ChunkSize);
    Buffer.Reserve(Headroom + chunkRoom);
    Spare.Reserve(Headroom + chunkRoom);
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
    Decoder.reset();
    // Memory grown for one very long line is given back.
    Buffer = Memory();
    Spare = Memory();
    Raw = Memory();
}

std::uint64_t TextLineReader::FileSize() const
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(PathFromUtf8(FilePath), ec);
    return ec ? 0 : static_cast<std::uint64_t>(size);
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
    bool cut = false;            // the line is longer than LineLimit
    std::size_t kept = 0;        // then its length as it is handed out
    for (;;) {
        const char* data = Buffer.Get();
        const void* lf = End > scanned ? std::memchr(data + scanned, LineEndByte, End - scanned) : nullptr;
        if (lf) {
            const std::size_t continued = Begin - Anchor; // the part of a record read before
            EndLineAt(static_cast<std::size_t>(static_cast<const char*>(lf) - data), line);
            if (!cut && LineLimit != 0 && line.size() > std::max(continued, LineLimit)) {
                kept = std::max(continued, LineLimit);
                ++CutLines;
                cut = true;
            }
            if (cut) // what came after the cut is not the line's start either
                line = line.substr(0, kept);
            return true;
        }
        if (AtEnd) {
            // The line that holds invalid text, or the one after the last valid line.
            if (InvalidAhead)
                throw InvalidText(Encoding, Decoder->Position());
            if (Begin == End) {
                if (!continuing)
                    line = {};
                return false; // a line being continued stays as it was
            }
            line = std::string_view(data + Anchor, cut ? std::min(kept, End - Anchor) : End - Anchor);
            LineEnd = {};
            Begin = End;
            return true;
        }
        // The part beyond the limit holds no line end: it goes before the next chunk comes.
        if (LineLimit != 0 && End > std::max(Begin, Anchor + LineLimit)) {
            if (!cut) {
                kept = std::max(Begin, Anchor + LineLimit) - Anchor;
                ++CutLines;
                cut = true;
            }
            End = Anchor + kept;
        }
        const std::size_t scannedPart = End - Anchor;
        Refill();
        scanned = Anchor + scannedPart;
    }
}

// A line end of several CRs and the LF.
std::string_view TextLineReader::LongLineEndAt(std::size_t start, std::size_t pos)
{
    const std::size_t crs = pos - start;
    if (crs <= MostCrs)
        return std::string_view(Crs + MostCrs - crs, crs + 1);
    LongLineEnd.assign(Buffer.Get() + start, crs + 1);
    return LongLineEnd;
}

void TextLineReader::StartReadAhead()
{
    char* target = Spare.Get() + Headroom;
    const bool search = Watching && !WatchedSeen;
    const char byte = WatchedByte;
    const bool searchControlZ = !ControlZ;
    AheadSearched = search;
    Reader.Start([this, target, search, byte, searchControlZ] {
        const std::size_t got = ReadChunk(target);
        ReadAheadSize = got;
        AheadFound = search && std::memchr(target, byte, got) != nullptr;
        // The chunk's last byte may be the file's end-of-file mark: TakeControlZ decides.
        AheadControlZ = searchControlZ && got > 1 && std::memchr(target, EndOfFileByte, got - 1) != nullptr;
    });
}

void TextLineReader::Watch(char byte)
{
    Watching = true;
    WatchedByte = byte;
    WatchedSeen = Begin < End && std::memchr(Buffer.Get() + Begin, byte, End - Begin) != nullptr;
}

// The chunk just taken, at the buffer's end: searched ahead, or here where the read-ahead
// began before Watch.
void TextLineReader::TakeWatchedByte(std::size_t got)
{
    if (!Watching || WatchedSeen)
        return;
    WatchedSeen =
        AheadSearched ? AheadFound : std::memchr(Buffer.Get() + End - got, WatchedByte, got) != nullptr;
}

// Runs on the reading thread: the next chunk, decoded where it must be, at `target`.
std::size_t TextLineReader::ReadChunk(char* target)
{
    errno = 0; // errno belongs to the thread that reads
    char* const raw = Decoder ? Raw.Get() : target;
    // The first chunk of a file read as bytes is small enough for its decoded
    // text to fit where it lies, should a byte order mark call for decoding.
    const std::size_t wanted =
        FirstChunk && Encoding == SourceEncoding::Bytes ? (ChunkSize - 1) / 3 : ChunkSize;
    std::size_t got = std::fread(raw, 1, wanted, File.get());
    if (got < wanted && std::ferror(File.get()))
        throw FileError::FromErrno(FilePath);
    ReadAheadEnded = got < wanted;
    if (FirstChunk) {
        FirstChunk = false;
        got = TakeByteOrderMark(raw, got);
        if (Decoder && raw == target) {
            // Decoding starts here: the chunk read as it is goes through the decoder.
            Raw.Reserve(ChunkSize);
            std::memcpy(Raw.Get(), target, got);
        }
    }
    if (!Decoder)
        return got;
    const TextDecoder::Result result = Decoder->Decode(Raw.Get(), got, ReadAheadEnded, target);
    if (result.Invalid) {
        InvalidAhead = true;
        ReadAheadEnded = true;
    }
    return result.Written;
}

// Skips a byte order mark at the start of the chunk and sets the decoder up for
// the encoding; gives the chunk's size without the mark.
std::size_t TextLineReader::TakeByteOrderMark(char* chunk, std::size_t got)
{
    SourceEncoding marked = Encoding;
    const std::size_t mark = ByteOrderMark(std::string_view(chunk, got), marked);
    if (mark > 0) {
        std::memmove(chunk, chunk + mark, got - mark);
        got -= mark;
        // A UTF-8 mark in a file read as bytes only goes; any other mark decides the encoding.
        if (!(Encoding == SourceEncoding::Bytes && marked == SourceEncoding::Utf8))
            Encoding = marked;
    }
    if (Encoding != SourceEncoding::Bytes) {
        Decoder.emplace(Encoding);
        Raw.Reserve(ChunkSize);
    }
    return got;
}

void TextLineReader::StopReadAhead()
{
    Reader.Drop();
}

// A Ctrl-Z in the chunk of `got` bytes just taken: the file's last byte goes,
// any other is noted. One that ends a chunk is decided when the next one comes.
void TextLineReader::TakeControlZ(std::size_t got)
{
    char* const data = Buffer.Get();
    if (ControlZLast) {
        ControlZLast = false;
        if (got == 0 && ReadAheadEnded)
            --End; // it was the file's last byte after all
        else
            ControlZ = true;
    }
    if (got == 0 || ControlZ)
        return;
    if (data[End - 1] == EndOfFileByte) {
        if (ReadAheadEnded)
            --End;
        else
            ControlZLast = true;
        --got;
    }
    if (AheadControlZ) // searched on the reading thread
        ControlZ = true;
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
    if (!LineEndsKnown) {
        LineEndsKnown = true;
        const std::size_t sample = std::min(got, LineEndSample);
        const char* first = Buffer.Get() + End - got;
        if (!std::memchr(first, '\n', sample) && std::memchr(first, '\r', sample))
            LineEndByte = '\r';
    }
    TakeControlZ(got);
    TakeWatchedByte(got);
    if (ReadAheadEnded) {
        AtEnd = true;
    } else {
        if (Decoder) // decoded text may need more room than the file's bytes
            Spare.Reserve(Headroom + TextDecoder::OutputLimit(ChunkSize));
        StartReadAhead();
    }
}
