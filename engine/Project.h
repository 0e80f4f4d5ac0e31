#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class ProfileFile;

// Every setting of one conversion. The frame owns exactly one; pages, the
// preview and the engine read and write its fields directly.
class CProject {
  public:
    CProject();
    virtual ~CProject() = default;

    std::string FileName;            // source text file
    std::string TargetName;          // SQL script to write
    std::string TableName;           // table the INSERT statements fill
    std::string ProjectPath;         // project file read by Load, written by Save; empty when untitled
    std::int32_t ColumnNames = 1;    // nonzero: the first line holds the column names
    std::int32_t WithSeparators = 1; // nonzero: split at Separator; zero: cut at Widths
    std::int32_t Commit = 0;         // nonzero: COMMIT every CommitSize rows
    std::int32_t CommitSize = 250;
    std::string Separator;            // as the user gave it; "<tab>" stands for a tab
    std::string SQLSep;               // statement separator
    std::string Widths;               // fixed widths as typed, comma delimited
    std::vector<std::string> Columns; // target column name per column
    std::vector<std::string> Quotes;  // per column: "'" or empty
    // How the source's text is read; a project file without these keys reads
    // its source as before they existed.
    std::int32_t QuotedFields = 0;  // nonzero: a field may be enclosed in double quotes
    std::string Encoding;           // empty: bytes as they are; else the source's encoding
    std::int32_t Trim = 0;          // nonzero: blanks around each name and value are removed
    std::int32_t EmptyIsNull = 0;   // nonzero: an empty value is NULL in a marked column too
    std::int32_t SkipLines = 0;     // title lines before the header (or the first record)
    std::string CommentPrefix;      // lines beginning with it are no records ("#"); empty: none
    std::string NullValues;         // comma list of values that are NULL ("NA,NULL")
    std::string DecimalSeparator;   // "." or "," in the source's numbers
    std::string ThousandsSeparator; // empty, ".", ",", "'" or "<space>" between groups of digits
    std::string DateFormat;         // how the source writes dates ("DD.MM.YYYY")
    // How the script is written for its database; a project file without
    // these keys gives the generic script it always gave.
    std::string Dialect;            // empty (generic), "PostgreSQL", "MySQL", "SQLite", "SQLServer"
    std::int32_t RowsPerInsert = 1; // rows per INSERT statement
    std::int32_t CreateTable = 0;   // nonzero: a CREATE TABLE before the rows
    std::int32_t DropTable = 0;     // nonzero, with CreateTable: DROP TABLE IF EXISTS first
    std::string Output = "insert";  // "insert", or "copy" (PostgreSQL's COPY ... FROM stdin)
    std::vector<std::string> Types; // per column: the SQL type for CREATE TABLE; empty: inferred
    // The source's own name per column, so that renamed columns stay recognisable
    // when the columns are discovered again. Empty or as long as Columns.
    std::vector<std::string> SourceColumns;

    // Every setting as a new project has it (no columns).
    void ResetDefaults();
    // What fields are cut at in separator mode: Separator, with "<tab>" as a tab.
    std::string_view FieldSeparator() const;

    // Reads ProjectPath. False when the file is missing, unreadable or no
    // project file (LoadError says why); every setting then takes the read
    // default, as the profile functions give it.
    bool Load();
    // Why the last Load failed; empty after a successful one.
    std::string LoadError;
    // Reads ProjectPath into `file`; false (LoadError says why) when it cannot
    // be read or is no project file.
    bool ReadProjectFile(ProfileFile& file);
    // Every setting from the file's [General] section; a missing key gives its
    // read default. False when a value cannot be used (LoadError names the key,
    // the value and what the key takes); that key then has its read default.
    bool LoadSettings(const ProfileFile& file);
    // Every setting into the file's [General] section, as Save writes them.
    void StoreSettings(ProfileFile& file) const;
    // Writes ProjectPath in one piece, through links, keeping its permissions.
    // False, with errno set, when nothing could be written (also for an empty
    // ProjectPath or a read-only file).
    bool Save() const;

    // The source name of column i (its target name when none is recorded).
    const std::string& SourceColumnName(std::size_t i) const;
};

// The section every project and settings file uses.
inline constexpr const char* ProfileSection = "General";
