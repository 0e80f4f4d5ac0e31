#include "SeparatedRow.h"

#include "NumberText.h"
#include "QuotedFields.h"
#include "TextRules.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr char Apostrophe = '\'';
constexpr char Bare = '\0';

// Eight bytes as one word, in the order they have in memory: for the tests
// below that order does not matter.
std::uint64_t LoadWord(const char* p)
{
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

constexpr std::uint64_t EveryByte(char c)
{
    return 0x0101010101010101u * static_cast<unsigned char>(c);
}

// Nonzero when any byte of the word is zero.
constexpr std::uint64_t HasZeroByte(std::uint64_t word)
{
    return (word - 0x0101010101010101u) & ~word & 0x8080808080808080u;
}

bool IsLittleEndian()
{
    const std::uint16_t one = 1;
    unsigned char first;
    std::memcpy(&first, &one, 1);
    return first == 1;
}

const bool LittleEndian = IsLittleEndian();

// On a little-endian machine: the index in memory of the lowest byte flagged
// by HasZeroByte, which is always exact.
std::size_t FirstFlagged(std::uint64_t flags)
{
    // The bits below the lowest flag fill whole bytes up to it and 7 bits of
    // its own; one bit of each of those bytes, summed by the multiplication.
    const std::uint64_t below = (flags & (~flags + 1)) - 1;
    return static_cast<std::size_t>(((below & 0x0101010101010101u) * 0x0101010101010101u) >> 56) - 1;
}

} // namespace

bool SeparatedRow::Prepare(const RunSettings& settings)
{
    const bool general = !settings.Separated || settings.Trim || settings.Dialect->UnicodePrefix ||
                         std::any_of(settings.Columns.begin(), settings.Columns.end(),
                                     [](const ColumnSettings& c) { return c.EmptyIsNull || c.LeftOut; });
    if (general)
        return false;
    std::vector<std::string> marks;
    for (const ColumnSettings& column : settings.Columns)
        marks.push_back(column.Mark == 0 ? std::string() : std::string(1, column.Mark));
    return Prepare(settings.Separator, marks, settings.Columns.size(), settings.QuotedFields,
                   settings.Dialect->EscapeByte, settings.Copy);
}

bool SeparatedRow::Prepare(std::string_view separator, const std::vector<std::string>& quotes,
                           std::size_t columns, bool quotedFields, char escape, bool copy)
{
    // A separator that can be part of a number would need the number test to
    // look out for it; such settings are rare enough for the general writer.
    if (separator.size() != 1 || IsAsciiDigit(static_cast<unsigned char>(separator[0])) ||
        std::strchr("+-.", separator[0]) != nullptr || (quotedFields && separator[0] == '"'))
        return false;
    Separator = separator[0];
    Columns = columns;
    QuotedFields = quotedFields;
    Escape = escape;
    Copy = copy;
    Marks.clear();
    // The apostrophe and the double quote, the marks in real use; any other
    // is left to the general writer and its rules.
    for (const std::string& mark : quotes) {
        if (!mark.empty() && mark != "'" && mark != "\"")
            return false;
        Marks.push_back(mark.empty() ? Bare : mark[0]);
    }
    return true;
}

char* SeparatedRow::Write(char* out, std::string_view line, std::size_t& fields) const
{
    const char* p = line.data();
    const char* const end = p + line.size();
    std::size_t k = 0;
    for (;; ++k) {
        if (Columns > 0 && k == Columns) {
            // More fields than columns: counted, not written; but a quote left
            // open in them still carries the record on to the next line.
            fields = k + 1;
            const std::string_view rest(p, static_cast<std::size_t>(end - p));
            return QuotedFields && !QuotedRecordComplete(rest, std::string_view(&Separator, 1)) ? nullptr
                                                                                                : out;
        }
        if (k > 0)
            *out++ = Copy ? '\t' : ',';
        const char mark = k < Marks.size() ? Marks[k] : Bare;
        const bool quoted = QuotedFields && p != end && *p == '"';
        if (Copy)
            p = WriteCopyField(out, p, end, mark == Bare, quoted);
        else if (quoted)
            p = mark == Bare ? WriteBare(out, p, end) : WriteQuotedField(out, p, end, mark);
        else
            p = mark == Bare ? WriteBare(out, p, end) : WriteQuoted(out, p, end, mark);
        if (!p)
            return nullptr;
        if (p == end)
            break;
        ++p; // the separator
    }
    fields = k + 1;
    // Fewer fields than columns: the missing values are NULL.
    const std::string_view missing = Copy ? "\t\\N" : ",NULL";
    for (++k; k < Columns; ++k)
        out = std::copy(missing.begin(), missing.end(), out);
    return out;
}

