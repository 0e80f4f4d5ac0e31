#include "SqlDialect.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Qualified(std::string_view name, SqlDialect dialect)
{
    std::string out;
    AppendQualifiedName(out, name, dialect);
    return out;
}

TEST(SqlDialect, NamesAsEachDatabaseReadsThem)
{
    const struct {
        const char* Name;
        const char *Generic, *PostgreSQL, *MySQL, *SQLite, *SQLServer;
    } cases[] = {
        {"People", "People", "People", "`People`", "\"People\"", "[People]"},
        {"Last_Name", "\"Last_Name\"", "Last_Name", "`Last_Name`", "\"Last_Name\"", "[Last_Name]"},
        {"_x1", "\"_x1\"", "_x1", "`_x1`", "\"_x1\"", "[_x1]"},
        {"select", "\"select\"", "\"select\"", "`select`", "\"select\"", "[select]"},
        {"a\"b`c]d", "\"a\"\"b`c]d\"", "\"a\"\"b`c]d\"", "`a\"b``c]d`", "\"a\"\"b`c]d\"", "[a\"b`c]]d]"},
        {"public.t", "public.t", "public.t", "`public`.`t`", "\"public\".\"t\"", "[public].[t]"},
        {"my schema.Order", "\"my schema\".\"Order\"", "\"my schema\".\"Order\"", "`my schema`.`Order`",
         "\"my schema\".\"Order\"", "[my schema].[Order]"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Qualified(c.Name, SqlDialect::Generic), c.Generic) << c.Name;
        EXPECT_EQ(Qualified(c.Name, SqlDialect::PostgreSQL), c.PostgreSQL) << c.Name;
        EXPECT_EQ(Qualified(c.Name, SqlDialect::MySQL), c.MySQL) << c.Name;
        EXPECT_EQ(Qualified(c.Name, SqlDialect::SQLite), c.SQLite) << c.Name;
        EXPECT_EQ(Qualified(c.Name, SqlDialect::SQLServer), c.SQLServer) << c.Name;
    }
}

TEST(SqlDialect, ProjectNames)
{
    SqlDialect dialect = SqlDialect::SQLite;
    EXPECT_TRUE(ParseDialect("", dialect));
    EXPECT_EQ(dialect, SqlDialect::Generic);
    EXPECT_TRUE(ParseDialect("postgresql", dialect));
    EXPECT_EQ(dialect, SqlDialect::PostgreSQL);
    EXPECT_TRUE(ParseDialect("MariaDB", dialect));
    EXPECT_EQ(dialect, SqlDialect::MySQL);
    EXPECT_FALSE(ParseDialect("Oracle", dialect));
    EXPECT_EQ(dialect, SqlDialect::MySQL);
}

} // namespace
