#include "ColumnNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

TEST(WrittenColumnNames, EachDatabaseTakesEveryName)
{
    const std::string a70(70, 'a');
    const std::string e100 = [] {
        std::string text;
        for (int i = 0; i < 100; ++i)
            text += "\xC3\xA9"; // é: 2 bytes, 1 character, 1 UTF-16 code unit
        return text;
    }();
    const std::string emoji = "\xF0\x9F\x98\x80";
    const struct {
        Names Given;
        SqlDialect Dialect;
        Names Written;
    } cases[] = {
        {{" NAME ", "\t", "", "id"}, SqlDialect::Generic, {" NAME ", "\t", "", "id"}},
        {{" NAME ", "\t", "", "id"}, SqlDialect::SQLite, {"NAME", "N1", "", "id"}},
        {{"Id", "ID", "\xC3\x89", "\xC3\xA9", "e"},
         SqlDialect::SQLite,
         {"Id", "ID_2", "\xC3\x89", "\xC3\xA9", "e"}},
        {{"\xC3\x89", "\xC3\xA9", "e", "E_2"}, SqlDialect::MySQL, {"\xC3\x89", "\xC3\xA9_2", "e_3", "E_2_2"}},
        {{"x" + emoji, a70}, SqlDialect::MySQL, {"x_", std::string(64, 'a')}},
        {{std::string(62, 'a') + "  b", std::string(61, 'c') + " d e"},
         SqlDialect::MySQL,
         {std::string(62, 'a'), std::string(61, 'c') + " d"}}, // no blank last where cut
        {{a70 + "1", a70 + "2"}, SqlDialect::PostgreSQL, {std::string(63, 'a'), std::string(61, 'a') + "_2"}},
        {{e100}, SqlDialect::PostgreSQL, {e100.substr(0, 62)}}, // whole characters only
        {{e100 + e100}, SqlDialect::SQLServer, {e100 + e100.substr(0, 56)}},
        {{std::string(127, 'x') + emoji}, SqlDialect::SQLServer, {std::string(127, 'x')}},
        {{"\xC3\x89", "\xC3\xA9", "e"}, SqlDialect::SQLServer, {"\xC3\x89", "\xC3\xA9_2", "e"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WrittenColumnNames(c.Given, c.Dialect), c.Written) << c.Given.front();
}

} // namespace
