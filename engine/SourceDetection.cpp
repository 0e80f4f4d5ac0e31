#include "SourceDetection.h"

#include "DateText.h"
#include "FileError.h"
#include "FileHandle.h"
#include "Project.h"
#include "ProjectKeys.h"
#include "QuotedFields.h"
#include "SqlDialect.h"
#include "TextRules.h"
#include "Utf8Path.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>

namespace {

// Records looked at for the separator, and data records for the columns' values.
constexpr std::size_t MaxRecords = 10000;
constexpr std::size_t MaxValueRecords = 2000;
// Lines a quoted field may span before the record is taken as broken.
constexpr std::size_t MaxJoinedLines = 100;
// Title lines before the header, at most.
constexpr std::size_t MaxTitleLines = 20;
// Share of the records after the title lines that must have the same field count.
constexpr double SteadyShare = 0.75;

// "1,234,567": counts in reasons.
std::string Count(std::uint64_t n)
{
    std::string digits = std::to_string(n);
    for (std::size_t i = digits.size(); i > 3; i -= 3)
        digits.insert(i - 3, 1, ',');
    return digits;
}

// "1 field", "2 fields".
std::string Counted(std::uint64_t n, const char* thing)
{
    return Count(n) + " " + thing + (n == 1 ? "" : "s");
}

// How a separator is named in a reason.
std::string Shown(char c)
{
    if (c == '\t')
        return "tab";
    if (c == ' ')
        return "space";
    return std::string("'") + c + "'";
}

std::string Quoted(std::string_view value)
{
    constexpr std::size_t Longest = 40;
    return "`" + std::string(value.substr(0, Longest)) + (value.size() > Longest ? "...`" : "`");
}

// ---- Lines and records

struct LineEndCounts {
    std::size_t Lf = 0, CrLf = 0, Cr = 0;
};

LineEndCounts CountLineEnds(std::string_view text)
{
    LineEndCounts counts;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++counts.Lf;
        } else if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++counts.CrLf;
                ++i;
            } else if (i + 1 < text.size()) {
                ++counts.Cr;
            }
        }
    }
    return counts;
}

// The sample's lines without their line ends: at CR for CR line ends, else at LF with a CR right
// before it dropped, as the reader takes them. A last line that the sample may have cut is left out.
std::vector<std::string_view> SplitLines(std::string_view text, LineEnding ending, bool whole)
{
    std::vector<std::string_view> lines;
    const char end = ending == LineEnding::Cr ? '\r' : '\n';
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(end, start);
        if (at == std::string_view::npos)
            break;
        std::string_view line = text.substr(start, at - start);
        if (end == '\n' && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = at + 1;
    }
    if (start < text.size() && (whole || lines.empty()))
        lines.push_back(text.substr(start));
    return lines;
}

// The text from the start of line a to the end of line b, line ends between them included.
std::string_view Span(const std::vector<std::string_view>& lines, std::size_t a, std::size_t b)
{
    return std::string_view(lines[a].data(),
                            static_cast<std::size_t>(lines[b].data() + lines[b].size() - lines[a].data()));
}

struct Record {
    std::size_t FirstLine = 0;
    std::size_t LastLine = 0;
    std::uint32_t Fields = 0;
};

template <class Emit>
void CutFields(std::string_view record, char separator, bool quoted, std::string& scratch, Emit&& emit)
{
    const std::string_view sep(&separator, 1);
    if (quoted) {
        SplitQuotedFields(record, sep, scratch, emit);
        return;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = record.find(separator, start);
        emit(record.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos)
            return;
        start = at + 1;
    }
}

// The records as the run would make them (blank lines are none; with quoted fields a record goes
// on while a quoted field is open), with their field counts.
std::vector<Record> CutRecords(const std::vector<std::string_view>& lines, char separator, bool quoted)
{
    std::vector<Record> records;
    std::string scratch;
    const std::string_view sep(&separator, 1);
    for (std::size_t i = 0; i < lines.size() && records.size() < MaxRecords; ++i) {
        if (lines[i].empty())
            continue;
        Record record{i, i, 0};
        if (!quoted) {
            record.Fields =
                static_cast<std::uint32_t>(std::count(lines[i].begin(), lines[i].end(), separator) + 1);
        } else {
            while (!QuotedRecordComplete(Span(lines, i, record.LastLine), sep) &&
                   record.LastLine + 1 < lines.size() && record.LastLine - i < MaxJoinedLines)
                ++record.LastLine;
            CutFields(Span(lines, i, record.LastLine), separator, true, scratch,
                      [&](std::string_view) { ++record.Fields; });
            i = record.LastLine;
        }
        records.push_back(record);
    }
    return records;
}

// How well a separator (with or without quoted fields) cuts the records.
struct Fit {
    char Separator = 0;
    bool Quoted = false;
    std::vector<Record> Records;
    std::uint32_t Fields = 0; // the count most records have
    std::size_t Titles = 0;   // records before the first of the steady block
    std::size_t Matching = 0; // records from there on with that count
    double Steady = 0;        // their share of the records from there on
    double Overall = 0;       // and of all records
    std::uint32_t Fewest = 0; // the fewest and the most fields of any record
    std::uint32_t Most = 0;
    double Typed = 0;    // share of the values that are numbers, dates or empty
    bool Ragged = false; // records leave out empty fields at their end (TakeAsRagged)
    bool Qualifies() const { return Fields >= 2 && Steady >= SteadyShare; }
};

Fit Evaluate(const std::vector<std::string_view>& lines, char separator, bool quoted)
{
    Fit fit;
    fit.Separator = separator;
    fit.Quoted = quoted;
    fit.Records = CutRecords(lines, separator, quoted);
    const std::vector<Record>& records = fit.Records;
    if (records.empty())
        return fit;
    std::map<std::uint32_t, std::size_t> frequency;
    fit.Fewest = fit.Most = records[0].Fields;
    for (const Record& r : records) {
        ++frequency[r.Fields];
        fit.Fewest = std::min(fit.Fewest, r.Fields);
        fit.Most = std::max(fit.Most, r.Fields);
    }
    std::size_t best = 0;
    for (const auto& [fields, n] : frequency) {
        if (n >= best) { // on a tie the larger count
            best = n;
            fit.Fields = fields;
        }
    }
    // Title lines: a few records at the start with one field, or at most half the fields.
    std::size_t t = 0;
    while (t < records.size() && t < MaxTitleLines && records[t].Fields != fit.Fields &&
           (records[t].Fields == 1 || 2 * records[t].Fields <= fit.Fields))
        ++t;
    fit.Titles = t < records.size() && records[t].Fields == fit.Fields ? t : 0;
    fit.Matching = best;
    for (std::size_t i = 0; i < fit.Titles; ++i)
        if (records[i].Fields == fit.Fields)
            --fit.Matching;
    fit.Steady = static_cast<double>(fit.Matching) / static_cast<double>(records.size() - fit.Titles);
    fit.Overall = static_cast<double>(fit.Matching) / static_cast<double>(records.size());
    return fit;
}

// ---- Values

const char* const NullMarkers[] = {"NA", "NULL", "\\N", "N/A"};

bool IsNullMarker(std::string_view value)
{
    for (const std::string_view marker : NullMarkers) {
        if (value.size() == marker.size() &&
            std::equal(value.begin(), value.end(), marker.begin(), [](char a, char b) {
                return (IsAsciiAlpha(static_cast<unsigned char>(a)) ? (a | 0x20) : a) ==
                       (IsAsciiAlpha(static_cast<unsigned char>(b)) ? (b | 0x20) : b);
            }))
            return true;
    }
    return false;
}

