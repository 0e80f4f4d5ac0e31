#include "Project.h"

#include "ProfileFile.h"
#include "ProjectKeys.h"
#include "TextRules.h"
#include "Utf8Path.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

CProject::CProject()
{
    ResetDefaults();
}

void CProject::ResetDefaults()
{
    for (const ProjectKey* key = ProjectKeysBegin(); key != ProjectKeysEnd(); ++key)
        ApplyKeyValue(*key, key->NewDefault, *this);
    ProjectPath.clear();
    Columns.clear();
    Quotes.clear();
    Types.clear();
    SourceColumns.clear();
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
        LoadError = std::filesystem::is_directory(PathFromUtf8(ProjectPath), ec) ? "is a folder"
                    : errno != 0                                                 ? std::strerror(errno)
                                                                                 : "cannot be read";
    else if (!file.HasSection(ProfileSection))
        LoadError = "is not a project file (it has no [General] section)";
    return LoadError.empty();
}

bool CProject::Load()
{
    ProfileFile file;
    if (ReadProjectFile(file))
        return LoadSettings(file);
    const std::string reason = LoadError;
    LoadSettings(file); // the read default of every key
    LoadError = reason;
    return false;
}

bool CProject::LoadSettings(const ProfileFile& file)
{
    // Every value is read whole: a value cut short would be another value.
    constexpr std::size_t Whole = std::string::npos;
    auto text = [&](const std::string& key, std::string_view defaultValue) {
        return file.Get(ProfileSection, key, defaultValue, Whole);
    };
    std::string problem;
    std::int64_t count = 0;
    for (const ProjectKey* key = ProjectKeysBegin(); key != ProjectKeysEnd(); ++key) {
        std::string value = text(key->Name, key->MissingDefault);
        if (const std::optional<std::string> reason = CheckKeyValue(*key, value)) {
            if (problem.empty())
                problem = std::string(key->Name) + "=" + value + " cannot be used: " + *reason;
            value = key->MissingDefault;
        }
        ApplyKeyValue(*key, value, *this);
        if (!key->Text && !key->Number) // nColumns
            count = std::max<std::int64_t>(0, std::atoll(value.c_str()));
    }

    Columns.clear();
    Quotes.clear();
    SourceColumns.clear();
    Types.clear();
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        Columns.push_back(text(ColumnKeyName(ColumnKey::Column, i), ""));
        Quotes.push_back(text(ColumnKeyName(ColumnKey::Quote, i), ""));
        Types.push_back(text(ColumnKeyName(ColumnKey::Type, i), ""));
        // The name itself, not its C string: a name from a source may hold a NUL byte.
        SourceColumns.push_back(text(ColumnKeyName(ColumnKey::Source, i), Columns.back()));
    }
    LoadError = problem;
    return problem.empty();
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
    // Newer settings are written where they differ from what a file without
    // them means, or where the file has them already.
    auto setOptional = [&](const std::string& key, const std::string& value, bool isDefault) {
        if (!isDefault || file.Has(ProfileSection, key))
            set(key, value);
    };
    for (const ProjectKey* key = ProjectKeysBegin(); key != ProjectKeysEnd(); ++key) {
        const std::string value = KeyValueText(*key, *this);
        if (key->Save == SaveRule::Always)
            set(key->Name, value);
        else
            setOptional(key->Name, value, value == key->MissingDefault);
    }
    for (std::size_t i = 0; i < Columns.size(); ++i) {
        set(ColumnKeyName(ColumnKey::Column, i), Columns[i]);
        // A column without a quotation entry is written bare, as the run treats it.
        set(ColumnKeyName(ColumnKey::Quote, i), i < Quotes.size() ? Quotes[i] : std::string());
        const std::string type = i < Types.size() ? Types[i] : std::string();
        setOptional(ColumnKeyName(ColumnKey::Type, i), type, type.empty());
        // The source name is kept only where it differs, or where an older save left one.
        const std::string& source = SourceColumnName(i);
        setOptional(ColumnKeyName(ColumnKey::Source, i), source, source == Columns[i]);
    }
}
