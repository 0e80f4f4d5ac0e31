#pragma once

#include "SqlDialect.h"

#include <cstddef>
#include <string>
#include <string_view>

// What a column's values say about its SQL type, value by value: every
// non-empty value an integer that fits 64 bits, a plain decimal, an ISO date
// (YYYY-MM-DD) or date and time (YYYY-MM-DD hh:mm:ss, or with a "T"); anything
// else, numbers kept as text ("007") included, makes it text.
class ColumnTypeGuess {
  public:
    void Add(std::string_view value);
    // The type for CREATE TABLE in the dialect: BIGINT, NUMERIC(p,s), DATE,
    // TIMESTAMP or a text type as long as the longest value, each in the
    // dialect's own spelling. A column without any value is text.
    std::string TypeName(SqlDialect dialect) const;

  private:
    enum class Kind { None, Integer, Decimal, Date, Timestamp, Text };
    Kind Found = Kind::None;
    std::size_t IntegerDigits = 0;  // the most digits before the point
    std::size_t FractionDigits = 0; // the most after it
    std::size_t LongestText = 0;    // in characters (UTF-8)
};
