#pragma once

// Plain, slow restatements of the engine's rules, and a strict reader of the
// scripts it writes, so the fuzzers can tell a wrong result from a right one.
// They are written from the rules, not from the engine's code: a quoted record
// is read one byte at a time, lines and fields from the raw bytes.

#include "ReservedWords.h"
#include "TestFiles.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// A column mark: none, the two real ones, or any short text a project file may hold.
inline std::string PickMark(FuzzedDataProvider& input)
{
    switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return "";
    case 1:
        return "'";
    case 2:
        return "\"";
    default:
        return input.ConsumeRandomLengthString(3);
    }
}

// A field separator as a project holds it: the common ones, a double quote, or any short text.
inline std::string PickSeparator(FuzzedDataProvider& input)
{
    switch (input.ConsumeIntegralInRange(0, 5)) {
    case 0:
        return "<tab>";
    case 1:
        return ",";
    case 2:
        return ";";
    case 3:
        return "\"";
    default:
        return input.ConsumeRandomLengthString(3);
    }
}

// Widths as a project holds them: mostly a list of small numbers (two-digit ones
// among them), now and then any text.
inline std::string PickWidths(FuzzedDataProvider& input)
{
    if (input.ConsumeIntegralInRange(0, 3) == 0)
        return input.ConsumeRandomLengthString(16);
    std::string text;
    const int count = input.ConsumeIntegralInRange(0, 5);
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text += ',';
        text += std::to_string(input.ConsumeIntegralInRange(0, 14));
    }
    return text;
}

// Stops the fuzzer with a message; libFuzzer saves the input that led here.
[[noreturn]] inline void Fail(const char* what, const std::string& detail = std::string())
{
    std::fprintf(stderr, "FUZZ CHECK FAILED: %s %s\n", what, detail.c_str());
    std::abort();
}

inline void Check(bool condition, const char* what, const std::string& detail = std::string())
{
    if (!condition)
        Fail(what, detail);
}

// A file name of this process's own, so fuzzers may run side by side; the
// folder goes when the fuzzer ends.
inline std::string TempPath(const char* name)
{
    static const TestFolder folder;
    return folder.Path(name);
}

// Separator mode skips the separator whole; an empty one gives n + 2 empty
// fields for a line of n bytes. Fixed widths: a field that starts inside the line
// is taken up to its width or the line's end; one that starts at the end or
// beyond is missing, and so are all after it.
inline std::vector<std::string> ReferenceSplit(const std::string& line, bool withSeparators,
                                               std::string_view separator,
                                               const std::vector<std::size_t>& widths)
{
    std::vector<std::string> fields;
    if (withSeparators) {
        if (separator.empty())
            return std::vector<std::string>(line.size() + 2);
        std::size_t start = 0;
        std::size_t i = 0;
        while (i + separator.size() <= line.size()) {
            if (line.compare(i, separator.size(), separator) == 0) {
                fields.push_back(line.substr(start, i - start));
                i += separator.size();
                start = i;
            } else {
                ++i;
            }
        }
        fields.push_back(line.substr(start));
        return fields;
    }
    std::size_t start = 0;
    for (const std::size_t width : widths) {
        if (start >= line.size())
            break; // a field cut by the line's end is taken as far as it goes
        fields.push_back(line.substr(start, std::min<std::size_t>(width, line.size() - start)));
        start += width;
    }
    return fields;
}

// [-] (0 | 1-9 digits*) [. digits+], at most 15 digits, not minus zero.
inline bool ReferencePlainNumber(const std::string& value)
{
    std::size_t i = 0, digits = 0, integerDigits = 0, fractionDigits = 0;
    bool dot = false;
    if (i < value.size() && value[i] == '-')
        ++i;
    const std::size_t first = i;
    bool nonZero = false;
    for (; i < value.size(); ++i) {
        const char c = value[i];
        if (c >= '0' && c <= '9') {
            ++digits;
            nonZero = nonZero || c != '0';
            (dot ? fractionDigits : integerDigits)++;
        } else if (c == '.' && !dot) {
            dot = true;
        } else {
            return false;
        }
    }
    if (integerDigits > 1 && value[first] == '0')
        return false;
    // An integer part, a fraction after a point, no minus zero.
    if (integerDigits == 0 || (dot && fractionDigits == 0) || (first == 1 && !nonZero))
        return false;
    return digits <= 15;
}

