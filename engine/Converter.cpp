// The reading side of the engine: opening files, reading and splitting lines,
// discovering the columns of a source.
#include "Converter.h"

#include "ColumnMapping.h"
#include "DataError.h"
#include "FieldSplitter.h"
#include "NumberText.h"
#include "QuotedFields.h"
#include "Utf8Path.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unordered_set>

CConverter::~CConverter()
{
    TargetFile.Abandon();
    SourceFile.Close();
}

namespace {

// True when both paths lead to the same file ("-" as a source is standard
// input, as a target standard output).
bool SameFile(const std::string& path, const std::string& target)
{
    if (path.empty() || target.empty())
        return false;
    std::error_code ec;
#ifndef _WIN32
    const std::string source = IsStandardStream(path) ? std::string("/dev/stdin") : path;
    if (IsStandardStream(target))
        return std::filesystem::equivalent(source, "/dev/stdout", ec);
    if (IsStandardStream(path))
        return std::filesystem::equivalent(source, PathFromUtf8(target), ec);
#endif
    return std::filesystem::equivalent(PathFromUtf8(path), PathFromUtf8(target), ec);
}

} // namespace

int CConverter::Open(bool withTarget)
{
    Project->ParseWidths();
    OpenFailed = OpenFailure();
    auto fail = [this](const std::string& file, int result, const char* reason = nullptr) {
        OpenFailed.Result = result;
        OpenFailed.File = file;
        OpenFailed.Reason = reason ? reason : errno != 0 ? std::strerror(errno) : "cannot be opened";
        return result;
    };

    if (Project->FileName.empty())
        return fail("", -1, "no source file named");
    if (withTarget && Project->TableName.empty())
        return fail("", -3, "names no table");
    SourceEncoding encoding = SourceEncoding::Bytes;
    if (!ParseEncoding(Project->Encoding, encoding)) {
        const std::string reason = "names the encoding \"" + Project->Encoding +
                                   "\", which is unknown (known: UTF-8, Windows-1252, ISO-8859-1, UTF-16LE, "
                                   "UTF-16BE, or none for the bytes as they are)";
        return fail("", -3, reason.c_str());
    }
    Dialect = SqlDialect::Generic;
    if (!ParseDialect(Project->Dialect, Dialect)) {
        const std::string reason =
            "names the database \"" + Project->Dialect +
            "\", which is unknown (known: PostgreSQL, MySQL, SQLite, SQLServer, or none "
            "for generic SQL)";
        return fail("", -3, reason.c_str());
    }
    CopyOutput = Project->Output == "copy";
    if (!CopyOutput && !Project->Output.empty() && Project->Output != "insert")
        return fail("", -3, "asks for an output other than insert or copy");
    if (CopyOutput && Dialect != SqlDialect::PostgreSQL)
        return fail("", -3, "asks for COPY output, which only PostgreSQL reads (Dialect=PostgreSQL)");
    BuildInsertPrefix();
    errno = 0;
    if (!SourceFile.Open(Project->FileName, encoding))
        return fail(Project->FileName, -1);
    if (withTarget) {
        // The script must never take the place of the source or of the project's own file.
        const char* clash = SameFile(Project->FileName, Project->TargetName) ? "is the source file itself"
                            : SameFile(Project->ProjectPath, Project->TargetName)
                                ? "is the project file itself"
                                : nullptr;
        if (clash) {
            SourceFile.Close();
            return fail(Project->TargetName, -2, clash);
        }
        if (Project->TargetName.empty()) {
            SourceFile.Close();
            return fail("", -2, "no target file named");
        }
        errno = 0;
        if (!TargetFile.Open(Project->TargetName)) {
            const int error = errno;
            SourceFile.Close();
            errno = error;
            if (TargetFile.RefusedByFolder()) {
                const std::string reason =
                    std::string("its folder takes no new file (") + std::strerror(error) +
                    "): the script is written under a temporary name beside the "
                    "target first, so that a failed run leaves the earlier one as it was";
                return fail(Project->TargetName, -2, reason.c_str());
            }
            return fail(Project->TargetName, -2);
        }
    }
    SourceSize = SourceFile.FileSize();
    BytesRead = 0;
    if (withTarget)
        PrepareStatements();
    return 0;
}

int CConverter::Close(bool withTarget)
{
    SourceFile.Close();
    if (withTarget) {
        CloseStatement(); // the rows of an INSERT or COPY block still open
        TargetFile.Close();
    }
    return 0;
}

void CConverter::ThrowStopByte(std::string_view record, std::uint64_t lineNumber)
{
    const bool nul = record.find('\0') < record.find('\x1a');
    const char stop = nul ? '\0' : '\x1a';
    // Say which column holds it, so the user can find it.
    std::size_t column = 0;
    std::size_t found = 0;
    SplitRecord(record, [&](std::string_view value) {
        ++column;
        if (found == 0 && value.find(stop) != std::string_view::npos)
            found = column;
    });
    std::string where;
    if (found == 0) {
        where = "byte " + std::to_string(record.find(stop) + 1);
    } else {
        where = "column " + std::to_string(found);
        const bool isHeader = lineNumber == 1 && Project->ColumnNames != 0;
        if (!isHeader && found - 1 < Project->Columns.size())
            where += " (" + Project->Columns[found - 1] + ")";
    }
    throw DataError(
        Project->FileName,
        "line " + std::to_string(lineNumber) + ", " + where +
            (nul ? " holds a NUL byte, which no SQL client can read inside a statement. The source "
                   "may be UTF-16 text or a binary file."
                 : " holds a Ctrl-Z (byte 26), where Windows SQL clients stop reading a script. "
                   "Only the source's last byte may be one."));
}

