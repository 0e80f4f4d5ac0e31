// The reading side of the engine: opening files, reading and splitting lines,
// discovering the columns of a source.
#include "Converter.h"

#include "ColumnMapping.h"
#include "DataError.h"
#include "FieldSplitter.h"
#include "NumberText.h"
#include "QuotedFields.h"
#include "SettingsError.h"
#include "Utf8Path.h"

#include <algorithm>
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

void CConverter::TakeSettings()
{
    Current = RunSettings::From(*Project);
}

CConverter::OpenResult CConverter::Open(bool withTarget)
{
    OpenFailed = OpenFailure();
    auto fail = [this](const std::string& file, OpenResult result, const char* reason = nullptr) {
        OpenFailed.Result = result;
        OpenFailed.File = file;
        OpenFailed.Reason = reason ? reason : errno != 0 ? std::strerror(errno) : "cannot be opened";
        return result;
    };

    try {
        TakeSettings();
    } catch (const SettingsError& error) {
        OpenFailed.Key = error.Key;
        return fail("", OpenResult::SettingsFailed, error.what());
    }
    if (Current.Source.empty())
        return fail("", OpenResult::SourceFailed, "no source file named");
    if (withTarget && Current.Table.empty())
        return fail("", OpenResult::SettingsFailed, "names no table");
    BuildInsertPrefix();
    const bool columns = std::any_of(Current.Columns.begin(), Current.Columns.end(),
                                     [](const ColumnSettings& column) { return !column.LeftOut; });
    if (withTarget && Current.CreateTable && !columns)
        return fail(Current.Source, OpenResult::SourceFailed,
                    "has no columns to create a table from (an empty source, or every column left out)");
    errno = 0;
    if (!SourceFile.Open(Current.Source, Current.Encoding))
        return fail(Current.Source, OpenResult::SourceFailed);
    if (withTarget) {
        // The script must never take the place of the source or of the project's own file.
        const char* clash = SameFile(Current.Source, Current.Target)        ? "is the source file itself"
                            : SameFile(Current.ProjectPath, Current.Target) ? "is the project file itself"
                                                                            : nullptr;
        if (clash) {
            SourceFile.Close();
            return fail(Current.Target, OpenResult::TargetFailed, clash);
        }
        if (Current.Target.empty()) {
            SourceFile.Close();
            return fail("", OpenResult::TargetFailed, "no target file named");
        }
        errno = 0;
        if (!TargetFile.Open(Current.Target)) {
            const int error = errno;
            SourceFile.Close();
            errno = error;
            if (TargetFile.RefusedByFolder()) {
                const std::string reason =
                    std::string("its folder takes no new file (") + std::strerror(error) +
                    "): the script is written under a temporary name beside the "
                    "target first, so that a failed run leaves the earlier one as it was";
                return fail(Current.Target, OpenResult::TargetFailed, reason.c_str());
            }
            return fail(Current.Target, OpenResult::TargetFailed);
        }
    }
    SourceSize = SourceFile.FileSize();
    BytesRead = 0;
    SkipTitleLines();
    if (withTarget)
        PrepareStatements();
    return OpenResult::Done;
}

void CConverter::Close(bool withTarget)
{
    SourceFile.Close();
    SourceCopy.Remove();
    if (withTarget) {
        CloseStatement(); // the rows of an INSERT or COPY block still open
        TargetFile.Close();
    }
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
        const bool isHeader = lineNumber == Current.SkipLines + 1 && Current.Header;
        if (!isHeader && found - 1 < Current.Columns.size())
            where += " (" + Current.Columns[found - 1].TargetName + ")";
    }
    throw DataError(
        Current.Source,
        "line " + std::to_string(lineNumber) + ", " + where +
            (nul ? " holds a NUL byte, which no SQL client can read inside a statement. The source "
                   "may be UTF-16 text or a binary file."
                 : " holds a Ctrl-Z (byte 26), where Windows SQL clients stop reading a script. "
                   "Only the source's last byte may be one."));
}

void CConverter::SkipTitleLines()
{
    // Physical lines, blank or not: the line numbers stay the file's own.
    std::string_view line;
    for (std::size_t i = 0; i < Current.SkipLines && ReadLineView(line); ++i) {
    }
    HeaderNext = Current.Header;
    AfterTitles = Current.SkipLines > 0;
    LooksAtRecords = HeaderNext || !Current.CommentPrefix.empty();
}

