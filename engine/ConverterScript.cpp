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
#include "ValueForm.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

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

void CConverter::BuildInsertPrefix()
{
    const SqlDialect dialect = Current.Dialect->Id;
    std::string prefix = "insert into ";
    AppendQualifiedName(prefix, Current.Table, dialect);
    prefix += '(';
    // A column without a target name is left out of the script, its values too.
    const std::vector<ColumnSettings>& columns = Current.Columns;
    std::vector<std::string> targets;
    for (const ColumnSettings& column : columns)
        targets.push_back(column.TargetName);
    Names = WrittenColumnNames(targets, dialect);
    FirstKept = columns.size();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].LeftOut)
            continue;
        if (FirstKept < i)
            prefix += ',';
        else
            FirstKept = i;
        AppendName(prefix, Names[i], dialect);
    }
    if (columns.empty())
        FirstKept = 0;
    // The same names for COPY: "insert into t(a,b)" becomes "COPY t (a,b) FROM stdin;".
    const std::size_t names = prefix.find('(');
    CopyHeader = "COPY " + prefix.substr(12, names - 12) + " " + prefix.substr(names) + ") FROM stdin;\r\n";
    prefix += ") values(";
    if (prefix.find('\0') != std::string::npos)
        throw DataError(Current.ProjectPath.empty() ? Current.Source : Current.ProjectPath,
                        "a table or column name holds a NUL byte, which no SQL client can read "
                        "inside a statement.");
    InsertPrefix = std::move(prefix);
    RowSeparator = Current.Dialect->RowsOnOneLine ? ",(" : ",\r\n(";
    CharFunction = *Current.Dialect->CharFunction ? Current.Dialect->CharFunction : nullptr;
    CarriageReturn = *Current.Dialect->CarriageReturn ? Current.Dialect->CarriageReturn : nullptr;
    // The most bytes a byte of a value becomes: doubled or in hexadecimal, or a
    // CR or LF as the dialect writes it ("'+NCHAR(13)+N'").
    RowGrowth = 2;
    if (CarriageReturn)
        RowGrowth = std::max<std::size_t>(RowGrowth, std::strlen(CarriageReturn));
    if (CharFunction)
        RowGrowth = std::max<std::size_t>(RowGrowth, std::strlen(CharFunction) + 9);
    RowFrame = RowSeparator.size() + 1 + Current.StatementSeparator.size() + 4;
}

