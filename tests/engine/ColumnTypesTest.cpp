#include "ColumnTypes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(ColumnTypeGuess, TheValuesDecideTheType)
{
    const std::string emoji = "\xF0\x9F\x98\x80";
    const struct {
        std::vector<std::string> Values;
        const char *Generic, *PostgreSQL, *MySQL, *SQLite, *SQLServer;
    } cases[] = {
        {{"1", "-25", "", "9223372036854775807"}, "BIGINT", "BIGINT", "BIGINT", "INTEGER", "BIGINT"},
        {{"9223372036854775808"},
         "NUMERIC(19,0)",
         "NUMERIC(19,0)",
         "DECIMAL(19,0)",
         "TEXT", // SQLite would read a double: 16 significant digits and more are text there
         "NUMERIC(19,0)"},
        {{"12.50", "-3", "0.125"}, "NUMERIC(5,3)", "NUMERIC(5,3)", "DECIMAL(5,3)", "NUMERIC", "NUMERIC(5,3)"},
        {{"12345678901234.5"}, "NUMERIC(15,1)", "NUMERIC(15,1)", "DECIMAL(15,1)", "NUMERIC", "NUMERIC(15,1)"},
        {{"6.92E-05", "9.75e-06", "3", "-1.5"},
         "DOUBLE PRECISION",
         "DOUBLE PRECISION",
         "DOUBLE",
         "REAL",
         "FLOAT"},
        {{"1e400"}, "VARCHAR(5)", "TEXT", "VARCHAR(5)", "TEXT", "NVARCHAR(5)"}, // beyond a double
        {{"1.2345678901234567e5"}, "VARCHAR(20)", "TEXT", "VARCHAR(20)", "TEXT", "NVARCHAR(20)"},
        {{"+49", "5"}, "VARCHAR(3)", "TEXT", "VARCHAR(3)", "TEXT", "NVARCHAR(3)"}, // not canonical
        {{".5", "-0", "5."}, "VARCHAR(2)", "TEXT", "VARCHAR(2)", "TEXT", "NVARCHAR(2)"},
        {{"2024-01-31", "2024-02-29", "2000-02-29"}, "DATE", "DATE", "DATE", "TEXT", "DATE"},
        {{"2023-02-29"}, "VARCHAR(10)", "TEXT", "VARCHAR(10)", "TEXT", "NVARCHAR(10)"}, // not in the calendar
        {{"1900-02-29"}, "VARCHAR(10)", "TEXT", "VARCHAR(10)", "TEXT", "NVARCHAR(10)"},
        {{"2024-04-31"}, "VARCHAR(10)", "TEXT", "VARCHAR(10)", "TEXT", "NVARCHAR(10)"},
        {{"0000-01-01"}, "VARCHAR(10)", "TEXT", "VARCHAR(10)", "TEXT", "NVARCHAR(10)"},
        {{"2024-13-01"}, "VARCHAR(10)", "TEXT", "VARCHAR(10)", "TEXT", "NVARCHAR(10)"},
        {{"2024-01-31 23:59:59", "2024-02-01T00:00:00.250", "2024-03-01"},
         "TIMESTAMP",
         "TIMESTAMP",
         "DATETIME(3)",
         "TEXT",
         "DATETIME2"},
        {{"2015-03-17 11:50:46"}, "TIMESTAMP", "TIMESTAMP", "DATETIME", "TEXT", "DATETIME2"},
        {{"2015-03-17 11:50:46.1234567"}, "VARCHAR(27)", "TEXT", "VARCHAR(27)", "TEXT", "DATETIME2"},
        {{"2015-03-17 11:50:46.12345678"}, "VARCHAR(28)", "TEXT", "VARCHAR(28)", "TEXT", "NVARCHAR(28)"},
        {{"11:50:46.125", "08:00:00"}, "TIME", "TIME", "TIME(3)", "TEXT", "TIME"},
        {{"11:50:46.1234567"}, "VARCHAR(16)", "TEXT", "VARCHAR(16)", "TEXT", "TIME"},
        {{"24:00:00"}, "VARCHAR(8)", "TEXT", "VARCHAR(8)", "TEXT", "NVARCHAR(8)"},
        {{"2024-01-31", "11:50:46"}, "VARCHAR(10)", "TEXT", "VARCHAR(10)", "TEXT", "NVARCHAR(10)"},
        {{"007", "5"}, "VARCHAR(3)", "TEXT", "VARCHAR(3)", "TEXT", "NVARCHAR(3)"},           // kept as text
        {{"M\xC3\xBCller", "1"}, "VARCHAR(6)", "TEXT", "VARCHAR(6)", "TEXT", "NVARCHAR(6)"}, // in characters
        {{emoji + emoji}, "VARCHAR(2)", "TEXT", "VARCHAR(2)", "TEXT", "NVARCHAR(4)"}, // UTF-16 code units
        {{"", ""}, "VARCHAR(1)", "TEXT", "VARCHAR(1)", "TEXT", "NVARCHAR(1)"},
        {{std::string(4001, 'x')}, "VARCHAR(4001)", "TEXT", "VARCHAR(4001)", "TEXT", "NVARCHAR(MAX)"},
        {{std::string(16384, 'x')}, "VARCHAR(16384)", "TEXT", "MEDIUMTEXT", "TEXT", "NVARCHAR(MAX)"},
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

TEST(ColumnTypeGuess, WithoutAnEncodingLengthsCountBytes)
{
    // Each byte may be a character of its own: Latin-1 text has bytes 0x80-0xBF too.
    const struct {
        const char* Value;
        bool Bytes;
        const char *MySQL, *SQLServer;
    } cases[] = {
        {"Z\xC3\xBCrich \xF0\x9F\x98\x80", false, "VARCHAR(8)", "NVARCHAR(9)"},
        {"Z\xC3\xBCrich \xF0\x9F\x98\x80", true, "VARCHAR(12)", "NVARCHAR(12)"},
        {"\xBC\xBD\xBE", true, "VARCHAR(3)", "NVARCHAR(3)"},
    };
    for (const auto& c : cases) {
        ColumnTypeGuess guess;
        guess.Add(c.Value);
        EXPECT_EQ(guess.TypeName(SqlDialect::MySQL, c.Bytes), c.MySQL) << c.Value;
        EXPECT_EQ(guess.TypeName(SqlDialect::SQLServer, c.Bytes), c.SQLServer) << c.Value;
    }
}

TEST(TableTypeNames, MariadbTextColumnsFitTheRow)
{
    auto columns = [](std::size_t count, std::size_t length) {
        std::vector<ColumnTypeGuess> guesses(count);
        for (ColumnTypeGuess& guess : guesses)
            guess.Add(std::string(length, 'x'));
        return guesses;
    };
    auto texts = [](const std::vector<std::string>& types) {
        return static_cast<std::size_t>(std::count(types.begin(), types.end(), "TEXT"));
    };
    // Three of 6,000 characters need 72,000 bytes of the 65,535: one is TEXT.
    const std::vector<std::string> wide = TableTypeNames(columns(3, 6000), SqlDialect::MySQL, false, {}, {});
    EXPECT_EQ(wide, (std::vector<std::string>{"TEXT", "VARCHAR(6000)", "VARCHAR(6000)"}));
    // 40 of 63 characters hold 10,120 bytes in the row itself, of 8,126: nine are TEXT.
    EXPECT_EQ(texts(TableTypeNames(columns(40, 63), SqlDialect::MySQL, false, {}, {})), 9u);
    EXPECT_EQ(texts(TableTypeNames(columns(31, 63), SqlDialect::MySQL, false, {}, {})), 0u);
    // A column left out takes nothing; a chosen type is kept and counted.
    EXPECT_EQ(texts(TableTypeNames(columns(3, 6000), SqlDialect::MySQL, false, {}, {true})), 0u);
    EXPECT_EQ(TableTypeNames(columns(3, 6000), SqlDialect::MySQL, false, {"", "", "VARCHAR(12000)"}, {}),
              (std::vector<std::string>{"TEXT", "TEXT", "VARCHAR(12000)"}));
    EXPECT_EQ(texts(TableTypeNames(columns(3, 6000), SqlDialect::PostgreSQL, false, {}, {})), 3u);
    EXPECT_EQ(texts(TableTypeNames(columns(3, 6000), SqlDialect::Generic, false, {}, {})), 0u);
}

} // namespace
