#include "SeparatedRow.h"

#include "NumberText.h"
#include "QuotedFields.h"
#include "TextRules.h"
#include "ValueForm.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#if defined(__GNUC__)
#define AlwaysInline inline __attribute__((always_inline))
#else
#define AlwaysInline inline
#endif

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

#if defined(__BYTE_ORDER__) && defined(__ORDER_LITTLE_ENDIAN__)
// Known while compiling, so that the other order's code is left out.
constexpr bool LittleEndian = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;
#else
bool IsLittleEndian()
{
    const std::uint16_t one = 1;
    unsigned char first;
    std::memcpy(&first, &one, 1);
    return first == 1;
}

const bool LittleEndian = IsLittleEndian();
#endif

// On a little-endian machine: the index in memory of the lowest byte flagged
// by HasZeroByte, which is always exact.
std::size_t FirstFlagged(std::uint64_t flags)
{
#if defined(__GNUC__)
    return static_cast<std::size_t>(__builtin_ctzll(flags)) / 8; // one instruction
#else
    // The bits below the lowest flag fill whole bytes up to it and 7 bits of
    // its own; one bit of each of those bytes, summed by the multiplication.
    const std::uint64_t below = (flags & (~flags + 1)) - 1;
    return static_cast<std::size_t>(((below & 0x0101010101010101u) * 0x0101010101010101u) >> 56) - 1;
#endif
}

// Copies the ASCII digits from p on; returns where they end.
const char* CopyDigits(char*& out, const char* p, const char* end)
{
    char* o = out;
    while (LittleEndian && end - p >= 8) {
        // Eight bytes at a time: a byte minus '0' is a digit below 10, and
        // 0x76 added to it sets its top bit from 10 on.
        const std::uint64_t word = LoadWord(p);
        std::memcpy(o, &word, sizeof word);
        const std::uint64_t offsets = word ^ EveryByte('0');
        const std::uint64_t others = ((offsets + EveryByte(0x76)) | offsets) & 0x8080808080808080u;
        if (others != 0) {
            const std::size_t at = FirstFlagged(others);
            out = o + at;
            return p + at;
        }
        p += 8;
        o += 8;
    }
    while (p != end && IsAsciiDigit(static_cast<unsigned char>(*p)))
        *o++ = *p++;
    out = o;
    return p;
}

// Whether the copy stops at the byte: the end of the value (`stop`), a byte
// that is doubled, NUL, which no statement may hold, and with Returns a CR.
template <bool OtherDoubled, bool Returns> bool StopsCopy(char c, char stop, char mark, char escape)
{
    return c == stop || c == Apostrophe || c == '\0' || (OtherDoubled && (c == mark || c == escape)) ||
           (Returns && c == '\r');
}

// Copies up to the next `stop` byte (the separator, or the quote that may end a
// quoted field) or NUL, and with Returns a CR, with apostrophes, the mark and
// the escape doubled; returns where the copy stopped. Without OtherDoubled,
// mark and escape are apostrophes.
template <bool OtherDoubled, bool Returns>
const char* CopyDoubled(char*& out, const char* p, const char* end, char stop, char mark, char escape,
                        const char* begin)
{
    const std::uint64_t stops = EveryByte(stop);
    const std::uint64_t apostrophes = EveryByte(Apostrophe);
    const std::uint64_t marks = EveryByte(mark);
    const std::uint64_t escapes = EveryByte(escape);
    const std::uint64_t returns = EveryByte('\r');
    const auto flagsOf = [&](std::uint64_t word) {
        std::uint64_t flags = HasZeroByte(word ^ stops) | HasZeroByte(word ^ apostrophes) | HasZeroByte(word);
        if (OtherDoubled)
            flags |= HasZeroByte(word ^ marks) | HasZeroByte(word ^ escapes);
        if (Returns)
            flags |= HasZeroByte(word ^ returns);
        return flags;
    };
    char* o = out;
#if defined(__SSE2__)
    const __m128i stopVector = _mm_set1_epi8(stop);
    const __m128i apostropheVector = _mm_set1_epi8(Apostrophe);
    const __m128i markVector = _mm_set1_epi8(mark);
    const __m128i escapeVector = _mm_set1_epi8(escape);
    const __m128i returnVector = _mm_set1_epi8('\r');
#endif
    for (;;) {
#if defined(__SSE2__)
        if (end - p >= 16) {
            // Sixteen bytes at a time where the processor compares them at once.
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(o), bytes);
            __m128i found = _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi8(bytes, stopVector), _mm_cmpeq_epi8(bytes, apostropheVector)),
                _mm_cmpeq_epi8(bytes, _mm_setzero_si128()));
            if (OtherDoubled)
                found = _mm_or_si128(found, _mm_or_si128(_mm_cmpeq_epi8(bytes, markVector),
                                                         _mm_cmpeq_epi8(bytes, escapeVector)));
            if (Returns)
                found = _mm_or_si128(found, _mm_cmpeq_epi8(bytes, returnVector));
            const auto mask = static_cast<unsigned>(_mm_movemask_epi8(found));
            if (mask == 0) {
                p += 16;
                o += 16;
                continue;
            }
            const auto at = static_cast<std::size_t>(__builtin_ctz(mask));
            p += at;
            o += at;
        } else
