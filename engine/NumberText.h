#pragma once

#include <string_view>

// Every byte a digit, except a sign in front and one '.' anywhere. The empty
// text, a lone sign and a lone '.' pass too: this decides how a column is marked.
bool LooksNumeric(std::string_view value);

// A number that may stand bare in SQL: LooksNumeric with at least one digit.
bool IsPlainNumber(std::string_view value);
