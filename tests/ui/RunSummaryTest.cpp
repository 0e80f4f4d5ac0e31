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

TEST(RunSummary, ProgressNamesThePhaseThePercentageTheRateAndTheTimeLeft)
{
    using Phase = RunProgress::Phase;
    struct Case {
        Phase Step;
        std::uint64_t Line, Rows, TotalBytes;
        int Percent;
        double PhaseSeconds, RunSeconds;
        const char* Text;
    };
    const Case cases[] = {
        {Phase::ReadingTypes, 1234, 0, 900, 20, 2, 2,
         "Reading the types: 20 %, line 1,234, 617 lines/s, about 8 s left"},
        {Phase::Writing, 5000, 4000000, 900, 60, 4, 6,
         "Writing the script: 60 %, 4,000,000 rows, 1,000,000 rows/s, about 4 s left"},
        {Phase::Writing, 1, 1, 900, 0, 0.1, 0.1, "Writing the script: 0 %, 1 row"},
        {Phase::Writing, 9, 9, 900, 150, 1, 1, "Writing the script: 100 %, 9 rows, 9 rows/s"},
        {Phase::Writing, 9, 9, 0, 100, 1, 1, "Writing the script: 9 rows, 9 rows/s"}, // a pipe
        {Phase::Writing, 9, 9, 900, 1, 1, 100,
         "Writing the script: 1 %, 9 rows, 9 rows/s, about 2 h 45 min left"},
    };
    for (const Case& c : cases) {
        RunProgress report;
        report.Step = c.Step;
        report.Line = c.Line;
        report.Rows = c.Rows;
        report.TotalBytes = c.TotalBytes;
        report.Percent = c.Percent;
        EXPECT_EQ(RunProgressText(report, c.PhaseSeconds, c.RunSeconds), c.Text);
    }
    EXPECT_EQ(TimeLeftText(125.4), "about 2 min 5 s left");
}

TEST(RunSummary, AFailedRunSaysWhereAndWhy)
{
    EXPECT_EQ(
        FailedRunSummary(2998, "The conversion stopped at a read or write error.\n\n/dev/full\n\nReason: x"),
        "Failed at line 2,998. The conversion stopped at a read or write error. The target file is "
        "as it was before the run.");
    EXPECT_EQ(FailedRunSummary(0, "The source file cannot be opened."),
              "Failed before the first line. The source file cannot be opened. The target file is as it "
              "was before the run.");
}
