#pragma once

#include "FieldSplitter.h"
#include "OutputFile.h"
#include "Project.h"
#include "QuotedFields.h"
#include "SourceReader.h"
#include "SqlDialect.h"
#include "TextRules.h"

#include <cstdint>
#include <cstring>
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
    // table or an unknown encoding. Throws DataError when a table or column
    // name cannot be written.
    int Open(bool withTarget);
    // Closes what Open opened. Throws FileError when the script cannot be completed.
    int Close(bool withTarget);
    // The next source line; false at the end. Throws FileError on a read error.
    bool ReadLine(std::string& line);
    // The next record, cut into its values as the run cuts them: a line that is
    // not blank, joined with the lines after it while a quoted field is open.
    // False at the end. RecordLine tells where it began.
    bool ReadValues(std::vector<std::string>& values);
    std::uint64_t RecordLine = 0;
    // Fills fields with exactly this line's values (quoted fields and blanks
    // around values as the project says).
    void SplitLine(std::string_view line, std::vector<std::string>& fields);
    // "'" unless the value is empty or would stand bare as a plain number.
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
    // One INSERT statement with as many values as there are columns (with no
    // columns, every field): missing ones NULL, extra ones left out.
    int WriteRow(const std::vector<std::string_view>& fields);
    int WriteRow(const std::vector<std::string>& fields);
    // Ends the open statement and writes COMMIT when the project asks for
    // COMMITs; in a dialect, only and always to end an open transaction.
    int WriteCommit();
    // The type for CREATE TABLE that each column's values call for, read from
    // at most `records` data records of the source (the run's own pass reads
    // a regular file whole). Empty when the source cannot be opened.
    std::vector<std::string> InferColumnTypes(std::uint64_t records);
    // 0 after a completed run; -1 when Open failed. Throws FileError when a
    // read or write fails midway, DataError when a line holds a NUL byte, and
    // passes on whatever `progress` throws (the way to stop a run); both files
    // are closed then, and the target is as it was before the run.
    int Run(ProgressFn progress);

    // Why the last Open failed: its result, the file and the system's reason.
    struct OpenFailure {
        int Result = 0;
        std::string File;
        std::string Reason;
    };
    const OpenFailure& LastOpenFailure() const { return OpenFailed; }

    // Per column, its name as the script writes it (WrittenColumnNames), known after Open.
    const std::vector<std::string>& WrittenNames() const { return Names; }

    // Lines read by the last run, the header line included.
    std::uint64_t LinesRead = 0;
    // Rows the last run wrote: its records, without the header and blank lines.
    std::uint64_t RowsWritten = 0;

    // Records whose value count differs from the column count, in the last run.
    struct RaggedLines {
        std::uint64_t Count = 0;
        std::uint64_t FirstLine = 0; // the physical line where the first one began
        void Add(std::uint64_t line)
        {
            if (Count++ == 0)
                FirstLine = line;
        }
    };
    // What the front ends say after the last run besides the counts (the
    // dialect's LiteralSafety::BackslashNote), or null.
    const char* Note = nullptr;

    RaggedLines ShortLines; // fewer values: the missing ones are written as NULL
    RaggedLines LongLines;  // more values: the extra ones are not written

    // Records the column discovery looks at for the quotation of each column.
    static constexpr int SampleRecords = 1000;

  private:
    bool ReadLineView(std::string_view& line);
    // The next record that is not blank; `whole`: joined with the lines after it
    // while a quoted field is open at its end (else the caller does that).
    bool ReadRecordView(std::string_view& record, bool whole = true);
    // Joins the record with the lines after it while a quoted field is open.
    void CompleteRecord(std::string_view& record);
    // Extends the record by the next line; false at the end of the source.
    // Throws DataError for a NUL byte in the line.
    bool ContinueRecord(std::string_view& record);
    // Cuts a record into its values by the project's settings, calling emit(value).
    template <class Emit> void SplitRecord(std::string_view record, Emit&& emit)
    {
        const bool trim = Project->Trim != 0;
        auto take = [&](std::string_view value) { emit(trim ? TrimBlanks(value) : value); };
        const std::string_view separator = Project->FieldSeparator();
        if (Project->QuotedFields != 0 && Project->WithSeparators != 0 && !separator.empty())
            SplitQuotedFields(record, separator, Scratch, take);
        else
            SplitFields(record, Project->WithSeparators != 0, separator, Project->WidthList,
                        SourceFile.TextEncoding() != SourceEncoding::Bytes, take);
    }
    // Writes the record's statement; a record the single pass finds open at its
    // end is extended first. Gives the record's value count.
    std::size_t WriteRecordRow(std::string_view& record, const class SeparatedRow* singlePass);
    void WriteValue(std::string_view value, std::size_t column);
    // Writes the k-th value of a row; one beyond the last column is left out.
    void WriteRowValue(std::string_view value, std::size_t k);
    // Ends a row of `count` values: each missing one is NULL.
    void EndRow(std::size_t count);
    void WriteLongValue(std::string_view value, std::string_view mark);
    // A value written as text in the record holds a backslash.
    bool WritesBackslash(std::string_view record);
    // A literal of the value's bytes in hexadecimal after HexPrefix.
    void WriteHexLiteral(std::string_view value);
    // The value as pieces that no client reads otherwise (LiteralSafety::CharFunction).
    void WriteCutLiteral(std::string_view value, std::string_view open);
    void WriteRowEnd();
    void WriteTerminator();
    // The statements around the rows (ConverterStatements.cpp).
    void PrepareStatements();
    const std::string& StartRow();
    void WriteStatement(std::string_view text);
    void WriteScriptHead();
    void CloseStatement();
    // After a failure, ends a script written into a stream so that no client
    // runs a partial statement or keeps the open transaction.
    void EndFailedStream();
    void WriteCopyValue(std::string_view value, std::size_t column);
    // The column's marks as this dialect writes literals: a database reads text
    // only between apostrophes.
    std::vector<std::string> LiteralMarks() const;
    // The run's pass over the source for the CREATE TABLE types.
    void ReadTypes(ProgressFn progress);
    std::vector<class ColumnTypeGuess> GuessTypes(std::uint64_t records, ProgressFn progress);
    void Report(ProgressFn progress, std::uint64_t lineNumber);
    // A byte that stops the run: NUL, or Ctrl-Z (byte 26) other than as the
    // source's last byte. SQL clients cut their input at a NUL byte, Windows
    // clients at a Ctrl-Z, so that the rest of a value would run as SQL.
    bool HoldsStopByte(std::string_view text) const
    {
        return std::memchr(text.data(), '\0', text.size()) ||
               (SourceFile.HoldsControlZ() && std::memchr(text.data(), 26, text.size()));
    }
    [[noreturn]] void ThrowStopByte(std::string_view record, std::uint64_t lineNumber);

    SourceReader SourceFile;
    OutputFile TargetFile;
    OpenFailure OpenFailed;
    std::string Scratch; // a quoted value with doubled quotes, put together
    // How the run writes its statements, taken from the project by Open.
    SqlDialect Dialect = SqlDialect::Generic;
    bool CopyOutput = false; // COPY ... FROM stdin instead of INSERT
    std::size_t RowsPerStatement = 1;
    char EscapeByte = '\'';             // doubled in literals besides the apostrophe and the mark
    const char* HexPrefix = nullptr;    // text beyond ASCII in hexadecimal after this (LiteralSafety)
    const char* CharFunction = nullptr; // literals cut at line ends and "$(" (LiteralSafety)
    std::string RowSeparator;           // between two rows of one INSERT
    std::string CopyHeader;             // the COPY statement that a block of rows follows
    std::vector<std::string> Types;     // per column, for CREATE TABLE
    // Per column: an empty value is NULL, as a column of a type other than text
    // cannot take an empty text.
    std::vector<bool> EmptyAsNull;
    bool HeadWritten = false;
    bool InTransaction = false;
    std::size_t RowsInStatement = 0; // rows of the INSERT or COPY block being written
    std::vector<std::string> Names;  // per column, as the script writes it
    // Per column: its target name is empty, so that it is left out of the script.
    std::vector<bool> LeftOut;
    std::size_t FirstKept = 0; // the first column written
    char StatusText[96] = {};
};
