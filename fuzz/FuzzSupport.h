#pragma once

// Plain, slow restatements of the engine's rules, and a strict reader of the
// scripts it writes, so the fuzzers can tell a wrong result from a right one.

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

// Text-mode lines: LF ends a line, a CR right before it goes, byte 26 ends the
// file, a last line without LF still counts.
inline std::vector<std::string> ReferenceLines(std::string_view bytes)
{
    const std::size_t eof = bytes.find('\x1a');
    if (eof != std::string_view::npos)
        bytes = bytes.substr(0, eof);
    std::vector<std::string> lines;
    std::string current;
    bool pending = false;
    for (const char c : bytes) {
        if (c == '\n') {
            if (!current.empty() && current.back() == '\r')
                current.pop_back();
            lines.push_back(current);
            current.clear();
            pending = false;
        } else {
            current += c;
            pending = true;
        }
    }
    if (pending)
        lines.push_back(current);
    return lines;
}

// Separator mode skips the separator whole; an empty one gives n + 2 empty
// fields for a line of n bytes. Fixed widths take every field wholly inside the line.
inline std::vector<std::string> ReferenceSplit(const std::string& line, bool withSeparators,
                                               std::string_view separator,
                                               const std::vector<std::uint16_t>& widths)
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
    for (const std::uint16_t width : widths) {
        if (start >= line.size())
            break; // a field cut by the line's end is taken as far as it goes
        fields.push_back(line.substr(start, std::min<std::size_t>(width, line.size() - start)));
        start += width;
    }
    return fields;
}

// [sign] (0 | 1-9 digits*) [. digits*] or [sign] . digits+, at most 15 digits.
inline bool ReferencePlainNumber(const std::string& value)
{
    std::size_t i = 0, digits = 0, integerDigits = 0, fractionDigits = 0;
    bool dot = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-'))
        ++i;
    const std::size_t first = i;
    for (; i < value.size(); ++i) {
        const char c = value[i];
        if (c >= '0' && c <= '9') {
            ++digits;
            (dot ? fractionDigits : integerDigits)++;
        } else if (c == '.' && !dot) {
            dot = true;
        } else {
            return false;
        }
    }
    if (integerDigits > 1 && value[first] == '0')
        return false;
    if (integerDigits == 0 && fractionDigits == 0)
        return false;
    return digits <= 15;
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
        if (!Expect("insert into ") || !ReadName(statement.table) || !Expect("("))
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

// The column list as the reader sees it: no columns and one empty name look alike.
inline bool SameColumns(const std::vector<std::string>& read, const std::vector<std::string>& expected)
{
    if (expected.empty())
        return read.size() == 1 && read[0].empty();
    return read == expected;
}

// What a field becomes under its column's mark: compares one read value with its source field.
inline bool SameValue(const Value& value, const std::string& field, const std::string& mark)
{
    if (mark.empty()) {
        if (field.empty())
            return value.kind == Value::Null;
        if (ReferencePlainNumber(field))
            return value.kind == Value::Bare && value.text == field;
        return value.kind == Value::Quoted && value.mark == '\'' && value.text == field;
    }
    const char expectedMark = mark == "\"" ? '"' : '\'';
    return value.kind == Value::Quoted && value.mark == expectedMark && value.text == field;
}

} // namespace fuzz