void CConverter::WriteValue(std::string_view value, ValueForm form, const ColumnSettings& column)
{
    if (form == ValueForm::Null) {
        TargetFile.Append("NULL");
        return;
    }
    if (form == ValueForm::Bare) {
        TargetFile.Append(value);
        return;
    }
    const std::string_view mark = column.Mark == '"' ? std::string_view("\"") : std::string_view("'");
    if (!PlainLiterals) {
        const bool beyondAscii = (HexPrefix || Current.Dialect->UnicodePrefix) &&
                                 std::any_of(value.begin(), value.end(),
                                             [](char c) { return static_cast<unsigned char>(c) > 127; });
        if (beyondAscii && HexPrefix) {
            WriteHexLiteral(value);
            return;
        }
        if (CharFunction && (value.find_first_of("\r\n") != std::string_view::npos ||
                             value.find("$(") != std::string_view::npos)) {
            WriteCutLiteral(value, beyondAscii ? "N'" : "'");
            return;
        }
        if (CarriageReturn && std::memchr(value.data(), '\r', value.size())) {
            WriteLongValue(value, mark);
            return;
        }
        // SQL Server keeps characters beyond ASCII only in Unicode literals.
        if (beyondAscii)
            TargetFile.Put('N');
    }
    if (value.size() <= OutputFile::BufferSize) {
        if (char* out = TargetFile.Reserve(QuotedSizeLimit(value.size(), mark.size()))) {
            TargetFile.Advance(QuoteInto(out, value, mark, Current.Dialect->EscapeByte));
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
    // The value goes out in slices, each doubled into the buffer; where the
    // dialect writes a CR otherwise (CarriageReturn), the slices end at each.
    TargetFile.Append(mark);
    const char markByte = DoubledMarkByte(mark);
    while (!value.empty()) {
        std::string_view slice = value.substr(0, OutputFile::BufferSize / 2);
        const void* cr = CarriageReturn ? std::memchr(slice.data(), '\r', slice.size()) : nullptr;
        if (cr)
            slice = slice.substr(0, static_cast<std::size_t>(static_cast<const char*>(cr) - slice.data()));
        char* out = TargetFile.Reserve(2 * slice.size()); // at most the whole buffer: never refused
        TargetFile.Advance(DoubleInto(out, slice, markByte, Current.Dialect->EscapeByte));
        value.remove_prefix(slice.size());
        if (cr) {
            TargetFile.Append(CarriageReturn);
            value.remove_prefix(1);
        }
    }
    TargetFile.Append(mark);
}

void CConverter::WriteRowEnd()
{
    ++RowsInStatement;
    if (Current.Copy) {
        TargetFile.Append("\r\n");
        return;
    }
    if (RowsInStatement < Current.RowsPerInsert) {
        TargetFile.Put(')'); // the statement goes on with the next row
        return;
    }
    RowsInStatement = 0;
    const std::string& separator = Current.StatementSeparator;
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
    const std::string& separator = Current.StatementSeparator;
    if (separator.size() > 1)
        TargetFile.Append("\r\n");
    TargetFile.Append(separator);
    TargetFile.Append("\r\n");
}

namespace {

std::string_view TextOf(std::string_view value)
{
    return value;
}

std::string_view TextOf(const ReadValue& value)
{
    return value.Text;
}

} // namespace

template <class Value> void CConverter::WriteRowValue(const Value& value, std::size_t k)
{
    const std::vector<ColumnSettings>& columns = Current.Columns;
    if (!columns.empty() && (k >= columns.size() || columns[k].LeftOut))
        return; // a value beyond the last column, or of a column left out, has no place
    static const ColumnSettings unnamed; // a source without columns: every field, unmarked
    const ColumnSettings& column = k < columns.size() ? columns[k] : unnamed;
    if (k != FirstKept)
        TargetFile.Put(Current.Copy ? '\t' : ',');
    const ValueForm form = FormOf(value, column);
    if (Current.Copy)
        WriteCopyValue(TextOf(value), form);
    else
        WriteValue(TextOf(value), form, column);
}

void CConverter::EndRow(std::size_t count)
{
    const char* missing = Current.Copy ? "\t\\N" : ",NULL";
    for (std::size_t k = count; k < Current.Columns.size(); ++k) {
        if (!Current.Columns[k].LeftOut)
            TargetFile.Append(missing + (k != FirstKept ? 0 : 1));
    }
    WriteRowEnd();
}

void CConverter::WriteRow(const std::vector<std::string>& fields)
{
    std::size_t size = fields.size();
    for (const std::string& field : fields)
        size += field.size();
    TargetFile.Append(StartRow(size));
    for (std::size_t k = 0; k < fields.size(); ++k)
        WriteRowValue(fields[k], k);
    EndRow(fields.size());
}

std::size_t CConverter::WriteRecordRow(std::string_view& record, const SeparatedRow* singlePass)
{
    std::size_t fields = 0;
    const std::string* opening = &StartRow(record.size());
    while (singlePass && record.size() <= OutputFile::BufferSize) {
        char* out = TargetFile.Reserve(opening->size() + singlePass->SizeLimit(record.size()));
        if (!out)
            break;
        out = std::copy(opening->begin(), opening->end(), out);
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
        // Nothing of the row is written yet: the statement may still end before it.
        if (!Current.Copy)
            opening = &RowOpening(record.size());
    }
    // The same statement as the single pass gives, each value written as it is cut.
    if (singlePass) {
        // What the single pass left: the rest of the record, and its NUL check.
        CompleteRecord(record);
        if (HoldsStopByte(record))
            ThrowStopByte(record, RecordLine);
    }
    if (singlePass && !Current.Copy)
        opening = &RowOpening(record.size());
    fields = 0;
    TargetFile.Append(*opening);
    if (ReadsValues)
        SplitReadValues(record, [this, &fields](const ReadValue& value) { WriteRowValue(value, fields++); });
    else
        SplitRecord(record, [this, &fields](std::string_view value) { WriteRowValue(value, fields++); });
    EndRow(fields);
    return fields;
}

bool CConverter::WritesBackslash(std::string_view record)
{
    const std::vector<ColumnSettings>& columns = Current.Columns;
    bool found = false;
    std::size_t k = 0;
    SplitRecord(record, [&](std::string_view value) {
        const bool written = columns.empty() || (k < columns.size() && !columns[k].LeftOut);
        found = found || (written && value.find('\\') != std::string_view::npos);
        ++k;
    });
    return found;
}

void CConverter::WriteCommit()
{
    // Where the script opens no transaction (Generic), COMMIT is written only when asked for.
    const bool opensTransaction = *Current.Dialect->BeginTransaction != '\0';
    if (!Current.Commit && !opensTransaction)
        return;
    CloseStatement();
    if (opensTransaction) {
        // A database's COMMIT ends the transaction that BEGIN opened, and only that.
        if (!InTransaction)
            return;
        InTransaction = false;
    }
    WriteStatement("COMMIT");
}

void CConverter::Report(const ProgressCallback& progress, RunProgress::Phase phase, std::uint64_t lineNumber)
{
    if (!progress)
        return;
    RunProgress report;
    report.Step = phase;
    report.Line = lineNumber;
    report.Bytes = BytesRead;
    report.TotalBytes = SourceSize;
    report.Rows = RowsWritten;
    // With CREATE TABLE the pass for the types is the first third of the run.
    const int percent = Percentage(BytesRead, SourceSize);
    report.Percent = !TypesRead                                  ? percent
                     : phase == RunProgress::Phase::ReadingTypes ? percent / 3
                                                                 : 33 + percent * 2 / 3;
    progress(report);
}

CConverter::OpenResult CConverter::Run(const ProgressCallback& progress)
{
    LinesRead = 0;
    RowsWritten = 0;
    Note = nullptr;
    ShortLines = LongLines = RaggedLines();
    TypesRead = false;
    const OpenResult opened = Open(true);
    if (opened != OpenResult::Done)
        return opened;
    try {
        if (Current.CreateTable)
            ReadTypes(progress);
        const bool header = Current.Header;
        const bool commit = Current.Commit;
        const std::size_t columns = Current.Columns.size();
        const std::uint64_t interval = Current.CommitInterval;
        // Countdowns instead of a division per record: a COMMIT follows record i
        // when i + 1 is a multiple of the interval, a report when i is one of 9.
        std::uint64_t recordsToCommit = interval;
        std::uint64_t recordsToReport = 0;
        ReadsValues = Current.Values.InUse();
        SeparatedRow separatedRow;
        const SeparatedRow* singlePass = separatedRow.Prepare(Current) ? &separatedRow : nullptr;
        // Text beyond ASCII in hexadecimal is the general writer's: the single pass takes ASCII records only.
        const bool asciiSinglePass = *Current.Dialect->HexText != 0;
        const bool noteBackslash = *Current.Dialect->BackslashNote != 0;
        if (noteBackslash)
            SourceFile.Watch('\\'); // searched chunk by chunk on the reading thread
        // The single pass finds the end of a record with quoted fields itself.
        const bool singlePassJoins = singlePass != nullptr && Current.QuotedFields && !asciiSinglePass;
        std::string_view record;
        // Records that may go on past their line are joined before they are written.
        const bool joins = Current.QuotedFields;
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
            if (noteBackslash && !Note && SourceFile.HoldsWatchedByte() &&
                std::memchr(record.data(), '\\', record.size()) && WritesBackslash(record))
                Note = Current.Dialect->BackslashNote;
            ++RowsWritten;
            if (columns > 0 && fields != columns)
                (fields < columns ? ShortLines : LongLines).Add(RecordLine);
            if (commit && commitDue)
                WriteCommit();
            if (reportDue)
                Report(progress, RunProgress::Phase::Writing, SourceFile.LineNumber());
        }
        LinesRead = SourceFile.LineNumber();
        Report(progress, RunProgress::Phase::Writing, LinesRead);
        WriteScriptHead(); // a source without rows still gets its table
        WriteCommit();
        Close(true);
    } catch (...) {
        EndFailedStream();
        TargetFile.Abandon();
        SourceFile.Close();
        SourceCopy.Remove();
        throw;
    }
    return OpenResult::Done;
}
