#pragma once

#include "FieldSplitter.h"
#include "FileReplacement.h"
#include "OutputFile.h"
#include "Project.h"
#include "QuotedFields.h"
#include "RunProgress.h"
#include "RunSettings.h"
#include "SourceReader.h"
#include "SqlDialect.h"
#include "TextRules.h"
#include "ValueForm.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// The conversion engine: reads the source named by the project line by line,
// splits each line into fields and writes one INSERT statement per data line.
// Each run, discovery or reading takes the project's settings once, checked,
// into Settings(), and reads only that copy while it goes on.
class CConverter {
  public:
    CConverter() = default;
    CConverter(const CConverter&) = delete;
    CConverter& operator=(const CConverter&) = delete;
    virtual ~CConverter();

    CProject* Project = nullptr;  // not owned
    std::uint64_t BytesRead = 0;  // source bytes consumed, counting 2 per line end
    std::uint64_t SourceSize = 0; // size of the open source

    enum class OpenResult {
        Done,
        SourceFailed,   // the source cannot be opened, or none is named
        TargetFailed,   // the target cannot be created, is none, or is the source or the project file
        SettingsFailed, // a setting no run can use (Key names it), or no table
    };
    // Why the last Open failed: its result, the file, the system's reason, and
    // the project key at fault where a setting is.
    struct OpenFailure {
        OpenResult Result = OpenResult::Done;
        std::string File;
        std::string Reason;
        std::string Key;
    };
    const OpenFailure& LastOpenFailure() const { return OpenFailed; }

    // Takes the settings and opens the source, and for a run the target. Throws
    // DataError when a table or column name cannot be written.
    OpenResult Open(bool withTarget);
    // Closes what Open opened. Throws FileError when the script cannot be completed.
    void Close(bool withTarget);
    // The settings in force since the last Open, discovery or run.
    const RunSettings& Settings() const { return Current; }

    // The next record, cut into its values as the run cuts them: a line that is
    // not blank, joined with the lines after it while a quoted field is open.
    // False at the end. RecordLine tells where it began.
    bool ReadValues(std::vector<std::string>& values);
    // The next record's values as the run writes them: read by the value rules
    // (NullValues, DecimalSeparator, ...), each NULL marker flagged in `nullMarkers`.
    bool ReadRunValues(std::vector<std::string>& values, std::vector<bool>& nullMarkers);
    std::uint64_t RecordLine = 0;
    // For a look at the first records: keeps at most `bytes` of each record read
    // from now on (the rest is dropped as it is read; SourceReader::LimitLines).
    void LimitRecords(std::size_t bytes) { SourceFile.LimitLines(bytes); }
    // Records cut short by that limit since the source was opened.
    std::uint64_t RecordsCut() const { return SourceFile.LinesCut(); }
    // The mark discovery gives a column for this value: "'" unless the value is
    // empty or would stand bare as a plain number.
    static std::string DetectQuote(std::string_view value);
    // Column names from the source's first line and, when quotes is given, one
    // quotation mark per column from its first data records. A source that can be
    // read only once (a pipe) stays open, and the run goes on from what this read.
    // Throws FileError when reading fails, DataError for a NUL byte in a name,
    // SettingsError for settings no reading can use.
    void DiscoverColumns(std::vector<std::string>& names, std::vector<std::string>* quotes);
    // Discovers the columns into the project, keeping the target name and
    // quotation of every column whose source name is still there.
    void DiscoverProjectColumns();
    // The type for CREATE TABLE that each column's values call for, read from
    // at most `records` data records of the source (the run's own pass reads
    // a regular file whole). Empty when the source cannot be opened.
    std::vector<std::string> InferColumnTypes(std::uint64_t records);
    // The columns as the run writes them: the settings' columns with the types
    // and NULL rules the run's own pass over the source gives them (with CREATE
    // TABLE), so that a preview shows NULL exactly where the run writes it.
    // `progress` hears of that pass; what it throws ends it and is passed on.
    std::vector<ColumnSettings> RunColumns(const ProgressCallback& progress = {});
    // Done after a completed run; the failure when Open failed. Throws FileError
    // when a read or write fails midway, DataError when a line holds a NUL byte,
    // and passes on whatever `progress` throws (the way to stop a run); both files
    // are closed then, and the target is as it was before the run.
    OpenResult Run(const ProgressCallback& progress = {});

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
    // dialect's DialectRules::BackslashNote), or null.
    const char* Note = nullptr;

