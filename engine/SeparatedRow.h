#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The values of one separated line, cut and written in a single pass over its
// bytes: the common settings of a one-byte field separator and quotation marks
// that are empty, an apostrophe or a double quote. The bytes are those the
// general writer gives.
class SeparatedRow {
  public:
    // False when the settings need the general writer.
    bool Prepare(std::string_view separator, const std::vector<std::string>& quotes);

    // The most bytes Write produces for a line of `size` bytes: every byte
    // doubled, and per field two marks and a comma, or NULL and a comma.
    static std::size_t SizeLimit(std::size_t size) { return 2 * size + 5 * (size + 1); }

    // Writes the values text of the line at `out`, which has room for
    // SizeLimit(line.size()) bytes; returns the end of what it wrote.
    char* Write(char* out, std::string_view line) const;

  private:
    const char* WriteQuoted(char*& out, const char* p, const char* end, char mark) const;
    const char* WriteBare(char*& out, const char* p, const char* end) const;

    char Separator = ',';
    std::vector<char> Marks; // per column: its one-byte mark, or 0 for an unmarked column
};
