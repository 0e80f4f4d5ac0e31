#pragma once

#include "NumberText.h"
#include "RunSettings.h"
#include "SourceValues.h"

#include <string_view>

// How a value of a column is written: NULL, standing bare (a plain number in
// an unmarked column) or as a literal. The one rule for INSERT rows, COPY rows
// (where bare and literal are both the text) and the preview.
enum class ValueForm { Null, Bare, Literal };

inline ValueForm FormOf(std::string_view value, const ColumnSettings& column)
{
    if (value.empty())
        return column.Mark == 0 || column.EmptyIsNull ? ValueForm::Null : ValueForm::Literal;
    // A bare value must not be able to run as SQL: only plain numbers stand bare.
    return column.Mark == 0 && IsPlainNumber(value) ? ValueForm::Bare : ValueForm::Literal;
}

// A value read by the source's value rules: one of its NULL markers is NULL
// in every column; any other is written by its text as above.
inline ValueForm FormOf(const ReadValue& value, const ColumnSettings& column)
{
    return value.NullMarker ? ValueForm::Null : FormOf(value.Text, column);
}