// A number as people write it: digits in groups of three with a thousands separator, and a
// decimal part after a point or a comma. "1.234" and "1,234" could be either.
struct WrittenNumber {
    bool Number = false;
    char Decimal = 0;   // '.' or ',' when a decimal part is certain
    char Thousands = 0; // the thousands separator when certain
    char Either = 0;    // '.' or ',' before exactly three digits: decimal or thousands
};

WrittenNumber ReadWrittenNumber(std::string_view v)
{
    WrittenNumber shape;
    std::size_t i = !v.empty() && (v[0] == '-' || v[0] == '+') ? 1 : 0;
    std::size_t runs[64];
    char seps[64];
    std::size_t k = 0; // separators
    std::size_t run = 0;
    if (i < v.size() && (v[i] == '.' || v[i] == ',')) { // ".5", ",25"
        const char c = v[i++];
        const std::size_t start = i;
        while (i < v.size() && IsAsciiDigit(static_cast<unsigned char>(v[i])))
            ++i;
        if (i == start || i != v.size())
            return shape;
        shape.Number = true;
        shape.Decimal = c;
        return shape;
    }
    for (;;) {
        const std::size_t start = i;
        while (i < v.size() && IsAsciiDigit(static_cast<unsigned char>(v[i])))
            ++i;
        if (i == start)
            return shape;
        runs[run++] = i - start;
        if (i == v.size())
            break;
        const char c = v[i];
        if ((c != '.' && c != ',' && c != ' ' && c != '\'') || k + 1 >= 64)
            return shape;
        seps[k++] = c;
        ++i;
    }
    const std::size_t first = runs[0];
    const bool leadingZero = first > 1 && v[!v.empty() && (v[0] == '-' || v[0] == '+') ? 1 : 0] == '0';
    if (k == 0) {
        shape.Number = true;
        return shape;
    }
    if (k == 1) {
        const char c = seps[0];
        if (c == ' ' || c == '\'') {
            shape.Number = first <= 3 && runs[1] == 3 && !leadingZero;
            shape.Thousands = c;
        } else if (runs[1] == 3 && first <= 3 && !leadingZero &&
                   !(first == 1 && v[v[0] == '-' || v[0] == '+'] == '0')) {
            shape.Number = true;
            shape.Either = c;
        } else {
            shape.Number = true;
            shape.Decimal = c;
        }
        return shape;
    }
    // Groups of three after the first; the last separator may differ: the decimal one.
    const char group = seps[0];
    for (std::size_t s = 1; s + 1 < k; ++s)
        if (seps[s] != group)
            return shape;
    if (first > 3 || leadingZero)
        return shape;
    for (std::size_t r = 1; r < k; ++r)
        if (runs[r] != 3)
            return shape;
    const char last = seps[k - 1];
    if (last == group) {
        shape.Number = runs[k] == 3;
        shape.Thousands = group;
    } else if ((last == '.' || last == ',') && group != last) {
        shape.Number = true;
        shape.Thousands = group;
        shape.Decimal = last;
    }
    return shape;
}

// The formats a value reads in, one bit per entry of AllDateFormats(); 0 for no date.
std::uint32_t DateFormatsOf(std::string_view value)
{
    if (value.size() < 6 || !IsAsciiDigit(static_cast<unsigned char>(value[0])))
        return 0;
    std::uint32_t bits = 0;
    char iso[IsoDateSize + 1];
    bool hasTime = false;
    const auto& formats = AllDateFormats();
    for (std::size_t f = 0; f < formats.size(); ++f)
        if (ReadDate(value, formats[f], iso, hasTime) > 0)
            bits |= std::uint32_t{1} << f;
    return bits;
}

enum class ValueKind { Empty, Marker, Number, Date, Text };

struct ValueInfo {
    ValueKind Kind = ValueKind::Text;
    WrittenNumber Shape;
    std::uint32_t Dates = 0;
};

ValueInfo Classify(std::string_view value)
{
    ValueInfo info;
    value = TrimBlanks(value);
    if (value.empty())
        info.Kind = ValueKind::Empty;
    else if (IsNullMarker(value))
        info.Kind = ValueKind::Marker;
    else if ((info.Shape = ReadWrittenNumber(value)).Number)
        info.Kind = ValueKind::Number;
    else if ((info.Dates = DateFormatsOf(value)) != 0)
        info.Kind = ValueKind::Date;
    return info;
}

// What one column's values are.
struct ColumnValues {
    std::size_t Numbers = 0, Dates = 0, Text = 0, Values = 0;
    std::vector<std::string> Markers; // spellings in the order met
    std::size_t MarkerCount = 0;
    std::uint32_t DateBits = ~std::uint32_t{0};
    std::string DecidingDate; // a value that read in fewer formats than the one before it
    std::size_t CommaDecimals = 0, PointDecimals = 0, EitherPoint = 0, EitherComma = 0;
    std::string CommaExample, PointExample, EitherPointExample, EitherCommaExample;
    std::map<char, std::size_t> Thousands;
    std::string ThousandsExample;
    std::size_t Years = 0; // numbers from 1800 to 2199 of four digits
    bool Numeric() const { return Numbers > 0 && Dates == 0 && Text == 0; }
    bool AllYears() const { return Numbers > 0 && Years == Numbers; }
    bool Temporal() const { return Dates > 0 && Numbers == 0 && Text == 0; }
    bool Typed() const { return Numeric() || Temporal(); }
    bool Blank() const { return Numbers == 0 && Dates == 0 && Text == 0; } // empty or NULL markers

    void Add(std::string_view raw, const ValueInfo& info)
    {
        const std::string_view value = TrimBlanks(raw);
        ++Values;
        switch (info.Kind) {
        case ValueKind::Empty:
            break;
        case ValueKind::Marker:
            ++MarkerCount;
            if (std::find(Markers.begin(), Markers.end(), value) == Markers.end())
                Markers.emplace_back(value);
            break;
        case ValueKind::Number: {
            ++Numbers;
            const WrittenNumber& s = info.Shape;
            auto note = [&](std::size_t& count, std::string& example) {
                if (count++ == 0)
                    example = value;
            };
            if (s.Decimal == ',')
                note(CommaDecimals, CommaExample);
            else if (s.Decimal == '.')
                note(PointDecimals, PointExample);
            if (s.Either == '.')
                note(EitherPoint, EitherPointExample);
            else if (s.Either == ',')
                note(EitherComma, EitherCommaExample);
            if (s.Thousands != 0 && Thousands[s.Thousands]++ == 0 && ThousandsExample.empty())
                ThousandsExample = value;
            const bool year = value.size() == 4 && value >= "1800" && value <= "2199" &&
                              std::all_of(value.begin(), value.end(),
                                          [](char c) { return IsAsciiDigit(static_cast<unsigned char>(c)); });
            Years += year ? 1 : 0;
            break;
        }
        case ValueKind::Date:
            ++Dates;
            if (DecidingDate.empty() && (info.Dates & (info.Dates - 1)) == 0)
                DecidingDate = value; // it reads in one format only
            DateBits &= info.Dates;
            break;
        case ValueKind::Text:
            ++Text;
            break;
        }
    }
};

std::size_t BitCount(std::uint32_t bits)
{
    std::size_t n = 0;
    for (; bits != 0; bits &= bits - 1)
        ++n;
    return n;
}

