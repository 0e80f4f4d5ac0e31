#include "QuotedFields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Values = std::vector<std::string>;

Values Split(std::string_view record, std::string_view separator = ",")
{
    Values values;
    std::string scratch;
    SplitQuotedFields(record, separator, scratch,
                      [&](std::string_view value) { values.emplace_back(value); });
    return values;
}

TEST(QuotedFields, ValuesAsSpreadsheetsMeanThem)
{
    const struct {
        std::string Record;
        Values Expected;
    } cases[] = {
        {"a,b", {"a", "b"}},
        {"\"a,b\",c", {"a,b", "c"}},
        {"\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}},
        {"\"\"\"\"", {"\""}},
        {"\"\",", {"", ""}},
        {"a\"b,\"c\"", {"a\"b", "c"}},                 // a quote inside an unquoted field is data
        {"\"ab\"cd,e", {"abcd", "e"}},                 // bytes after the closing quote belong to the value
        {"\"line\r\nnext\",z", {"line\r\nnext", "z"}}, // line ends inside quotes stay as the file has them
        {"\"open", {"open"}},                          // never closed: the value goes to the end
        {"", {""}},
        {",", {"", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Split(c.Record), c.Expected) << c.Record;
    EXPECT_EQ(Split("\"a||b\"||c", "||"), (Values{"a||b", "c"}));
}

TEST(QuotedFields, ARecordGoesOnWhileAQuotedFieldIsOpen)
{
    const struct {
        std::string Record;
        std::string Separator;
        bool Complete;
    } cases[] = {
        {"a,b", ",", true},      {"\"a", ",", false},       {"a,\"b", ",", false},
        {"a,\"b\"", ",", true},  {"a,\"b\"\"", ",", false}, // the doubled quote keeps it open
        {"a\"b,c", ",", true},                              // not at a field's start: data
        {"\"a\"x\"", ",", true},                            // after the closing quote, quotes are data
        {"x;\"y", ";", false},   {"x,\"y", ";", true},      // the comma is no separator here
        {"a||\"b", "||", false}, {"a|\"b", "||", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QuotedRecordComplete(c.Record, c.Separator), c.Complete) << c.Record;
}

} // namespace
