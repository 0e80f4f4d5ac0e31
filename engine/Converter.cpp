// The reading side of the engine: opening files, reading and splitting lines,
// discovering the columns of a source.
#include "Converter.h"

#include "ColumnMapping.h"
#include "DataError.h"
#include "FieldSplitter.h"
#include "NumberText.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

CConverter::~CConverter()
{
    TargetFile.Abandon();
    SourceFile.Close();
}

namespace {

// True when both paths lead to the same file ("-" as a target is standard output).
bool SameFile(const std::string& path, const std::string& target)
{
    if (path.empty() || target.empty())
        return false;
    std::error_code ec;
#ifndef _WIN32
    if (IsStandardStream(target))
        return std::filesystem::equivalent(path, "/dev/stdout", ec);
#endif
    return std::filesystem::equivalent(path, target, ec);
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
        return fail("", -3, "no table named");
    BuildInsertPrefix();
    errno = 0;
    if (!SourceFile.Open(Project->FileName))
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
            return fail(Project->TargetName, -2);
        }
    }
    SourceSize = SourceFile.FileSize();
    BytesRead = 0;
    return 0;
}

int CConverter::Close(bool withTarget)
{
    SourceFile.Close();
    if (withTarget)
        TargetFile.Close();
    return 0;
}

void CConverter::ThrowNulByte(std::string_view line, std::uint64_t lineNumber) const
{
    // Say which column holds it, so the user can find it.
    std::size_t column = 0;
    std::size_t found = 0;
    const std::size_t at = line.find('\0');
    SplitFields(line, Project->WithSeparators != 0, Project->FieldSeparator(), Project->WidthList,
                [&](std::string_view field) {
                    const std::size_t start = static_cast<std::size_t>(field.data() - line.data());
                    if (found == 0 && at >= start && at < start + field.size())
                        found = column + 1;
                    ++column;
                });
    std::string where;
    if (found == 0) {
        where = "byte " + std::to_string(at + 1);
    } else {
        where = "column " + std::to_string(found);
        const bool isHeader = lineNumber == 1 && Project->ColumnNames != 0;
        if (!isHeader && found - 1 < Project->Columns.size())
            where += " (" + Project->Columns[found - 1] + ")";
    }
    throw DataError(Project->FileName,
                    "line " + std::to_string(lineNumber) + ", " + where +
                        " holds a NUL byte, which no SQL client can read inside a statement. "
                        "The source may be UTF-16 text or a binary file.");
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

void CConverter::SplitLineViews(std::string_view line, std::vector<std::string_view>& fields) const
{
    fields.clear();
    SplitFields(line, Project->WithSeparators != 0, Project->FieldSeparator(), Project->WidthList,
                [&fields](std::string_view field) { fields.push_back(field); });
}

void CConverter::SplitLine(std::string_view line, std::vector<std::string>& fields) const
{
    std::size_t count = 0;
    SplitFields(line, Project->WithSeparators != 0, Project->FieldSeparator(), Project->WidthList,
                [&](std::string_view field) {
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
    return LooksNumeric(value) ? std::string() : std::string("'");
}

void CConverter::DiscoverColumns(std::vector<std::string>& names, std::vector<std::string>* quotes)
{
    Project->ParseWidths();
    names.clear();
    if (quotes)
        quotes->clear();

    if (!SourceFile.OpenForDiscovery(Project->FileName))
        return;
    struct EndDiscovery {
        SourceReader& Source;
        ~EndDiscovery() { Source.EndDiscovery(); }
    } endDiscovery{SourceFile};

    std::string_view line;
    if (!SourceFile.ReadLine(line))
        return;
    if (std::memchr(line.data(), '\0', line.size()))
        ThrowNulByte(line, SourceFile.LineNumber());
    SplitLine(line, names);
    if (Project->ColumnNames == 0) {
        for (std::size_t i = 0; i < names.size(); ++i)
            names[i] = "N" + std::to_string(i);
    }
    if (!quotes)
        return;

    // One mark per column; a column without a sample value is taken as text,
    // which is safe for any data.
    std::vector<std::string> samples;
    if (SourceFile.ReadLine(line))
        SplitLine(line, samples);
    quotes->resize(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        (*quotes)[i] = i < samples.size() ? DetectQuote(samples[i]) : std::string("'");
}

void CConverter::DiscoverProjectColumns()
{
    std::vector<std::string> names;
    std::vector<std::string> quotes;
    DiscoverColumns(names, &quotes);
    MergeDiscoveredColumns(*Project, std::move(names), std::move(quotes));
}
