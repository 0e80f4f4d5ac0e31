// The progress line redraws itself in place, with or without escape sequences.
#include "ProgressLine.h"

#include <gtest/gtest.h>

TEST(ProgressLine, ClearsWhatTheLastDrawingLeft)
{
    const struct {
        bool Escapes;
        const char* First;
        const char* Second;
        const char* Cleared;
    } cases[] = {
        {true, "\rline 1000    5%\033[K", "\rline 10   99%\033[K", "\r\033[K"},
        // A console without escape sequences: blanks cover the longer text that went before.
        {false, "\rline 1000    5%", "\rline 10   99%  ",
         "\r"
         "             \r"},
    };
    for (const auto& c : cases) {
        ProgressLine line(c.Escapes);
        EXPECT_EQ(line.Draw("line 1000", 5), c.First);
        EXPECT_EQ(line.Draw("line 10", 99), c.Second);
        EXPECT_EQ(line.Clear(), c.Cleared);
    }
}

TEST(ProgressLine, NeverShowsMoreThanAHundredPercent)
{
    ProgressLine line(false);
    EXPECT_EQ(line.Draw("done", 130), "\rdone  100%");
}
