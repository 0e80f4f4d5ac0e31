#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// An INI-format profile file ("[Section]" lines and "Key=Value" lines), read
// and written the way the Windows profile functions do: sections and keys are
// matched without regard to case, values are cut to the caller's buffer size,
// a missing key gives the default; writing keeps other sections and keys in
// their order, replaces a value in place and adds a new key at the end of its
// section. Lines end in CR LF.
//
// Values read back exactly as written: the reader trims blanks around a value
// and strips one pair of enclosing quotes, so the writer puts double quotes
// around any value that would otherwise lose them.
class ProfileFile {
  public:
    enum class ReadResult {
        Done,
        CannotRead,  // missing or unreadable (errno tells why)
        NotAProfile, // no section header in the file's first 64 KiB
    };
    // Reads the file; a byte order mark in front is skipped (editors on Windows
    // write one), UTF-16 is read as such. The profile is empty unless the result is Done.
    ReadResult Read(const std::string& path);
    // Writes the whole file at once: to a temporary file beside the real file
    // (through links), flushed to disk and renamed over it, with the old file's
    // permissions. False, with errno set, when that fails or the user may not
    // write the file; the file is then as it was.
    bool Write(const std::string& path) const;

    bool HasSection(std::string_view section) const;

    // The value of the key, cut to bufferSize - 1 bytes; the default (cut the
    // same way) when the section or key is missing.
    std::string Get(std::string_view section, std::string_view key, std::string_view defaultValue,
                    std::size_t bufferSize) const;
    bool Has(std::string_view section, std::string_view key) const;
    void Set(std::string_view section, std::string_view key, std::string_view value);

    // The file's text as Write would put it on disk.
    std::string Text() const;

    // How a value is written so that it reads back unchanged.
    static std::string EncodeValue(std::string_view value);
    // What the reader makes of the text after "=".
    static std::string_view DecodeValue(std::string_view raw);

  private:
    struct Span {
        std::size_t First = 0; // index of the section's header line
        std::size_t Last = 0;  // one past its last line
    };
    bool FindSection(std::string_view section, Span& span) const;
    // Index of the key's line inside the span, or npos.
    std::size_t FindKey(const Span& span, std::string_view key) const;

    // Lookup tables over Lines, so that a project of thousands of columns loads
    // and saves in linear time. Rebuilt when a line is inserted before others.
    void BuildIndex() const;
    static std::string IndexKey(std::string_view section, std::string_view key);

    std::vector<std::string> Lines; // without line ends
    mutable bool IndexValid = false;
    mutable std::unordered_map<std::string, Span> Sections;    // first of each name
    mutable std::unordered_map<std::string, std::size_t> Keys; // first of each key there
};

// The two profile functions, one key per call on the file itself.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t bufferSize,
                                    const std::string& path);
bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               const std::string& path);
