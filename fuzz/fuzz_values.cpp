// DetectQuote and the values writer: one row of hostile names and values is
// written as exactly one well-formed INSERT whose values read back unchanged.
#include "Converter.h"
#include "FuzzSupport.h"
#include "NumberText.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    CProject project;
    project.TableName = input.ConsumeRandomLengthString(20);
    const std::string separators[] = {";", "GO", ""};
    project.SQLSep = separators[input.ConsumeIntegralInRange(0, 2)];
    project.Commit = input.ConsumeBool() ? 1 : 0;
    const std::size_t columns = input.ConsumeIntegralInRange<std::size_t>(0, 6);
    for (std::size_t i = 0; i < columns; ++i) {
        project.Columns.push_back(input.ConsumeRandomLengthString(12));
        if (input.ConsumeIntegralInRange(0, 7) != 0) // now and then a column without a mark entry
            project.Quotes.push_back(fuzz::PickMark(input));
    }
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
    CConverter converter;
    converter.Project = &project;
    fuzz::Check(converter.Open(true) == 0, "Open failed");
    converter.WriteRow(fields);
    converter.WriteCommit();
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
    fuzz::Check(row.values.size() == fields.size(), "value count");
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const std::string mark = k < project.Quotes.size() ? project.Quotes[k] : std::string();
        fuzz::Check(fuzz::SameValue(row.values[k], fields[k], mark), "value differs", std::to_string(k));
    }
    if (project.Commit)
        fuzz::Check(statements[1].commit, "COMMIT missing");
    return 0;
}