std::size_t FirstBit(std::uint32_t bits)
{
    std::size_t n = 0;
    while ((bits & 1) == 0) {
        bits >>= 1;
        ++n;
    }
    return n;
}

// The values of each field of the records from `from` on, up to MaxValueRecords of them.
std::vector<ColumnValues> ReadColumns(const std::vector<std::string_view>& lines, const Fit& fit,
                                      std::size_t from, std::size_t limit = MaxValueRecords)
{
    std::vector<ColumnValues> columns(fit.Fields);
    std::string scratch;
    const std::size_t end = std::min(fit.Records.size(), from + limit);
    for (std::size_t r = from; r < end; ++r) {
        const Record& record = fit.Records[r];
        std::size_t k = 0;
        CutFields(Span(lines, record.FirstLine, record.LastLine), fit.Separator, fit.Quoted, scratch,
                  [&](std::string_view value) {
                      if (k < columns.size())
                          columns[k].Add(value, Classify(value));
                      ++k;
                  });
    }
    return columns;
}

double TypedShare(const std::vector<ColumnValues>& columns)
{
    std::size_t typed = 0, all = 0;
    for (const ColumnValues& c : columns) {
        typed += c.Values - c.Text;
        all += c.Values;
    }
    return all == 0 ? 0 : static_cast<double>(typed) / static_cast<double>(all);
}

// Whether some field begins with a double quote, as a quoted field does.
bool FieldsBeginWithQuotes(const std::vector<std::string_view>& lines, char separator, std::size_t& count)
{
    count = 0;
    for (std::size_t i = 0; i < lines.size() && i < MaxRecords; ++i) {
        const std::string_view line = lines[i];
        for (std::size_t j = 0; j < line.size(); ++j)
            if (line[j] == '"' && (j == 0 || line[j - 1] == separator))
                ++count;
    }
    return count > 0;
}

// The other characters that each of the first lines holds the same number of times (at least once).
std::vector<char> SteadyCharacters(const std::vector<std::string_view>& lines)
{
    constexpr std::size_t Looked = 200;
    std::size_t counts[128] = {};
    std::size_t steady[128] = {};
    std::size_t seen = 0;
    for (std::size_t i = 0; i < lines.size() && seen < Looked; ++i) {
        if (lines[i].empty())
            continue;
        std::size_t here[128] = {};
        for (const char c : lines[i])
            if (static_cast<unsigned char>(c) < 128)
                ++here[static_cast<unsigned char>(c)];
        for (std::size_t c = 0; c < 128; ++c) {
            if (seen == 0)
                counts[c] = here[c];
            if (here[c] > 0 && here[c] == counts[c])
                ++steady[c];
        }
        ++seen;
    }
    std::vector<char> found;
    for (std::size_t c = 1; c < 128; ++c) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (IsAsciiAlnum(b) || b == '"' || b == '\r' || b == '\n' || b == ' ' || b == '.' || b == '-' ||
            b == '_' || b == '\'' || b == ',' || b == ';' || b == '\t' || b == '|' || b == ':')
            continue;
        if (seen > 0 && static_cast<double>(steady[c]) >= SteadyShare * static_cast<double>(seen))
            found.push_back(static_cast<char>(c));
    }
    return found;
}

// A year ("2019") or a date over a column of other values: a header may name columns so
// (populations by year, counts by day). A date over numbers, a number over dates, a year over
// numbers that are not years or over no values yet.
bool NamesItsColumn(std::string_view name, const ValueInfo& info, const ColumnValues& column)
{
    if (info.Kind == ValueKind::Date)
        return column.Numeric();
    if (info.Kind != ValueKind::Number)
        return false;
    const bool year = name.size() == 4 &&
                      std::all_of(name.begin(), name.end(),
                                  [](char c) { return IsAsciiDigit(static_cast<unsigned char>(c)); }) &&
                      name >= "1800" && name <= "2199";
    // The last years of a table by year are often still empty.
    return column.Temporal() || (year && ((column.Numeric() && !column.AllYears()) || column.Blank()));
}

// Whether a record's fields can be column names: none empty, a number, a date or a NULL marker,
// and none repeated (in any letter case); `why` says what is not so. With the columns below
// (`columns`, the first of them under names[0] at `firstColumn`), years and dates that name
// their columns (NamesItsColumn) are names too, beside at least one name of text.
bool LooksLikeNames(const std::vector<std::string>& names, const std::string& lineName, std::string& why,
                    const std::vector<ColumnValues>* columns = nullptr, std::size_t firstColumn = 0)
{
    std::string numberWhy; // the first number or date taken as a name, should no text stand beside it
    for (std::size_t i = 0; i < names.size(); ++i) {
        const ValueInfo info = Classify(names[i]);
        if (names[i].empty()) {
            why = lineName + " has an empty field (" + Count(i + 1) + ")";
            return false;
        }
        if (info.Kind == ValueKind::Number || info.Kind == ValueKind::Date) {
            const std::string holds = lineName + " holds " + Quoted(names[i]) +
                                      (info.Kind == ValueKind::Number ? ", a number" : ", a date");
            const std::size_t column = firstColumn + i;
            if (!columns || column >= columns->size() ||
                !NamesItsColumn(names[i], info, (*columns)[column])) {
                why = holds;
                return false;
            }
            if (numberWhy.empty())
                numberWhy = holds;
        }
        if (info.Kind == ValueKind::Marker) {
            why = lineName + " holds " + Quoted(names[i]) + ", a NULL marker";
            return false;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (names[j].size() == names[i].size() &&
                std::equal(names[j].begin(), names[j].end(), names[i].begin(),
                           [](char a, char b) { return (a | 0x20) == (b | 0x20); })) {
                why = lineName + " repeats " + Quoted(names[i]);
                return false;
            }
        }
    }
    const bool anyText = std::any_of(names.begin(), names.end(), [](const std::string& name) {
        const ValueKind kind = Classify(name).Kind;
        return kind != ValueKind::Number && kind != ValueKind::Date;
    });
    if (!anyText && !numberWhy.empty()) {
        why = numberWhy;
        return false;
    }
    return true;
}

// The trimmed fields of one record.
std::vector<std::string> FieldsOf(const std::vector<std::string_view>& lines, const Fit& fit,
                                  const Record& record)
{
    std::vector<std::string> fields;
    std::string scratch;
    CutFields(Span(lines, record.FirstLine, record.LastLine), fit.Separator, fit.Quoted, scratch,
              [&](std::string_view v) { fields.emplace_back(TrimBlanks(v)); });
    return fields;
}

std::string SeparatorValue(char c)
{
    return c == '\t' ? std::string("<tab>") : std::string(1, c);
}

std::string FitText(const Fit& fit)
{
    if (fit.Ragged)
        return (fit.Records[0].Fields == fit.Most ? "line 1 has the most fields, " : "the most fields are ") +
               Count(fit.Most) + ", when cut at " + Shown(fit.Separator) + ", and every record has " +
               Count(fit.Fewest) + " or more: the last fields of the shorter ones are empty";
    return Count(fit.Matching) + " of " + Counted(fit.Records.size() - fit.Titles, "record") + " have " +
           Counted(fit.Fields, "field") + " when cut at " + Shown(fit.Separator);
}

