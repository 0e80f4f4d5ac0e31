#pragma once

#include "SqlDialect.h"

#include <string>
#include <vector>

// The column names as the dialect's database takes them in one table: blanks
// around a name taken off, characters it cannot take in a name made "_", a
// name beyond its length cut after a whole character, and a name that it would
// take for an earlier one (PostgreSQL cuts names at 63 bytes; MariaDB compares
// them without letter case and accents) made distinct with "_2", "_3", ...
// within the length. An empty name (a column left out) stays empty; a name of
// blanks only is named by its place ("N0", "N1", ...). Generic: as they are.
std::vector<std::string> WrittenColumnNames(const std::vector<std::string>& names, SqlDialect dialect);
