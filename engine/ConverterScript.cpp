// The writing side of the engine: the INSERT and COMMIT statements and the run loop.
#include "Converter.h"

#include "ColumnNames.h"
#include "DataError.h"
#include "FieldSplitter.h"
#include "FileError.h"
#include "NumberText.h"
#include "QuotedText.h"
#include "ReservedWords.h"
#include "SeparatedRow.h"
#include "TextRules.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

char* AppendText(char* out, std::string_view text)
{
    return std::copy(text.begin(), text.end(), out);
}

char* AppendDecimal(char* out, std::uint64_t value)
{
    char digits[20];
    char* first = std::end(digits);
    do {
        *--first = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return std::copy(first, std::end(digits), out);
}

bool IsAscii(std::string_view text)
{
    unsigned char all = 0;
    for (const char c : text) // no early exit, so that the compiler takes many bytes at once
        all = static_cast<unsigned char>(all | static_cast<unsigned char>(c));
    return all < 0x80;
}

int Percentage(std::uint64_t done, std::uint64_t total)
{
    if (total == 0)
        return 100;
    // Split so that the product cannot overflow, whatever the sizes.
    const std::uint64_t percent = done / total * 100 + done % total * 100 / total;
    return percent > 1000000 ? 1000000 : static_cast<int>(percent);
}

} // namespace

bool CConverter::NeedsQuoting(std::string_view name)
{
    return !IsPlainIdentifier(name, false);
}

void CConverter::BuildInsertPrefix()
{
    std::string prefix = "insert into ";
    AppendQualifiedName(prefix, Project->TableName, Dialect);
    prefix += '(';
    // A column without a target name is left out of the script, its values too.
    const std::vector<std::string>& columns = Project->Columns;
    Names = WrittenColumnNames(columns, Dialect);
    LeftOut.assign(columns.size(), false);
    FirstKept = columns.size();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        LeftOut[i] = columns[i].empty();
        if (LeftOut[i])
            continue;
        if (FirstKept < i)
            prefix += ',';
        else
            FirstKept = i;
        AppendName(prefix, Names[i], Dialect);
    }
    if (columns.empty())
        FirstKept = 0;
    // The same names for COPY: "insert into t(a,b)" becomes "COPY t (a,b) FROM stdin;".
    const std::size_t names = prefix.find('(');
    CopyHeader = "COPY " + prefix.substr(12, names - 12) + " " + prefix.substr(names) + ") FROM stdin;\r\n";
    prefix += ") values(";
    if (prefix.find('\0') != std::string::npos)
        throw DataError(Project->ProjectPath.empty() ? Project->FileName : Project->ProjectPath,
                        "a table or column name holds a NUL byte, which no SQL client can read "
                        "inside a statement.");
    InsertPrefix = std::move(prefix);
    RowSeparator = ",\r\n(";
    const int most = MaxRowsPerInsert(Dialect);
    RowsPerStatement = static_cast<std::size_t>(std::clamp(Project->RowsPerInsert, 1, most));
    EscapeByte = Dialect == SqlDialect::MySQL ? '\\' : '\'';
    CharFunction = *SafetyOf(Dialect).CharFunction ? SafetyOf(Dialect).CharFunction : nullptr;
}