// Fixed widths: at least 4 lines (not blank) of the same number of characters, where blanks
// stand at the same places in every line, two or more side by side, between runs of
// characters: each run and the blanks after it are a field. Gives the widths, or none when
// the evidence is not that clear.
// The characters [from, to) of a line, blanks around them dropped.
std::string_view CharacterSpan(std::string_view line, std::size_t from, std::size_t to)
{
    std::size_t at = 0, characters = 0, begin = line.size();
    for (; at < line.size() && characters < to; ++at) {
        if ((static_cast<unsigned char>(line[at]) & 0xC0) == 0x80)
            continue; // inside a UTF-8 character
        if (characters++ == from)
            begin = at;
    }
    return begin < at ? TrimBlanks(line.substr(begin, at - begin)) : std::string_view();
}

// Whether the first `looked` lines hold a number or nothing on each side of the blank
// column `blank` (between `from` and `to`), both numbers in at least one line, and not a
// group of three digits after it in every line (thousands parted by blanks).
bool NumbersBesideBlank(const std::vector<std::string_view>& lines, std::size_t looked, std::size_t from,
                        std::size_t blank, std::size_t to)
{
    bool both = false, groups = true;
    std::size_t seen = 0;
    for (const std::string_view line : lines) {
        if (line.empty())
            continue;
        if (seen++ == looked)
            break;
        const std::string_view left = CharacterSpan(line, from, blank);
        const std::string_view right = CharacterSpan(line, blank + 1, to);
        const bool leftNumber = !left.empty() && Classify(left).Kind == ValueKind::Number;
        const bool rightNumber = !right.empty() && Classify(right).Kind == ValueKind::Number;
        if ((!left.empty() && !leftNumber) || (!right.empty() && !rightNumber))
            return false;
        both = both || (leftNumber && rightNumber);
        groups =
            groups && right.size() == 3 && right.find_first_not_of("0123456789") == std::string_view::npos;
    }
    return both && !groups;
}

// Comment lines: a source that opens with lines beginning with '#' (the time zone database's
// tables, genome files) has comments wherever a line begins so. They are made blank lines, which
// are no records; the last one before the first record stays, without its '#', where it cuts
// into as many fields as the records after it and follows other lines (a header written as a
// comment: "#code<tab>name", which the title lines before it name as the header).
struct CommentLines {
    std::size_t Count = 0;
    std::size_t First = 0; // the first one's index
    bool Header = false;
};

CommentLines FindCommentLines(std::vector<std::string_view>& lines)
{
    CommentLines found;
    const auto comment = [](std::string_view line) { return !line.empty() && line.front() == '#'; };
    std::size_t first = 0;
    while (first < lines.size() && lines[first].empty())
        ++first;
    const std::size_t firstRecord = static_cast<std::size_t>(
        std::find_if(lines.begin() + static_cast<std::ptrdiff_t>(first), lines.end(),
                     [&](std::string_view line) { return !line.empty() && !comment(line); }) -
        lines.begin());
    if (first == lines.size() || !comment(lines[first]) || firstRecord == lines.size())
        return found;
    found.First = first;
    std::size_t lastBefore = first; // the last comment line before the first record
    for (std::size_t i = first; i < firstRecord; ++i)
        lastBefore = comment(lines[i]) ? i : lastBefore;
    const std::string_view named = lines[lastBefore].substr(1);
    for (const char separator : {'\t', ',', ';', '|'}) {
        const auto fieldsOf = [&](std::string_view line) {
            return static_cast<std::size_t>(std::count(line.begin(), line.end(), separator)) + 1;
        };
        std::size_t most = 0, looked = 0;
        for (std::size_t i = firstRecord; i < lines.size() && looked < 20; ++i) {
            if (lines[i].empty() || comment(lines[i]))
                continue;
            most = std::max(most, fieldsOf(lines[i]));
            ++looked;
        }
        // The run takes a comment line for the header only right after title lines.
        if (most >= 2 && fieldsOf(named) == most && lastBefore > 0) {
            found.Header = true;
            break;
        }
    }
    for (std::size_t i = first; i < lines.size(); ++i) {
        if (!comment(lines[i]))
            continue;
        ++found.Count;
        lines[i] = found.Header && i == lastBefore ? named : std::string_view();
    }
    return found;
}

std::vector<std::size_t> FixedWidths(const std::vector<std::string_view>& lines, std::size_t& looked)
{
    std::vector<char> used; // per character: a line has something other than a blank there
    std::size_t length = 0;
    looked = 0;
    for (const std::string_view line : lines) {
        if (line.empty())
            continue;
        if (looked == 200)
            break;
        std::size_t characters = 0;
        for (const char c : line) {
            if ((static_cast<unsigned char>(c) & 0xC0) == 0x80)
                continue; // inside a UTF-8 character
            if (characters == used.size())
                used.push_back(0);
            used[characters] = static_cast<char>(used[characters] | (c != ' ' ? 1 : 0));
            ++characters;
        }
        if (looked > 0 && characters != length)
            return {};
        length = characters;
        ++looked;
    }
    if (looked < 4)
        return {};
    std::vector<std::size_t> starts;
    for (std::size_t p = 0; p < length; ++p) {
        if (!used[p])
            continue;
        const bool afterGutter = p >= 2 && !used[p - 1] && !used[p - 2];
        if (starts.empty() || afterGutter)
            starts.push_back(starts.empty() ? 0 : p);
    }
    if (starts.size() < 2)
        return {};
    // Inside a field so found, one blank column between numbers parts two columns of
    // right-aligned numbers where the longest ones meet ("-61.7833 3366.0").
    const std::size_t fields = starts.size();
    for (std::size_t k = 0; k < fields; ++k) {
        const std::size_t end = k + 1 < fields ? starts[k + 1] : length;
        std::size_t from = starts[k];
        for (std::size_t p = from + 1; p + 1 < end; ++p) {
            if (!used[p] && used[p - 1] && used[p + 1] && NumbersBesideBlank(lines, looked, from, p, end)) {
                starts.push_back(p + 1);
                from = p + 1;
            }
        }
    }
    std::sort(starts.begin(), starts.end());
    std::vector<std::size_t> widths;
    for (std::size_t k = 0; k < starts.size(); ++k)
        widths.push_back((k + 1 < starts.size() ? starts[k + 1] : length) - starts[k]);
    return widths;
}

// The fields of a line cut at the widths, trimmed.
std::vector<std::string> FixedFields(std::string_view line, const std::vector<std::size_t>& widths)
{
    std::vector<std::string> fields;
    std::size_t at = 0;
    for (const std::size_t width : widths) {
        std::size_t end = at;
        for (std::size_t characters = 0; end < line.size() && characters < width; ++characters) {
            ++end;
            while (end < line.size() && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80)
                ++end;
        }
        fields.emplace_back(TrimBlanks(line.substr(at, end - at)));
        at = end;
    }
    return fields;
}

// Fixed widths found: the keys that read them, and whether the first line names the columns.
void DescribeFixedWidths(const std::vector<std::string_view>& lines, const std::vector<std::size_t>& widths,
                         std::size_t looked, SourceDetection& d)
{
    std::string text;
    for (const std::size_t width : widths)
        text += (text.empty() ? "" : ",") + std::to_string(width);
    const std::string reason = Count(looked) +
                               " lines of the same length have blanks at the same places, "
                               "parting " +
                               Counted(widths.size(), "field");
    d.Keys.push_back({"WithSeparators", "0", reason});
    d.Keys.push_back({"Widths", text, reason});
    d.Trim = true;
    d.Keys.push_back({"Trim", "1", "the fields are padded with blanks to their widths"});
    std::size_t first = 0;
    while (first < lines.size() && lines[first].empty())
        ++first;
    std::string why;
    const bool header = LooksLikeNames(FixedFields(lines[first], widths), "line " + Count(first + 1), why);
    d.ColumnNames = header;
    d.Keys.push_back(
        {"ColumnNames", header ? "1" : "0",
         header ? "line " + Count(first + 1) + "'s names are distinct, not empty and no numbers or dates"
                : why});
}