bool CConverter::ReadLineView(std::string_view& line)
{
    const bool read = SourceFile.ReadLine(line);
    BytesRead += line.size() + 2; // the CR LF that text mode took away
    return read;
}

bool CConverter::ReadLine(std::string& line)
{
    std::string_view view;
    const bool read = ReadLineView(view);
    line.assign(view.data(), view.size());
    return read;
}

bool CConverter::ReadRecordView(std::string_view& record, bool whole)
{
    // A blank line is no record: it holds no values, not even empty ones.
    do {
        if (!ReadLineView(record))
            return false;
    } while (record.empty());
    RecordLine = SourceFile.LineNumber();
    if (whole)
        CompleteRecord(record);
    return true;
}

void CConverter::CompleteRecord(std::string_view& record)
{
    if (Project->QuotedFields == 0 || Project->WithSeparators == 0)
        return;
    const std::string_view separator = Project->FieldSeparator();
    while (!QuotedRecordComplete(record, separator)) {
        if (!ContinueRecord(record))
            return; // the file ends inside the quotes: the value goes to its end
    }
}

bool CConverter::ContinueRecord(std::string_view& record)
{
    const std::size_t before = record.size();
    const std::size_t lineEnd = SourceFile.LineEnd().size();
    if (!SourceFile.ContinueLine(record))
        return false;
    // The line end joined in was counted as 2 with its line; the new line counts 2 for its own.
    BytesRead += record.size() - before - lineEnd + 2;
    if (HoldsStopByte(record.substr(before)))
        ThrowStopByte(record, RecordLine);
    return true;
}

bool CConverter::ReadValues(std::vector<std::string>& values)
{
    std::string_view record;
    if (!ReadRecordView(record))
        return false;
    SplitLine(record, values);
    return true;
}

void CConverter::SplitLine(std::string_view line, std::vector<std::string>& fields)
{
    std::size_t count = 0;
    SplitRecord(line, [&](std::string_view field) {
        if (count < fields.size())
            fields[count].assign(field.data(), field.size());
        else
            fields.emplace_back(field);
        ++count;
    });
    fields.resize(count);
}

std::string CConverter::DetectQuote(std::string_view value)
{
    return value.empty() || IsPlainNumber(value) ? std::string() : std::string("'");
}

namespace {

// Names as the script can use them: without blanks around them, an empty one
// named by its place, as when the source has no header, and a repeated one (in
// any letter case) with "_2", "_3", ... appended.
void MakeNamesUsable(std::vector<std::string>& names)
{
    auto lower = [](std::string text) {
        for (char& c : text)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        return text;
    };
    std::unordered_set<std::string> taken;
    for (std::size_t i = 0; i < names.size(); ++i) {
        names[i] = std::string(TrimBlanks(names[i]));
        if (names[i].empty())
            names[i] = "N" + std::to_string(i);
        std::string name = names[i];
        for (int suffix = 2; !taken.insert(lower(name)).second; ++suffix)
            name = names[i] + "_" + std::to_string(suffix);
        names[i] = std::move(name);
    }
}

} // namespace

void CConverter::DiscoverColumns(std::vector<std::string>& names, std::vector<std::string>* quotes)
{
    Project->ParseWidths();
    names.clear();
    if (quotes)
        quotes->clear();

    SourceEncoding encoding = SourceEncoding::Bytes;
    ParseEncoding(Project->Encoding, encoding); // an unknown one is reported by the run
    if (!SourceFile.OpenForDiscovery(Project->FileName, encoding))
        return;
    struct EndDiscovery {
        SourceReader& Source;
        ~EndDiscovery() { Source.EndDiscovery(); }
    } endDiscovery{SourceFile};

    std::string_view record;
    if (!ReadRecordView(record))
        return;
    if (HoldsStopByte(record))
        ThrowStopByte(record, RecordLine);
    SplitLine(record, names);
    if (Project->ColumnNames == 0) {
        for (std::size_t i = 0; i < names.size(); ++i)
            names[i] = "N" + std::to_string(i);
    } else {
        MakeNamesUsable(names);
    }
    if (!quotes)
        return;

    // A column stays unmarked only when every value sampled from it stands bare
    // (a column without any value too, so that its empty values are NULL).
    std::vector<bool> text(names.size(), false);
    std::vector<std::string> samples;
    bool sampleFirst = Project->ColumnNames == 0; // the first record is data then
    for (int sampled = 0; sampled < SampleRecords; ++sampled) {
        if (sampleFirst)
            sampleFirst = false;
        else if (!ReadRecordView(record))
            break;
        SplitLine(record, samples);
        for (std::size_t i = 0; i < samples.size() && i < text.size(); ++i)
            text[i] = text[i] || !DetectQuote(samples[i]).empty();
    }
    quotes->resize(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        (*quotes)[i] = text[i] ? "'" : "";
}

void CConverter::DiscoverProjectColumns()
{
    std::vector<std::string> names;
    std::vector<std::string> quotes;
    DiscoverColumns(names, &quotes);
    MergeDiscoveredColumns(*Project, std::move(names), std::move(quotes));
}
