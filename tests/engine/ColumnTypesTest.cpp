#include "ColumnTypes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ColumnTypeGuess, TheValuesDecideTheType)
{
    const struct {
        std::vector<std::string> Values;
        const char *Generic, *PostgreSQL, *MySQL, *SQLite, *SQLServer;
    } cases[] = {
        {{"1", "-25", "", "9223372036854775807"}, "BIGINT", "BIGINT", "BIGINT", "INTEGER", "BIGINT"},
        {{"9223372036854775808"},
         "NUMERIC(19,0)",
         "NUMERIC(19,0)",
         "DECIMAL(19,0)",
         "NUMERIC",
         "NUMERIC(19,0)"},
        {{"12.50", "-3", ".125"}, "NUMERIC(5,3)", "NUMERIC(5,3)", "DECIMAL(5,3)", "NUMERIC", "NUMERIC(5,3)"},
        {{"2024-01-31", "1999-12-01"}, "DATE", "DATE", "DATE", "TEXT", "DATE"},
        {{"2024-01-31 23:59:59", "2024-02-01T00:00:00.250", "2024-03-01"},
         "TIMESTAMP",
         "TIMESTAMP",
         "DATETIME",
         "TEXT",
         "DATETIME2"},
        {{"007", "5"}, "VARCHAR(3)", "TEXT", "VARCHAR(3)", "TEXT", "NVARCHAR(3)"}, // kept as text
        {{"2024-13-01"}, "VARCHAR(10)", "TEXT", "VARCHAR(10)", "TEXT", "NVARCHAR(10)"},
        {{"M\xC3\xBCller", "1"}, "VARCHAR(6)", "TEXT", "VARCHAR(6)", "TEXT", "NVARCHAR(6)"}, // in characters
        {{"", ""}, "VARCHAR(1)", "TEXT", "VARCHAR(1)", "TEXT", "NVARCHAR(1)"},
        {{std::string(16384, 'x')}, "VARCHAR(16384)", "TEXT", "LONGTEXT", "TEXT", "NVARCHAR(MAX)"},
    };
    for (const auto& c : cases) {
        ColumnTypeGuess guess;
        for (const std::string& value : c.Values)
            guess.Add(value);
        const std::string first = c.Values.front().substr(0, 20);
        EXPECT_EQ(guess.TypeName(SqlDialect::Generic), c.Generic) << first;
        EXPECT_EQ(guess.TypeName(SqlDialect::PostgreSQL), c.PostgreSQL) << first;
        EXPECT_EQ(guess.TypeName(SqlDialect::MySQL), c.MySQL) << first;
        EXPECT_EQ(guess.TypeName(SqlDialect::SQLite), c.SQLite) << first;
        EXPECT_EQ(guess.TypeName(SqlDialect::SQLServer), c.SQLServer) << first;
    }
}

} // namespace