bool CConverter::PassesOver(std::string_view& line)
{
    const std::string& prefix = Current.CommentPrefix;
    const bool comment = !prefix.empty() && line.substr(0, prefix.size()) == prefix;
    if (!HeaderNext)
        return comment;
    const bool namedAsComment = comment && AfterTitles; // "#code<tab>name" after the title lines
    AfterTitles = false;
    if (comment && !namedAsComment)
        return true;
    HeaderNext = false;
    LooksAtRecords = !prefix.empty();
    if (namedAsComment)
        line.remove_prefix(prefix.size());
    return false;
}

bool CConverter::ReadLineView(std::string_view& line)
{
    const bool read = SourceFile.ReadLine(line);
    BytesRead += line.size() + 2; // the CR LF that text mode took away
    return read;
}

bool CConverter::ReadRecordView(std::string_view& record, bool whole)
{
    // A blank line is no record: it holds no values, not even empty ones.
    do {
        if (!ReadLineView(record))
            return false;
    } while (record.empty() || (LooksAtRecords && PassesOver(record)));
    RecordLine = SourceFile.LineNumber();
    if (whole)
        CompleteRecord(record);
    return true;
}

void CConverter::CompleteRecord(std::string_view& record)
{
    if (!Current.QuotedFields)
        return;
    while (!QuotedRecordComplete(record, Current.Separator)) {
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

bool CConverter::ReadRunValues(std::vector<std::string>& values, std::vector<bool>& nullMarkers)
{
    std::string_view record;
    if (!ReadRecordView(record))
        return false;
    std::size_t count = 0;
    auto take = [&](const ReadValue& value) {
        if (count < values.size())
            values[count].assign(value.Text.data(), value.Text.size());
        else
            values.emplace_back(value.Text);
        if (count < nullMarkers.size())
            nullMarkers[count] = value.NullMarker;
        else
            nullMarkers.push_back(value.NullMarker);
        ++count;
    };
    if (Current.Values.InUse())
        SplitReadValues(record, take);
    else
        SplitRecord(record, [&](std::string_view value) { take(ReadValue{value}); });
    values.resize(count);
    nullMarkers.resize(count);
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
            c = AsciiLower(c);
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
    names.clear();
    if (quotes)
        quotes->clear();

    TakeSettings();
    if (!SourceFile.OpenForDiscovery(Current.Source, Current.Encoding))
        return;
    struct EndDiscovery {
        SourceReader& Source;
        ~EndDiscovery() { Source.EndDiscovery(); }
    } endDiscovery{SourceFile};
    SkipTitleLines();

    std::string_view record;
    if (!ReadRecordView(record))
        return;
    if (HoldsStopByte(record))
        ThrowStopByte(record, RecordLine);
    SplitLine(record, names);
    if (Current.Header)
        MakeNamesUsable(names);
    if (!quotes && Current.Header)
        return;

    // A column stays unmarked only when every value sampled from it stands bare
    // (a column without any value too, so that its empty values are NULL).
    // Without a header the columns are as many as the most fields a sampled
    // record has: a short first line (a title, a count) would drop the rest.
    std::vector<bool> text(names.size(), false);
    bool sampleFirst = !Current.Header; // the first record is data then
    for (int sampled = 0; sampled < SampleRecords; ++sampled) {
        if (sampleFirst)
            sampleFirst = false;
        else if (!ReadRecordView(record))
            break;
        // Each value as the run writes it: a NULL marker marks no column, a number read
        // by the decimal separator stands bare.
        std::size_t i = 0;
        auto look = [&](const ReadValue& value) {
            if (i == text.size() && !Current.Header)
                text.push_back(false);
            if (i < text.size())
                text[i] = text[i] || (!value.NullMarker && !DetectQuote(value.Text).empty());
            ++i;
        };
        if (Current.Values.InUse())
            SplitReadValues(record, look);
        else
            SplitRecord(record, [&](std::string_view value) { look(ReadValue{value}); });
    }
    if (!Current.Header) {
        names.resize(text.size());
        for (std::size_t i = 0; i < names.size(); ++i)
            names[i] = "N" + std::to_string(i);
    }
    if (!quotes)
        return;
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