// Copies up to the next `stop` byte (the separator, or the quote that may end a
// quoted field), with apostrophes and the mark doubled; returns where the copy stopped.
const char* SeparatedRow::CopyDoubled(char*& out, const char* p, const char* end, char mark, char stop) const
{
    // In locals: a store through a char pointer could change a member, so
    // the compiler would read it again after every byte.
    const char escape = Escape;
    const std::uint64_t stops = EveryByte(stop);
    const std::uint64_t apostrophes = EveryByte(Apostrophe);
    const std::uint64_t marks = EveryByte(mark);
    const std::uint64_t escapes = EveryByte(escape);
    const auto stopsCopy = [stop, mark, escape](char c) {
        return c == stop || c == Apostrophe || c == mark || c == escape;
    };

    char* o = out;
    for (;;) {
        if (end - p >= 8) {
            // Eight bytes at a time, copied whole: from a byte that stops the
            // copy on, they are written over (the room is there).
            const std::uint64_t word = LoadWord(p);
            std::memcpy(o, &word, sizeof word);
            const std::uint64_t flags = HasZeroByte(word ^ stops) | HasZeroByte(word ^ apostrophes) |
                                        HasZeroByte(word ^ marks) | HasZeroByte(word ^ escapes);
            if (flags == 0) {
                p += 8;
                o += 8;
                continue;
            }
            if (LittleEndian) {
                const std::size_t at = FirstFlagged(flags);
                p += at;
                o += at;
            } else {
                while (!stopsCopy(*p)) {
                    ++p;
                    ++o;
                }
            }
        } else {
            while (p != end && !stopsCopy(*p))
                *o++ = *p++;
            if (p == end)
                break;
        }
        if (*p == stop)
            break;
        *o++ = *p; // an apostrophe, the mark or the escape, doubled
        *o++ = *p++;
    }
    out = o;
    return p;
}

// The field from p to the next separator between marks, with apostrophes and
// the mark doubled; returns where the field ends.
const char* SeparatedRow::WriteQuoted(char*& out, const char* p, const char* end, char mark) const
{
    *out++ = mark;
    p = CopyDoubled(out, p, end, mark, Separator);
    *out++ = mark;
    return p;
}

// A field in double quotes (p at the opening one): the value between them, two
// quotes standing for one, then whatever follows up to the separator; written
// between marks with apostrophes and the mark doubled.
const char* SeparatedRow::WriteQuotedField(char*& out, const char* p, const char* end, char mark) const
{
    char* o = out;
    *o++ = mark;
    ++p;
    for (;;) {
        // Inside the quotes the separator is data: copy to the next quote.
        p = CopyDoubled(o, p, end, mark, '"');
        if (p == end)
            return nullptr; // not closed on this line
        if (end - p >= 2 && p[1] == '"') {
            // Two quotes stand for one, which the mark doubles when it is a quote itself.
            *o++ = '"';
            if (mark == '"')
                *o++ = '"';
            p += 2;
            continue;
        }
        ++p; // the closing quote, nearly always right before the separator
        if (p != end && *p != Separator)
            p = CopyDoubled(o, p, end, mark, Separator);
        break;
    }
    *o++ = mark;
    out = o;
    return p;
}

