#pragma once

#include "ColumnTypes.h"
#include "NumberText.h"
#include "RunSettings.h"
#include "SourceValues.h"

#include <string_view>

// How a value of a column is written: NULL, standing bare (a number the
// column reads as the source wrote it) or as a literal. The one rule for
// INSERT rows, COPY rows (where bare and literal are both the text) and the
// preview.
enum class ValueForm { Null, Bare, Literal };

inline ValueForm FormOf(std::string_view value, const ColumnSettings& column)
{
    if (value.empty())
        return column.Mark == 0 || column.EmptyIsNull ? ValueForm::Null : ValueForm::Literal;
    // A bare value must not be able to run as SQL: only numbers stand bare.
    if (column.Mark != 0)
        return ValueForm::Literal;
    if (IsPlainNumber(value))
        return ValueForm::Bare;
    if (!column.BareExponents)
        return ValueForm::Literal;
    NumberShape shape;
    return ReadCanonicalNumber(value, shape) ? ValueForm::Bare : ValueForm::Literal;
}

// With CREATE TABLE, once the column's type is known: the numbers it takes
// bare (NumbersOfType). A column of text reads a bare number as the database
// spells it (SQLite reads 1.10 as 1.1), so its values are literals, an empty
// one NULL as before; a floating one takes every number bare, whatever its mark.
inline void TakeNumbersOfType(ColumnSettings& column)
{
    switch (NumbersOfType(column.Type)) {
    case BareNumbers::Plain:
        break;
    case BareNumbers::None:
        if (column.Mark == 0) {
            column.Mark = '\'';
            column.EmptyIsNull = true;
        }
        break;
    case BareNumbers::Floating:
        column.Mark = 0;
        column.BareExponents = true;
        break;
    }
}

// A value read by the source's value rules: one of its NULL markers is NULL
// in every column; any other is written by its text as above.
inline ValueForm FormOf(const ReadValue& value, const ColumnSettings& column)
{
    return value.NullMarker ? ValueForm::Null : FormOf(value.Text, column);
}
