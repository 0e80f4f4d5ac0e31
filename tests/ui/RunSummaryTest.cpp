// The run page's final status: rows, time and the lines that did not fit the columns.
#include "RunSummary.h"

#include <gtest/gtest.h>

TEST(RunSummary, CountsAreGroupedByThousands)
{
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0"},           {999, "999"},           {1000, "1,000"},
        {65536, "65,536"},  {1000000, "1,000,000"}, {18446744073709551615ull, "18,446,744,073,709,551,615"},
        {100000, "100,000"}};
    for (const auto& [number, text] : cases)
        EXPECT_EQ(GroupedNumber(number), text);
}

TEST(RunSummary, SaysWhatTheRunDid)
{
    CConverter converter;
    converter.RowsWritten = 1000000;
    EXPECT_EQ(CompletedRunSummary(converter, 0.42), "1,000,000 rows written in 0.4 s");
    converter.RowsWritten = 1;
    EXPECT_EQ(CompletedRunSummary(converter, 12.36), "1 row written in 12.4 s");
    converter.ShortLines.Add(7);
    converter.ShortLines.Add(9);
    converter.LongLines.Add(12);
    EXPECT_EQ(CompletedRunSummary(converter, 0),
              "1 row written in 0.0 s; 2 lines with fewer fields than columns (first: line 7); "
              "1 line with more fields than columns (first: line 12)");
    converter.Note = "values hold backslashes";
    const std::string noted = CompletedRunSummary(converter, 0);
    EXPECT_EQ(noted.substr(noted.rfind(';')), "; values hold backslashes");
    EXPECT_EQ(StoppedRunSummary(123456),
              "Stopped at line 123,456; the target file is as it was before the run");
}
