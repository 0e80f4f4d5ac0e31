#include "FileReplacement.h"

#include "Utf8Path.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// The temporary files being written, where a signal handler can find them:
// plain memory and lock-free flags, nothing that allocates or locks.
#ifdef _WIN32
using NativeChar = wchar_t;
#else
using NativeChar = char;
#endif
struct PendingFile {
    enum : int { Free, Filling, Ready };
    std::atomic<int> State{Free};
    NativeChar Path[4096] = {};
};
PendingFile PendingFiles[4];
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler reads the flags");

// The slot that now holds `path`, or -1 when none is free or the path is too long.
int NotePending(const fs::path& path)
{
    const auto& native = path.native();
    if (native.size() >= std::size(PendingFiles[0].Path))
        return -1;
    for (int slot = 0; slot < static_cast<int>(std::size(PendingFiles)); ++slot) {
        int expected = PendingFile::Free;
        if (!PendingFiles[slot].State.compare_exchange_strong(expected, PendingFile::Filling))
            continue;
        std::copy(native.begin(), native.end(), PendingFiles[slot].Path);
        PendingFiles[slot].Path[native.size()] = 0;
        PendingFiles[slot].State = PendingFile::Ready;
        return slot;
    }
    return -1;
}

void ForgetPending(int slot)
{
    if (slot >= 0)
        PendingFiles[slot].State = PendingFile::Free;
}

// The file a path leads to through symbolic links; the path itself when it
// names nothing yet (or a link that leads nowhere).
fs::path RealFile(const std::string& path)
{
    std::error_code ec;
    const fs::path named = PathFromUtf8(path);
    const fs::path real = fs::canonical(named, ec);
    return ec ? named : real;
}

// Opens a new file exclusively, so that no other file is ever overwritten
// (and, on Windows, nobody else opens it while it is written).
FileHandle CreateNew(const fs::path& path)
{
#ifdef _WIN32
    int fd = -1;
    if (_wsopen_s(&fd, path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _SH_DENYRW,
                  _S_IREAD | _S_IWRITE) != 0)
        fd = -1;
    FileHandle file(fd < 0 ? nullptr : _fdopen(fd, "wb"));
    if (fd >= 0 && !file)
        _close(fd);
#else
    const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    FileHandle file(fd < 0 ? nullptr : ::fdopen(fd, "wb"));
    if (fd >= 0 && !file)
        ::close(fd);
#endif
    return file;
}

// The replaced file's permissions (and, where allowed, its owner) for the new one.
void TakePermissions(std::FILE* file, const fs::path& from)
{
#ifdef _WIN32
    (void)file;
    (void)from;
#else
    struct stat old;
    if (::stat(from.c_str(), &old) != 0)
        return; // a new file: the user's umask decided
    const int fd = ::fileno(file);
    (void)::fchown(fd, old.st_uid, old.st_gid); // allowed only to the owner's group or the administrator
    (void)::fchmod(fd, old.st_mode & 07777);
#endif
}

bool SyncToDisk(std::FILE* file)
{
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return ::fsync(::fileno(file)) == 0;
#endif
}

// So that the rename itself survives a crash.
void SyncFolder(const fs::path& folder)
{
#ifndef _WIN32
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
#else
    (void)folder;
#endif
}

} // namespace

void RemoveTemporaryFiles() noexcept
{
    for (PendingFile& file : PendingFiles) {
        if (file.State == PendingFile::Ready) {
#ifdef _WIN32
            (void)_wunlink(file.Path);
#else
            (void)::unlink(file.Path);
#endif
        }
    }
}

bool MayWrite(const std::string& path)
{
#ifdef _WIN32
    const std::wstring wide = WideFromUtf8(path);
    return _waccess(wide.c_str(), 0) != 0 || _waccess(wide.c_str(), 2) == 0;
#else
    struct stat status;
    if (::stat(path.c_str(), &status) != 0)
        return true; // nothing there yet
    return ::access(path.c_str(), W_OK) == 0 && (status.st_mode & 0222) != 0;
#endif
}

bool IsStreamTarget(const std::string& path)
{
    if (path == "-")
        return true;
#ifndef _WIN32
    // /dev/stdout and its kind lead to whatever the caller opened: never replace it.
    for (const char* prefix : {"/dev/std", "/dev/fd/", "/proc/"}) {
        if (path.rfind(prefix, 0) == 0)
            return true;
    }
#endif
    std::error_code ec;
    const fs::file_status status = fs::status(PathFromUtf8(path), ec);
    return !ec && fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status);
}

FileHandle FileReplacement::Create(const std::string& path)
{
    Discard();
    const fs::path destination = RealFile(path);
    if (!MayWrite(Utf8FromPath(destination))) {
        errno = EACCES;
        return nullptr;
    }
    // A name of our own beside it: hidden, unlikely to be taken, and tried anew when it is.
    const fs::path folder = destination.parent_path();
    const auto stamp =
        static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string name = "." + Utf8FromPath(destination.filename()) + "." +
                                 std::to_string((stamp + attempt) % 1000000007ULL) + ".tmp";
        const fs::path temporary = folder / PathFromUtf8(name);
        errno = 0;
        FileHandle file = CreateNew(temporary);
        if (file) {
            Pending = NotePending(temporary);
            TemporaryPath = Utf8FromPath(temporary);
            DestinationPath = Utf8FromPath(destination);
            TakePermissions(file.get(), destination);
            return file;
        }
        if (errno != EEXIST)
            return nullptr;
    }
    return nullptr;
}

bool FileReplacement::Commit(FileHandle file, bool sync)
{
    errno = 0;
    bool written = !sync || SyncToDisk(file.get());
    int error = errno;
    if (std::fclose(file.release()) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written) {
        std::error_code ec;
        fs::rename(PathFromUtf8(TemporaryPath), PathFromUtf8(DestinationPath), ec);
        if (!ec) {
            ForgetPending(Pending);
            Pending = -1;
            if (sync)
                SyncFolder(PathFromUtf8(DestinationPath).parent_path());
            TemporaryPath.clear();
            return true;
        }
        error = ec.value();
    }
    Discard();
    errno = error;
    return false;
}

void FileReplacement::Discard()
{
    if (TemporaryPath.empty())
        return;
    std::error_code ec;
    fs::remove(PathFromUtf8(TemporaryPath), ec);
    ForgetPending(Pending);
    Pending = -1;
    TemporaryPath.clear();
}

FileHandle TemporaryFile::Create()
{
    Remove();
    std::error_code ec;
    const fs::path folder = fs::temp_directory_path(ec);
    if (ec) {
        FilePath = "the system's temporary folder";
        errno = ec.value();
        return nullptr;
    }
    // A name of our own, tried anew when it is taken.
    const auto stamp =
        static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const fs::path path =
            folder / PathFromUtf8("tabulon-" + std::to_string((stamp + attempt) % 1000000007ULL) + ".tmp");
        FilePath = Utf8FromPath(path);
        errno = 0;
        FileHandle file = CreateNew(path);
        if (file) {
            Created = true;
            Pending = NotePending(path);
            return file;
        }
        if (errno != EEXIST)
            return nullptr;
    }
    return nullptr;
}

void TemporaryFile::Remove()
{
    if (!Created)
        return;
    std::error_code ec;
    fs::remove(PathFromUtf8(FilePath), ec);
    ForgetPending(Pending);
    Pending = -1;
    Created = false;
}