    RaggedLines ShortLines; // fewer values: the missing ones are written as NULL
    RaggedLines LongLines;  // more values: the extra ones are not written

    // Records the column discovery looks at for the quotation of each column.
    static constexpr int SampleRecords = 1000;
    // The most script bytes of an INSERT of several rows (mariadb refuses a
    // statement beyond its max_allowed_packet); a row larger alone.
    static constexpr std::size_t MaxStatementBytes = std::size_t{1} << 20;

  private:
    // Reaches the general writer and the line reader on their own, so that the
    // tests and fuzzers can hold the single pass and the record joining against them.
    friend class ConverterProbe;

    // Takes the project's settings into Current; throws SettingsError.
    void TakeSettings();
    // Reads past the title lines (SkipLines) of a source just opened.
    void SkipTitleLines();
    // For a line that is not blank, while LooksAtRecords: whether it is a comment line to
    // pass over. The header (HeaderNext) is the first line that is none, or a comment line
    // right after title lines (a header written as one), which loses the comment prefix.
    bool PassesOver(std::string_view& line);
    // Fills fields with exactly this line's values.
    void SplitLine(std::string_view line, std::vector<std::string>& fields);
    bool ReadLineView(std::string_view& line);
    // The next record that is neither blank nor a comment line; `whole`: joined with the
    // lines after it while a quoted field is open at its end (else the caller does that).
    bool ReadRecordView(std::string_view& record, bool whole = true);
    // Joins the record with the lines after it while a quoted field is open.
    void CompleteRecord(std::string_view& record);
    // Extends the record by the next line; false at the end of the source.
    // Throws DataError for a NUL byte in the line.
    bool ContinueRecord(std::string_view& record);
    // Cuts a record into its values by the settings, calling emit(value).
    template <class Emit> void SplitRecord(std::string_view record, Emit&& emit)
    {
        const bool trim = Current.Trim;
        auto take = [&](std::string_view value) { emit(trim ? TrimBlanks(value) : value); };
        if (Current.QuotedFields)
            SplitQuotedFields(record, Current.Separator, Scratch, take);
        else
            SplitFields(record, Current.Separated, Current.Separator, Current.Widths,
                        SourceFile.TextEncoding() != SourceEncoding::Bytes, take);
    }
    // Cuts a record as SplitRecord does, each value read by the value rules: emit(ReadValue).
    template <class Emit> void SplitReadValues(std::string_view record, Emit&& emit)
    {
        SplitRecord(record, [&](std::string_view value) { emit(ValueReader.Read(value)); });
    }
    void BuildInsertPrefix();
    // One INSERT statement with as many values as there are columns (with no
    // columns, every field): missing ones NULL, extra ones left out.
    void WriteRow(const std::vector<std::string>& fields);
    // Writes the record's statement; a record the single pass finds open at its
    // end is extended first. Gives the record's value count.
    std::size_t WriteRecordRow(std::string_view& record, const class SeparatedRow* singlePass);
    void WriteValue(std::string_view value, ValueForm form, const ColumnSettings& column);
    // Writes the k-th value of a row (its text, or a ReadValue); one beyond the last column is left out.
    template <class Value> void WriteRowValue(const Value& value, std::size_t k);
    // Ends a row of `count` values: each missing one is NULL.
    void EndRow(std::size_t count);
    // A literal in slices: one too long for the buffer, or one holding a CR that
    // the dialect writes as CarriageReturn.
    void WriteLongValue(std::string_view value, std::string_view mark);
    // A value written as text in the record holds a backslash.
    bool WritesBackslash(std::string_view record);
    // A literal of the value's bytes in hexadecimal after HexPrefix.
    void WriteHexLiteral(std::string_view value);
    // The value as pieces that no client reads otherwise (DialectRules::CharFunction).
    void WriteCutLiteral(std::string_view value, std::string_view open);
    void WriteRowEnd();
    void WriteTerminator();
    // The statements around the rows (ConverterStatements.cpp).
    void PrepareStatements();
    // What opens the next row, of `size` source bytes: the INSERT's head, or
    // the separator from the row before while the statement stays within MaxStatementBytes.
    const std::string& StartRow(std::size_t size);
    // StartRow's text of an INSERT's row, again for a record that went on past its line.
    const std::string& RowOpening(std::size_t size);
    // The most script bytes a row of `size` source bytes takes in an INSERT of
    // several rows, with the text before it and its statement's end.
    std::uint64_t RowSizeLimit(std::size_t size) const;
    void WriteStatement(std::string_view text);
    void WriteScriptHead();
    void CloseStatement();
    void WriteCommit();
    // After a failure, ends a script written into a stream so that no client
    // runs a partial statement or keeps the open transaction.
    void EndFailedStream();
    void WriteCopyValue(std::string_view value, ValueForm form);
    // The run's pass over the source for the CREATE TABLE types.
    void ReadTypes(const ProgressCallback& progress);
    // Copies a source that can be read only once into SourceCopy, from its
    // first line, and gives the path and encoding that read the copy.
    void CopySource(std::string& path, SourceEncoding& encoding, const ProgressCallback& progress);
    std::vector<class ColumnTypeGuess> GuessTypes(std::uint64_t records, const ProgressCallback& progress);
    void Report(const ProgressCallback& progress, RunProgress::Phase phase, std::uint64_t lineNumber);
    // A byte that stops the run: NUL, or Ctrl-Z (byte 26) other than as the
    // source's last byte. SQL clients cut their input at a NUL byte, Windows
    // clients at a Ctrl-Z, so that the rest of a value would run as SQL.
    bool HoldsStopByte(std::string_view text) const
    {
        return std::memchr(text.data(), '\0', text.size()) ||
               (SourceFile.HoldsControlZ() && std::memchr(text.data(), 26, text.size()));
    }
    [[noreturn]] void ThrowStopByte(std::string_view record, std::uint64_t lineNumber);

