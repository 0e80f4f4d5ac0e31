#include "RunSettings.h"

#include "Project.h"
#include "ProjectKeys.h"
#include "SettingsError.h"
#include "TextRules.h"

#include <algorithm>
#include <charconv>

namespace {

// The value's row of the key table must take it (the wizard sets members directly).
void CheckAgainstTable(const char* name, const std::string& value)
{
    const ProjectKey* key = FindProjectKey(name);
    if (const std::optional<std::string> reason = CheckKeyValue(*key, value))
        throw SettingsError(name, value, *reason);
}

void TakeValueRules(const CProject& project, SourceValueRules& rules)
{
    // NullValues: a comma list; blanks around each marker are no part of it.
    const std::string_view list(project.NullValues);
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string_view marker = TrimBlanks(list.substr(start, comma - start));
        if (!marker.empty())
            rules.AddNullValue(marker);
        start = comma + 1;
    }
    CheckAgainstTable("DecimalSeparator", project.DecimalSeparator);
    rules.Decimal = TrimBlanks(project.DecimalSeparator) == "," ? ',' : '.';
    CheckAgainstTable("ThousandsSeparator", project.ThousandsSeparator);
    ParseThousandsSeparator(TrimBlanks(project.ThousandsSeparator), rules.Thousands);
    if (rules.Thousands == rules.Decimal)
        throw SettingsError("ThousandsSeparator", project.ThousandsSeparator,
                            "write a thousands separator other than the decimal separator, or none");
    CheckAgainstTable("DateFormat", project.DateFormat);
    const std::string_view dateFormat = TrimBlanks(project.DateFormat);
    rules.Dates = !dateFormat.empty() && ParseDateFormat(dateFormat, rules.DateForm) &&
                  !(rules.DateForm == DateFormat());
    rules.MarkStarts();
}

} // namespace

std::vector<std::size_t> ParseWidths(const std::string& text)
{
    const char* allowed = "write the width of each field in characters, whole numbers from 1 to 1000000000 "
                          "separated by commas (for example 5,10,3)";
    std::vector<std::size_t> widths;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string_view piece = TrimBlanks(
            std::string_view(text).substr(start, comma == std::string::npos ? comma : comma - start));
        std::size_t width = 0;
        const auto [end, error] = std::from_chars(piece.data(), piece.data() + piece.size(), width);
        if (piece.empty() || error != std::errc() || end != piece.data() + piece.size() || width == 0 ||
            width > 1000000000)
            throw SettingsError("Widths", text, allowed);
        widths.push_back(width);
        if (comma == std::string::npos)
            return widths;
        start = comma + 1;
    }
}

RunSettings RunSettings::From(const CProject& project)
{
    RunSettings settings;
    settings.Source = project.FileName;
    settings.Target = project.TargetName;
    settings.Table = project.TableName;
    settings.ProjectPath = project.ProjectPath;

    CheckAgainstTable("Encoding", project.Encoding);
    ParseEncoding(project.Encoding, settings.Encoding);
    settings.Header = project.ColumnNames != 0;
    settings.Separated = project.WithSeparators != 0;
    settings.Separator = project.Separator == "<tab>" ? std::string("\t") : project.Separator;
    if (settings.Separated && settings.Separator.empty())
        throw SettingsError("Separator", "",
                            "write the text that separates the fields (<tab> for a tab), or WithSeparators=0 "
                            "with Widths for fields of fixed widths");
    if (!settings.Separated)
        settings.Widths = ParseWidths(project.Widths);
    settings.QuotedFields = project.QuotedFields != 0 && settings.Separated;
    settings.Trim = project.Trim != 0;
    CheckAgainstTable("SkipLines", std::to_string(project.SkipLines));
    settings.SkipLines = static_cast<std::size_t>(project.SkipLines);
    if (project.CommentPrefix.find_first_of("\r\n") != std::string::npos)
        throw SettingsError("CommentPrefix", project.CommentPrefix,
                            "write the text comment lines begin with, on one line (\"#\")");
    settings.CommentPrefix = project.CommentPrefix;
    TakeValueRules(project, settings.Values);

    CheckAgainstTable("Dialect", project.Dialect);
    settings.Dialect = FindDialect(project.Dialect);
    CheckAgainstTable("Output", project.Output);
    settings.Copy = SameIgnoringAsciiCase(project.Output, "copy");
    if (settings.Copy && !settings.Dialect->Copy)
        throw SettingsError("Output", project.Output,
                            "COPY is read only by PostgreSQL: write Dialect=PostgreSQL, or Output=insert");
    CheckAgainstTable("RowsPerInsert", std::to_string(project.RowsPerInsert));
    if (project.RowsPerInsert > settings.Dialect->MaxRowsPerInsert)
        throw SettingsError("RowsPerInsert", std::to_string(project.RowsPerInsert),
                            std::string(settings.Dialect->Caption) + " takes at most " +
                                std::to_string(settings.Dialect->MaxRowsPerInsert) +
                                " rows in one INSERT: write RowsPerInsert=" +
                                std::to_string(settings.Dialect->MaxRowsPerInsert) + " or fewer");
    settings.RowsPerInsert = static_cast<std::size_t>(project.RowsPerInsert);
    settings.CreateTable = project.CreateTable != 0;
    settings.DropTable = settings.CreateTable && project.DropTable != 0;
    settings.Commit = project.Commit != 0;
    CheckAgainstTable("CommitSize", std::to_string(project.CommitSize));
    // A negative interval counts as its size.
    settings.CommitInterval = static_cast<std::uint64_t>(
        project.CommitSize < 0 ? -std::int64_t{project.CommitSize} : std::int64_t{project.CommitSize});
    settings.StatementSeparator = project.SQLSep;

    const bool emptyIsNull = project.EmptyIsNull != 0;
    settings.Columns.resize(project.Columns.size());
    for (std::size_t i = 0; i < project.Columns.size(); ++i) {
        ColumnSettings& column = settings.Columns[i];
        column.SourceName = project.SourceColumnName(i);
        column.TargetName = project.Columns[i];
        const std::string mark = i < project.Quotes.size() ? project.Quotes[i] : std::string();
        column.Mark = mark.empty() ? '\0' : mark == "\"" && settings.Dialect->DoubleQuotedValues ? '"' : '\'';
        column.Type = i < project.Types.size() ? project.Types[i] : std::string();
        column.EmptyIsNull = emptyIsNull;
        column.LeftOut = column.TargetName.empty();
    }
    return settings;
}
