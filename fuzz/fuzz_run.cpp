// A whole run on arbitrary bytes, with quoted fields, trimming and empty values
// as NULL drawn as well: the script holds one well-formed INSERT per record
// (every literal and quoted name closed inside it) with the values the reading
// rules give, the COMMITs where the interval puts them, and the very bytes the
// general writer gives. A NUL byte in the data or in a name stops the run with
// DataError and leaves the target as it was. Discovery finds the names and
// marks the rules give, keeping what the project knew of each source name.
#include "Converter.h"
#include "ConverterProbe.h"
#include "DataError.h"
#include "FuzzSupport.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

std::uint64_t CommitInterval(const CProject& project)
{
    return static_cast<std::uint64_t>(project.CommitSize < 0 ? -std::int64_t{project.CommitSize}
                                                             : std::int64_t{project.CommitSize});
}

// The script of the general writer: every record cut by ReadValues and written by WriteRow.
std::string GeneralWriterScript(CProject project, const std::string& target)
{
    project.TargetName = target;
    CConverter converter;
    converter.Project = &project;
    fuzz::Check(converter.Open(true) == CConverter::OpenResult::Done, "general writer: Open failed");
    ConverterProbe probe(converter);
    const bool header = project.ColumnNames != 0;
    const std::uint64_t interval = CommitInterval(project);
    std::vector<std::string> values;
    for (std::uint64_t i = 0; converter.ReadValues(values); ++i) {
        if (header && i == 0)
            continue;
        probe.WriteRow(values);
        if (interval > 0 && (i + 1) % interval == 0)
            probe.WriteCommit();
    }
    probe.WriteCommit();
    converter.Close(true);
    return ReadFile(target);
}

