// A whole run on arbitrary bytes: the script holds one well-formed INSERT per
// data line (every literal and quoted name closed inside it), each with that
// line's fields unchanged, and the COMMITs where the interval puts them.
#include "Converter.h"
#include "FuzzSupport.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

std::string PickSeparator(FuzzedDataProvider& input)
{
    switch (input.ConsumeIntegralInRange(0, 4)) {
    case 0:
        return "<tab>";
    case 1:
        return ",";
    case 2:
        return "|";
    case 3:
        return ";";
    default:
        return input.ConsumeRandomLengthString(3);
    }
}

void IgnoreProgress(const char*, int) {}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    CProject project;
    project.TableName = input.ConsumeRandomLengthString(16);
    project.Separator = PickSeparator(input);
    project.WithSeparators = input.ConsumeIntegralInRange(0, 3) != 0 ? 1 : 0;
    project.Widths = input.ConsumeRandomLengthString(16);
    project.ColumnNames = input.ConsumeBool() ? 1 : 0;
    project.Commit = input.ConsumeBool() ? 1 : 0;
    project.CommitSize = input.ConsumeIntegralInRange(-4, 6);
    const std::string separators[] = {";", "GO", ""};
    project.SQLSep = separators[input.ConsumeIntegralInRange(0, 2)];
    const bool discover = input.ConsumeBool();
    // Columns of the project; when discovering, the earlier ones whose names the source may repeat.
    const std::size_t columns = input.ConsumeIntegralInRange<std::size_t>(0, 5);
    for (std::size_t i = 0; i < columns; ++i) {
        project.Columns.push_back(input.ConsumeRandomLengthString(10));
        if (input.ConsumeIntegralInRange(0, 7) != 0)
            project.Quotes.push_back(fuzz::PickMark(input));
        if (discover && input.ConsumeBool())
            project.SourceColumns.push_back(input.ConsumeRandomLengthString(10));
    }
    if (project.SourceColumns.size() != project.Columns.size())
        project.SourceColumns.clear();
    const std::string bytes = input.ConsumeRemainingBytesAsString();

    static const std::string source = fuzz::TempPath("run.txt");
    static const std::string target = fuzz::TempPath("run.sql");
    WriteFile(source, bytes);
    project.FileName = source;
    project.TargetName = target;

    CConverter converter;
    converter.Project = &project;
    if (discover) {
        const CProject before = project;
        converter.DiscoverProjectColumns();
        fuzz::Check(project.Quotes.size() == project.Columns.size(), "discovery: one mark per column");
        fuzz::Check(project.SourceColumns.size() == project.Columns.size(),
                    "discovery: one source name each");
        // A column keeps its earlier target name and mark only when its source name was there before.
        for (std::size_t i = 0; i < project.Columns.size(); ++i) {
            if (project.Columns[i] == project.SourceColumns[i])
                continue;
            bool known = false;
            for (std::size_t j = 0; j < before.Columns.size() && !known; ++j)
                known = before.SourceColumnName(j) == project.SourceColumns[i] &&
                        before.Columns[j] == project.Columns[i];
            fuzz::Check(known, "discovery: a target name from nowhere", std::to_string(i));
        }
    }
    fuzz::Check(converter.Run(IgnoreProgress) == 0, "Run failed");

    const std::vector<std::string> lines = fuzz::ReferenceLines(bytes);
    fuzz::Check(converter.LinesRead == lines.size(), "LinesRead");
    const std::string script = ReadFile(target);
    std::vector<fuzz::Statement> statements;
    std::string error;
    fuzz::ScriptReader reader(script, project.SQLSep);
    fuzz::Check(reader.ReadAll(statements, error), "malformed script:", error);

    std::size_t next = 0;
    auto expectCommit = [&](const char* where) {
        fuzz::Check(next < statements.size() && statements[next].commit, "COMMIT missing", where);
        ++next;
    };
    const std::uint64_t interval =
        static_cast<std::uint64_t>(project.CommitSize < 0 ? -project.CommitSize : project.CommitSize);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (project.ColumnNames != 0 && i == 0)
            continue;
        fuzz::Check(next < statements.size(), "statement missing for line", std::to_string(i));
        const fuzz::Statement& row = statements[next++];
        fuzz::Check(!row.commit, "COMMIT where a row belongs", std::to_string(i));
        fuzz::Check(row.table == project.TableName, "table name");
        fuzz::Check(fuzz::SameColumns(row.columns, project.Columns), "column names");
        const std::vector<std::string> fields = fuzz::ReferenceSplit(
            lines[i], project.WithSeparators != 0, project.FieldSeparator(), project.WidthList);
        fuzz::Check(row.values.size() == fields.size(), "value count", std::to_string(i));
        for (std::size_t k = 0; k < fields.size(); ++k) {
            const std::string mark = k < project.Quotes.size() ? project.Quotes[k] : std::string();
            fuzz::Check(fuzz::SameValue(row.values[k], fields[k], mark), "value differs",
                        std::to_string(i) + ":" + std::to_string(k));
        }
        if (project.Commit && interval > 0 && (i + 1) % interval == 0)
            expectCommit("interval");
    }
    if (project.Commit)
        expectCommit("final");
    fuzz::Check(next == statements.size(), "statements beyond the data lines");
    return 0;
}