void DetectLayout(std::string_view text, bool whole, SourceDetection& d)
{
    // Line ends.
    const LineEndCounts ends = CountLineEnds(text);
    const std::size_t lf = ends.Lf, crlf = ends.CrLf, cr = ends.Cr;
    if (lf + crlf + cr == 0)
        d.LineEnds = LineEnding::None;
    else if (cr > lf + crlf)
        d.LineEnds = LineEnding::Cr;
    else
        d.LineEnds = crlf >= lf ? LineEnding::CrLf : LineEnding::Lf;
    {
        const char* name = d.LineEnds == LineEnding::Cr     ? "CR"
                           : d.LineEnds == LineEnding::CrLf ? "CR LF"
                           : d.LineEnds == LineEnding::Lf   ? "LF"
                                                            : "none";
        std::string note = std::string("line ends: ") + name + " (" + Count(crlf) + " CR LF, " + Count(lf) +
                           " LF, " + Count(cr) + " CR)";
        // The reader ends lines at every CR where its first 64 KiB hold a CR and no LF.
        if (d.LineEnds == LineEnding::Cr)
            note += lf + crlf == 0 ? "; every CR ends a line"
                                   : "; the source holds LF too, so lines end at LF and a lone CR is data";
        d.Notes.push_back(note);
    }
    std::vector<std::string_view> lines = SplitLines(text, d.LineEnds, whole);
    // A first line "sep=;", as spreadsheet programs write it, names the separator; the records
    // start after it (`skipped` lines, counted where lines are named).
    char named = 0;
    if (!lines.empty() && lines[0].size() == 5 && SameIgnoringAsciiCase(lines[0].substr(0, 4), "sep=")) {
        named = lines[0][4];
        lines.erase(lines.begin());
    }
    const std::size_t skipped = named ? 1 : 0;
    const CommentLines comments = FindCommentLines(lines);
    if (comments.Count > 0) {
        d.CommentPrefix = "#";
        d.Keys.push_back(
            {"CommentPrefix", "#",
             Counted(comments.Count, "line") + " begin with '#', line " +
                 Count(comments.First + skipped + 1) + " first" +
                 (comments.Header ? "; the last of those before the records names the columns" : "")});
    }

    // The separator, with or without quoted fields.
    std::vector<Fit> fits;
    auto consider = [&](char c) {
        std::size_t quotes = 0;
        Fit plain = Evaluate(lines, c, false);
        if (FieldsBeginWithQuotes(lines, c, quotes)) {
            Fit quoted = Evaluate(lines, c, true);
            if (quoted.Fields >= 2 && quoted.Steady >= plain.Steady)
                plain = std::move(quoted);
        }
        fits.push_back(std::move(plain));
    };
    if (named) {
        consider(named);
    } else {
        for (const char c : {',', ';', '\t', '|', ':'})
            consider(c);
    }

    // Records that leave out the empty fields at their end (a header of eight names, records of
    // four to eight fields): where no count is steady, a usual separator that cuts every record at
    // least once, and the header line most often of all. Tabs that cut every record into nearly
    // as many fields need no header (a table whose last column is filled in some records only).
    if (std::none_of(fits.begin(), fits.end(), [](const Fit& f) { return f.Qualifies(); })) {
        for (Fit& f : fits) {
            std::string why;
            if ((!named && std::string_view(",;\t|").find(f.Separator) == std::string_view::npos) ||
                f.Records.size() < 2 || f.Fewest < 2)
                continue;
            const bool header =
                f.Records[0].Fields == f.Most && LooksLikeNames(FieldsOf(lines, f, f.Records[0]), "", why);
            if (!header && (f.Separator != '\t' || f.Most - f.Fewest > 2))
                continue;
            f.Ragged = true;
            f.Fields = f.Most;
            f.Titles = 0;
            f.Matching = f.Records.size();
            f.Steady = f.Overall = 1;
        }
    }
    if (!named && std::none_of(fits.begin(), fits.end(), [](const Fit& f) { return f.Qualifies(); }))
        for (const char c : SteadyCharacters(lines))
            consider(c);

    // Title lines come before a header: without one after them they are records like the rest.
    for (Fit& f : fits) {
        std::string why;
        if (f.Titles > 0 && f.Qualifies() &&
            !LooksLikeNames(FieldsOf(lines, f, f.Records[f.Titles]), "", why)) {
            f.Titles = 0;
            f.Matching = 0;
            for (const Record& r : f.Records)
                f.Matching += r.Fields == f.Fields ? 1 : 0;
            f.Steady = f.Overall = static_cast<double>(f.Matching) / static_cast<double>(f.Records.size());
        }
    }
    double bestOverall = 0;
    for (const Fit& f : fits)
        if (f.Qualifies())
            bestOverall = std::max(bestOverall, f.Overall);
    const Fit* chosen = nullptr;
    for (Fit& f : fits) {
        if (!f.Qualifies() || f.Overall < bestOverall - 0.02)
            continue;
        f.Typed = TypedShare(ReadColumns(lines, f, f.Titles + 1, 200));
        // Fewer title lines, then more numbers and dates among the values, then more fields.
        const bool better = !chosen                                    ? true
                            : f.Titles != chosen->Titles               ? f.Titles < chosen->Titles
                            : std::abs(f.Typed - chosen->Typed) > 0.01 ? f.Typed > chosen->Typed
                                                                       : f.Fields > chosen->Fields;
        if (better)
            chosen = &f;
    }

    // Fixed widths, where no usual separator cuts the lines (a '.' in every line's amount may).
    const std::string usual = ",;\t|:";
    if (!named && (!chosen || usual.find(chosen->Separator) == std::string::npos)) {
        std::size_t looked = 0;
        const std::vector<std::size_t> widths = FixedWidths(lines, looked);
        if (!widths.empty()) {
            DescribeFixedWidths(lines, widths, looked, d);
            return;
        }
    }

    Fit single; // one column: every line is one value
    if (!chosen) {
        d.Notes.push_back("no character cuts the lines into a steady number of fields: one column, or fixed "
                          "widths; Separator left as <tab>");
        single = Evaluate(lines, '\t', false);
        single.Fields = 1;
        single.Titles = 0;
        chosen = &single;
    } else {
        std::string reason = FitText(*chosen);
        if (named)
            reason =
                "line 1 is `sep=" + std::string(1, named) + "`, as spreadsheet programs write it; " + reason;
        // The runner-up, for comparison.
        const Fit* other = nullptr;
        for (const Fit& f : fits)
            if (&f != chosen && f.Most >= 2 && (!other || f.Overall > other->Overall))
                other = &f;
        if (other)
            reason += " (cut at " + Shown(other->Separator) + " they have " +
                      (other->Fewest == other->Most ? Count(other->Fewest)
                                                    : Count(other->Fewest) + " to " + Count(other->Most)) +
                      ")";
        d.Separator = SeparatorValue(chosen->Separator);
        d.Keys.push_back({"Separator", d.Separator, reason});

        std::size_t quotes = 0;
        FieldsBeginWithQuotes(lines, chosen->Separator, quotes);
        d.QuotedFields = chosen->Quoted;
        std::string quoteReason;
        if (chosen->Quoted) {
            const Fit plain = Evaluate(lines, chosen->Separator, false);
            std::size_t plainMatching = 0;
            for (const Record& r : plain.Records)
                plainMatching += r.Fields == chosen->Fields ? 1 : 0;
            quoteReason = Counted(quotes, "field") + " in double quotes; read as quoted fields " +
                          Count(chosen->Matching) + " of " + Counted(chosen->Records.size(), "record") +
                          " have " + Counted(chosen->Fields, "field") + ", read as plain text " +
                          Count(plainMatching) + " of " + Count(plain.Records.size());
        } else if (quotes > 0) {
            quoteReason =
                Counted(quotes, "field") +
                " begin with a double quote, but read as quoted fields the records have less steady "
                "field counts";
        } else {
            quoteReason = "no field begins with a double quote";
        }
        d.Keys.push_back({"QuotedFields", chosen->Quoted ? "1" : "0", quoteReason});
    }

    const std::vector<Record>& records = chosen->Records;
    if (records.empty()) {
        d.Notes.push_back("the source holds no line that is not blank");
        return;
    }
    const std::size_t headerRecord = chosen->Titles;
    if (headerRecord > 0 || named) {
        d.SkipLines = static_cast<int>(records[headerRecord].FirstLine + skipped);
        const std::size_t before = records[headerRecord].FirstLine + skipped;
        const std::string titles = (before == 1 ? std::string("line 1") : "lines 1 to " + Count(before)) +
                                   " (" + Counted(headerRecord, "title line") + ") do not have the " +
                                   Counted(chosen->Fields, "field") + " of the records after them";
        d.Keys.push_back({"SkipLines", std::to_string(d.SkipLines),
                          headerRecord == 0 ? std::string("line 1 names the separator")
                          : named           ? "line 1 names the separator; " + titles
                                            : titles});
    }

    // The header: names unlike the values below them, no repeats, no empties.
    std::vector<std::string> names;
    {
        std::string scratch;
        const Record& first = records[headerRecord];
        CutFields(Span(lines, first.FirstLine, first.LastLine), chosen->Separator, chosen->Quoted, scratch,
                  [&](std::string_view v) { names.emplace_back(TrimBlanks(v)); });
        if (chosen == &single)
            names.assign(1, std::string(TrimBlanks(Span(lines, first.FirstLine, first.LastLine))));
    }
    const std::vector<ColumnValues> columns = ReadColumns(lines, *chosen, headerRecord + 1);
    const std::string lineName = "line " + Count(records[headerRecord].FirstLine + skipped + 1);
    std::string headerReason;
    // Lines that all end in a separator give every record an empty last field, the header too.
    const bool trailingSeparator =
        names.size() >= 2 && names.back().empty() && !columns.empty() && columns.back().Values > 0 &&
        columns.back().Numbers + columns.back().Dates + columns.back().Text + columns.back().MarkerCount == 0;
    if (trailingSeparator)
        names.pop_back();
    // An empty first name over numbers is the row numbers' column that data frames write first.
    const bool rowNumbers = names.size() >= 2 && names[0].empty() && !columns.empty() && columns[0].Numeric();
    bool header = rowNumbers ? LooksLikeNames(std::vector<std::string>(names.begin() + 1, names.end()),
                                              lineName, headerReason, &columns, 1)
                             : LooksLikeNames(names, lineName, headerReason, &columns);
    // Where records leave out their last fields, a header names them all.
    if (header && chosen->Ragged && records[headerRecord].Fields < chosen->Most) {
        header = false;
        headerReason = lineName + " has fewer fields than the records below it";
    }
    // A name that stands as a value of its column below is a value too (a whole line equal to
    // the names is the header repeated, as where files were joined); but text over a column of
    // numbers or dates is a name whatever its neighbours repeat ("type" among the types).
    bool textOverTyped = false;
    for (std::size_t i = 0; i < names.size() && i < columns.size(); ++i) {
        const ValueKind kind = Classify(names[i]).Kind;
        textOverTyped =
            textOverTyped || (!names[i].empty() && kind != ValueKind::Number && kind != ValueKind::Date &&
                              kind != ValueKind::Marker && columns[i].Typed());
    }
    for (std::size_t r = headerRecord + 1;
         header && !textOverTyped && r < records.size() && r <= MaxValueRecords; ++r) {
        if (chosen == &single)
            break;
        const std::vector<std::string> fields = FieldsOf(lines, *chosen, records[r]);
        if (fields == names)
            continue;
        for (std::size_t i = 0; i < fields.size() && i < names.size(); ++i) {
            if (!names[i].empty() && fields[i] == names[i]) {
                header = false;
                headerReason = lineName + "'s " + Quoted(names[i]) +
                               " is also a value of its column, in line " +
                               Count(records[r].FirstLine + skipped + 1);
                break;
            }
        }
    }
    if (header) {
        std::string over;
        for (std::size_t i = rowNumbers ? 1 : 0; i < names.size() && i < columns.size(); ++i) {
            if (columns[i].Typed() && over.size() < 80)
                over += (over.empty() ? "" : ", ") + Quoted(names[i]) +
                        (columns[i].Numeric() ? " over numbers" : " over dates");
        }
        if (rowNumbers)
            over = "an empty name over row numbers" + (over.empty() ? std::string() : ", " + over);
        headerReason = over.empty()
                           ? lineName + "'s names are distinct and not empty, and every column holds text"
                           : lineName + " has names: " + over;
    }
    d.ColumnNames = header;
    d.Keys.push_back({"ColumnNames", header ? "1" : "0", headerReason});
    // The header is the first line after the title lines, a comment or not: comment lines
    // before it are skipped as title lines.
    if (header && comments.Count > 0 && d.SkipLines == 0 && records[headerRecord].FirstLine > 0) {
        d.SkipLines = static_cast<int>(records[headerRecord].FirstLine + skipped);
        d.Keys.push_back({"SkipLines", std::to_string(d.SkipLines), "the comment lines before the header"});
    }
    const std::size_t firstData = headerRecord + (header ? 1 : 0);
    const std::vector<ColumnValues> values = header ? columns : ReadColumns(lines, *chosen, firstData);

    // Blanks around values.
    if (chosen != &single && chosen->Separator != ' ' && chosen->Separator != '\t') {
        std::size_t padded = 0, looked = 0;
        std::string example;
        std::string scratch;
        for (std::size_t r = firstData; r < records.size() && looked < MaxValueRecords; ++r, ++looked) {
            bool any = false;
            CutFields(Span(lines, records[r].FirstLine, records[r].LastLine), chosen->Separator,
                      chosen->Quoted, scratch, [&](std::string_view v) {
                          if (!v.empty() && v.size() < 1000 && (IsBlank(v.front()) || IsBlank(v.back())) &&
                              !TrimBlanks(v).empty()) {
                              if (example.empty())
                                  example = "\"" + std::string(v.substr(0, 40)) + "\"";
                              any = true;
                          }
                      });
            padded += any ? 1 : 0;
        }
        if (looked > 0 && 2 * padded >= looked) {
            d.Trim = true;
            d.Keys.push_back({"Trim", "1",
                              Count(padded) + " of " + Count(looked) +
                                  " records have values with blanks around them, such as " + example});
        }
    }

    // NULL markers among numbers or dates.
    for (std::size_t i = 0; i < values.size(); ++i) {
        const ColumnValues& c = values[i];
        if (!c.Typed() || c.Markers.empty())
            continue;
        for (const std::string& m : c.Markers)
            if (std::find(d.NullValues.begin(), d.NullValues.end(), m) == d.NullValues.end())
                d.NullValues.push_back(m);
    }
    if (!d.NullValues.empty()) {
        std::string list, reason;
        for (const std::string& m : d.NullValues)
            list += (list.empty() ? "" : ",") + m;
        for (std::size_t i = 0; i < values.size(); ++i) {
            const ColumnValues& c = values[i];
            if (c.Typed() && !c.Markers.empty() && reason.size() < 100)
                reason += (reason.empty() ? "" : "; ") + Quoted(c.Markers[0]) + " stands " +
                          Counted(c.MarkerCount, "time") + " among " + (c.Numeric() ? "numbers" : "dates") +
                          " in column " + Count(i + 1) +
                          (header && i < names.size() ? " (" + names[i] + ")" : "");
        }
        d.Keys.push_back({"NullValues", list, reason});
    }

    // Decimal comma and thousands separators, from the columns of numbers.
    std::size_t comma = 0, point = 0, eitherPoint = 0, eitherComma = 0;
    std::string commaExample, pointExample, eitherPointExample, eitherCommaExample;
    std::map<char, std::size_t> thousands;
    std::map<char, std::string> thousandsExample;
    for (const ColumnValues& c : values) {
        if (!c.Numeric())
            continue;
        auto take = [](std::size_t n, const std::string& example, std::size_t& total, std::string& first) {
            if (n > 0 && total == 0)
                first = example;
            total += n;
        };
        take(c.CommaDecimals, c.CommaExample, comma, commaExample);
        take(c.PointDecimals, c.PointExample, point, pointExample);
        take(c.EitherPoint, c.EitherPointExample, eitherPoint, eitherPointExample);
        take(c.EitherComma, c.EitherCommaExample, eitherComma, eitherCommaExample);
        for (const auto& [sep, n] : c.Thousands) {
            if (thousands[sep] == 0)
                thousandsExample[sep] = c.ThousandsExample;
            thousands[sep] += n;
        }
    }
    char decimal = '.';
    if (comma > 0 && point == 0) {
        decimal = ',';
        d.DecimalSeparator = ',';
        d.Keys.push_back({"DecimalSeparator", ",",
                          Counted(comma, "number") + " with a decimal comma, such as " +
                              Quoted(commaExample) + "; none with a decimal point"});
    } else if (comma > 0 && point > 0) {
        d.Notes.push_back("numbers have decimal commas (" + Quoted(commaExample) + ") and decimal points (" +
                          Quoted(pointExample) + "); DecimalSeparator left as '.'");
    }
    char group = 0;
    std::string groupReason;
    for (const auto& [sep, n] : thousands) {
        if (sep != decimal && (group == 0 || n > thousands[group])) {
            group = sep;
            groupReason = Counted(n, "number") + " with " + Shown(sep) +
                          " between groups of three digits, such as " + Quoted(thousandsExample[sep]);
        }
    }
    if (group == 0 && decimal == ',' && eitherPoint > 0) {
        group = '.';
        groupReason = "numbers such as " + Quoted(eitherPointExample) + " stand beside decimal commas";
    } else if (group == 0 && decimal == '.' && point > 0 && eitherComma > 0) {
        group = ',';
        groupReason = "numbers such as " + Quoted(eitherCommaExample) + " stand beside decimal points";
    }
    if (group != 0) {
        d.ThousandsSeparator = group == ' ' ? std::string("<space>") : std::string(1, group);
        d.Keys.push_back({"ThousandsSeparator", d.ThousandsSeparator, groupReason});
    }

    // The date format, when the values decide it.
    std::uint32_t bits = ~std::uint32_t{0};
    std::size_t dateColumns = 0;
    std::string decidingExample, example;
    for (const ColumnValues& c : values) {
        if (!c.Temporal())
            continue;
        ++dateColumns;
        bits &= c.DateBits;
        if (decidingExample.empty())
            decidingExample = c.DecidingDate;
    }
    if (dateColumns > 0) {
        const auto& formats = AllDateFormats();
        if (bits & 1) {
            // ISO dates, read as they are.
        } else if (bits == 0) {
            d.Notes.push_back(
                "the columns of dates are written in different ways; DateFormat left as YYYY-MM-DD "
                "and such columns stay text");
        } else if (BitCount(bits) == 1) {
            d.DateFormat = DateFormatName(formats[FirstBit(bits)]);
            d.Keys.push_back({"DateFormat", d.DateFormat,
                              decidingExample.empty()
                                  ? "every date reads only so"
                                  : "dates such as " + Quoted(decidingExample) + " read only so"});
        } else {
            std::string ways;
            for (std::size_t f = 0; f < formats.size(); ++f)
                if (bits & (std::uint32_t{1} << f))
                    ways += (ways.empty() ? "" : " or ") + DateFormatName(formats[f]);
            d.Notes.push_back(
                "every date reads as " + ways +
                " (no part is over 12); DateFormat left as YYYY-MM-DD and such columns stay text");
        }
    }
}

