#include "Project.h"

#include "ProfileFile.h"
#include "TextRules.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

namespace {

constexpr std::size_t TextBuffer = 260;
constexpr std::size_t FlagBuffer = 3;
constexpr std::size_t NumberBuffer = 5;

std::string IndexedKey(const char* prefix, std::size_t index)
{
    return prefix + std::to_string(index);
}

} // namespace

CProject::CProject()
{
    ResetDefaults();
}

void CProject::ResetDefaults()
{
    FileName.clear();
    TargetName.clear();
    TableName.clear();
    ProjectPath.clear();
    ColumnNames = 1;
    WithSeparators = 1;
    Commit = 0;
    CommitSize = 250;
    Separator = "<tab>";
    SQLSep = ";";
    QuotedFields = 0;
    Encoding.clear();
    Trim = 0;
    EmptyIsNull = 0;
    Dialect.clear();
    RowsPerInsert = 1;
    CreateTable = 0;
    DropTable = 0;
    Output = "insert";
    Types.clear();
}

void CProject::ParseWidths()
{
    WidthList.clear();
    // "10" is one width; an empty text, or one that starts with a comma, gives none.
    std::size_t comma = Widths.find(',');
    if (Widths.empty() || comma == 0)
        return;
    std::size_t start = 0;
    auto append = [this](std::string_view piece) {
        WidthList.push_back(static_cast<std::uint16_t>(static_cast<std::uint32_t>(Atoi(piece))));
    };
    while (comma != std::string::npos) {
        append(std::string_view(Widths).substr(start, comma - start));
        start = comma + 1;
        comma = Widths.find(',', start);
    }
    append(std::string_view(Widths).substr(start));
}

std::string_view CProject::FieldSeparator() const
{
    return Separator == "<tab>" ? std::string_view("\t") : std::string_view(Separator);
}

const std::string& CProject::SourceColumnName(std::size_t i) const
{
    return i < SourceColumns.size() ? SourceColumns[i] : Columns[i];
}

bool CProject::ReadProjectFile(ProfileFile& file)
{
    LoadError.clear();
    errno = 0;
    const ProfileFile::ReadResult result = file.Read(ProjectPath);
    std::error_code ec;
    if (result == ProfileFile::ReadResult::CannotRead)
        LoadError = std::filesystem::is_directory(ProjectPath, ec) ? "is a folder"
                    : errno != 0                                   ? std::strerror(errno)
                                                                   : "cannot be read";
    else if (!file.HasSection(ProfileSection))
        LoadError = "is not a project file (it has no [General] section)";
    return LoadError.empty();
}

bool CProject::Load()
{
    ProfileFile file;
    const bool read = ReadProjectFile(file);
    LoadSettings(file);
    return read;
}

void CProject::LoadSettings(const ProfileFile& file)
{
    auto text = [&](const std::string& key, std::string_view defaultValue) {
        return file.Get(ProfileSection, key, defaultValue, TextBuffer);
    };
    auto number = [&](const char* key, const char* defaultValue, std::size_t buffer) {
        return Atoi(file.Get(ProfileSection, key, defaultValue, buffer));
    };

    FileName = text("FileName", "");
    TargetName = text("TargetName", "");
    TableName = text("TableName", "");
    Separator = text("Separator", "<tab>");
    SQLSep = text("SQLSep", ";");
    Widths = text("Widths", "");
    Commit = number("Commit", "1", FlagBuffer);
    WithSeparators = number("WithSeparators", "1", FlagBuffer);
    ColumnNames = number("ColumnNames", "1", FlagBuffer);
    CommitSize = number("CommitSize", "250", NumberBuffer);
    const std::int32_t count = number("nColumns", "0", NumberBuffer);
    QuotedFields = number("QuotedFields", "0", FlagBuffer);
    Encoding = text("Encoding", "");
    Trim = number("Trim", "0", FlagBuffer);
    EmptyIsNull = number("EmptyIsNull", "0", FlagBuffer);
    Dialect = text("Dialect", "");
    RowsPerInsert = number("RowsPerInsert", "1", NumberBuffer + 1);
    CreateTable = number("CreateTable", "0", FlagBuffer);
    DropTable = number("DropTable", "0", FlagBuffer);
    Output = text("Output", "insert");

    Columns.clear();
    Quotes.clear();
    SourceColumns.clear();
    Types.clear();
    for (std::int32_t i = 0; i < count; ++i) {
        const std::size_t index = static_cast<std::size_t>(i);
        Columns.push_back(text(IndexedKey("Column", index), ""));
        Quotes.push_back(text(IndexedKey("Quote", index), ""));
        Types.push_back(text(IndexedKey("Type", index), ""));
        // The name itself, not its C string: a name from a source may hold a NUL byte.
        SourceColumns.push_back(text(IndexedKey("Source", index), Columns.back()));
    }
}

bool CProject::Save() const
{
    if (ProjectPath.empty())
        return false;
    ProfileFile file;
    file.Read(ProjectPath);
    StoreSettings(file);
    return file.Write(ProjectPath);
}

void CProject::StoreSettings(ProfileFile& file) const
{
    auto set = [&](const std::string& key, const std::string& value) {
        file.Set(ProfileSection, key, value);
    };
    set("FileName", FileName);
    set("TargetName", TargetName);
    set("TableName", TableName);
    set("Separator", Separator);
    set("SQLSep", SQLSep);
    set("Widths", Widths);
    set("Commit", std::to_string(Commit));
    set("WithSeparators", std::to_string(WithSeparators));
    set("ColumnNames", std::to_string(ColumnNames));
    set("CommitSize", std::to_string(CommitSize));
    // Newer settings are written where they differ from what a file without
    // them means, or where the file has them already.
    auto setOptional = [&](const char* key, const std::string& value, bool isDefault) {
        if (!isDefault || file.Has(ProfileSection, key))
            set(key, value);
    };
    setOptional("QuotedFields", std::to_string(QuotedFields), QuotedFields == 0);
    setOptional("Encoding", Encoding, Encoding.empty());
    setOptional("Trim", std::to_string(Trim), Trim == 0);
    setOptional("EmptyIsNull", std::to_string(EmptyIsNull), EmptyIsNull == 0);
    setOptional("Dialect", Dialect, Dialect.empty());
    setOptional("RowsPerInsert", std::to_string(RowsPerInsert), RowsPerInsert == 1);
    setOptional("CreateTable", std::to_string(CreateTable), CreateTable == 0);
    setOptional("DropTable", std::to_string(DropTable), DropTable == 0);
    setOptional("Output", Output, Output == "insert");
    set("nColumns", std::to_string(Columns.size()));
    for (std::size_t i = 0; i < Columns.size(); ++i) {
        set(IndexedKey("Column", i), Columns[i]);
        // A column without a quotation entry is written bare, as the run treats it.
        set(IndexedKey("Quote", i), i < Quotes.size() ? Quotes[i] : std::string());
        // The source name is kept only where it differs, or where an older save left one.
        const std::string typeKey = IndexedKey("Type", i);
        const std::string type = i < Types.size() ? Types[i] : std::string();
        setOptional(typeKey.c_str(), type, type.empty());
        const std::string sourceKey = IndexedKey("Source", i);
        const std::string& source = SourceColumnName(i);
        if (source != Columns[i] || file.Has(ProfileSection, sourceKey))
            set(sourceKey, source);
    }
}
