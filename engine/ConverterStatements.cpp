// The statements around the rows: the UTF-8 statement, DROP and CREATE TABLE,
// transactions, INSERTs of several rows, COPY blocks, and the pass over the
// source that finds the column types.
#include "Converter.h"

#include "ColumnTypes.h"
#include "FileError.h"
#include "ValueForm.h"

#include <cerrno>
#include <cstdio>
#include <limits>

namespace {

// A type that holds text, so that an empty value can be written as it is.
bool IsTextType(std::string type)
{
    for (char& c : type)
        c = AsciiUpper(c);
    for (const char* word : {"CHAR", "TEXT", "CLOB", "STRING"}) {
        if (type.find(word) != std::string::npos)
            return true;
    }
    return false;
}

} // namespace

void CConverter::PrepareStatements()
{
    HeadWritten = false;
    HexPrefix = nullptr;
    PlainLiterals = false;
    InTransaction = false;
    RowsInStatement = 0;
}

void CConverter::WriteStatement(std::string_view text)
{
    TargetFile.Append(text);
    WriteTerminator();
}

void CConverter::WriteScriptHead()
{
    if (HeadWritten)
        return;
    HeadWritten = true;
    const DialectRules& dialect = *Current.Dialect;
    TargetFile.Append(dialect.ScriptStart);
    // Known once the first line is read: a byte order mark may have decided it.
    const bool utf8 = SourceFile.TextEncoding() != SourceEncoding::Bytes;
    const bool utf8Names =
        dialect.Utf8StatementForBytes &&
        !TextDecoder(SourceEncoding::Utf8).Check(InsertPrefix.data(), InsertPrefix.size(), true).Invalid;
    if ((utf8 || utf8Names) && *dialect.Utf8Statement)
        WriteStatement(dialect.Utf8Statement);
    if (!Current.Copy && *dialect.LiteralStatement)
        WriteStatement(dialect.LiteralStatement);
    HexPrefix = *dialect.HexText ? (utf8 ? dialect.HexText : dialect.HexBytes) : nullptr;
    PlainLiterals = !HexPrefix && !dialect.UnicodePrefix && !CharFunction && !CarriageReturn;
    if (!Current.CreateTable)
        return;
    std::string table;
    AppendQualifiedName(table, Current.Table, dialect.Id);
    if (Current.DropTable)
        WriteStatement("DROP TABLE IF EXISTS " + table);
    std::string create = "CREATE TABLE " + table + " (";
    bool first = true;
    for (std::size_t k = 0; k < Current.Columns.size(); ++k) {
        const ColumnSettings& column = Current.Columns[k];
        if (column.LeftOut)
            continue;
        create += first ? "\r\n  " : ",\r\n  ";
        first = false;
        AppendName(create, Names[k], dialect.Id);
        create += ' ';
        create += column.Type.empty() ? std::string("TEXT") : column.Type;
    }
    create += "\r\n)";
    if (utf8)
        create += dialect.Utf8TableOption;
    WriteStatement(create);
}

const std::string& CConverter::StartRow(std::size_t size)
{
    static const std::string none;
    if (!HeadWritten)
        WriteScriptHead();
    // In a dialect the rows are always in a transaction: one for the whole
    // script without COMMITs, so that a load that fails part way keeps nothing.
    if (!InTransaction && *Current.Dialect->BeginTransaction) {
        WriteStatement(Current.Dialect->BeginTransaction);
        InTransaction = true;
    }
    if (Current.Copy) {
        if (RowsInStatement == 0)
            TargetFile.Append(CopyHeader);
        return none;
    }
    return RowOpening(size);
}

const std::string& CConverter::RowOpening(std::size_t size)
{
    if (RowsInStatement == 0) {
        StatementStart = TargetFile.Position();
        return InsertPrefix;
    }
    // An INSERT of several rows stays within MaxStatementBytes, which every
    // client sends whole; a row larger than that stands alone.
    if (TargetFile.Position() - StatementStart + RowSizeLimit(size) <= MaxStatementBytes)
        return RowSeparator;
    CloseStatement();
    StatementStart = TargetFile.Position();
    return InsertPrefix;
}

