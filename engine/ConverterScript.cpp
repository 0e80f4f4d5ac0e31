// The writing side of the engine: the INSERT and COMMIT statements and the run loop.
#include "Converter.h"

#include "CRuntime.h"
#include "FieldSplitter.h"
#include "FileError.h"
#include "NumberText.h"

#include <cinttypes>
#include <cstdio>

namespace {

// Appends a name, in double quotes with inner double quotes doubled when it
// is no plain identifier.
void AppendName(std::string& out, const std::string& name)
{
    if (!CConverter::NeedsQuoting(name)) {
        out += name;
        return;
    }
    out += '"';
    for (const char c : name) {
        out += c;
        if (c == '"')
            out += '"';
    }
    out += '"';
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
    if (name.empty())
        return false;
    if (!IsAsciiAlpha(static_cast<unsigned char>(name[0])))
        return true;
    for (const char c : name.substr(1)) {
        if (!IsAsciiAlnum(static_cast<unsigned char>(c)))
            return true;
    }
    return false;
}

void CConverter::BuildInsertPrefix()
{
    std::string prefix = "insert into ";
    AppendName(prefix, Project->TableName);
    prefix += '(';
    for (std::size_t i = 0; i < Project->Columns.size(); ++i) {
        if (i > 0)
            prefix += ',';
        AppendName(prefix, Project->Columns[i]);
    }
    prefix += ") values(";
    InsertPrefix = std::move(prefix);
}

void CConverter::WriteValue(std::string_view value, std::size_t column)
{
    const std::vector<std::string>& quotes = Project->Quotes;
    std::string_view mark = column < quotes.size() ? std::string_view(quotes[column]) : std::string_view();
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
    }
    TargetFile.Append(mark);
    if (mark.size() == 1 && mark[0] != '\'' && value.find(mark[0]) != std::string_view::npos) {
        // Another one-byte mark is doubled as well, so the value cannot close it.
        std::string doubled;
        for (const char c : value) {
            doubled += c;
            if (c == mark[0])
                doubled += c;
        }
        TargetFile.AppendDoubling(doubled, '\'');
    } else {
        TargetFile.AppendDoubling(value, '\'');
    }
    TargetFile.Append(mark);
}

void CConverter::WriteTerminator()
{
    const std::string& separator = Project->SQLSep;
    if (separator.size() > 1)
        TargetFile.Append("\r\n");
    TargetFile.Append(separator);
    TargetFile.Append("\r\n");
}

int CConverter::WriteRow(const std::vector<std::string_view>& fields)
{
    TargetFile.Append(InsertPrefix);
    for (std::size_t k = 0; k < fields.size(); ++k) {
        if (k > 0)
            TargetFile.Append(",");
        WriteValue(fields[k], k);
    }
    TargetFile.Append(")");
    WriteTerminator();
    return 0;
}

int CConverter::WriteRow(const std::vector<std::string>& fields)
{
    return WriteRow(std::vector<std::string_view>(fields.begin(), fields.end()));
}

int CConverter::WriteCommit()
{
    if (Project->Commit == 0)
        return 0;
    TargetFile.Append("COMMIT");
    WriteTerminator();
    return 0;
}

void CConverter::Report(ProgressFn progress, std::uint64_t lineNumber)
{
    std::snprintf(StatusText, sizeof StatusText, "Line %" PRIu64 ", %" PRIu64 " bytes done", lineNumber,
                  BytesRead);
    progress(StatusText, Percentage(BytesRead, SourceSize));
}

int CConverter::Run(ProgressFn progress)
{
    LinesRead = 0;
    if (Open(true) != 0)
        return -1;
    try {
        const bool header = Project->ColumnNames != 0;
        const bool commit = Project->Commit != 0;
        // CommitSize 0 writes no interval COMMITs; a negative one acts as its size.
        const std::int64_t interval =
            Project->CommitSize < 0 ? -std::int64_t{Project->CommitSize} : std::int64_t{Project->CommitSize};
        std::vector<std::string_view> fields;
        std::string_view line;
        std::uint64_t i = 0;
        for (; ReadLineView(line); ++i) {
            if (!(header && i == 0)) {
                SplitLineViews(line, fields);
                WriteRow(fields);
                if (commit && interval > 0 && (i + 1) % static_cast<std::uint64_t>(interval) == 0)
                    WriteCommit();
            }
            if (i % 9 == 0 && !(header && i == 0))
                Report(progress, i + 1);
        }
        LinesRead = i;
        Report(progress, i);
        WriteCommit();
        Close(true);
    } catch (...) {
        TargetFile.Abandon();
        SourceFile.Close();
        throw;
    }
    return 0;
}