void DescribeEncoding(SourceDetection& d, SourceEncoding encoding, const EncodingEvidence& e,
                      std::uint64_t line)
{
    d.Encoding = encoding;
    std::string reason;
    if (e.ByteOrderMark) {
        reason = std::string("a ") + EncodingName(encoding) + " byte order mark";
    } else if (encoding == SourceEncoding::Utf8) {
        reason = (e.WholeFile ? "all " : "the first ") + Count(e.BytesRead) + " bytes are valid UTF-8";
    } else {
        char byte[8];
        std::snprintf(byte, sizeof byte, "0x%02X", e.InvalidByte);
        reason = std::string("byte ") + byte + " at line " + Count(line) + " (offset " + Count(e.InvalidAt) +
                 ") is not UTF-8";
    }
    d.Keys.push_back({"Encoding", EncodingName(encoding), reason});
}

// The line (from 1) that holds the byte at `offset`, counting `end` bytes before it.
std::uint64_t LineAt(std::string_view sample, const std::string* path, std::uint64_t offset, char end)
{
    if (offset <= sample.size())
        return 1 + static_cast<std::uint64_t>(
                       std::count(sample.begin(), sample.begin() + static_cast<std::ptrdiff_t>(offset), end));
    const FileHandle file = path ? OpenUnbuffered(*path, "rb") : FileHandle();
    if (!file)
        return 0;
    std::string buffer(std::size_t{1} << 20, '\0');
    std::uint64_t line = 1, at = 0;
    while (at < offset) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), offset - at));
        const std::size_t got = std::fread(buffer.data(), 1, want, file.get());
        if (got == 0)
            break;
        line += static_cast<std::uint64_t>(
            std::count(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got), end));
        at += got;
    }
    return line;
}

