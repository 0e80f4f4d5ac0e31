#pragma once

#include "NumberText.h"
#include "RunSettings.h"

#include <string_view>

// How a value of a column is written: NULL, standing bare (a number the
// column's type reads as the source means it) or as a literal. The one rule
// for INSERT rows, COPY rows (where bare and literal are both the text) and
// the preview.
enum class ValueForm { Null, Bare, Literal };

inline ValueForm FormOf(std::string_view value, const ColumnSettings& column)
{
    if (value.empty())
        return column.Mark == 0 || column.EmptyIsNull ? ValueForm::Null : ValueForm::Literal;
    // A bare value must not be able to run as SQL: only numbers stand bare.
    switch (column.Numbers) {
    case BareNumbers::Plain:
        break;
    case BareNumbers::None:
        // A text column reads a bare number as the database spells it ("1.10" in SQLite as 1.1).
        return ValueForm::Literal;
    case BareNumbers::Floating: {
        NumberShape shape;
        return ReadCanonicalNumber(value, shape) ? ValueForm::Bare : ValueForm::Literal;
    }
    }
    return column.Mark == 0 && IsPlainNumber(value) ? ValueForm::Bare : ValueForm::Literal;
}