void CConverter::WriteValue(std::string_view value, std::size_t column)
{
    const std::vector<std::string>& quotes = Project->Quotes;
    std::string_view mark = column < quotes.size() ? std::string_view(quotes[column]) : std::string_view();
    if (value.empty() &&
        (Project->EmptyIsNull != 0 || (column < EmptyAsNull.size() && EmptyAsNull[column]))) {
        TargetFile.Append("NULL");
        return;
    }
    if (mark.empty()) {
        // A bare value must not be able to run as SQL: only plain numbers stand bare.
        if (value.empty()) {
            TargetFile.Append("NULL");
            return;
        }
        if (IsPlainNumber(value)) {
            TargetFile.Append(value);
            return;
        }
        mark = "'";
    } else if (mark != "\"" || Dialect != SqlDialect::Generic) {
        // Only an apostrophe or a double quote encloses a value whole; any other
        // mark (a letter, two apostrophes) would leave the value standing as SQL.
        // A database reads text only between apostrophes.
        mark = "'";
    }
    const bool beyondAscii =
        (HexPrefix || Dialect == SqlDialect::SQLServer) &&
        std::any_of(value.begin(), value.end(), [](char c) { return static_cast<unsigned char>(c) > 127; });
    if (beyondAscii && HexPrefix) {
        WriteHexLiteral(value);
        return;
    }
    if (CharFunction && (value.find_first_of("\r\n") != std::string_view::npos ||
                         value.find("$(") != std::string_view::npos)) {
        WriteCutLiteral(value, beyondAscii ? "N'" : "'");
        return;
    }
    // SQL Server keeps characters beyond ASCII only in Unicode literals.
    if (beyondAscii)
        TargetFile.Put('N');
    if (value.size() <= OutputFile::BufferSize && mark.size() <= OutputFile::BufferSize) {
        if (char* out = TargetFile.Reserve(QuotedSizeLimit(value.size(), mark.size()))) {
            TargetFile.Advance(QuoteInto(out, value, mark, EscapeByte));
            return;
        }
    }
    WriteLongValue(value, mark);
}

void CConverter::WriteHexLiteral(std::string_view value)
{
    static const char digits[] = "0123456789ABCDEF";
    TargetFile.Append(HexPrefix);
    for (const char c : value) {
        const unsigned char byte = static_cast<unsigned char>(c);
        TargetFile.Put(digits[byte >> 4]);
        TargetFile.Put(digits[byte & 15]);
    }
    TargetFile.Put('\'');
}

void CConverter::WriteCutLiteral(std::string_view value, std::string_view open)
{
    // Pieces joined by "+", as one long text (a join of short ones would be cut at 4,000 characters).
    TargetFile.Append("CAST(");
    TargetFile.Append(open);
    TargetFile.Append("' AS NVARCHAR(MAX))");
    bool inLiteral = false;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\r' || c == '\n') {
            if (inLiteral)
                TargetFile.Put('\'');
            inLiteral = false;
            TargetFile.Put('+');
            TargetFile.Append(CharFunction);
            TargetFile.Append(c == '\r' ? "(13)" : "(10)");
            continue;
        }
        if (!inLiteral) {
            TargetFile.Put('+');
            TargetFile.Append(open);
            inLiteral = true;
        }
        TargetFile.Put(c);
        if (c == '\'')
            TargetFile.Put(c);
        if (c == '$' && i + 1 < value.size() && value[i + 1] == '(') {
            TargetFile.Put('\''); // "$(" never stands whole
            inLiteral = false;
        }
    }
    if (inLiteral)
        TargetFile.Put('\'');
}

void CConverter::WriteLongValue(std::string_view value, std::string_view mark)
{
    // Too long for the buffer: the value goes out in slices, each doubled into the buffer.
    TargetFile.Append(mark);
    const char markByte = DoubledMarkByte(mark);
    while (!value.empty()) {
        const std::string_view slice = value.substr(0, OutputFile::BufferSize / 2);
        char* out = TargetFile.Reserve(2 * slice.size()); // at most the whole buffer: never refused
        TargetFile.Advance(DoubleInto(out, slice, markByte, EscapeByte));
        value.remove_prefix(slice.size());
    }
    TargetFile.Append(mark);
}

void CConverter::WriteRowEnd()
{
    ++RowsInStatement;
    if (CopyOutput) {
        TargetFile.Append("\r\n");
        return;
    }
    if (RowsInStatement < RowsPerStatement) {
        TargetFile.Put(')'); // the statement goes on with the next row
        return;
    }
    RowsInStatement = 0;
    const std::string& separator = Project->SQLSep;
    if (separator.size() == 1) {
        if (char* out = TargetFile.Reserve(4)) {
            out[0] = ')';
            out[1] = separator[0];
            out[2] = '\r';
            out[3] = '\n';
            TargetFile.Advance(out + 4);
            return;
        }
    }
    TargetFile.Put(')');
    WriteTerminator();
}