// A physical line of a source and the line end that followed it in the file
// ("\n" with the CRs before it, "\r", or none for a last line without one).
struct SourceLine {
    std::string Text;
    std::string End;
};

// A source that starts with a UTF-16 byte order mark is decoded; the harnesses
// that check the bytes as they are leave such sources to the decoding harness.
inline bool StartsWithUtf16Mark(std::string_view bytes)
{
    return bytes.substr(0, 2) == "\xff\xfe" || bytes.substr(0, 2) == "\xfe\xff";
}

// Lines: a UTF-8 byte order mark at the start goes, and a byte 26 that is the
// last byte; a CR and no LF in the first 64 KiB make every CR a line end;
// else LF ends a line, the CRs right before it go with it; a last line without
// its line end still counts.
inline std::vector<SourceLine> ReferenceSourceLines(std::string_view bytes)
{
    if (bytes.substr(0, 3) == "\xef\xbb\xbf")
        bytes.remove_prefix(3);
    if (!bytes.empty() && bytes.back() == '\x1a')
        bytes.remove_suffix(1);
    const std::string_view sample = bytes.substr(0, std::size_t{1} << 16);
    const char end =
        sample.find('\n') == std::string_view::npos && sample.find('\r') != std::string_view::npos ? '\r'
                                                                                                   : '\n';
    std::vector<SourceLine> lines;
    std::string current;
    for (const char c : bytes) {
        if (c != end) {
            current += c;
            continue;
        }
        SourceLine line{current, std::string(1, end)};
        while (end == '\n' && !line.Text.empty() && line.Text.back() == '\r') {
            line.Text.pop_back();
            line.End.insert(0, 1, '\r');
        }
        lines.push_back(std::move(line));
        current.clear();
    }
    if (!current.empty())
        lines.push_back({current, ""});
    return lines;
}

// How records are read and cut, as a project says.
struct ReadRules {
    bool WithSeparators = true;
    std::string Separator;           // "<tab>" already a tab
    std::vector<std::size_t> Widths; // empty: refused where the fields are cut at widths
    bool QuotedFields = false;
    bool Trim = false;

    bool SplitsQuoted() const { return QuotedFields && WithSeparators && !Separator.empty(); }
    // Settings a run refuses: no separator to cut at, or no widths.
    bool Refused() const { return WithSeparators ? Separator.empty() : Widths.empty(); }
};

// Fields in double quotes, one byte at a time: a field whose first byte is a
// double quote runs to the next lone one ("" stands for one); what follows it
// up to the separator is part of the value; anywhere else a quote is data.
// `open` tells whether the record ended inside quotes.
inline std::vector<std::string> ReferenceQuotedSplit(std::string_view record, std::string_view separator,
                                                     bool& open)
{
    enum State { FieldStart, Plain, Quoted } state = FieldStart;
    std::vector<std::string> fields;
    std::string field;
    std::size_t i = 0;
    while (i < record.size()) {
        const char c = record[i];
        if (state == FieldStart && c == '"') {
            state = Quoted;
            ++i;
        } else if (state == Quoted) {
            if (c != '"') {
                field += c;
                ++i;
            } else if (i + 1 < record.size() && record[i + 1] == '"') {
                field += '"';
                i += 2;
            } else {
                state = Plain; // closed: the rest up to the separator is data
                ++i;
            }
        } else if (record.substr(i, separator.size()) == separator) {
            fields.push_back(field);
            field.clear();
            state = FieldStart;
            i += separator.size();
        } else {
            state = Plain;
            field += c;
            ++i;
        }
    }
    open = state == Quoted;
    fields.push_back(field);
    return fields;
}

inline std::string ReferenceTrim(const std::string& text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && (text[first] == ' ' || text[first] == '\t'))
        ++first;
    while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t'))
        --last;
    return text.substr(first, last - first);
}

// The values of one record under the rules.
inline std::vector<std::string> ReferenceValues(const std::string& record, const ReadRules& rules)
{
    std::vector<std::string> values;
    if (rules.SplitsQuoted()) {
        bool open = false;
        values = ReferenceQuotedSplit(record, rules.Separator, open);
    } else {
        values = ReferenceSplit(record, rules.WithSeparators, rules.Separator, rules.Widths);
    }
    if (rules.Trim) {
        for (std::string& value : values)
            value = ReferenceTrim(value);
    }
    return values;
}

