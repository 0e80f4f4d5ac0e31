// DetectQuote and the values writer: one row of hostile names and values is
// written as exactly one well-formed INSERT whose values read back unchanged,
// one per named column when there are columns (NULL where the row ends, extra ones
// left out), empty ones NULL as the project says; a name with a NUL byte stops
// Open with DataError. The single pass writes the fields, joined by a separator
// that none of them holds, as the same bytes.
#include "Converter.h"
#include "ConverterProbe.h"
#include "DataError.h"
#include "FuzzSupport.h"
#include "NumberText.h"
#include "SeparatedRow.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    CProject project;
    project.TableName = input.ConsumeRandomLengthString(20);
    const std::string separators[] = {";", "GO", ""};
    project.SQLSep = separators[input.ConsumeIntegralInRange(0, 2)];
    project.Commit = input.ConsumeBool() ? 1 : 0;
    project.EmptyIsNull = input.ConsumeBool() ? 1 : 0;
    const std::size_t columns = input.ConsumeIntegralInRange<std::size_t>(0, 6);
    for (std::size_t i = 0; i < columns; ++i) {
        project.Columns.push_back(input.ConsumeRandomLengthString(12));
        if (input.ConsumeIntegralInRange(0, 7) != 0) // now and then a column without a mark entry
            project.Quotes.push_back(fuzz::PickMark(input));
    }
    const char separator = static_cast<char>(input.ConsumeIntegral<unsigned char>());
    std::vector<std::string> fields;
    const std::size_t count = input.ConsumeIntegralInRange<std::size_t>(0, 8);
    for (std::size_t i = 0; i < count; ++i)
        fields.push_back(input.ConsumeRandomLengthString(24));

    // DetectQuote marks exactly the values that would not stand bare.
    for (const std::string& field : fields) {
        const std::string mark = CConverter::DetectQuote(field);
        fuzz::Check(mark == (field.empty() || fuzz::ReferencePlainNumber(field) ? "" : "'"), "DetectQuote",
                    field);
        fuzz::Check(IsPlainNumber(field) == fuzz::ReferencePlainNumber(field), "IsPlainNumber", field);
    }

    static const std::string source = fuzz::TempPath("values.txt");
    static const std::string target = fuzz::TempPath("values.sql");
    WriteFile(source, "");
    project.FileName = source;
    project.TargetName = target;
    bool nulInNames = fuzz::HoldsNul(project.TableName);
    for (const std::string& column : project.Columns)
        nulInNames = nulInNames || fuzz::HoldsNul(column);
    CConverter converter;
    converter.Project = &project;
    CConverter::OpenResult opened = CConverter::OpenResult::Done;
    try {
        opened = converter.Open(true);
    } catch (const DataError&) {
        fuzz::Check(nulInNames && !project.TableName.empty(), "DataError without a NUL byte in a name");
        return 0;
    }
    if (project.TableName.empty()) {
        fuzz::Check(opened == CConverter::OpenResult::SettingsFailed, "a project without a table opened");
        return 0;
    }
    fuzz::Check(!nulInNames, "a name with a NUL byte was taken");
    fuzz::Check(opened == CConverter::OpenResult::Done, "Open failed");
    ConverterProbe probe(converter);
    probe.WriteRow(fields);
    probe.WriteCommit();
    converter.Close(true);

    const std::string script = ReadFile(target);
    std::vector<fuzz::Statement> statements;
    std::string error;
    fuzz::ScriptReader reader(script, project.SQLSep);
    fuzz::Check(reader.ReadAll(statements, error), "malformed script:", error);
    fuzz::Check(statements.size() == (project.Commit ? 2u : 1u), "statement count");
    const fuzz::Statement& row = statements[0];
    fuzz::Check(!row.commit, "row is no INSERT");
    fuzz::Check(row.table == project.TableName, "table name");
    fuzz::Check(fuzz::SameColumns(row.columns, project.Columns), "column names");
    fuzz::CheckRow(row.values,
                   fuzz::ExpectedRow(fields, project.Columns, project.Quotes, project.EmptyIsNull != 0),
                   "row");
    if (project.Commit)
        fuzz::Check(statements[1].commit, "COMMIT missing");

    std::string line;
    // The run leaves a row with a column left out to the general writer.
    bool separable = !fields.empty() && project.EmptyIsNull == 0 &&
                     std::find(project.Columns.begin(), project.Columns.end(), "") == project.Columns.end();
    for (std::size_t k = 0; k < fields.size(); ++k) {
        if (k > 0)
            line += separator;
        line += fields[k];
        separable = separable && fields[k].find(separator) == std::string::npos;
    }
    SeparatedRow singlePass;
    const std::size_t columnCount = project.Columns.size();
    if (separable &&
        singlePass.Prepare(std::string_view(&separator, 1), project.Quotes, columnCount, false)) {
        std::string values(singlePass.SizeLimit(line.size()), '\0');
        std::size_t written = 0;
        const char* end = singlePass.Write(values.data(), line, written);
        if (fuzz::HoldsNul(line)) {
            // The run stops at a NUL byte, which the single pass finds as it copies.
            fuzz::Check(end == nullptr && written == 0, "single pass: a NUL byte not reported");
            return 0;
        }
        fuzz::Check(end != nullptr, "single pass: a line without quoted fields left open");
        values.resize(static_cast<std::size_t>(end - values.data()));
        const std::string& prefix = probe.InsertPrefix();
        fuzz::Check(script.compare(0, prefix.size(), prefix) == 0 &&
                        script.compare(prefix.size(), values.size(), values) == 0 &&
                        script.compare(prefix.size() + values.size(), 1, ")") == 0,
                    "the single pass and the general writer give different bytes");
        fuzz::Check(written == (columnCount > 0 ? std::min(fields.size(), columnCount + 1) : fields.size()),
                    "single pass: field count");
    }
    return 0;
}
