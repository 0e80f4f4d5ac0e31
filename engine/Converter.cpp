// The reading side of the engine: opening files, reading and splitting lines,
// discovering the columns of a source.
#include "Converter.h"

#include "ColumnMapping.h"
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
    errno = 0;
    if (!SourceFile.Open(Project->FileName))
        return fail(Project->FileName, -1);
    if (withTarget) {
        // Creating the target truncates it: never when it is the source under another name.
        std::error_code ec;
        if (std::filesystem::equivalent(Project->FileName, Project->TargetName, ec)) {
            SourceFile.Close();
            return fail(Project->TargetName, -2, "is the source file itself");
        }
        errno = 0;
        if (Project->TargetName.empty() || !TargetFile.Open(Project->TargetName)) {
            if (Project->TargetName.empty())
                errno = ENOENT;
            const int error = errno;
            SourceFile.Close();
            errno = error;
            return fail(Project->TargetName, -2);
        }
    }
    SourceSize = SourceFile.FileSize();
    BytesRead = 0;
    BuildInsertPrefix();
    return 0;
}

int CConverter::Close(bool withTarget)
{
    SourceFile.Close();
    if (withTarget)
        TargetFile.Close();
    return 0;
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
    SplitFields(line, Project->WithSeparators != 0, FieldSeparator, Project->WidthList,
                [&fields](std::string_view field) { fields.push_back(field); });
}

void CConverter::SplitLine(std::string_view line, std::vector<std::string>& fields) const
{
    std::size_t count = 0;
    SplitFields(line, Project->WithSeparators != 0, FieldSeparator, Project->WidthList,
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

void CConverter::UseProjectSeparator()
{
    FieldSeparator = Project->Separator == "<tab>" ? std::string("\t") : Project->Separator;
}

void CConverter::DiscoverColumns(std::vector<std::string>& names, std::vector<std::string>* quotes)
{
    Project->ParseWidths();
    names.clear();
    if (quotes)
        quotes->clear();

    TextLineReader source;
    if (!source.Open(Project->FileName))
        return;
    UseProjectSeparator();

    std::string_view line;
    if (!source.ReadLine(line))
        return;
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
    if (source.ReadLine(line))
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
