#pragma once

#include "RunSettings.h"
#include "SourceValues.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The values of one separated line, cut and written in a single pass over its
// bytes: the common settings of a one-byte field separator and quotation marks
// that are empty, an apostrophe or a double quote, with or without fields in
// double quotes. The bytes are those the general writer gives.
class SeparatedRow {
  public:
    SeparatedRow() = default;
    SeparatedRow(const SeparatedRow&) = delete;
    SeparatedRow& operator=(const SeparatedRow&) = delete;

    // Prepares for a run's settings: false when the run needs the general
    // writer (values trimmed, NULL for empty values in marked columns, columns
    // left out, Unicode literals, value rules with quoted fields or COPY, or
    // the separator and marks below). Value rules (SourceValueRules) are
    // applied to each value after it is written, where they change it.
    bool Prepare(const RunSettings& settings);

    // False when the settings need the general writer. With `columns` > 0 a
    // line gets exactly that many values: missing ones are NULL, extra ones
    // are left out; with 0 every field is written.
    // `escape` is doubled inside literals besides the apostrophe and the mark
    // (MySQL's backslash; the apostrophe where there is none).
    // `copy`: the values of a COPY row in PostgreSQL's text format instead.
    // `carriageReturn`: written for a CR inside a literal (DialectRules), if any.
    bool Prepare(std::string_view separator, const std::vector<std::string>& quotes, std::size_t columns,
                 bool quotedFields, char escape = '\'', bool copy = false,
                 std::string_view carriageReturn = std::string_view());

    // The most bytes Write produces for a line of `size` bytes: every byte
    // doubled (or written as the CR text), and per field two marks and a
    // comma, or NULL and a comma; and the eight bytes that the copy of a whole
    // word may write past them.
    std::size_t SizeLimit(std::size_t size) const { return Growth * size + 5 * (size + 1) + 5 * Columns + 8; }

    // Writes the values text of the line at `out`, which has room for
    // SizeLimit(line.size()) bytes; returns the end of what it wrote. `fields`
    // gets the line's field count, counted up to one more than the columns.
    // Returns null when a quoted field is still open at the line's end (the
    // record goes on on the next line), and null with `fields` 0 when the
    // line holds a NUL byte: the pass that copies the bytes looks for it too.
    char* Write(char* out, std::string_view line, std::size_t& fields) const
    {
        return (this->*Writer)(out, line, fields);
    }

  private:
    // One loop per kind of settings, so that the loop over the fields tests none of them.
    template <bool Copy, bool QuotedFields, bool OtherDoubled, bool Returns, bool Values = false>
    char* WriteFields(char* out, std::string_view line, std::size_t& fields) const;
    // The k-th value `raw`, written from `start` to `out`, once more as the value rules read it.
    char* ReadWrittenValue(char* start, char* out, std::string_view raw, std::size_t k) const;
    // How a value whose first byte a value rule may change was written.
    enum class Ruled {
        Written,    // by the rules, read as it was copied
        AsItStands, // no rule changes it: the pass writes it as without the rules
        Again       // the pass writes it, then ReadWrittenValue reads it once more
    };
    // A NULL marker, a number with the decimal separator or a date in the format, read and
    // written in one pass over its bytes at `p`, which moves past it when Written.
    Ruled WriteRuled(char*& out, const char*& p, const char* end, char mark) const;

    char Separator = ',';
    std::vector<char> Marks; // per column: its one-byte mark, or 0 for an unmarked column
    std::size_t Columns = 0;
    bool QuotedFields = false;
    char Escape = '\'';
    bool Copy = false;
    std::string_view Return; // written for a CR inside a literal; empty: the CR as it is
    std::size_t Growth = 2;  // the most bytes written for one byte of a value
    // A mark or the escape is a byte other than the apostrophe, so that more bytes are doubled.
    bool OtherDoubled = false;
    // The value rules and the columns that FormOf reads, with value rules only.
    SourceValueRules Rules;
    mutable SourceValueReader Reader{Rules};
    std::vector<ColumnSettings> ValueColumns;
    // For WriteRuled, from the rules once per run: the NULL markers a field can be (without the
    // separator or NUL), the first bytes of numbers and dates that a rule may change, whether the
    // numbers are read (a decimal comma or a thousands separator), the thousands separator that
    // can stand in a field and the date format's reader.
    std::vector<std::string> Markers;
    std::array<bool, 256> NumberStarts{};
    bool Numbers = false;
    char Grouping = 0; // the thousands separator, 0 for none
    DateReader Dates;
    // The loop for these settings, chosen by Prepare.
    char* (SeparatedRow::*Writer)(char*, std::string_view, std::size_t&) const = nullptr;
};