// A record: a line that is not blank, joined with the lines after it (and the
// line ends between them as the file holds them) while a quoted field is open.
struct SourceRecord {
    std::string Text;
    std::size_t FirstLine = 0; // physical, from 1
    std::size_t LastLine = 0;
};

inline std::vector<SourceRecord> ReferenceRecords(const std::vector<SourceLine>& lines,
                                                  const ReadRules& rules)
{
    std::vector<SourceRecord> records;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].Text.empty())
            continue; // a blank line is no record
        SourceRecord record{lines[i].Text, i + 1, i + 1};
        bool open = false;
        if (rules.SplitsQuoted())
            ReferenceQuotedSplit(record.Text, rules.Separator, open);
        while (open && i + 1 < lines.size()) {
            record.Text += lines[i].End + lines[i + 1].Text;
            record.LastLine = ++i + 1;
            ReferenceQuotedSplit(record.Text, rules.Separator, open);
        }
        records.push_back(std::move(record));
    }
    return records;
}

inline bool HoldsNul(std::string_view text)
{
    return text.find('\0') != std::string_view::npos;
}

// A byte that stops a run when the source holds it: NUL, or a byte 26 (one that
// was the source's last byte is gone already).
inline bool HoldsStopByte(std::string_view text)
{
    return text.find('\0') != std::string_view::npos || text.find('\x1a') != std::string_view::npos;
}

// The widths a "Widths" text gives: comma delimited whole numbers from 1 to
// 1,000,000,000, blanks around each allowed; none (the run refuses the
// setting) for anything else.
inline std::vector<std::size_t> ReferenceWidths(const std::string& text)
{
    std::vector<std::size_t> widths;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        std::string piece = text.substr(start, comma == std::string::npos ? comma : comma - start);
        while (!piece.empty() && (piece.front() == ' ' || piece.front() == '\t'))
            piece.erase(0, 1);
        while (!piece.empty() && (piece.back() == ' ' || piece.back() == '\t'))
            piece.pop_back();
        if (piece.empty() || piece.size() > 10 || piece.find_first_not_of("0123456789") != std::string::npos)
            return {};
        const std::size_t value = std::stoull(piece);
        if (value == 0 || value > 1000000000)
            return {};
        widths.push_back(value);
        if (comma == std::string::npos)
            return widths;
        start = comma + 1;
    }
}

// Column names from a header record: an empty one is named N<i> by its place, a
// repeated one (letter case aside) gets _2, _3, ... until it is unique.
inline std::vector<std::string> ReferenceUsableNames(const std::vector<std::string>& header)
{
    auto lower = [](std::string text) {
        for (char& c : text) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        return text;
    };
    std::vector<std::string> names;
    std::vector<std::string> taken;
    for (std::size_t i = 0; i < header.size(); ++i) {
        const std::string base = header[i].empty() ? "N" + std::to_string(i) : header[i];
        std::string name = base;
        for (int suffix = 2; std::find(taken.begin(), taken.end(), lower(name)) != taken.end(); ++suffix)
            name = base + "_" + std::to_string(suffix);
        taken.push_back(lower(name));
        names.push_back(name);
    }
    return names;
}

// The columns a discovery finds: names from the first record (N0, N1, ... when
// it is data), each column marked "'" when any of the first SampleRecords data
// records holds a value in it that is neither empty nor a plain number.
inline void ReferenceDiscovery(const std::vector<SourceRecord>& records, const ReadRules& rules, bool header,
                               std::size_t sampleRecords, std::vector<std::string>& names,
                               std::vector<std::string>& quotes)
{
    names.clear();
    quotes.clear();
    if (records.empty())
        return;
    const std::vector<std::string> first = ReferenceValues(records[0].Text, rules);
    if (header) {
        names = ReferenceUsableNames(first);
    } else {
        for (std::size_t i = 0; i < first.size(); ++i)
            names.push_back("N" + std::to_string(i));
    }
    quotes.assign(names.size(), "");
    const std::size_t from = header ? 1 : 0;
    for (std::size_t r = from; r < records.size() && r < from + sampleRecords; ++r) {
        const std::vector<std::string> values = ReferenceValues(records[r].Text, rules);
        for (std::size_t i = 0; i < values.size() && i < names.size(); ++i) {
            if (!values[i].empty() && !ReferencePlainNumber(values[i]))
                quotes[i] = "'";
        }
    }
}

