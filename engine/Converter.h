#pragma once

#include "OutputFile.h"
#include "Project.h"
#include "SourceReader.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Receives the status text (valid only during the call) and a percentage.
using ProgressFn = void (*)(const char* status, int percent);

// The conversion engine: reads the source named by the project line by line,
// splits each line into fields and writes one INSERT statement per data line.
class CConverter {
  public:
    CConverter() = default;
    CConverter(const CConverter&) = delete;
    CConverter& operator=(const CConverter&) = delete;
    virtual ~CConverter();

    CProject* Project = nullptr;  // not owned
    std::uint64_t BytesRead = 0;  // source bytes consumed, counting 2 per line end
    std::string InsertPrefix;     // statement text up to and including "values("
    std::uint64_t SourceSize = 0; // size of the open source

    // 0 done; -1 the source cannot be opened; -2 the target cannot be created,
    // or names the source or the project file itself; -3 the project names no
    // table. Throws DataError when a table or column name cannot be written.
    int Open(bool withTarget);
    // Closes what Open opened. Throws FileError when the script cannot be completed.
    int Close(bool withTarget);
    // The next source line; false at the end. Throws FileError on a read error.
    bool ReadLine(std::string& line);
    // Fills fields with exactly this line's fields.
    void SplitLine(std::string_view line, std::vector<std::string>& fields) const;
    // "'" unless the value looks numeric.
    static std::string DetectQuote(std::string_view value);
    // Column names from the source's first line and, when quotes is given, one
    // quotation mark per column from its second line. A source that can be
    // read only once (a pipe) stays open, and the run goes on from what this read.
    // Throws FileError when reading fails, DataError for a NUL byte in a name.
    void DiscoverColumns(std::vector<std::string>& names, std::vector<std::string>* quotes);
    // Discovers the columns into the project, keeping the target name and
    // quotation of every column whose source name is still there.
    void DiscoverProjectColumns();

    static bool NeedsQuoting(std::string_view name);
    void BuildInsertPrefix();
    int WriteRow(const std::vector<std::string_view>& fields);
    int WriteRow(const std::vector<std::string>& fields);
    int WriteCommit();
    // 0 after a completed run; -1 when Open failed. Throws FileError when a
    // read or write fails midway, DataError when a line holds a NUL byte; both
    // files are closed then, and the target is as it was before the run.
    int Run(ProgressFn progress);

    // Why the last Open failed: its result, the file and the system's reason.
    struct OpenFailure {
        int Result = 0;
        std::string File;
        std::string Reason;
    };
    const OpenFailure& LastOpenFailure() const { return OpenFailed; }

    // Lines read by the last run, the header line included.
    std::uint64_t LinesRead = 0;

  private:
    bool ReadLineView(std::string_view& line);
    void SplitLineViews(std::string_view line, std::vector<std::string_view>& fields) const;
    void WriteLineRow(std::string_view line, const class SeparatedRow* singlePass);
    void WriteValue(std::string_view value, std::size_t column);
    void WriteLongValue(std::string_view value, std::string_view mark);
    void WriteRowEnd();
    void WriteTerminator();
    void Report(ProgressFn progress, std::uint64_t lineNumber);
    [[noreturn]] void ThrowNulByte(std::string_view line, std::uint64_t lineNumber) const;

    SourceReader SourceFile;
    OutputFile TargetFile;
    OpenFailure OpenFailed;
    char StatusText[96] = {};
};
