#include "OutputFile.h"

#include "FileError.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

bool OutputFile::Open(const std::string& path)
{
    Abandon();
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        errno = EISDIR;
        return false;
    }
    File.reset(std::fopen(path.c_str(), "wb"));
    if (!File)
        return false;
    std::setvbuf(File.get(), nullptr, _IONBF, 0); // we buffer ourselves
    FilePath = path;
    if (!Data)
        Data = std::make_unique<char[]>(BufferSize);
    Used = 0;
    return true;
}

void OutputFile::Flush()
{
    if (Used == 0 || !File)
        return;
    errno = 0;
    const std::size_t written = std::fwrite(Data.get(), 1, Used, File.get());
    if (written != Used) {
        // Keep what did not go out, so that a later attempt does not repeat bytes.
        std::memmove(Data.get(), Data.get() + written, Used - written);
        Used -= written;
        throw FileError::FromErrno(FilePath);
    }
    Used = 0;
}

void OutputFile::Close()
{
    if (!File)
        return;
    try {
        Flush();
    } catch (...) {
        Abandon();
        throw;
    }
    errno = 0;
    const int result = std::fclose(File.release());
    if (result != 0)
        throw FileError::FromErrno(FilePath);
}

void OutputFile::Abandon()
{
    if (!File)
        return;
    if (Used > 0)
        (void)std::fwrite(Data.get(), 1, Used, File.get()); // best effort: the caller already reports
    Used = 0;
    File.reset();
}

void OutputFile::AppendSlow(std::string_view text)
{
    Flush();
    if (text.size() >= BufferSize) {
        errno = 0;
        if (std::fwrite(text.data(), 1, text.size(), File.get()) != text.size())
            throw FileError::FromErrno(FilePath);
        return;
    }
    std::memcpy(Data.get() + Used, text.data(), text.size());
    Used += text.size();
}

char* OutputFile::ReserveSlow(std::size_t size)
{
    if (size > BufferSize)
        return nullptr;
    Flush();
    return Data.get();
}

void OutputFile::AppendDoubling(std::string_view text, char doubled)
{
    for (;;) {
        const std::size_t at = text.find(doubled);
        if (at == std::string_view::npos) {
            Append(text);
            return;
        }
        Append(text.substr(0, at + 1));
        Append(std::string_view(&doubled, 1));
        text.remove_prefix(at + 1);
    }
}