void CConverter::WriteTerminator()
{
    const std::string& separator = Project->SQLSep;
    if (separator.size() > 1)
        TargetFile.Append("\r\n");
    TargetFile.Append(separator);
    TargetFile.Append("\r\n");
}

void CConverter::WriteRowValue(std::string_view value, std::size_t k)
{
    const std::size_t columns = Project->Columns.size();
    if (columns > 0 && (k >= columns || LeftOut[k]))
        return; // a value beyond the last column, or of a column left out, has no place
    if (k != FirstKept)
        TargetFile.Put(CopyOutput ? '\t' : ',');
    if (CopyOutput)
        WriteCopyValue(value, k);
    else
        WriteValue(value, k);
}

void CConverter::EndRow(std::size_t count)
{
    const char* missing = CopyOutput ? "\t\\N" : ",NULL";
    for (std::size_t k = count; k < Project->Columns.size(); ++k) {
        if (!LeftOut[k])
            TargetFile.Append(missing + (k != FirstKept ? 0 : 1));
    }
    WriteRowEnd();
}

int CConverter::WriteRow(const std::vector<std::string_view>& fields)
{
    TargetFile.Append(StartRow());
    for (std::size_t k = 0; k < fields.size(); ++k)
        WriteRowValue(fields[k], k);
    EndRow(fields.size());
    return 0;
}

int CConverter::WriteRow(const std::vector<std::string>& fields)
{
    return WriteRow(std::vector<std::string_view>(fields.begin(), fields.end()));
}

std::size_t CConverter::WriteRecordRow(std::string_view& record, const SeparatedRow* singlePass)
{
    std::size_t fields = 0;
    const std::string& opening = StartRow();
    while (singlePass && record.size() <= OutputFile::BufferSize) {
        char* out = TargetFile.Reserve(opening.size() + singlePass->SizeLimit(record.size()));
        if (!out)
            break;
        out = std::copy(opening.begin(), opening.end(), out);
        if (char* end = singlePass->Write(out, record, fields)) {
            TargetFile.Advance(end);
            WriteRowEnd();
            return fields;
        }
        if (fields == 0)
            ThrowStopByte(record, RecordLine); // the single pass looks for NUL bytes as it copies
        // A quoted field is open at the line's end: the record goes on on the next line.
        if (!ContinueRecord(record))
            break; // the file ends inside the quotes: the general writer takes the value to its end
    }
    // The same statement as the single pass gives, each value written as it is cut.
    if (singlePass) {
        // What the single pass left: the rest of the record, and its NUL check.
        CompleteRecord(record);
        if (HoldsStopByte(record))
            ThrowStopByte(record, RecordLine);
    }
    fields = 0;
    TargetFile.Append(opening);
    SplitRecord(record, [this, &fields](std::string_view value) { WriteRowValue(value, fields++); });
    EndRow(fields);
    return fields;
}

bool CConverter::WritesBackslash(std::string_view record)
{
    const std::size_t columns = Project->Columns.size();
    bool found = false;
    std::size_t k = 0;
    SplitRecord(record, [&](std::string_view value) {
        const bool written = columns == 0 || (k < columns && !LeftOut[k]);
        found = found || (written && value.find('\\') != std::string_view::npos);
        ++k;
    });
    return found;
}

int CConverter::WriteCommit()
{
    if (Project->Commit == 0 && Dialect == SqlDialect::Generic)
        return 0;
    CloseStatement();
    if (Dialect != SqlDialect::Generic) {
        // A database's COMMIT ends the transaction that BEGIN opened, and only that.
        if (!InTransaction)
            return 0;
        InTransaction = false;
    }
    WriteStatement("COMMIT");
    return 0;
}

void CConverter::Report(ProgressFn progress, std::uint64_t lineNumber)
{
    // "Line %llu, %llu bytes done", put together by hand: snprintf costs more than the rows between reports.
    char* out = StatusText;
    out = AppendText(out, "Line ");
    out = AppendDecimal(out, lineNumber);
    out = AppendText(out, ", ");
    out = AppendDecimal(out, BytesRead);
    out = AppendText(out, " bytes done");
    *out = '\0';
    progress(StatusText, Percentage(BytesRead, SourceSize));
}

