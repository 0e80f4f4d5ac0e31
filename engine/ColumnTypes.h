#pragma once

#include "SqlDialect.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// What a column's values say about its SQL type, value by value: every
// non-empty value an integer that fits 64 bits, a decimal, a number with an
// exponent, a date the calendar has (YYYY-MM-DD, years 0001 to 9999), a date and
// time (YYYY-MM-DD hh:mm:ss, or with a "T", and a fraction of a second) or a
// time of day (hh:mm:ss and a fraction); numbers only in their canonical form
// (NumberShape). Anything else makes the column text.
class ColumnTypeGuess {
  public:
    void Add(std::string_view value);
    // The type for CREATE TABLE in the dialect: BIGINT, NUMERIC(p,s), DOUBLE
    // PRECISION, DATE, TIMESTAMP, TIME or a text type as long as the longest
    // value, each in the dialect's own spelling; text where the dialect's type
    // would not keep every value as it is. A column without any value is text.
    // `bytesAsText`: the source is read as bytes without an encoding, so that a
    // length counts bytes (each byte may be a character of its own).
    std::string TypeName(SqlDialect dialect, bool bytesAsText = false) const;

  private:
    enum class Kind { None, Integer, Decimal, Floating, Date, Timestamp, Time, Text };
    std::size_t Length(SqlDialect dialect, bool bytesAsText) const;
    Kind Found = Kind::None;
    std::size_t IntegerDigits = 0;     // the most digits before the point
    std::size_t FractionDigits = 0;    // the most after it (of a second, for times)
    std::size_t SignificantDigits = 0; // the most of any number
    std::size_t LongestCharacters = 0; // UTF-8 characters
    std::size_t LongestUtf16 = 0;      // UTF-16 code units
    std::size_t LongestBytes = 0;
};

// The types of a table's columns: `chosen` where it names one, else the
// column's TypeName. MySQL: text columns become TEXT, the longest first, until
// a row fits MariaDB's limits (65,535 bytes for all columns at 4 bytes a
// character; 8,126 bytes stored in the row itself, where a long column takes a
// 20-byte reference). Columns that `leftOut` marks are not in the table.
std::vector<std::string> TableTypeNames(const std::vector<ColumnTypeGuess>& guesses, SqlDialect dialect,
                                        bool bytesAsText, const std::vector<std::string>& chosen,
                                        const std::vector<bool>& leftOut);

// Which numbers a column of a type takes bare (ValueForm.h).
enum class BareNumbers : unsigned char {
    Plain,    // a plain number (IsPlainNumber) in an unmarked column
    None,     // none: every value is a literal
    Floating, // every canonical number (ReadCanonicalNumber), exponents too
};

// Which numbers a column of this type takes bare: Plain for a type of exact
// numbers (INTEGER, BIGINT, NUMERIC(5,2), DECIMAL, MONEY ...), Floating for a
// floating one (DOUBLE PRECISION, DOUBLE, REAL, FLOAT), None for any other:
// text, dates and types no rule knows take every value as a literal, which
// each database reads as the source wrote it.
BareNumbers NumbersOfType(std::string_view type);
