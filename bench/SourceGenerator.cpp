#include "SourceGenerator.h"

#include <array>
#include <string_view>

namespace SourceGenerator {
namespace {

constexpr std::array<std::string_view, 8> FirstNames = {"Mary", "John",  "Sean",  "Aoife",
                                                        "Liam", "Niamh", "Conor", "Siobhan"};
constexpr std::array<std::string_view, 8> LastNames = {"O'Brien", "Walsh", "O'Sullivan", "Byrne",
                                                       "D'Arcy",  "Ryan",  "O'Neil",     "Kelly"};
constexpr std::array<std::string_view, 8> Words = {"gold", "red", "blue", "new", "old", "ok", "late", "vip"};
constexpr std::string_view Letters = "abcdefghijklmnopqrstuvwxyz    ";

// splitmix64: tiny, fast and the same everywhere.
class Random {
  public:
    std::uint64_t Next()
    {
        std::uint64_t z = (State += 0x9e3779b97f4a7c15u);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
        return z ^ (z >> 31);
    }
    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }

  private:
    std::uint64_t State = 20260101;
};

struct Record {
    std::string Id;
    std::string Name;
    std::string Amount;
    std::string Word;
    std::string Note;
};

void MakeRecord(Random& random, std::uint64_t id, std::size_t noteLength, Record& record)
{
    record.Id = std::to_string(id);
    record.Name.assign(FirstNames[random.Below(FirstNames.size())]);
    record.Name += ' ';
    record.Name += LastNames[random.Below(LastNames.size())];
    const std::uint64_t cents = random.Next() % 10000000;
    record.Amount = std::to_string(cents / 100);
    record.Amount += '.';
    record.Amount += static_cast<char>('0' + cents / 10 % 10);
    record.Amount += static_cast<char>('0' + cents % 10);
    record.Word.assign(Words[random.Below(Words.size())]);
    record.Note.resize(noteLength);
    for (char& c : record.Note)
        c = Letters[random.Below(Letters.size())];
}

void WriteSeparatedRecord(std::ostream& out, const Record& r)
{
    out << r.Id << ',' << r.Name << ',' << r.Amount << ',' << r.Word << ',' << r.Note << "\r\n";
}

// A third of the fields in double quotes, a tenth of those holding the separator
// (put into the middle of the field), as spreadsheets write text.
void WriteQuotedRecord(std::ostream& out, Random& random, const Record& r)
{
    const std::array<std::string_view, 5> fields = {r.Id, r.Name, r.Amount, r.Word, r.Note};
    for (std::size_t k = 0; k < fields.size(); ++k) {
        if (k > 0)
            out << ',';
        const std::size_t draw = random.Below(30);
        if (draw >= 10) {
            out << fields[k];
            continue;
        }
        const std::string_view field = fields[k];
        out << '"';
        if (draw == 0)
            out << field.substr(0, field.size() / 2) << ',' << field.substr(field.size() / 2);
        else
            out << field;
        out << '"';
    }
    out << "\r\n";
}

void WritePadded(std::ostream& out, std::string_view text, int width)
{
    out << text.substr(0, static_cast<std::size_t>(width));
    for (int i = static_cast<int>(text.size()); i < width; ++i)
        out << ' ';
}

} // namespace

void WriteSeparated(std::ostream& out, std::uint64_t lines)
{
    Random random;
    Record record;
    out << "id,name,amount,word,note\r\n";
    for (std::uint64_t i = 1; i <= lines; ++i) {
        MakeRecord(random, i, TextLength, record);
        WriteSeparatedRecord(out, record);
    }
}

void WriteQuoted(std::ostream& out, std::uint64_t lines)
{
    Random random;
    Random quoting;
    Record record;
    out << "id,name,amount,word,note\r\n";
    for (std::uint64_t i = 1; i <= lines; ++i) {
        MakeRecord(random, i, TextLength, record);
        WriteQuotedRecord(out, quoting, record);
    }
}

void WriteFixedWidth(std::ostream& out, std::uint64_t lines)
{
    Random random;
    Record record;
    const std::array<std::string_view, 5> header = {"id", "name", "amount", "word", "note"};
    for (std::size_t k = 0; k < header.size(); ++k)
        WritePadded(out, header[k], FixedWidths[k]);
    out << "\r\n";
    for (std::uint64_t i = 1; i <= lines; ++i) {
        MakeRecord(random, i, TextLength, record);
        const std::array<std::string_view, 5> fields = {record.Id, record.Name, record.Amount, record.Word,
                                                        record.Note};
        for (std::size_t k = 0; k < fields.size(); ++k)
            WritePadded(out, fields[k], FixedWidths[k]);
        out << "\r\n";
    }
}

void WriteLongLine(std::ostream& out, std::uint64_t longBytes, std::uint64_t lines)
{
    Random random;
    Record record;
    out << "id,name,amount,word,note\r\n";
    MakeRecord(random, 1, 0, record);
    out << record.Id << ',' << record.Name << ',' << record.Amount << ',' << record.Word << ',';
    std::string block(std::size_t{1} << 16, 'x');
    for (char& c : block)
        c = Letters[random.Below(Letters.size())];
    for (std::uint64_t left = longBytes; left > 0;) {
        const std::size_t n = left < block.size() ? static_cast<std::size_t>(left) : block.size();
        out.write(block.data(), static_cast<std::streamsize>(n));
        left -= n;
    }
    out << "\r\n";
    for (std::uint64_t i = 2; i <= lines + 1; ++i) {
        MakeRecord(random, i, TextLength, record);
        WriteSeparatedRecord(out, record);
    }
}

std::string ProjectText(const std::string& source, const std::string& target, bool fixedWidth)
{
    std::string text = "[General]\r\n";
    text += "FileName=" + source + "\r\n";
    text += "TargetName=" + target + "\r\n";
    text += "TableName=people\r\n";
    text += "Separator=,\r\n";
    text += "SQLSep=;\r\n";
    text += std::string("Widths=") + (fixedWidth ? FixedWidthsText : "") + "\r\n";
    text += "Commit=1\r\n";
    text += std::string("WithSeparators=") + (fixedWidth ? "0" : "1") + "\r\n";
    text += "ColumnNames=1\r\n";
    text += "CommitSize=250\r\n";
    text += "nColumns=5\r\n";
    const std::array<std::pair<const char*, const char*>, 5> columns = {
        {{"id", ""}, {"name", "'"}, {"amount", ""}, {"word", "'"}, {"note", "'"}}};
    for (std::size_t k = 0; k < columns.size(); ++k) {
        text += "Column" + std::to_string(k) + "=" + columns[k].first + "\r\n";
        text += "Quote" + std::to_string(k) + "=" + columns[k].second + "\r\n";
    }
    return text;
}

} // namespace SourceGenerator
