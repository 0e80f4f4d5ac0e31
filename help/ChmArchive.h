#pragma once

#include <memory>
#include <string>

struct chmFile;

// A compiled HTML help file opened for reading. Object names are paths inside
// the file, beginning with "/".
class ChmArchive {
  public:
    ChmArchive() = default;
    // Opens `path`; IsOpen tells whether that worked.
    explicit ChmArchive(const std::string& path);

    bool IsOpen() const { return File != nullptr; }
    bool Contains(const std::string& name) const;
    // The whole object; false when the file has no such object or it cannot be read.
    bool Read(const std::string& name, std::string& content) const;

  private:
    struct Closer {
        void operator()(chmFile* file) const;
    };
    std::unique_ptr<chmFile, Closer> File;
};
