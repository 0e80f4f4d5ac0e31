// The statements around the rows: the UTF-8 statement, DROP and CREATE TABLE,
// transactions, INSERTs of several rows, COPY blocks, and the pass over the
// source that finds the column types.
#include "Converter.h"

#include "ColumnTypes.h"
#include "FileError.h"

#include <limits>

namespace {

// A type that holds text, so that an empty value can be written as it is.
bool IsTextType(std::string type)
{
    for (char& c : type)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
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
    InTransaction = false;
    RowsInStatement = 0;
    Types.clear();
    EmptyAsNull.assign(Project->Columns.size(), false);
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
    const LiteralSafety& safety = SafetyOf(Dialect);
    TargetFile.Append(safety.ScriptStart);
    // Known once the first line is read: a byte order mark may have decided it.
    const bool utf8 = SourceFile.TextEncoding() != SourceEncoding::Bytes;
    const bool utf8Names =
        safety.Utf8StatementForBytes &&
        !TextDecoder(SourceEncoding::Utf8).Check(InsertPrefix.data(), InsertPrefix.size(), true).Invalid;
    if ((utf8 || utf8Names) && !Utf8Statement(Dialect).empty())
        WriteStatement(Utf8Statement(Dialect));
    if (!CopyOutput && *safety.LiteralStatement)
        WriteStatement(safety.LiteralStatement);
    HexPrefix = *safety.HexText ? (utf8 ? safety.HexText : safety.HexBytes) : nullptr;
    if (Project->CreateTable == 0)
        return;
    std::string table;
    AppendQualifiedName(table, Project->TableName, Dialect);
    if (Project->DropTable != 0)
        WriteStatement("DROP TABLE IF EXISTS " + table);
    std::string create = "CREATE TABLE " + table + " (";
    bool first = true;
    for (std::size_t k = 0; k < Project->Columns.size(); ++k) {
        if (LeftOut[k])
            continue;
        create += first ? "\r\n  " : ",\r\n  ";
        first = false;
        AppendName(create, Names[k], Dialect);
        create += ' ';
        create += k < Types.size() ? Types[k] : std::string("TEXT");
    }
    create += "\r\n)";
    if (Dialect == SqlDialect::MySQL && utf8)
        create += " DEFAULT CHARSET=utf8mb4";
    WriteStatement(create);
}

const std::string& CConverter::StartRow()
{
    static const std::string none;
    WriteScriptHead();
    // In a dialect the rows are always in a transaction: one for the whole
    // script without COMMITs, so that a load that fails part way keeps nothing.
    if (!InTransaction && Dialect != SqlDialect::Generic) {
        WriteStatement(BeginTransaction(Dialect));
        InTransaction = true;
    }
    if (CopyOutput) {
        if (RowsInStatement == 0)
            TargetFile.Append(CopyHeader);
        return none;
    }
    return RowsInStatement == 0 ? InsertPrefix : RowSeparator;
}

void CConverter::CloseStatement()
{
    if (RowsInStatement == 0)
        return;
    RowsInStatement = 0;
    if (CopyOutput) {
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
        if (CopyOutput && RowsInStatement > 0)
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

void CConverter::WriteCopyValue(std::string_view value, std::size_t column)
{
    // NULL where an INSERT would write it; the text otherwise, whatever the mark.
    const bool marked = column < Project->Quotes.size() && !Project->Quotes[column].empty();
    if (value.empty() && (!marked || Project->EmptyIsNull != 0 || EmptyAsNull[column])) {
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

std::vector<std::string> CConverter::LiteralMarks() const
{
    std::vector<std::string> marks = Project->Quotes;
    if (Dialect != SqlDialect::Generic) {
        for (std::string& mark : marks) {
            if (!mark.empty())
                mark = "'";
        }
    }
    return marks;
}

std::vector<ColumnTypeGuess> CConverter::GuessTypes(std::uint64_t records, ProgressFn progress)
{
    const std::size_t columns = Project->Columns.size();
    std::vector<ColumnTypeGuess> guesses(columns);
    const bool header = Project->ColumnNames != 0;
    std::string_view record;
    std::uint64_t read = 0;
    for (std::uint64_t i = 0; read < records && ReadRecordView(record); ++i) {
        if (header && i == 0)
            continue;
        ++read;
        std::size_t k = 0;
        SplitRecord(record, [&](std::string_view value) {
            if (k < columns)
                guesses[k].Add(value);
            ++k;
        });
        if (progress && read % 8192 == 0)
            Report(progress, SourceFile.LineNumber());
    }
    return guesses;
}

void CConverter::ReadTypes(ProgressFn progress)
{
    // A regular file is read whole; a pipe's first 10,000 data lines are kept for the run.
    SourceEncoding encoding = SourceEncoding::Bytes;
    ParseEncoding(Project->Encoding, encoding);
    SourceFile.OpenForDiscovery(Project->FileName, encoding);
    const std::uint64_t records = SourceFile.CanReopen() ? std::numeric_limits<std::uint64_t>::max() : 10000;
    const std::vector<ColumnTypeGuess> guesses = GuessTypes(records, progress);
    // Known once the source is read: a byte order mark may have decided it.
    const bool bytesAsText = SourceFile.TextEncoding() == SourceEncoding::Bytes;
    SourceFile.EndDiscovery();
    if (!SourceFile.Open(Project->FileName, encoding))
        throw FileError::FromErrno(Project->FileName);
    BytesRead = 0;
    Types = TableTypeNames(guesses, Dialect, bytesAsText, Project->Types, LeftOut);
    for (std::size_t k = 0; k < Types.size(); ++k)
        EmptyAsNull[k] = !IsTextType(Types[k]);
}

std::vector<std::string> CConverter::InferColumnTypes(std::uint64_t records)
{
    if (Open(false) != 0)
        return {};
    struct Closing {
        CConverter& Converter;
        ~Closing() { Converter.Close(false); }
    } closing{*this};
    const std::vector<ColumnTypeGuess> guesses = GuessTypes(records, nullptr);
    const bool bytesAsText = SourceFile.TextEncoding() == SourceEncoding::Bytes;
    // The chosen types take their room in the row, but each column shows what its values call for.
    std::vector<std::string> types = TableTypeNames(guesses, Dialect, bytesAsText, Project->Types, LeftOut);
    for (std::size_t k = 0; k < types.size() && k < Project->Types.size(); ++k) {
        if (!Project->Types[k].empty())
            types[k] = guesses[k].TypeName(Dialect, bytesAsText);
    }
    return types;
}
