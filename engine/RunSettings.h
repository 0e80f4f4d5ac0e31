#pragma once

#include "SourceValues.h"
#include "SqlDialect.h"
#include "TextDecoder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CProject;

// One column of a run.
struct ColumnSettings {
    std::string SourceName; // the source's own name
    std::string TargetName; // the name the script writes
    // How a value is enclosed: 0 for an unmarked column (plain numbers bare,
    // other text in apostrophes), '\'' or '"'. Any other mark of a project file
    // is an apostrophe, and a database reads text only between apostrophes.
    char Mark = 0;
    std::string Type;         // for CREATE TABLE; empty: read from the data by the run
    bool EmptyIsNull = false; // an empty value is NULL even where the column is marked
    bool LeftOut = false;     // no target name: neither the column nor its values are written
    // With CREATE TABLE in a floating column: numbers with an exponent stand bare too.
    bool BareExponents = false;
};

// The settings of one run, taken from a project once and checked: the run
// reads this copy only, so that nothing it uses changes while it goes on.
struct RunSettings {
    std::string Source;      // FileName
    std::string Target;      // TargetName
    std::string Table;       // TableName
    std::string ProjectPath; // the project's own file, which the script must never replace

    // Reading the source.
    SourceEncoding Encoding = SourceEncoding::Bytes;
    bool Header = true;           // the first record holds the column names
    bool Separated = true;        // cut at Separator, else at Widths
    std::string Separator = "\t"; // "<tab>" in the project file is a tab
    std::vector<std::size_t> Widths;
    bool QuotedFields = false; // only where the record is cut at a separator
    bool Trim = false;
    std::size_t SkipLines = 0; // title lines before the header or the first record
    // Lines beginning with it are no records (the header too may begin with it); empty: none.
    std::string CommentPrefix;
    // NULL markers, decimal and thousands separators, the date format: the values are read
    // through a SourceValueReader only when Values.InUse(), decided once for the run.
    SourceValueRules Values;

    // Writing the script.
    const DialectRules* Dialect = &RulesOf(SqlDialect::Generic);
    bool Copy = false; // COPY ... FROM stdin instead of INSERT
    std::size_t RowsPerInsert = 1;
    bool CreateTable = false;
    bool DropTable = false;
    bool Commit = false;
    std::uint64_t CommitInterval = 250; // rows per COMMIT; 0: only at the end
    std::string StatementSeparator = ";";

    std::vector<ColumnSettings> Columns;

    // The settings of the project. Throws SettingsError, naming the key, its
    // value and what the key takes, for a value no run can use.
    static RunSettings From(const CProject& project);
};

// The widths of a Widths text ("5,10,3"; "10" is one width). Throws
// SettingsError unless each is a whole number from 1 to 1,000,000,000.
std::vector<std::size_t> ParseWidths(const std::string& text);