    RunSettings Current;
    SourceValueReader ValueReader{Current.Values};
    // A source read only once, kept whole for a run with CREATE TABLE;
    // before SourceFile, so that the file is closed before it goes.
    TemporaryFile SourceCopy;
    SourceReader SourceFile;
    bool HeaderNext = false;     // the header is still to come
    bool AfterTitles = false;    // and no line that is not blank has come since the title lines
    bool LooksAtRecords = false; // HeaderNext, or comment lines are passed over
    OutputFile TargetFile;
    OpenFailure OpenFailed;
    std::string Scratch;                  // a quoted value with doubled quotes, put together
    std::string InsertPrefix;             // statement text up to and including "values("
    std::string RowSeparator;             // between two rows of one INSERT
    std::string CopyHeader;               // the COPY statement that a block of rows follows
    const char* HexPrefix = nullptr;      // text beyond ASCII in hexadecimal after this (DialectRules)
    const char* CharFunction = nullptr;   // literals cut at line ends and "$(" (DialectRules)
    const char* CarriageReturn = nullptr; // written for a CR inside a literal (DialectRules)
    // No literal needs more than its marks and doubling: no HexPrefix, Unicode
    // literals, CharFunction or CarriageReturn. Decided with the script's head, once per run.
    bool PlainLiterals = false;
    bool HeadWritten = false;
    bool InTransaction = false;
    bool TypesRead = false;           // the run's pass found the types (CREATE TABLE)
    bool ReadsValues = false;         // the run reads its values by the value rules
    std::size_t RowsInStatement = 0;  // rows of the INSERT or COPY block being written
    std::uint64_t StatementStart = 0; // where the INSERT being written begins in the script
    std::size_t RowGrowth = 2;        // the most bytes one byte of a value becomes
    std::size_t RowFrame = 0;         // the bytes around a row: separator, ")", terminator
    // The most bytes a value takes besides RowGrowth per byte: marks, NULL, a prefix,
    // a date in its ISO form, SQL Server's CAST of a cut literal, and a comma.
    static constexpr std::size_t ValueRoom = 40;
    std::vector<std::string> Names; // per column, as the script writes it
    std::size_t FirstKept = 0;      // the first column written
};