int CConverter::Run(ProgressFn progress)
{
    LinesRead = 0;
    RowsWritten = 0;
    Note = nullptr;
    ShortLines = LongLines = RaggedLines();
    if (Open(true) != 0)
        return -1;
    try {
        if (Project->CreateTable != 0)
            ReadTypes(progress);
        const bool header = Project->ColumnNames != 0;
        const bool commit = Project->Commit != 0;
        const std::size_t columns = Project->Columns.size();
        // CommitSize 0 writes no interval COMMITs; a negative one acts as its size.
        const std::uint64_t interval = static_cast<std::uint64_t>(
            Project->CommitSize < 0 ? -std::int64_t{Project->CommitSize} : std::int64_t{Project->CommitSize});
        // Countdowns instead of a division per record: a COMMIT follows record i
        // when i + 1 is a multiple of the interval, a report when i is one of 9.
        std::uint64_t recordsToCommit = interval;
        std::uint64_t recordsToReport = 0;
        // Separator and marks are taken once: the settings stay as they are for the whole run.
        SeparatedRow separatedRow;
        const SeparatedRow* singlePass =
            Project->WithSeparators != 0 && Project->Trim == 0 && Project->EmptyIsNull == 0 &&
                    std::find(EmptyAsNull.begin(), EmptyAsNull.end(), true) == EmptyAsNull.end() &&
                    Dialect != SqlDialect::SQLServer &&
                    std::find(LeftOut.begin(), LeftOut.end(), true) == LeftOut.end() &&
                    separatedRow.Prepare(Project->FieldSeparator(), LiteralMarks(), columns,
                                         Project->QuotedFields != 0, EscapeByte, CopyOutput)
                ? &separatedRow
                : nullptr;
        // Text beyond ASCII in hexadecimal is the general writer's: the single pass takes ASCII records only.
        const bool asciiSinglePass = *SafetyOf(Dialect).HexText != 0;
        const bool noteBackslash = *SafetyOf(Dialect).BackslashNote != 0;
        // The single pass finds the end of a record with quoted fields itself.
        const bool singlePassJoins = singlePass != nullptr && Project->QuotedFields != 0 && !asciiSinglePass;
        std::string_view record;
        // Records that may go on past their line are joined before they are written.
        const bool joins = Project->QuotedFields != 0 && Project->WithSeparators != 0;
        for (std::uint64_t i = 0; ReadRecordView(record, joins && (!singlePassJoins || (header && i == 0)));
             ++i) {
            const SeparatedRow* pass = asciiSinglePass && !IsAscii(record) ? nullptr : singlePass;
            // SQL clients cut their input at a NUL byte, Windows clients at a Ctrl-Z, so that the rest
            // of a value would run as SQL. The single pass looks for NUL bytes in the bytes it copies.
            if ((!pass || (header && i == 0))
                    ? HoldsStopByte(record)
                    : SourceFile.HoldsControlZ() && std::memchr(record.data(), 26, record.size()))
                ThrowStopByte(record, RecordLine);
            const bool commitDue = interval > 0 && --recordsToCommit == 0;
            if (commitDue)
                recordsToCommit = interval;
            const bool reportDue = recordsToReport == 0;
            recordsToReport = reportDue ? 8 : recordsToReport - 1;
            if (header && i == 0)
                continue;
            const std::size_t fields = WriteRecordRow(record, pass);
            if (noteBackslash && !Note && std::memchr(record.data(), '\\', record.size()) &&
                WritesBackslash(record))
                Note = SafetyOf(Dialect).BackslashNote;
            ++RowsWritten;
            if (columns > 0 && fields != columns)
                (fields < columns ? ShortLines : LongLines).Add(RecordLine);
            if (commit && commitDue)
                WriteCommit();
            if (reportDue)
                Report(progress, SourceFile.LineNumber());
        }
        LinesRead = SourceFile.LineNumber();
        Report(progress, LinesRead);
        WriteScriptHead(); // a source without rows still gets its table
        WriteCommit();
        Close(true);
    } catch (...) {
        EndFailedStream();
        TargetFile.Abandon();
        SourceFile.Close();
        throw;
    }
    return 0;
}