// What a project holds after a discovery found `names` and `quotes`: a column
// whose source name an earlier column had (each earlier one taken once, in
// order) keeps that column's target name and, where it had one, its mark.
inline void ReferenceMerge(const std::vector<std::string>& earlierColumns,
                           const std::vector<std::string>& earlierQuotes,
                           const std::vector<std::string>& earlierSources,
                           const std::vector<std::string>& names, const std::vector<std::string>& quotes,
                           std::vector<std::string>& columns, std::vector<std::string>& marks)
{
    columns = names;
    marks = quotes;
    std::vector<bool> taken(earlierColumns.size(), false);
    for (std::size_t i = 0; i < names.size(); ++i) {
        for (std::size_t j = 0; j < earlierColumns.size(); ++j) {
            const std::string& source = j < earlierSources.size() ? earlierSources[j] : earlierColumns[j];
            if (taken[j] || source != names[i])
                continue;
            taken[j] = true;
            columns[i] = earlierColumns[j];
            if (j < earlierQuotes.size())
                marks[i] = earlierQuotes[j];
            break;
        }
    }
}

// One value as the script holds it.
struct Value {
    enum Kind { Null, Bare, Quoted } kind = Null;
    char mark = 0; // for Quoted: ' or "
    std::string text;
};

struct Statement {
    bool commit = false;
    std::string table;
    std::vector<std::string> columns;
    std::vector<Value> values;
};

// Reads a script strictly: every statement an INSERT of one row or a COMMIT,
// each followed by the terminator that sqlSep gives, every literal and quoted
// name closed inside its statement. False with a reason at the first deviation.
class ScriptReader {
  public:
    ScriptReader(std::string_view script, std::string sqlSep) : Text(script)
    {
        if (sqlSep.size() > 1)
            Terminator = "\r\n" + sqlSep + "\r\n";
        else
            Terminator = sqlSep + "\r\n";
    }

    bool ReadAll(std::vector<Statement>& statements, std::string& error)
    {
        while (Pos < Text.size()) {
            Statement statement;
            if (!ReadStatement(statement)) {
                error = Error + " at byte " + std::to_string(Pos);
                return false;
            }
            statements.push_back(std::move(statement));
        }
        return true;
    }

  private:
    bool Expect(std::string_view what)
    {
        if (Text.compare(Pos, what.size(), what) != 0)
            return Fault("expected '" + std::string(what) + "'");
        Pos += what.size();
        return true;
    }

    bool Fault(std::string why)
    {
        Error = std::move(why);
        return false;
    }

    bool Peek(char c) const { return Pos < Text.size() && Text[Pos] == c; }

    bool ReadName(std::string& name)
    {
        name.clear();
        if (Peek('"')) {
            ++Pos;
            for (;;) {
                if (Pos >= Text.size())
                    return Fault("unclosed quoted name");
                const char c = Text[Pos++];
                if (c == '"') {
                    if (!Peek('"'))
                        return true;
                    ++Pos;
                }
                name += c;
            }
        }
        auto alpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
        auto digit = [](char c) { return c >= '0' && c <= '9'; };
        if (Pos < Text.size() && alpha(Text[Pos])) {
            while (Pos < Text.size() && (alpha(Text[Pos]) || digit(Text[Pos])))
                name += Text[Pos++];
        }
        // A reserved word standing bare would be read as SQL, not as the name.
        if (IsReservedWord(name))
            return Fault("reserved word as a bare name: " + name);
        return true;
    }

    // A table name: its parts, each a name of its own, joined by dots.
    bool ReadQualifiedName(std::string& name)
    {
        std::string part;
        if (!ReadName(part))
            return false;
        name = part;
        while (Peek('.')) {
            ++Pos;
            if (!ReadName(part))
                return false;
            name += '.' + part;
        }
        return true;
    }

