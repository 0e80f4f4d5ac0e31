#pragma once

#include <string_view>

// True when the name, in any letter case, is a word SQL reserves, so that it
// cannot stand unquoted as a table or column name ("select", "order").
bool IsReservedWord(std::string_view name);
