#pragma once

#include "BackgroundTask.h"
#include "FileHandle.h"
#include "FileReplacement.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

// The target script, written byte for byte through a large buffer. A full
// buffer is written by a background task while the next one fills, so that
// the conversion does not wait for the system. Every failed write throws
// FileError naming the file, at the latest from Close.
//
// A file on disk is written under a temporary name and takes the target's
// place only when Close completes it: a failed or abandoned run leaves an
// earlier script of that name as it was. Standard output ("-"), devices and
// FIFOs are written directly.
class OutputFile {
  public:
    static constexpr std::size_t BufferSize = std::size_t{1} << 20;

    // False when the file cannot be created (errno tells why), also when the
    // folder of a file on disk takes no new file for the temporary one.
    bool Open(const std::string& path);
    // The last Open failed because the target's folder takes no new file.
    bool RefusedByFolder() const { return FolderRefused; }
    // Writes what is buffered, closes, and puts the script in place; throws
    // FileError when that fails.
    void Close();
    // Closes after a failure elsewhere, reporting nothing more: a script on
    // disk is dropped; a stream gets what can still be written.
    void Abandon();
    bool IsOpen() const { return File != nullptr; }
    // Open and written directly: standard output, a pipe or a device.
    bool IsStream() const { return File != nullptr && !Replacing; }
    // Bytes written since Open, the buffered ones included.
    std::uint64_t Position() const { return Written + Used; }

    void Append(std::string_view text)
    {
        if (text.size() <= BufferSize - Used) {
            std::char_traits<char>::copy(Data.get() + Used, text.data(), text.size());
            Used += text.size();
        } else {
            AppendSlow(text);
        }
    }

    void Put(char c)
    {
        if (Used == BufferSize)
            Flush();
        Data[Used++] = c;
    }

    // Room for `size` more bytes, written straight into the buffer: flushes
    // first when the buffer lacks it; null when `size` exceeds the whole
    // buffer. Advance then takes the end of what was written.
    char* Reserve(std::size_t size)
    {
        if (size <= BufferSize - Used)
            return Data.get() + Used;
        return ReserveSlow(size);
    }
    void Advance(const char* end) { Used = static_cast<std::size_t>(end - Data.get()); }

    // Hands what is buffered to the background write; a failure of the
    // previous write is thrown here.
    void Flush();

  private:
    void AppendSlow(std::string_view text);
    char* ReserveSlow(std::size_t size);
    void WaitForWrite();
    void WriteOut(const char* data, std::size_t size);

    FileHandle File;
    std::string FilePath;
    FileReplacement Replacement;
    bool Replacing = false; // File is the temporary file of Replacement
    bool FolderRefused = false;
    std::unique_ptr<char[]> Data; // being filled
    std::size_t Used = 0;
    std::uint64_t Written = 0;     // handed out before Data's bytes
    std::unique_ptr<char[]> Spare; // being written, then filled next
    // Spare[Unwritten, SpareUsed) did not go out when its write failed.
    std::size_t SpareUsed = 0;
    std::size_t Unwritten = 0;
    BackgroundTask Writer; // writes Spare; last, so that it ends first
};