    bool ReadValue(Value& value)
    {
        value = Value();
        if (Text.compare(Pos, 4, "NULL") == 0) {
            Pos += 4;
            return true;
        }
        if (Peek('\'') || Peek('"')) {
            value.kind = Value::Quoted;
            value.mark = Text[Pos++];
            for (;;) {
                if (Pos >= Text.size())
                    return Fault("unclosed literal");
                const char c = Text[Pos++];
                if (c == value.mark && !Peek(c))
                    return true;
                if (c == '\'' || c == value.mark) {
                    // Inside any literal both the mark and the apostrophe stand doubled.
                    if (!Peek(c))
                        return Fault("lone quote inside literal");
                    ++Pos;
                }
                value.text += c;
            }
        }
        value.kind = Value::Bare;
        while (Pos < Text.size() && Text[Pos] != ',' && Text[Pos] != ')')
            value.text += Text[Pos++];
        if (!ReferencePlainNumber(value.text))
            return Fault("bare value that is no plain number: " + value.text);
        return true;
    }

    bool ReadStatement(Statement& statement)
    {
        if (Text.compare(Pos, 6, "COMMIT") == 0) {
            Pos += 6;
            statement.commit = true;
            return Expect(Terminator);
        }
        if (!Expect("insert into ") || !ReadQualifiedName(statement.table) || !Expect("("))
            return false;
        for (;;) {
            std::string name;
            if (!ReadName(name))
                return false;
            statement.columns.push_back(name);
            if (Peek(')'))
                break;
            if (!Expect(","))
                return false;
        }
        if (!Expect(") values("))
            return false;
        if (!Peek(')')) {
            for (;;) {
                Value value;
                if (!ReadValue(value))
                    return false;
                statement.values.push_back(std::move(value));
                if (Peek(')'))
                    break;
                if (!Expect(","))
                    return false;
            }
        }
        return Expect(")") && Expect(Terminator);
    }

    std::string_view Text;
    std::string Terminator;
    std::size_t Pos = 0;
    std::string Error;
};

// The column list as the reader sees it: a column without a name is left out,
// and no columns and one empty name look alike.
inline bool SameColumns(const std::vector<std::string>& read, const std::vector<std::string>& columns)
{
    std::vector<std::string> expected;
    for (const std::string& column : columns) {
        if (!column.empty())
            expected.push_back(column);
    }
    if (expected.empty())
        return read.size() == 1 && read[0].empty();
    return read == expected;
}

inline bool operator==(const Value& a, const Value& b)
{
    return a.kind == b.kind && a.mark == b.mark && a.text == b.text;
}

inline std::string Describe(const Value& value)
{
    switch (value.kind) {
    case Value::Null:
        return "NULL";
    case Value::Bare:
        return value.text;
    default:
        return value.mark + value.text + value.mark;
    }
}

// What a value becomes in a column with this mark; a missing one (null) is NULL.
inline Value ExpectedValue(const std::string* field, const std::string& mark, bool emptyIsNull)
{
    Value value;
    if (!field || (field->empty() && (mark.empty() || emptyIsNull)))
        return value;
    value.text = *field;
    if (mark.empty() && ReferencePlainNumber(*field)) {
        value.kind = Value::Bare;
        return value;
    }
    value.kind = Value::Quoted;
    value.mark = mark == "\"" ? '"' : '\'';
    return value;
}

// The values a statement holds for these fields: with columns, one per column
// that has a name (NULL where the fields end, extra fields left out); else every field.
inline std::vector<Value> ExpectedRow(const std::vector<std::string>& fields,
                                      const std::vector<std::string>& columns,
                                      const std::vector<std::string>& quotes, bool emptyIsNull)
{
    std::vector<Value> row;
    const std::size_t count = columns.empty() ? fields.size() : columns.size();
    for (std::size_t k = 0; k < count; ++k) {
        if (!columns.empty() && columns[k].empty())
            continue;
        const std::string mark = k < quotes.size() ? quotes[k] : std::string();
        row.push_back(ExpectedValue(k < fields.size() ? &fields[k] : nullptr, mark, emptyIsNull));
    }
    return row;
}

// Checks a read statement against the expected row, naming the first difference.
inline void CheckRow(const std::vector<Value>& read, const std::vector<Value>& expected,
                     const std::string& where)
{
    Check(read.size() == expected.size(), "value count",
          where + ": " + std::to_string(read.size()) + " instead of " + std::to_string(expected.size()));
    for (std::size_t k = 0; k < expected.size(); ++k)
        Check(read[k] == expected[k], "value differs",
              where + ":" + std::to_string(k) + " " + Describe(read[k]) + " instead of " +
                  Describe(expected[k]));
}

} // namespace fuzz