SourceDetection Detect(std::string_view sample, bool whole, SourceEncoding encoding,
                       const EncodingEvidence& evidence, const std::string* path)
{
    SourceDetection d;
    // The text to look at: without a byte order mark, UTF-16 decoded into UTF-8.
    SourceEncoding marked = SourceEncoding::Bytes;
    const std::size_t mark = ByteOrderMark(sample, marked);
    std::string decoded;
    std::string_view text = sample.substr(mark);
    if (encoding == SourceEncoding::Utf16LE || encoding == SourceEncoding::Utf16BE) {
        TextDecoder decoder(encoding);
        decoded.resize(TextDecoder::OutputLimit(text.size()));
        const TextDecoder::Result result = decoder.Decode(text.data(), text.size(), whole, decoded.data());
        decoded.resize(result.Written);
        text = decoded;
    }
    DetectLayout(text, whole, d);
    const char end = d.LineEnds == LineEnding::Cr ? '\r' : '\n';
    const std::uint64_t line =
        encoding == SourceEncoding::Windows1252 ? LineAt(sample, path, evidence.InvalidAt, end) : 0;
    DescribeEncoding(d, encoding, evidence, line);
    return d;
}

} // namespace

const DetectedKey* SourceDetection::Find(std::string_view key) const
{
    for (const DetectedKey& k : Keys)
        if (k.Key == key)
            return &k;
    return nullptr;
}

