#pragma once

#include "TextDecoder.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// What a source's own bytes say about how a new project should read it: the separator, quoted
// fields, a header line, title lines before it, line ends, the encoding, NULL markers, decimal
// commas and the way dates are written. Each decided setting comes as a project key with the
// reason it was decided from, so that a user can take it over or see why.

// One setting as a project file holds it, with what it was decided from.
struct DetectedKey {
    std::string Key;    // "Separator"
    std::string Value;  // as the project file writes it ("<tab>" for a tab)
    std::string Reason; // what it was decided from, in a few words
};

enum class LineEnding { None, Lf, CrLf, Cr };

struct SourceDetection {
    // The settings, with the values of a new project where nothing decided otherwise.
    std::string Separator = "<tab>"; // as the project key holds it
    bool QuotedFields = false;
    bool ColumnNames = true;
    bool Trim = false;
    int SkipLines = 0;         // title lines before the header
    std::string CommentPrefix; // lines beginning with it are comments; empty: none
    LineEnding LineEnds = LineEnding::None;
    SourceEncoding Encoding = SourceEncoding::Utf8;
    std::vector<std::string> NullValues;
    char DecimalSeparator = '.';
    std::string ThousandsSeparator; // as the project key holds it ("<space>" for a blank)
    std::string DateFormat;         // empty: no values decided one (YYYY-MM-DD stays)

    // Every setting detection decided, as project keys, in the order to show them.
    std::vector<DetectedKey> Keys;
    // What was looked at and left as it was, and why ("dates such as 03/04/2024 read both ways").
    std::vector<std::string> Notes;
    // UTF-8 judged from the sample alone: a byte further on may still make it Windows-1252.
    bool EncodingOfSampleOnly = false;

    // The value detection gave the key, or null when it gave none.
    const DetectedKey* Find(std::string_view key) const;
    // How the records are cut, in a few words ("';' separated, header", "one column, no header").
    std::string Layout() const;
    // The detection in a few words, for a status line ("',' separated, header, quoted fields").
    std::string Summary() const;
};

// Detection reads at most this much of a source for everything but the encoding.
inline constexpr std::size_t DetectionSampleSize = std::size_t{1} << 20;

// How much of a file the encoding is judged from: all of a regular file (as a run needs it),
// or the sample the rest is detected from (at once, for a window that checks the rest after).
enum class EncodingScope { WholeFile, Sample };

// Detects from the file at `path` (a UTF-8 path): the encoding as `scope` says, the rest from
// its first DetectionSampleSize bytes. Throws FileError, naming the file and the system's
// reason, when it cannot be opened or read.
SourceDetection DetectSource(const std::string& path, EncodingScope scope = EncodingScope::WholeFile);

// Detects from bytes in hand: `sample` is the start of a source (the whole source when `whole`);
// the encoding is judged from the sample alone.
SourceDetection DetectSample(std::string_view sample, bool whole);

class CProject;
enum class SqlDialect;

// A new project's source has been chosen (project.FileName, a regular file): the detected keys go
// into the project, an empty TargetName becomes SuggestedTarget and an empty TableName
// SuggestedTableName. Gives the detection, for what to tell the user. Throws FileError as
// DetectSource does.
SourceDetection ApplySourceDetection(CProject& project);
// The same with a detection in hand.
void ApplySourceDetection(CProject& project, const SourceDetection& detection);

// "<source name>.sql" beside the source ("orders.sql" for "orders.csv"; "x.sql.sql" for "x.sql").
std::string SuggestedTarget(const std::string& source);
// A table name made from the source's file name that the database takes without quotes: ASCII
// letters and digits, "_" for what lies between words where the dialect allows it (lower case
// for PostgreSQL), "t" before a digit, "data" for a name with none of these; a reserved word
// gets "_data" (or "data") after it.
std::string SuggestedTableName(const std::string& source, SqlDialect dialect);