std::uint64_t CConverter::RowSizeLimit(std::size_t size) const
{
    // Without columns every field is written: at most one more than the bytes.
    const std::uint64_t values =
        Current.Columns.empty() ? std::uint64_t{size} + 1 + Current.Widths.size() : Current.Columns.size();
    return RowGrowth * std::uint64_t{size} + ValueRoom * values + RowFrame;
}

void CConverter::CloseStatement()
{
    if (RowsInStatement == 0)
        return;
    RowsInStatement = 0;
    if (Current.Copy) {
        TargetFile.Append("\\.\r\n");
        return;
    }
    WriteTerminator(); // after the last row's ")"
}

void CConverter::EndFailedStream()
{
    // The run stopped between two rows. What went out is whole statements and
    // perhaps the rows of one still open; the statement written here makes that
    // one fail with it, and makes the client report an error at this point.
    if (!TargetFile.IsStream())
        return;
    try {
        if (Current.Copy && RowsInStatement > 0)
            TargetFile.Append("\\.\r\n");
        RowsInStatement = 0;
        // A bare ")" is an error in every SQL; the words are for the client's message.
        WriteStatement("\r\n) failed after " + std::to_string(RowsWritten) +
                       " rows, so the conversion ends in this statement that fails on purpose");
        if (InTransaction)
            WriteStatement("ROLLBACK");
        InTransaction = false;
    } catch (...) {
        // The target itself failed: nothing more can reach it.
    }
}

void CConverter::WriteCopyValue(std::string_view value, ValueForm form)
{
    // NULL where an INSERT would write it; the text otherwise, whatever the mark.
    if (form == ValueForm::Null) {
        TargetFile.Append("\\N");
        return;
    }
    // PostgreSQL's text format: backslash, tab, CR and LF as escapes.
    std::size_t start = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        const char* escaped = c == '\\'   ? "\\\\"
                              : c == '\t' ? "\\t"
                              : c == '\r' ? "\\r"
                              : c == '\n' ? "\\n"
                                          : nullptr;
        if (!escaped)
            continue;
        TargetFile.Append(value.substr(start, i - start));
        TargetFile.Append(escaped);
        start = i + 1;
    }
    TargetFile.Append(value.substr(start));
}

std::vector<ColumnTypeGuess> CConverter::GuessTypes(std::uint64_t records, const ProgressCallback& progress)
{
    const std::size_t columns = Current.Columns.size();
    std::vector<ColumnTypeGuess> guesses(columns);
    const bool header = Current.Header;
    const bool readsValues = Current.Values.InUse();
    std::string_view record;
    std::uint64_t read = 0;
    for (std::uint64_t i = 0; read < records && ReadRecordView(record); ++i) {
        if (header && i == 0)
            continue;
        ++read;
        std::size_t k = 0;
        if (readsValues) {
            // A NULL marker says nothing of the column's type, as an empty value does not.
            SplitReadValues(record, [&](const ReadValue& value) {
                if (k < columns && !value.NullMarker)
                    guesses[k].Add(value.Text);
                ++k;
            });
        } else {
            SplitRecord(record, [&](std::string_view value) {
                if (k < columns)
                    guesses[k].Add(value);
                ++k;
            });
        }
        if (progress && read % 8192 == 0)
            Report(progress, RunProgress::Phase::ReadingTypes, SourceFile.LineNumber());
    }
    return guesses;
}

