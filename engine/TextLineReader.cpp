#include "TextLineReader.h"

#include "FileError.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {
constexpr char EndOfFileByte = 26;
}

bool TextLineReader::Open(const std::string& path)
{
    Close();
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        errno = EISDIR;
        return false;
    }
    File.reset(std::fopen(path.c_str(), "rb"));
    if (!File)
        return false;
    std::setvbuf(File.get(), nullptr, _IONBF, 0); // we read in large chunks ourselves
    FilePath = path;
    if (Buffer.size() < ChunkSize)
        Buffer.resize(ChunkSize);
    Begin = End = 0;
    AtEnd = false;
    return true;
}

void TextLineReader::Close()
{
    File.reset();
    Begin = End = 0;
    AtEnd = false;
    // A buffer grown for one very long line is given back.
    if (Buffer.size() > ChunkSize)
        std::vector<char>().swap(Buffer);
}

std::uint64_t TextLineReader::FileSize() const
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(FilePath, ec);
    return ec ? 0 : static_cast<std::uint64_t>(size);
}

bool TextLineReader::ReadLine(std::string_view& line)
{
    if (!File) {
        line = {};
        return false;
    }
    std::size_t scanned = Begin; // bytes before this position hold no LF
    for (;;) {
        const char* data = Buffer.data();
        const void* lf = std::memchr(data + scanned, '\n', End - scanned);
        if (lf) {
            const std::size_t pos = static_cast<const char*>(lf) - data;
            std::size_t length = pos - Begin;
            if (length > 0 && data[pos - 1] == '\r')
                --length;
            line = std::string_view(data + Begin, length);
            Begin = pos + 1;
            return true;
        }
        if (AtEnd) {
            if (Begin == End) {
                line = {};
                return false;
            }
            line = std::string_view(data + Begin, End - Begin);
            Begin = End;
            return true;
        }
        const std::size_t pending = End - Begin;
        Refill();
        scanned = Begin + pending;
    }
}

void TextLineReader::Refill()
{
    if (Begin > 0) {
        std::memmove(Buffer.data(), Buffer.data() + Begin, End - Begin);
        End -= Begin;
        Begin = 0;
    }
    if (Buffer.size() - End < ChunkSize / 2)
        Buffer.resize(End + ChunkSize);

    const std::size_t room = Buffer.size() - End;
    const std::size_t got = std::fread(Buffer.data() + End, 1, room, File.get());
    if (got < room) {
        if (std::ferror(File.get()))
            throw FileError::FromErrno(FilePath);
        AtEnd = true;
    }
    const void* stop = std::memchr(Buffer.data() + End, EndOfFileByte, got);
    if (stop) {
        End = static_cast<const char*>(stop) - Buffer.data();
        AtEnd = true;
    } else {
        End += got;
    }
}
