// Line reading and splitting, in both modes, with quoted fields and trimming
// drawn as well: every physical line of arbitrary bytes comes out as the
// text-mode rules say and is cut as the reading rules say; every record (blank
// lines skipped, lines joined while a quoted field is open) comes out of
// ReadValues with its values and the line where it began.
#include "Converter.h"
#include "ConverterProbe.h"
#include "DataError.h"
#include "FuzzSupport.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    CProject project;
    project.WithSeparators = input.ConsumeBool() ? 1 : 0;
    project.Separator = input.ConsumeBool() ? fuzz::PickSeparator(input) : input.ConsumeRandomLengthString(8);
    project.Widths = fuzz::PickWidths(input);
    project.QuotedFields = input.ConsumeBool() ? 1 : 0;
    project.Trim = input.ConsumeBool() ? 1 : 0;
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    if (fuzz::StartsWithUtf16Mark(bytes))
        return -1; // decoded text: fuzz_decode's part

    static const std::string source = fuzz::TempPath("lines.txt");
    WriteFile(source, bytes);
    project.FileName = source;
    fuzz::ReadRules rules;
    rules.WithSeparators = project.WithSeparators != 0;
    rules.Separator = project.Separator == "<tab>" ? "\t" : project.Separator;
    rules.Widths = fuzz::ReferenceWidths(project.Widths);
    rules.QuotedFields = project.QuotedFields != 0;
    rules.Trim = project.Trim != 0;

    CConverter converter;
    converter.Project = &project;
    const CConverter::OpenResult opened = converter.Open(false);
    if (rules.Refused()) {
        fuzz::Check(opened == CConverter::OpenResult::SettingsFailed, "unusable widths or separator taken");
        return 0;
    }
    fuzz::Check(opened == CConverter::OpenResult::Done, "Open failed");
    fuzz::Check(rules.WithSeparators || converter.Settings().Widths == rules.Widths, "widths");
    ConverterProbe probe(converter);

    // Physical lines, each cut on its own.
    const std::vector<fuzz::SourceLine> expected = fuzz::ReferenceSourceLines(bytes);
    std::vector<std::string> reused; // one list for all lines, as the run keeps it
    std::uint64_t bytesExpected = 0;
    std::size_t count = 0;
    std::string line;
    while (probe.ReadLine(line)) {
        fuzz::Check(count < expected.size(), "more lines than the source holds");
        fuzz::Check(line == expected[count].Text, "line differs", std::to_string(count));
        bytesExpected += line.size() + 2;
        probe.SplitLine(line, reused);
        fuzz::Check(reused == fuzz::ReferenceValues(line, rules), "fields differ", std::to_string(count));
        ++count;
    }
    fuzz::Check(line.empty(), "end of file left a line");
    fuzz::Check(count == expected.size(), "lines missing");
    fuzz::Check(converter.BytesRead == bytesExpected + 2, "BytesRead");
    converter.Close(false);

    // Records.
    const std::vector<fuzz::SourceRecord> records = fuzz::ReferenceRecords(expected, rules);
    fuzz::Check(converter.Open(false) == CConverter::OpenResult::Done, "second Open failed");
    count = 0;
    try {
        while (converter.ReadValues(reused)) {
            const std::string where = "record " + std::to_string(count);
            fuzz::Check(count < records.size(), "more records than the source holds");
            fuzz::Check(converter.RecordLine == records[count].FirstLine, "RecordLine", where);
            fuzz::Check(reused == fuzz::ReferenceValues(records[count].Text, rules), "values differ", where);
            ++count;
        }
        fuzz::Check(count == records.size(), "records missing");
        // Joined or not, every line counts its bytes and 2 for its end, as ReadLine counts them.
        fuzz::Check(converter.BytesRead == bytesExpected + 2, "BytesRead of the records");
    } catch (const DataError&) {
        // A NUL byte in the later lines of a record is found as they are joined.
        fuzz::Check(count < records.size() && fuzz::HoldsStopByte(records[count].Text),
                    "DataError without a NUL byte in the record");
    }
    converter.Close(false);
    return 0;
}