#endif
            if (end - p >= 8) {
            // Eight bytes at a time, copied whole: from a byte that stops the
            // copy on, they are written over (the room is there).
            const std::uint64_t word = LoadWord(p);
            std::memcpy(o, &word, sizeof word);
            const std::uint64_t flags = flagsOf(word);
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
                while (!StopsCopy<OtherDoubled, Returns>(*p, stop, mark, escape)) {
                    ++p;
                    ++o;
                }
            }
        } else if (LittleEndian && p != end && end - begin >= 8) {
            // The last bytes of a line, as the top of the line's last eight:
            // shifted down, copied whole into the room's slack, the flags of
            // the bytes shifted in left out.
            const auto left = static_cast<unsigned>(end - p);
            const std::uint64_t word = LoadWord(end - 8) >> (8 * (8 - left));
            std::memcpy(o, &word, sizeof word);
            const std::uint64_t flags = flagsOf(word) & ((std::uint64_t{1} << (8 * left)) - 1);
            if (flags == 0) {
                p = end;
                o += left;
                break;
            }
            const std::size_t at = FirstFlagged(flags);
            p += at;
            o += at;
        } else {
            while (p != end && !StopsCopy<OtherDoubled, Returns>(*p, stop, mark, escape))
                *o++ = *p++;
            if (p == end)
                break;
        }
        if (*p == stop || *p == '\0' || (Returns && *p == '\r'))
            break;
        *o++ = *p; // an apostrophe, the mark or the escape, doubled
        *o++ = *p++;
    }
    out = o;
    return p;
}

// The settings a field's writing reads, as values: nothing written through
// the output pointer can change them, so they stay in registers.
struct Pass {
    static constexpr bool Returns = false;
    char Separator;
    char Escape;
    const char* Begin; // of the line
};

// Where the dialect writes a CR inside a literal otherwise (DialectRules::CarriageReturn).
struct ReturnPass : Pass {
    static constexpr bool Returns = true;
    std::string_view Return;
};

// CopyDoubled for the pass's settings: with Returns, a CR is written as the dialect's text.
template <bool OtherDoubled, class P>
const char* CopyValue(char*& out, const char* p, const char* end, char stop, char mark, P pass)
{
    for (;;) {
        p = CopyDoubled<OtherDoubled, P::Returns>(out, p, end, stop, mark, pass.Escape, pass.Begin);
        if constexpr (P::Returns) {
            if (p != end && *p == '\r') {
                out = std::copy(pass.Return.begin(), pass.Return.end(), out);
                ++p;
                continue;
            }
        }
        return p;
    }
}

// The field from p to the next separator between marks, with apostrophes and
// the mark doubled; returns where the field ends (at the separator, the end or a NUL byte).
template <bool OtherDoubled, class P>
const char* WriteQuoted(char*& out, const char* p, const char* end, char mark, P pass)
{
    *out++ = mark;
    p = CopyValue<OtherDoubled>(out, p, end, pass.Separator, mark, pass);
    *out++ = mark;
    return p;
}

