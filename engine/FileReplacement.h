#pragma once

#include "FileHandle.h"

#include <string>

// A file that replaces another only once it is complete: it is written under a
// new name beside the real file (the file a symbolic link leads to) and renamed
// over it by Commit, so a reader never sees half of it and a failure leaves the
// old file as it was. The new file takes the old one's permissions.
class FileReplacement {
  public:
    FileReplacement() = default;
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;
    ~FileReplacement() { Discard(); }

    // Creates the temporary file for replacing `path` and opens it for writing
    // in binary mode. Null, with errno set, when it cannot be created or when
    // `path` is a file the user may not write.
    FileHandle Create(const std::string& path);
    // Closes `file` (after flushing it to the disk when `sync`) and renames it
    // over the real file. False, with errno set, when that fails; the temporary
    // file is removed then.
    bool Commit(FileHandle file, bool sync);
    // Removes the temporary file; `file` from Create must be closed already.
    void Discard();

    // The file being replaced, through links.
    const std::string& Destination() const { return DestinationPath; }

  private:
    std::string TemporaryPath;
    std::string DestinationPath;
    int Pending = -1; // where RemoveTemporaryFiles finds the temporary file
};

// A file of the program's own in the system's temporary folder, removed by
// Remove, at the latest when this ends (and by RemoveTemporaryFiles when a
// signal ends the program).
class TemporaryFile {
  public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() { Remove(); }

    // Creates a new file there and opens it for writing in binary mode. Null,
    // with errno set, when that fails; Path() then names what was tried.
    FileHandle Create();
    const std::string& Path() const { return FilePath; }
    // Removes the file; whatever has it open must have closed it (Windows).
    void Remove();

  private:
    std::string FilePath;
    bool Created = false;
    int Pending = -1; // where RemoveTemporaryFiles finds the file
};

// Removes the temporary files of the replacements under way in this process.
// Safe in a signal handler, so that a program ended by a signal leaves none
// (and every real file as it was).
void RemoveTemporaryFiles() noexcept;

// False when `path` names an existing file that the user may not write: no
// write permission for the user, or no write permission bit set at all (a
// read-only file stays read-only for the administrator too).
bool MayWrite(const std::string& path);

// True for a path whose data is not a regular file on disk, so that it is
// written directly: standard output ("-"), devices, FIFOs, /proc entries.
bool IsStreamTarget(const std::string& path);