void CConverter::CopySource(std::string& path, SourceEncoding& encoding, const ProgressCallback& progress)
{
    if (!SourceFile.Open(Current.Source, Current.Encoding)) // back to its first line
        throw FileError::FromErrno(Current.Source);
    FileHandle copy = SourceCopy.Create();
    if (!copy)
        throw FileError::FromErrno(SourceCopy.Path());
    std::setvbuf(copy.get(), nullptr, _IOFBF, std::size_t{1} << 16);
    // The lines as the source gives them, in UTF-8 unless it is read as bytes:
    // read again in that encoding, the copy gives the same lines.
    std::uint64_t size = 0;
    std::string_view line;
    while (SourceFile.ReadLine(line)) {
        const std::string_view end = SourceFile.LineEnd();
        errno = 0;
        if (std::fwrite(line.data(), 1, line.size(), copy.get()) != line.size() ||
            std::fwrite(end.data(), 1, end.size(), copy.get()) != end.size())
            throw FileError::FromErrno(SourceCopy.Path());
        size += line.size() + end.size();
        if (progress && SourceFile.LineNumber() % 65536 == 0)
            Report(progress, RunProgress::Phase::ReadingTypes, SourceFile.LineNumber());
    }
    encoding =
        SourceFile.TextEncoding() == SourceEncoding::Bytes ? SourceEncoding::Bytes : SourceEncoding::Utf8;
    errno = 0;
    if (std::fclose(copy.release()) != 0)
        throw FileError::FromErrno(SourceCopy.Path());
    SourceFile.Close();
    path = SourceCopy.Path();
    SourceSize = size;
}

void CConverter::ReadTypes(const ProgressCallback& progress)
{
    // A regular file is read twice, for the types and for the rows; a source
    // read only once is kept whole in a temporary file first, which the run reads.
    TypesRead = true;
    std::string path = Current.Source;
    SourceEncoding encoding = Current.Encoding;
    if (!SourceFile.CanReopen())
        CopySource(path, encoding, progress);
    if (!SourceFile.OpenForDiscovery(path, encoding))
        throw FileError::FromErrno(path);
    SkipTitleLines();
    const std::vector<ColumnTypeGuess> guesses =
        GuessTypes(std::numeric_limits<std::uint64_t>::max(), progress);
    // Known once the source is read: a byte order mark may have decided it.
    const bool bytesAsText = SourceFile.TextEncoding() == SourceEncoding::Bytes;
    SourceFile.EndDiscovery();
    if (!SourceFile.Open(path, encoding))
        throw FileError::FromErrno(path);
    BytesRead = 0;
    SkipTitleLines();
    std::vector<std::string> chosen;
    std::vector<bool> leftOut;
    for (const ColumnSettings& column : Current.Columns) {
        chosen.push_back(column.Type);
        leftOut.push_back(column.LeftOut);
    }
    const std::vector<std::string> types =
        TableTypeNames(guesses, Current.Dialect->Id, bytesAsText, chosen, leftOut);
    for (std::size_t k = 0; k < types.size(); ++k) {
        ColumnSettings& column = Current.Columns[k];
        column.Type = types[k];
        // A column of a type other than text cannot take an empty text.
        column.EmptyIsNull = column.EmptyIsNull || !IsTextType(column.Type);
        TakeNumbersOfType(column);
    }
}

std::vector<std::string> CConverter::InferColumnTypes(std::uint64_t records)
{
    if (Open(false) != OpenResult::Done)
        return {};
    struct Closing {
        CConverter& Converter;
        ~Closing() { Converter.Close(false); }
    } closing{*this};
    const std::vector<ColumnTypeGuess> guesses = GuessTypes(records, nullptr);
    const bool bytesAsText = SourceFile.TextEncoding() == SourceEncoding::Bytes;
    std::vector<std::string> chosen;
    std::vector<bool> leftOut;
    for (const ColumnSettings& column : Current.Columns) {
        chosen.push_back(column.Type);
        leftOut.push_back(column.LeftOut);
    }
    // The chosen types take their room in the row, but each column shows what its values call for.
    std::vector<std::string> types =
        TableTypeNames(guesses, Current.Dialect->Id, bytesAsText, chosen, leftOut);
    for (std::size_t k = 0; k < types.size() && k < chosen.size(); ++k) {
        if (!chosen[k].empty())
            types[k] = guesses[k].TypeName(Current.Dialect->Id, bytesAsText);
    }
    return types;
}

std::vector<ColumnSettings> CConverter::RunColumns(const ProgressCallback& progress)
{
    TakeSettings(); // its SettingsError names the key at fault
    if (Open(false) != OpenResult::Done)
        throw FileError(OpenFailed.File, OpenFailed.Reason);
    struct Closing {
        CConverter& Converter;
        ~Closing() { Converter.Close(false); }
    } closing{*this};
    if (Current.CreateTable)
        ReadTypes(progress);
    return Current.Columns;
}
