#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// Dates as people write them. A format names the order of day, month and year and the character
// between them: "YYYY-MM-DD", "DD/MM/YYYY", "MM/DD/YYYY", "DD.MM.YYYY", "YYYY/MM/DD", "DD-MM-YY"
// ... (DD, MM, YYYY or YY, each once, separated by one of - / .). Day and month take one or two
// digits; a two-digit year 00-68 is 2000-2068 and 69-99 is 1969-1999. A time may follow after a
// blank or a 'T': H:MM or HH:MM, optionally :SS and a fraction.
struct DateFormat {
    enum class Order : unsigned char { YearMonthDay, DayMonthYear, MonthDayYear };
    Order Parts = Order::YearMonthDay;
    char Between = '-';
    unsigned char YearDigits = 4;

    bool operator==(const DateFormat& other) const
    {
        return Parts == other.Parts && Between == other.Between && YearDigits == other.YearDigits;
    }
};

// Reads a format's name (letters in any case); false for anything else.
bool ParseDateFormat(std::string_view name, DateFormat& format);
// The format's name, "DD/MM/YYYY".
std::string DateFormatName(const DateFormat& format);

// Every format there is, ISO's first: year first with four digits, and day or month first with
// four or two, each with - / or . between.
inline constexpr std::size_t DateFormatCount = 15;
const std::array<DateFormat, DateFormatCount>& AllDateFormats();

// The longest ISO text ReadDate writes: "YYYY-MM-DD HH:MM:SS." and nine fraction digits.
inline constexpr std::size_t IsoDateSize = 29;

// A format resolved once for reading many dates: the reading for its order of the parts and
// length of the year, from a table of them.
class DateReader {
  public:
    explicit DateReader(const DateFormat& format = DateFormat());
    // Reads a date without a time from `p` on and writes its ISO form ("2024-01-31", IsoDaySize
    // bytes) to `iso`; gives where the date ends, no digit following it, or null when the text
    // there is no valid date in the format (31/02 included).
    const char* ReadDay(const char* p, const char* end, char* iso) const
    {
        return Read(p, end, Separator, iso);
    }
    char Between() const { return Separator; }
    // Reads a time after a date from `p` on: a blank or 'T', then H:MM or HH:MM, optionally :SS
    // and a fraction of one to nine digits; writes " HH:MM:SS" and any fraction at `iso`, which
    // it moves past them; gives where the time ends, or null where there is none.
    static const char* ReadTime(const char* p, const char* end, char*& iso);

  private:
    // The reading for the format's order of the parts and length of the year, chosen once.
    using Reading = const char* (*)(const char* p, const char* end, char between, char* iso);
    Reading Read;
    char Separator;
};

// The length of a date's ISO form without a time, "YYYY-MM-DD".
inline constexpr std::size_t IsoDaySize = 10;

// Reads the value in the format. On success gives the length of its ISO form written to `iso`
// ("2024-01-31", or "2024-01-31 13:05:00" and any fraction when a time follows), with hasTime
// telling which; 0 when the value is no valid date in the format (31/02 included).
std::size_t ReadDate(std::string_view value, const DateFormat& format, char (&iso)[IsoDateSize + 1],
                     bool& hasTime);
