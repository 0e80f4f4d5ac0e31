#include "OutputFile.h"

#include "FileError.h"
#include "Utf8Path.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

bool OutputFile::Open(const std::string& path)
{
    Abandon();
    FolderRefused = false;
    if (IsStandardStream(path)) {
        File = OpenStandardStream(true);
    } else if (IsStreamTarget(path)) {
        File = OpenUnbuffered(path, "wb");
    } else if (!MayWrite(path)) {
        errno = EACCES;
    } else if (std::error_code ec; std::filesystem::is_directory(PathFromUtf8(path), ec)) {
        errno = EISDIR;
    } else {
        // A folder that takes no new file refuses the script: written in place,
        // a failed run would destroy the earlier one.
        File = Replacement.Create(path);
        Replacing = File != nullptr;
        FolderRefused = !File && (errno == EACCES || errno == EPERM);
    }
    if (!File)
        return false;
    std::setvbuf(File.get(), nullptr, _IONBF, 0);
    FilePath = path;
    // Left uninitialised: every byte is written before it goes out, and
    // zeroing 2 MiB would touch every page of them once more.
    if (!Data)
        Data.reset(new char[BufferSize]);
    if (!Spare)
        Spare.reset(new char[BufferSize]);
    Used = SpareUsed = Unwritten = 0;
    Written = 0;
    return true;
}

void OutputFile::WriteOut(const char* data, std::size_t size)
{
    errno = 0; // errno belongs to the thread that writes
    const std::size_t written = std::fwrite(data, 1, size, File.get());
    if (written != size) {
        // Keep what did not go out, so that Abandon neither loses nor repeats bytes.
        Unwritten = written;
        throw FileError::FromErrno(FilePath);
    }
    Unwritten = size;
}

void OutputFile::WaitForWrite()
{
    Writer.Wait(); // throws what the write threw
}

void OutputFile::Flush()
{
    if (Used == 0 || !File)
        return;
    WaitForWrite();
    std::swap(Data, Spare);
    SpareUsed = Used;
    Unwritten = 0;
    Written += Used;
    Used = 0;
    Writer.Start([this] { WriteOut(Spare.get(), SpareUsed); });
}

void OutputFile::Close()
{
    if (!File)
        return;
    try {
        Flush();
        WaitForWrite();
    } catch (...) {
        Abandon();
        throw;
    }
    errno = 0;
    if (Replacing) {
        Replacing = false;
        if (!Replacement.Commit(std::move(File), false))
            throw FileError::FromErrno(FilePath);
        return;
    }
    if (std::fclose(File.release()) != 0)
        throw FileError::FromErrno(FilePath);
}

void OutputFile::Abandon()
{
    Writer.Drop(); // the caller already reports a failure
    if (!File)
        return;
    if (Replacing) {
        Replacing = false;
        Used = SpareUsed = Unwritten = 0;
        File.reset();
        Replacement.Discard();
        return;
    }
    // Best effort, in order: what a failed write left, then the buffer.
    if (Unwritten < SpareUsed)
        (void)std::fwrite(Spare.get() + Unwritten, 1, SpareUsed - Unwritten, File.get());
    if (Used > 0)
        (void)std::fwrite(Data.get(), 1, Used, File.get());
    Used = SpareUsed = Unwritten = 0;
    File.reset();
}

void OutputFile::AppendSlow(std::string_view text)
{
    Flush();
    if (text.size() >= BufferSize) {
        WaitForWrite(); // the buffered bytes go first
        errno = 0;
        if (std::fwrite(text.data(), 1, text.size(), File.get()) != text.size())
            throw FileError::FromErrno(FilePath);
        Written += text.size();
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