// An unmarked field: NULL when empty, bare when a plain number (IsPlainNumber),
// else quoted with apostrophes.
const char* SeparatedRow::WriteBare(char*& out, const char* p, const char* end) const
{
    if (QuotedFields && p != end && *p == '"') {
        // Written as text first; a value that is empty or a plain number is then made bare.
        char* start = out;
        p = WriteQuotedField(out, p, end, Apostrophe);
        if (!p)
            return nullptr;
        const std::string_view value(start + 1, static_cast<std::size_t>(out - start - 2));
        if (value.empty()) {
            std::memcpy(start, "NULL", 4);
            out = start + 4;
        } else if (IsPlainNumber(value)) {
            std::memmove(start, value.data(), value.size());
            out = start + value.size();
        }
        return p;
    }
    // Copied while it is tested; a field that turns out to be text is written over.
    char* o = out;
    const char* q = p;
    if (q != end && (*q == '+' || *q == '-'))
        *o++ = *q++;
    while (q != end && (IsAsciiDigit(static_cast<unsigned char>(*q)) || *q == '.'))
        *o++ = *q++;
    if (q == end || *q == Separator) {
        if (q == p) {
            std::memcpy(out, "NULL", 4);
            out += 4;
            return q;
        }
        if (IsPlainNumber(std::string_view(p, static_cast<std::size_t>(q - p)))) {
            out = o;
            return q;
        }
    }
    return WriteQuoted(out, p, end, Apostrophe);
}

// Copies up to the next `stop` byte in PostgreSQL's COPY text format: a
// backslash, tab, CR and LF each as a backslash escape.
const char* SeparatedRow::CopyEscaped(char*& out, const char* p, const char* end, char stop) const
{
    const std::uint64_t stops = EveryByte(stop);
    const std::uint64_t backslashes = EveryByte('\\');
    const std::uint64_t tabs = EveryByte('\t');
    const std::uint64_t returns = EveryByte('\r');
    const std::uint64_t newlines = EveryByte('\n');
    const auto special = [stop](char c) {
        return c == stop || c == '\\' || c == '\t' || c == '\r' || c == '\n';
    };
    char* o = out;
    for (;;) {
        if (end - p >= 8) {
            const std::uint64_t word = LoadWord(p);
            std::memcpy(o, &word, sizeof word);
            const std::uint64_t flags = HasZeroByte(word ^ stops) | HasZeroByte(word ^ backslashes) |
                                        HasZeroByte(word ^ tabs) | HasZeroByte(word ^ returns) |
                                        HasZeroByte(word ^ newlines);
            if (flags == 0) {
                p += 8;
                o += 8;
                continue;
            }
            if (LittleEndian) {
                const std::size_t at = FirstFlagged(flags);
                p += at;
                o += at;
            } else {
                while (!special(*p)) {
                    ++p;
                    ++o;
                }
            }
        } else {
            while (p != end && !special(*p))
                *o++ = *p++;
            if (p == end)
                break;
        }
        if (*p == stop)
            break;
        const char c = *p++;
        *o++ = '\\';
        *o++ = c == '\t' ? 't' : c == '\r' ? 'r' : c == '\n' ? 'n' : '\\';
    }
    out = o;
    return p;
}

// One value of a COPY row: \N for an empty value of an unmarked column, the
// text otherwise; a field in double quotes is taken out of them.
const char* SeparatedRow::WriteCopyField(char*& out, const char* p, const char* end, bool bare,
                                         bool quoted) const
{
    if (!quoted) {
        if (bare && (p == end || *p == Separator)) {
            *out++ = '\\';
            *out++ = 'N';
            return p;
        }
        return CopyEscaped(out, p, end, Separator);
    }
    char* start = out;
    ++p;
    for (;;) {
        p = CopyEscaped(out, p, end, '"');
        if (p == end)
            return nullptr; // not closed on this line
        if (end - p >= 2 && p[1] == '"') {
            *out++ = '"';
            p += 2;
            continue;
        }
        p = CopyEscaped(out, p + 1, end, Separator);
        break;
    }
    if (bare && out == start) {
        *out++ = '\\';
        *out++ = 'N';
    }
    return p;
}