void CheckDiscovery(CConverter& converter, CProject& project, const std::vector<fuzz::SourceRecord>& records,
                    const fuzz::ReadRules& rules)
{
    const CProject before = project;
    const bool header = project.ColumnNames != 0;
    std::vector<std::string> names;
    std::vector<std::string> quotes;
    fuzz::ReferenceDiscovery(records, rules, header, CConverter::SampleRecords, names, quotes);
    bool nulRead = false; // in a record the discovery reads
    for (std::size_t r = 0; r < records.size() && r <= CConverter::SampleRecords; ++r)
        nulRead = nulRead || fuzz::HoldsStopByte(records[r].Text);
    try {
        converter.DiscoverProjectColumns();
    } catch (const DataError&) {
        fuzz::Check(nulRead, "discovery: DataError without a NUL byte");
        fuzz::Check(project.Columns == before.Columns && project.Quotes == before.Quotes &&
                        project.SourceColumns == before.SourceColumns,
                    "discovery: a stopped discovery changed the columns");
        return;
    }
    fuzz::Check(!header || records.empty() || !fuzz::HoldsStopByte(records[0].Text),
                "discovery: a column name with a NUL byte was taken");
    std::vector<std::string> columns;
    std::vector<std::string> marks;
    fuzz::ReferenceMerge(before.Columns, before.Quotes, before.SourceColumns, names, quotes, columns, marks);
    fuzz::Check(project.SourceColumns == names, "discovery: source names");
    fuzz::Check(project.Columns == columns, "discovery: target names");
    fuzz::Check(project.Quotes == marks, "discovery: marks");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    CProject project;
    project.TableName = input.ConsumeRandomLengthString(16);
    project.Separator = fuzz::PickSeparator(input);
    project.WithSeparators = input.ConsumeIntegralInRange(0, 3) != 0 ? 1 : 0;
    project.Widths = fuzz::PickWidths(input);
    project.ColumnNames = input.ConsumeBool() ? 1 : 0;
    project.Commit = input.ConsumeBool() ? 1 : 0;
    project.CommitSize = input.ConsumeIntegralInRange(-4, 6);
    const std::string separators[] = {";", "GO", ""};
    project.SQLSep = separators[input.ConsumeIntegralInRange(0, 2)];
    project.QuotedFields = input.ConsumeBool() ? 1 : 0;
    project.Trim = input.ConsumeBool() ? 1 : 0;
    project.EmptyIsNull = input.ConsumeBool() ? 1 : 0;
    const bool discover = input.ConsumeBool();
    // Columns of the project; when discovering, the earlier ones whose names the source may repeat.
    const std::size_t columnCount = input.ConsumeIntegralInRange<std::size_t>(0, 5);
    for (std::size_t i = 0; i < columnCount; ++i) {
        project.Columns.push_back(input.ConsumeRandomLengthString(10));
        if (input.ConsumeIntegralInRange(0, 7) != 0)
            project.Quotes.push_back(fuzz::PickMark(input));
        if (discover && input.ConsumeBool())
            project.SourceColumns.push_back(input.ConsumeRandomLengthString(10));
    }
    if (project.SourceColumns.size() != project.Columns.size())
        project.SourceColumns.clear();
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    if (fuzz::StartsWithUtf16Mark(bytes))
        return -1; // decoded text: fuzz_decode's part

    static const std::string source = fuzz::TempPath("run.txt");
    static const std::string target = fuzz::TempPath("run.sql");
    static const std::string generalTarget = fuzz::TempPath("general.sql");
    WriteFile(source, bytes);
    project.FileName = source;
    project.TargetName = target;

    fuzz::ReadRules rules;
    rules.WithSeparators = project.WithSeparators != 0;
    rules.Separator = project.Separator == "<tab>" ? "\t" : project.Separator;
    rules.Widths = fuzz::ReferenceWidths(project.Widths);
    rules.QuotedFields = project.QuotedFields != 0;
    rules.Trim = project.Trim != 0;
    const std::vector<fuzz::SourceLine> lines = fuzz::ReferenceSourceLines(bytes);
    const std::vector<fuzz::SourceRecord> records = fuzz::ReferenceRecords(lines, rules);
    if (rules.Refused()) {
        CConverter refusing;
        refusing.Project = &project;
        fuzz::Check(refusing.Run() == CConverter::OpenResult::SettingsFailed,
                    "unusable widths or separator taken");
        return 0;
    }

    CConverter converter;
    converter.Project = &project;
    if (discover)
        CheckDiscovery(converter, project, records, rules);

    bool nulInNames = fuzz::HoldsNul(project.TableName);
    for (const std::string& column : project.Columns)
        nulInNames = nulInNames || fuzz::HoldsNul(column);
    bool nulInData = false;
    for (const fuzz::SourceRecord& record : records)
        nulInData = nulInData || fuzz::HoldsStopByte(record.Text);

    const std::string earlier = "-- the script of an earlier run\r\n";
    WriteFile(target, earlier);
    CConverter::OpenResult result = CConverter::OpenResult::Done;
    bool dataError = false;
    try {
        result = converter.Run();
    } catch (const DataError&) {
        dataError = true;
    }
    if (project.TableName.empty()) {
        fuzz::Check(!dataError && result == CConverter::OpenResult::SettingsFailed,
                    "a project without a table ran");
        fuzz::Check(ReadFile(target) == earlier, "a run that did not start changed the target");
        return 0;
    }
    fuzz::Check(dataError == (nulInNames || nulInData), "DataError but for a NUL byte in a name or the data",
                std::string(dataError ? "thrown" : "not thrown"));
    if (dataError) {
        fuzz::Check(ReadFile(target) == earlier, "a stopped run changed the target");
        return 0;
    }
    fuzz::Check(result == CConverter::OpenResult::Done, "Run failed");
    fuzz::Check(rules.WithSeparators || converter.Settings().Widths == rules.Widths, "widths");
    fuzz::Check(converter.LinesRead == lines.size(), "LinesRead");
    std::uint64_t bytesRead = 2; // the read that finds the end counts a line end too
    for (const fuzz::SourceLine& line : lines)
        bytesRead += line.Text.size() + 2;
    fuzz::Check(converter.BytesRead == bytesRead, "BytesRead");

    const std::string script = ReadFile(target);
    std::vector<fuzz::Statement> statements;
    std::string error;
    fuzz::ScriptReader reader(script, project.SQLSep);
    fuzz::Check(reader.ReadAll(statements, error), "malformed script:", error);

    const bool header = project.ColumnNames != 0;
    const std::size_t columns = project.Columns.size();
    const std::uint64_t interval = CommitInterval(project);
    CConverter::RaggedLines shortLines;
    CConverter::RaggedLines longLines;
    std::size_t next = 0;
    auto expectCommit = [&](const char* where) {
        fuzz::Check(next < statements.size() && statements[next].commit, "COMMIT missing", where);
        ++next;
    };
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (header && i == 0)
            continue;
        const std::string where =
            "record " + std::to_string(i) + " (line " + std::to_string(records[i].FirstLine) + ")";
        fuzz::Check(next < statements.size(), "statement missing for", where);
        const fuzz::Statement& row = statements[next++];
        fuzz::Check(!row.commit, "COMMIT where a row belongs", where);
        fuzz::Check(row.table == project.TableName, "table name");
        fuzz::Check(fuzz::SameColumns(row.columns, project.Columns), "column names");
        const std::vector<std::string> values = fuzz::ReferenceValues(records[i].Text, rules);
        fuzz::CheckRow(row.values,
                       fuzz::ExpectedRow(values, project.Columns, project.Quotes, project.EmptyIsNull != 0),
                       where);
        if (columns > 0 && values.size() != columns)
            (values.size() < columns ? shortLines : longLines).Add(records[i].FirstLine);
        if (project.Commit && interval > 0 && (i + 1) % interval == 0)
            expectCommit("interval");
    }
    if (project.Commit)
        expectCommit("final");
    fuzz::Check(next == statements.size(), "statements beyond the records");
    fuzz::Check(converter.ShortLines.Count == shortLines.Count &&
                    converter.ShortLines.FirstLine == shortLines.FirstLine,
                "ShortLines");
    fuzz::Check(converter.LongLines.Count == longLines.Count &&
                    converter.LongLines.FirstLine == longLines.FirstLine,
                "LongLines");
    fuzz::Check(GeneralWriterScript(project, generalTarget) == script,
                "the single pass and the general writer give different bytes");
    return 0;
}