// A field in double quotes (p at the opening one): the value between them, two
// quotes standing for one, then whatever follows up to the separator; written
// between marks with apostrophes and the mark doubled. Null when the field's
// closing quote is missing.
template <bool OtherDoubled, class P>
const char* WriteQuotedField(char*& out, const char* p, const char* end, char mark, P pass)
{
    char* o = out;
    *o++ = mark;
    ++p;
    for (;;) {
        // Inside the quotes the separator is data: copy to the next quote.
        p = CopyValue<OtherDoubled>(o, p, end, '"', mark, pass);
        if (p == end)
            return nullptr; // not closed on this line
        if (*p == '\0')
            return p;
        if (end - p >= 2 && p[1] == '"') {
            // Two quotes stand for one, which the mark doubles when it is a quote itself.
            *o++ = '"';
            if (mark == '"')
                *o++ = '"';
            p += 2;
            continue;
        }
        ++p; // the closing quote, nearly always right before the separator
        if (p != end && *p != pass.Separator)
            p = CopyValue<OtherDoubled>(o, p, end, pass.Separator, mark, pass);
        break;
    }
    *o++ = mark;
    out = o;
    return p;
}

// An unmarked field: NULL when empty, bare when a plain number (IsPlainNumber),
// else quoted with apostrophes. Inlined into each loop that calls it: a call
// per field costs the plain path 2% of its instructions.
template <bool QuotedFields, bool OtherDoubled, class P>
AlwaysInline const char* WriteBare(char*& out, const char* p, const char* end, P pass)
{
    if (QuotedFields && p != end && *p == '"') {
        // Written as text first; a value that is empty or a plain number is then made bare.
        char* start = out;
        p = WriteQuotedField<OtherDoubled>(out, p, end, Apostrophe, pass);
        if (!p || (p != end && *p == '\0'))
            return p;
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
    // Copied while it is cut into the parts of the number rule; a field that
    // turns out to be text is written over.
    char* o = out;
    const char* q = p;
    const bool negative = q != end && *q == '-';
    if (negative)
        *o++ = *q++;
    const char* const integer = q;
    q = CopyDigits(o, q, end);
    const std::string_view integerPart(integer, static_cast<std::size_t>(q - integer));
    const bool point = q != end && *q == '.';
    std::string_view fractionPart;
    if (point) {
        *o++ = *q++;
        const char* const fraction = q;
        q = CopyDigits(o, q, end);
        fractionPart = std::string_view(fraction, static_cast<std::size_t>(q - fraction));
    }
    if (q == end || *q == pass.Separator) {
        if (q == p) {
            std::memcpy(out, "NULL", 4);
            out += 4;
            return q;
        }
        if (IsPlainNumberParts(negative, integerPart, point, fractionPart)) {
            out = o;
            return q;
        }
    }
    return WriteQuoted<OtherDoubled>(out, p, end, Apostrophe, pass);
}

// Copies up to the next `stop` byte or NUL in PostgreSQL's COPY text format: a
// backslash, tab, CR and LF each as a backslash escape.
const char* CopyEscaped(char*& out, const char* p, const char* end, char stop)
{
    const std::uint64_t stops = EveryByte(stop);
    const std::uint64_t backslashes = EveryByte('\\');
    const std::uint64_t tabs = EveryByte('\t');
    const std::uint64_t returns = EveryByte('\r');
    const std::uint64_t newlines = EveryByte('\n');
    const auto special = [stop](char c) {
        return c == stop || c == '\\' || c == '\t' || c == '\r' || c == '\n' || c == '\0';
    };
    char* o = out;
    for (;;) {
        if (end - p >= 8) {
            const std::uint64_t word = LoadWord(p);
            std::memcpy(o, &word, sizeof word);
            const std::uint64_t flags = HasZeroByte(word ^ stops) | HasZeroByte(word ^ backslashes) |
                                        HasZeroByte(word ^ tabs) | HasZeroByte(word ^ returns) |
                                        HasZeroByte(word ^ newlines) | HasZeroByte(word);
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
        if (*p == stop || *p == '\0')
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
const char* WriteCopyField(char*& out, const char* p, const char* end, bool bare, bool quoted, Pass pass)
{
    if (!quoted) {
        if (bare && (p == end || *p == pass.Separator)) {
            *out++ = '\\';
            *out++ = 'N';
            return p;
        }
        return CopyEscaped(out, p, end, pass.Separator);
    }
    char* start = out;
    ++p;
    for (;;) {
        p = CopyEscaped(out, p, end, '"');
        if (p == end)
            return nullptr; // not closed on this line
        if (*p == '\0')
            return p;
        if (end - p >= 2 && p[1] == '"') {
            *out++ = '"';
            p += 2;
            continue;
        }
        p = CopyEscaped(out, p + 1, end, pass.Separator);
        break;
    }
    if (bare && out == start) {
        *out++ = '\\';
        *out++ = 'N';
    }
    return p;
}

} // namespace

bool SeparatedRow::Prepare(const RunSettings& settings)
{
    const bool values = settings.Values.InUse();
    const bool general = !settings.Separated || settings.Trim ||
                         (values && (settings.QuotedFields || settings.Copy)) ||
                         settings.Dialect->UnicodePrefix ||
                         std::any_of(settings.Columns.begin(), settings.Columns.end(),
                                     [](const ColumnSettings& c) { return c.EmptyIsNull || c.LeftOut; });
    if (general)
        return false;
    std::vector<std::string> marks;
    for (const ColumnSettings& column : settings.Columns)
        marks.push_back(column.Mark == 0 ? std::string() : std::string(1, column.Mark));
    if (!Prepare(settings.Separator, marks, settings.Columns.size(), settings.QuotedFields,
                 settings.Dialect->EscapeByte, settings.Copy, settings.Dialect->CarriageReturn))
        return false;
    if (values) {
        Rules = settings.Values;
        ValueColumns = settings.Columns;
        Markers.clear();
        for (const std::string& marker : Rules.NullValues)
            if (marker.find(Separator) == std::string::npos && marker.find('\0') == std::string::npos)
                Markers.push_back(marker);
        Numbers = Rules.Decimal != '.' || Rules.Thousands != 0;
        Grouping = Rules.Thousands == Separator ? '\0' : Rules.Thousands; // a separator ends the field first
        NumberStarts.fill(false);
        if (Numbers || Rules.Dates)
            for (const char c : {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'})
                NumberStarts[static_cast<unsigned char>(c)] = true;
        if (Numbers)
            for (const char c : {'-', '+', Rules.Decimal})
                NumberStarts[static_cast<unsigned char>(c)] = true;
        Dates = DateReader(Rules.DateForm);
        using Fields = char* (SeparatedRow::*)(char*, std::string_view, std::size_t&) const;
        // By [OtherDoubled][a CR written otherwise].
        static const Fields writers[2][2] = {
            {&SeparatedRow::WriteFields<false, false, false, false, true>,
             &SeparatedRow::WriteFields<false, false, false, true, true>},
            {&SeparatedRow::WriteFields<false, false, true, false, true>,
             &SeparatedRow::WriteFields<false, false, true, true, true>},
        };
        Writer = writers[OtherDoubled][!Return.empty()];
    }
    return true;
}

char* SeparatedRow::ReadWrittenValue(char* start, char* out, std::string_view raw, std::size_t k) const
{
    const ReadValue value = Reader.Read(raw);
    if (!value.NullMarker && value.Text.data() == raw.data())
        return out;                      // as it stands: written so already
    static const ColumnSettings unnamed; // a source without columns: every field, unmarked
    const ColumnSettings& column = k < ValueColumns.size() ? ValueColumns[k] : unnamed;
    switch (FormOf(value, column)) {
    case ValueForm::Null:
        return std::copy_n("NULL", 4, start);
    case ValueForm::Bare:
        return std::copy(value.Text.begin(), value.Text.end(), start);
    case ValueForm::Literal:
        break;
    }
    // A number or a date in SQL's form: digits, '-', '.', ':' and blanks, nothing to double.
    const char mark = column.Mark == 0 ? Apostrophe : column.Mark;
    *start++ = mark;
    start = std::copy(value.Text.begin(), value.Text.end(), start);
    *start++ = mark;
    return start;
}

AlwaysInline SeparatedRow::Ruled SeparatedRow::WriteRuled(char*& out, const char*& p, const char* end,
                                                          char mark) const
{
    const char separator = Separator;
    const auto endsField = [end, separator](const char* q) { return q == end || *q == separator; };
    const unsigned char first = static_cast<unsigned char>(*p);
    if (Rules.NullStarts[first]) {
        // Compared where the field is as long as the marker.
        for (const std::string& marker : Markers) {
            if (static_cast<std::size_t>(end - p) >= marker.size() &&
                std::memcmp(p, marker.data(), marker.size()) == 0 && endsField(p + marker.size())) {
                out = std::copy_n("NULL", 4, out);
                p += marker.size();
                return Ruled::Written;
            }
        }
    }
    if (!NumberStarts[first])
        return Ruled::AsItStands; // neither a number nor a date that a rule reads
    // A number, copied while it is cut into its parts, the thousands separators left out and the
    // decimal separator made a point; in a marked column after the mark.
    char* o = out + (mark == Bare ? 0 : 1);
    const char* q = p;
    const bool negative = *q == '-';
    if (negative)
        *o++ = *q++;
    const char* const integer = q;
    char* const digits = o;
    q = CopyDigits(o, q, end);
    const char* const afterInteger = q;
    if (endsField(q)) {
        // Digits alone stay as they are.
        if (mark != Bare ||
            !IsPlainNumberParts(negative, std::string_view(digits, static_cast<std::size_t>(o - digits)),
                                false, std::string_view()))
            return Ruled::AsItStands;
        out = o;
        p = q;
        return Ruled::Written;
    }
    const bool grouped = *q == Grouping && Grouping != 0;
    if (Numbers && (grouped || *q == Rules.Decimal)) {
        // Groups of three digits after a first group of one to three, each after the separator
        // (a digit after a group is no number: it ends neither in the decimal nor the field).
        bool number = true;
        if (grouped) {
            number = q - integer >= 1 && q - integer <= 3;
            while (number && q != end && *q == Grouping) {
                number = end - q >= 4 && IsAsciiDigit(static_cast<unsigned char>(q[1])) &&
                         IsAsciiDigit(static_cast<unsigned char>(q[2])) &&
                         IsAsciiDigit(static_cast<unsigned char>(q[3]));
                if (number) {
                    std::memcpy(o, q + 1, 3);
                    o += 3;
                    q += 4;
                }
            }
        }
        const std::string_view integerPart(digits, static_cast<std::size_t>(o - digits));
        const bool point = number && !endsField(q) && *q == Rules.Decimal;
        std::string_view fractionPart;
        if (point) {
            *o++ = '.';
            char* const fraction = o;
            q = CopyDigits(o, q + 1, end);
            fractionPart = std::string_view(fraction, static_cast<std::size_t>(o - fraction));
        }
        if (number && endsField(q) && (!integerPart.empty() || !fractionPart.empty())) {
            if (mark == Bare) {
                if (!IsPlainNumberParts(negative, integerPart, point, fractionPart))
                    return Ruled::Again; // a literal, or bare in a floating column
            } else {
                *out = mark;
                *o++ = mark;
            }
            out = o;
            p = q;
            return Ruled::Written;
        }
    }
    if (Rules.Dates && !negative && afterInteger != integer && *afterInteger == Dates.Between()) {
        // A date is never also a number the rules read: its middle part has one or two digits
        // where a thousands group has three, and two separators where a number has one decimal.
        const char quote = mark == Bare ? Apostrophe : mark;
        char* const iso = out + 1;
        q = Dates.ReadDay(p, end, iso);
        if (!q)
            return Numbers ? Ruled::Again : Ruled::AsItStands; // with dates alone: no date, as it stands
        char* isoEnd = iso + IsoDaySize;
        if (!endsField(q) && (!(q = DateReader::ReadTime(q, end, isoEnd)) || !endsField(q)))
            return Numbers ? Ruled::Again : Ruled::AsItStands; // no date, as with no time
        *out = quote;
        *isoEnd = quote;
        out = isoEnd + 1;
        p = q;
        return Ruled::Written;
    }
    // With dates alone, a value that is no date stands as it is.
    return Numbers ? Ruled::Again : Ruled::AsItStands;
}

bool SeparatedRow::Prepare(std::string_view separator, const std::vector<std::string>& quotes,
                           std::size_t columns, bool quotedFields, char escape, bool copy,
                           std::string_view carriageReturn)
{
    // A separator that can be part of a number would need the number test to
    // look out for it; such settings are rare enough for the general writer,
    // and so is a NUL separator, which the pass takes for a NUL byte in a value.
    if (separator.size() != 1 || separator[0] == '\0' ||
        IsAsciiDigit(static_cast<unsigned char>(separator[0])) ||
        std::strchr("+-.", separator[0]) != nullptr || (quotedFields && separator[0] == '"'))
        return false;
    Separator = separator[0];
    Columns = columns;
    QuotedFields = quotedFields;
    Escape = escape;
    Copy = copy;
    Return = copy ? std::string_view() : carriageReturn; // COPY's text format escapes a CR itself
    Growth = std::max<std::size_t>(2, Return.size());
    OtherDoubled = escape != Apostrophe;
    Marks.clear();
    // The apostrophe and the double quote, the marks in real use; any other
    // is left to the general writer and its rules.
    for (const std::string& mark : quotes) {
        if (!mark.empty() && mark != "'" && mark != "\"")
            return false;
        Marks.push_back(mark.empty() ? Bare : mark[0]);
        OtherDoubled = OtherDoubled || mark == "\"";
    }
    using Fields = char* (SeparatedRow::*)(char*, std::string_view, std::size_t&) const;
    // By [QuotedFields][OtherDoubled][a CR written otherwise].
    static const Fields writers[2][2][2] = {
        {{&SeparatedRow::WriteFields<false, false, false, false>,
          &SeparatedRow::WriteFields<false, false, false, true>},
         {&SeparatedRow::WriteFields<false, false, true, false>,
          &SeparatedRow::WriteFields<false, false, true, true>}},
        {{&SeparatedRow::WriteFields<false, true, false, false>,
          &SeparatedRow::WriteFields<false, true, false, true>},
         {&SeparatedRow::WriteFields<false, true, true, false>,
          &SeparatedRow::WriteFields<false, true, true, true>}},
    };
    if (Copy)
        Writer = QuotedFields ? &SeparatedRow::WriteFields<true, true, false, false>
                              : &SeparatedRow::WriteFields<true, false, false, false>;
    else
        Writer = writers[QuotedFields][OtherDoubled][!Return.empty()];
    return true;
}

template <bool Copy, bool QuotedFields, bool OtherDoubled, bool Returns, bool Values>
char* SeparatedRow::WriteFields(char* out, std::string_view line, std::size_t& fields) const
{
    std::conditional_t<Returns, ReturnPass, Pass> pass;
    pass.Separator = Separator;
    pass.Escape = Escape;
    pass.Begin = line.data();
    if constexpr (Returns)
        pass.Return = Return;
    const char* const marks = Marks.data();
    const std::size_t markCount = Marks.size();
    const std::size_t columns = Columns;
    const char* p = line.data();
    const char* const end = p + line.size();
    std::size_t k = 0;
    for (;; ++k) {
        if (columns > 0 && k == columns) {
            // More fields than columns: counted, not written; but a NUL byte
            // in them stops the run, and a quote left open in them carries
            // the record on to the next line.
            const std::string_view rest(p, static_cast<std::size_t>(end - p));
            fields = std::memchr(rest.data(), '\0', rest.size()) ? 0 : k + 1;
            if (fields == 0)
                return nullptr;
            return QuotedFields && !QuotedRecordComplete(rest, std::string_view(&Separator, 1)) ? nullptr
                                                                                                : out;
        }
        if (k > 0)
            *out++ = Copy ? '\t' : ',';
        const char mark = k < markCount ? marks[k] : Bare;
        const bool quoted = QuotedFields && p != end && *p == '"';
        char* const start = out;
        const char* const raw = p;
        Ruled ruled = Ruled::AsItStands;
        if (Values && p != end && *p != pass.Separator && Rules.MayChange(*p))
            ruled = WriteRuled(out, p, end, mark);
        if (ruled != Ruled::Written) {
            if (Copy)
                p = WriteCopyField(out, p, end, mark == Bare, quoted, pass);
            else if (mark == Bare)
                p = WriteBare<QuotedFields, OtherDoubled>(out, p, end, pass);
            else if (quoted)
                p = WriteQuotedField<OtherDoubled>(out, p, end, mark, pass);
            else
                p = WriteQuoted<OtherDoubled>(out, p, end, mark, pass);
            if (!p) {
                fields = k + 1;
                return nullptr;
            }
            if (Values && ruled == Ruled::Again) {
                if (p != end && *p == '\0') {
                    fields = 0;
                    return nullptr;
                }
                out =
                    ReadWrittenValue(start, out, std::string_view(raw, static_cast<std::size_t>(p - raw)), k);
            }
        }
        if (p == end)
            break;
        if (*p == '\0') {
            fields = 0;
            return nullptr;
        }
        ++p; // the separator
    }
    fields = k + 1;
    // Fewer fields than columns: the missing values are NULL.
    const std::string_view missing = Copy ? "\t\\N" : ",NULL";
    for (++k; k < columns; ++k)
        out = std::copy(missing.begin(), missing.end(), out);
    return out;
}
