// Project file round trip: whatever a project file held before, what Save
// writes into it Load reads back, for every value within the format's limits:
//   texts without LF or byte 26 (both end a line or the file), read whole;
//   the flags Commit, WithSeparators, ColumnNames, QuotedFields, Trim, EmptyIsNull,
//   CreateTable, DropTable any whole number; CommitSize within its range,
//   RowsPerInsert from 1 to 10,000; Encoding, Dialect and Output one of their
//   names in any letter case (the values the key table takes).
#include "FuzzSupport.h"
#include "ProfileFile.h"
#include "Project.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

// One of the names a key takes, as the fuzzer picks it.
std::string OneOf(FuzzedDataProvider& input, std::initializer_list<const char*> names)
{
    const std::size_t at = input.ConsumeIntegralInRange<std::size_t>(0, names.size() - 1);
    return *(names.begin() + at);
}

std::string Text(FuzzedDataProvider& input, std::size_t longest = 259)
{
    std::string text = input.ConsumeRandomLengthString(longest);
    for (char& c : text) {
        if (c == '\n' || c == '\x1a')
            c = ' ';
    }
    while (text.size() > 258 && ProfileFile::EncodeValue(text).size() > text.size())
        text.pop_back();
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string before = input.ConsumeRandomLengthString(2000);

    CProject saved;
    saved.FileName = Text(input);
    saved.TargetName = Text(input);
    saved.TableName = Text(input);
    saved.Separator = Text(input);
    saved.SQLSep = Text(input);
    saved.Widths = Text(input);
    saved.Commit = input.ConsumeIntegral<std::int32_t>();
    saved.WithSeparators = input.ConsumeIntegralInRange(-9, 99);
    saved.ColumnNames = input.ConsumeIntegralInRange(-9, 99);
    saved.CommitSize = input.ConsumeIntegralInRange(-1000000000, 1000000000);
    saved.QuotedFields = input.ConsumeIntegralInRange(-9, 99);
    saved.Trim = input.ConsumeIntegralInRange(-9, 99);
    saved.EmptyIsNull = input.ConsumeIntegralInRange(-9, 99);
    saved.Encoding = OneOf(input, {"", "UTF-8", "windows-1252", "ISO-8859-1", "utf-16le", "UTF-16BE"});
    saved.Dialect = OneOf(input, {"", "PostgreSQL", "mysql", "MariaDB", "SQLITE", "SQLServer"});
    saved.RowsPerInsert = input.ConsumeIntegralInRange(1, 10000);
    saved.CreateTable = input.ConsumeIntegralInRange(-9, 99);
    saved.DropTable = input.ConsumeIntegralInRange(-9, 99);
    saved.Output = OneOf(input, {"insert", "copy", "COPY", ""});
    const std::size_t columns = input.ConsumeIntegralInRange<std::size_t>(0, 12);
    const bool withSources = input.ConsumeBool();
    for (std::size_t i = 0; i < columns; ++i) {
        saved.Columns.push_back(Text(input, 40));
        if (input.ConsumeIntegralInRange(0, 7) != 0) // a short quotation list now and then
            saved.Quotes.push_back(Text(input, 4));
        if (input.ConsumeBool()) // a short type list now and then
            saved.Types.push_back(Text(input, 40));
        if (withSources)
            saved.SourceColumns.push_back(input.ConsumeBool() ? saved.Columns.back() : Text(input, 40));
    }

    static const std::string path = fuzz::TempPath("project.cvtproj");
    WriteFile(path, before);
    saved.ProjectPath = path;
    fuzz::Check(saved.Save(), "Save failed");

    CProject loaded;
    loaded.ProjectPath = path;
    fuzz::Check(loaded.Load(), "Load failed");
    fuzz::Check(loaded.FileName == saved.FileName, "FileName");
    fuzz::Check(loaded.TargetName == saved.TargetName, "TargetName");
    fuzz::Check(loaded.TableName == saved.TableName, "TableName");
    fuzz::Check(loaded.Separator == saved.Separator, "Separator");
    fuzz::Check(loaded.SQLSep == saved.SQLSep, "SQLSep");
    fuzz::Check(loaded.Widths == saved.Widths, "Widths");
    fuzz::Check(loaded.Commit == saved.Commit, "Commit");
    fuzz::Check(loaded.WithSeparators == saved.WithSeparators, "WithSeparators");
    fuzz::Check(loaded.ColumnNames == saved.ColumnNames, "ColumnNames");
    fuzz::Check(loaded.CommitSize == saved.CommitSize, "CommitSize");
    fuzz::Check(loaded.QuotedFields == saved.QuotedFields, "QuotedFields");
    fuzz::Check(loaded.Trim == saved.Trim, "Trim");
    fuzz::Check(loaded.EmptyIsNull == saved.EmptyIsNull, "EmptyIsNull");
    fuzz::Check(loaded.Encoding == saved.Encoding, "Encoding");
    fuzz::Check(loaded.Dialect == saved.Dialect, "Dialect");
    fuzz::Check(loaded.RowsPerInsert == saved.RowsPerInsert, "RowsPerInsert");
    fuzz::Check(loaded.CreateTable == saved.CreateTable, "CreateTable");
    fuzz::Check(loaded.DropTable == saved.DropTable, "DropTable");
    fuzz::Check(loaded.Output == saved.Output, "Output");
    fuzz::Check(loaded.Columns == saved.Columns, "Columns");
    fuzz::Check(loaded.Quotes.size() == saved.Columns.size(), "one quotation per column");
    for (std::size_t i = 0; i < saved.Columns.size(); ++i) {
        const std::string quote = i < saved.Quotes.size() ? saved.Quotes[i] : std::string();
        fuzz::Check(loaded.Quotes[i] == quote, "Quote", std::to_string(i));
        const std::string type = i < saved.Types.size() ? saved.Types[i] : std::string();
        fuzz::Check(loaded.Types.size() == saved.Columns.size() && loaded.Types[i] == type, "Type",
                    std::to_string(i));
        fuzz::Check(loaded.SourceColumnName(i) == saved.SourceColumnName(i), "Source", std::to_string(i));
    }

    // Saving what was loaded changes nothing more.
    const std::string first = ReadFile(path);
    fuzz::Check(loaded.Save(), "second Save failed");
    fuzz::Check(ReadFile(path) == first, "second Save changed the file");
    return 0;
}
