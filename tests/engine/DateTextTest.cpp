#include "DateText.h"

#include <gtest/gtest.h>

#include <string>

TEST(DateText, FormatNamesReadBack)
{
    for (const DateFormat& format : AllDateFormats()) {
        DateFormat read{DateFormat::Order::MonthDayYear, '?', 0};
        ASSERT_TRUE(ParseDateFormat(DateFormatName(format), read)) << DateFormatName(format);
        EXPECT_TRUE(read == format) << DateFormatName(format);
    }
    DateFormat format;
    EXPECT_TRUE(ParseDateFormat("dd/mm/yyyy", format));
    EXPECT_EQ(DateFormatName(format), "DD/MM/YYYY");
    for (const char* bad : {"", "DD/MM", "DD/MM/YYY", "YYYY-DD-MM", "DD/MM-YYYY", "DD MM YYYY"})
        EXPECT_FALSE(ParseDateFormat(bad, format)) << bad;
}

TEST(DateText, ValuesReadInTheirFormatAndAreWrittenInIsoForm)
{
    const struct {
        const char* Format;
        const char* Value;
        const char* Iso; // empty: no date in the format
        bool Time;
    } cases[] = {
        {"YYYY-MM-DD", "2024-01-31", "2024-01-31", false},
        {"YYYY-MM-DD", "2024-1-5", "2024-01-05", false},
        {"DD/MM/YYYY", "31/01/2024", "2024-01-31", false},
        {"DD/MM/YYYY", "1/2/2024", "2024-02-01", false},
        {"MM/DD/YYYY", "01/31/2024", "2024-01-31", false},
        {"MM/DD/YYYY", "31/01/2024", "", false},
        {"DD.MM.YYYY", "29.02.2024", "2024-02-29", false},
        {"DD.MM.YYYY", "29.02.2023", "", false},
        {"DD.MM.YYYY", "31.04.2024", "", false},
        {"YYYY/MM/DD", "2024/12/01", "2024-12-01", false},
        {"DD/MM/YY", "05/06/68", "2068-06-05", false},
        {"DD/MM/YY", "05/06/69", "1969-06-05", false},
        {"DD/MM/YY", "05/06/2024", "", false},
        {"DD/MM/YYYY", "31/01/2024 9:05", "2024-01-31 09:05:00", true},
        {"DD/MM/YYYY", "31/01/2024 13:05:59", "2024-01-31 13:05:59", true},
        {"YYYY-MM-DD", "2024-01-31T13:05:59.125", "2024-01-31 13:05:59.125", true},
        {"DD/MM/YYYY", "31/01/2024 24:00", "", false},
        {"DD/MM/YYYY", "31/01/2024 13:05:60", "", false},
        {"DD/MM/YYYY", "31/01/2024 13:05:59.123456789", "2024-01-31 13:05:59.123456789", true},
        {"DD/MM/YYYY", "31/01/2024 13:05:59.1234567890", "", false},
        {"DD/MM/YYYY", "31/01/2024 13:05.5", "", false},
        {"DD/MM/YYYY", "31/01/2024 13:05:59:00", "", false},
        {"DD/MM/YYYY", "31/01/2024 12:5", "", false},
        {"DD/MM/YYYY", "31/01/2024x", "", false},
        {"DD/MM/YYYY", "31-01-2024", "", false},
        {"DD/MM/YYYY", "131/01/2024", "", false},
        {"DD/MM/YYYY", "", "", false},
    };
    for (const auto& c : cases) {
        DateFormat format;
        ASSERT_TRUE(ParseDateFormat(c.Format, format)) << c.Format;
        char iso[IsoDateSize + 1];
        bool hasTime = !c.Time;
        const std::size_t length = ReadDate(c.Value, format, iso, hasTime);
        EXPECT_EQ(std::string(iso, length), c.Iso) << c.Format << " " << c.Value;
        if (length > 0) {
            EXPECT_EQ(hasTime, c.Time) << c.Value;
        }
    }
}