std::string SourceDetection::Layout() const
{
    if (const DetectedKey* widths = Find("Widths"))
        return "fixed widths " + widths->Value + (ColumnNames ? ", header" : ", no header");
    const std::string separated = !Find("Separator")     ? std::string("one column")
                                  : Separator == "<tab>" ? std::string("tab separated")
                                                         : "'" + Separator + "' separated";
    return separated + (ColumnNames ? ", header" : ", no header");
}

std::string SourceDetection::Summary() const
{
    std::string text = Layout();
    auto add = [&](const std::string& part) { text += ", " + part; };
    if (QuotedFields)
        add("quoted fields");
    if (Trim)
        add("blanks trimmed");
    if (SkipLines > 0)
        add(std::to_string(SkipLines) + (SkipLines == 1 ? " title line" : " title lines"));
    if (!CommentPrefix.empty())
        add("'" + CommentPrefix + "' comment lines");
    if (Encoding != SourceEncoding::Utf8)
        add(EncodingName(Encoding));
    if (DecimalSeparator == ',')
        add("decimal comma");
    if (!ThousandsSeparator.empty())
        add("thousands " +
            (ThousandsSeparator == "<space>" ? std::string("blank") : "'" + ThousandsSeparator + "'"));
    if (!NullValues.empty()) {
        std::string list;
        for (const std::string& m : NullValues)
            list += (list.empty() ? "" : ",") + m;
        add("NULL " + list);
    }
    if (!DateFormat.empty())
        add("dates " + DateFormat);
    return text;
}

namespace {

// The encoding as the sample alone shows it: its byte order mark's, else UTF-8 where its
// bytes are valid UTF-8 (a sequence cut at the end of a partial sample counting as valid).
SourceEncoding SampleEncoding(std::string_view sample, bool whole, EncodingEvidence& found)
{
    SourceEncoding encoding = SourceEncoding::Bytes;
    if (ByteOrderMark(sample, encoding) > 0) {
        found.ByteOrderMark = true;
        return encoding;
    }
    TextDecoder checker(SourceEncoding::Utf8);
    const TextDecoder::Result result = checker.Check(sample.data(), sample.size(), whole);
    found.BytesRead = checker.Position();
    found.WholeFile = whole;
    if (result.Invalid) {
        found.InvalidAt = checker.Position();
        found.InvalidByte = static_cast<unsigned char>(sample[result.Written]);
        return SourceEncoding::Windows1252;
    }
    found.BytesRead = sample.size();
    return SourceEncoding::Utf8;
}

} // namespace

SourceDetection DetectSample(std::string_view sample, bool whole)
{
    EncodingEvidence found;
    const SourceEncoding encoding = SampleEncoding(sample, whole, found);
    return Detect(sample, whole, encoding, found, nullptr);
}

SourceDetection DetectSource(const std::string& path, EncodingScope scope)
{
    errno = 0;
    EncodingEvidence evidence;
    SourceEncoding encoding = SourceEncoding::Utf8;
    if (scope == EncodingScope::WholeFile) {
        encoding = DetectEncoding(path, &evidence);
        if (encoding == SourceEncoding::Bytes)
            throw FileError::FromErrno(path);
    }
    const FileHandle file = OpenUnbuffered(path, "rb");
    if (!file)
        throw FileError::FromErrno(path);
    std::string sample(DetectionSampleSize + 1, '\0');
    const std::size_t got = std::fread(sample.data(), 1, sample.size(), file.get());
    if (std::ferror(file.get()))
        throw FileError::FromErrno(path);
    sample.resize(got);
    const bool whole = got <= DetectionSampleSize;
    if (!whole)
        sample.resize(DetectionSampleSize);
    if (scope == EncodingScope::Sample)
        encoding = SampleEncoding(sample, whole, evidence);
    SourceDetection detection = Detect(sample, whole, encoding, evidence, &path);
    detection.EncodingOfSampleOnly = scope == EncodingScope::Sample && encoding == SourceEncoding::Utf8 &&
                                     !evidence.ByteOrderMark && !whole;
    return detection;
}

std::string SuggestedTarget(const std::string& source)
{
    std::filesystem::path path = PathFromUtf8(source);
    std::string extension = Utf8FromPath(path.extension());
    for (char& c : extension)
        c = static_cast<char>(c | 0x20);
    if (extension == ".sql")
        return source + ".sql";
    return Utf8FromPath(path.replace_extension(".sql"));
}

std::string SuggestedTableName(const std::string& source, SqlDialect dialect)
{
    const std::string stem = Utf8FromPath(PathFromUtf8(source).stem());
    const NameRules& rules = RulesOf(dialect).Names;
    // Words joined by "_" where names are fitted to the database; Generic writes them as always.
    const bool underscore = rules.Fit;
    constexpr std::size_t Longest = 63; // PostgreSQL's limit, the shortest of them
    std::string name;
    for (const char c : stem) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (IsAsciiAlnum(b))
            name += rules.BareInLowerCase && IsAsciiAlpha(b) ? static_cast<char>(c | 0x20) : c;
        else if (underscore && !name.empty() && name.back() != '_')
            name += '_';
    }
    while (!name.empty() && name.back() == '_')
        name.pop_back();
    if (name.empty())
        name = "data";
    if (IsAsciiDigit(static_cast<unsigned char>(name[0])))
        name.insert(0, underscore ? "t_" : "t");
    if (!IsPlainIdentifier(name, underscore))
        name += underscore ? "_data" : "data";
    if (name.size() > Longest)
        name.resize(Longest);
    return name;
}

SourceDetection ApplySourceDetection(CProject& project)
{
    SourceDetection detection = DetectSource(project.FileName);
    ApplySourceDetection(project, detection);
    return detection;
}

void ApplySourceDetection(CProject& project, const SourceDetection& detection)
{
    // Each key as a project file holds it, through the key table as Load takes it.
    for (const DetectedKey& key : detection.Keys) {
        const ProjectKey* row = FindProjectKey(key.Key);
        if (row && !CheckKeyValue(*row, key.Value))
            ApplyKeyValue(*row, key.Value, project);
    }
    if (project.TargetName.empty())
        project.TargetName = SuggestedTarget(project.FileName);
    if (project.TableName.empty()) {
        SqlDialect dialect = SqlDialect::Generic;
        ParseDialect(project.Dialect, dialect);
        project.TableName = SuggestedTableName(project.FileName, dialect);
    }
}
