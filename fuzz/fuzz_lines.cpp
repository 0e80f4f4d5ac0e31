// Line reading and splitting: every line and every field of arbitrary bytes
// comes out exactly as the text-mode and splitting rules say, in both modes.
#include "Converter.h"
#include "FuzzSupport.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    CProject project;
    project.WithSeparators = input.ConsumeBool() ? 1 : 0;
    project.Separator = input.ConsumeRandomLengthString(8);
    project.Widths = input.ConsumeRandomLengthString(40);
    const std::string bytes = input.ConsumeRemainingBytesAsString();

    static const std::string source = fuzz::TempPath("lines.txt");
    WriteFile(source, bytes);
    project.FileName = source;

    CConverter converter;
    converter.Project = &project;
    fuzz::Check(converter.Open(false) == 0, "Open failed");

    const std::vector<std::string> expected = fuzz::ReferenceLines(bytes);
    std::vector<std::string> reused; // one list for all lines, as the run keeps it
    std::uint64_t bytesExpected = 0;
    std::size_t count = 0;
    std::string line;
    while (converter.ReadLine(line)) {
        fuzz::Check(count < expected.size(), "more lines than the source holds");
        fuzz::Check(line == expected[count], "line differs", std::to_string(count));
        bytesExpected += line.size() + 2;

        converter.SplitLine(line, reused);
        const std::vector<std::string> fields = fuzz::ReferenceSplit(
            line, project.WithSeparators != 0, project.FieldSeparator(), project.WidthList);
        fuzz::Check(reused == fields, "fields differ", std::to_string(count));
        ++count;
    }
    fuzz::Check(line.empty(), "end of file left a line");
    fuzz::Check(count == expected.size(), "lines missing");
    fuzz::Check(converter.BytesRead == bytesExpected + 2, "BytesRead");
    converter.Close(false);
    return 0;
}
