#include "DateText.h"

#include "TextRules.h"

namespace {

constexpr std::array<DateFormat, DateFormatCount> MakeAllFormats()
{
    std::array<DateFormat, DateFormatCount> formats{};
    std::size_t n = 0;
    const char between[] = {'-', '/', '.'};
    for (const char c : between)
        formats[n++] = {DateFormat::Order::YearMonthDay, c, 4};
    for (const int digits : {4, 2})
        for (const DateFormat::Order order :
             {DateFormat::Order::DayMonthYear, DateFormat::Order::MonthDayYear})
            for (const char c : between)
                formats[n++] = {order, c, static_cast<unsigned char>(digits)};
    return formats;
}

constexpr std::array<DateFormat, DateFormatCount> Formats = MakeAllFormats();

// Reads `least` to `most` digits at `at`, moving past them; no digit may follow them.
bool Number(std::string_view text, std::size_t& at, std::size_t least, std::size_t most, int& value)
{
    std::size_t digits = 0;
    value = 0;
    while (at < text.size() && digits < most && IsAsciiDigit(static_cast<unsigned char>(text[at]))) {
        value = value * 10 + (text[at] - '0');
        ++at;
        ++digits;
    }
    return digits >= least && (at == text.size() || !IsAsciiDigit(static_cast<unsigned char>(text[at])));
}

int DaysIn(int month, int year)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

char* Put(char* out, int value, int digits)
{
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + digits;
}

} // namespace

const std::array<DateFormat, DateFormatCount>& AllDateFormats()
{
    return Formats;
}

std::string DateFormatName(const DateFormat& format)
{
    const std::string year(format.YearDigits, 'Y');
    const std::string c(1, format.Between);
    switch (format.Parts) {
    case DateFormat::Order::YearMonthDay:
        return year + c + "MM" + c + "DD";
    case DateFormat::Order::DayMonthYear:
        return "DD" + c + "MM" + c + year;
    case DateFormat::Order::MonthDayYear:
        return "MM" + c + "DD" + c + year;
    }
    return {};
}

bool ParseDateFormat(std::string_view name, DateFormat& format)
{
    std::string upper(name);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    for (const DateFormat& candidate : Formats) {
        if (DateFormatName(candidate) == upper) {
            format = candidate;
            return true;
        }
    }
    return false;
}

std::size_t ReadDate(std::string_view value, const DateFormat& format, char (&iso)[IsoDateSize + 1],
                     bool& hasTime)
{
    int parts[3] = {};
    std::size_t at = 0;
    const bool yearFirst = format.Parts == DateFormat::Order::YearMonthDay;
    for (int i = 0; i < 3; ++i) {
        const bool year = yearFirst ? i == 0 : i == 2;
        const std::size_t least = year ? format.YearDigits : 1;
        const std::size_t most = year ? format.YearDigits : 2;
        if (!Number(value, at, least, most, parts[i]))
            return 0;
        if (i < 2) {
            if (at >= value.size() || value[at] != format.Between)
                return 0;
            ++at;
        }
    }
    int year = 0, month = 0, day = 0;
    switch (format.Parts) {
    case DateFormat::Order::YearMonthDay:
        year = parts[0], month = parts[1], day = parts[2];
        break;
    case DateFormat::Order::DayMonthYear:
        day = parts[0], month = parts[1], year = parts[2];
        break;
    case DateFormat::Order::MonthDayYear:
        month = parts[0], day = parts[1], year = parts[2];
        break;
    }
    if (format.YearDigits == 2)
        year += year <= 68 ? 2000 : 1900;
    if (month < 1 || month > 12 || day < 1 || day > DaysIn(month, year))
        return 0;
    char* out = iso;
    out = Put(out, year, 4);
    *out++ = '-';
    out = Put(out, month, 2);
    *out++ = '-';
    out = Put(out, day, 2);
    hasTime = false;
    if (at == value.size())
        return static_cast<std::size_t>(out - iso);

    // A time: H:MM or HH:MM, optionally :SS and a fraction of up to nine digits.
    if (value[at] != ' ' && value[at] != 'T')
        return 0;
    ++at;
    int hour = 0, minute = 0, second = 0;
    if (!Number(value, at, 1, 2, hour) || hour > 23 || at >= value.size() || value[at] != ':')
        return 0;
    ++at;
    if (!Number(value, at, 2, 2, minute) || minute > 59)
        return 0;
    std::string_view fraction;
    if (at < value.size()) {
        if (value[at] != ':')
            return 0;
        ++at;
        if (!Number(value, at, 2, 2, second) || second > 59)
            return 0;
        if (at < value.size()) {
            if (value[at] != '.')
                return 0;
            fraction = value.substr(at + 1);
            if (fraction.empty() || fraction.size() > 9)
                return 0;
            for (const char c : fraction)
                if (!IsAsciiDigit(static_cast<unsigned char>(c)))
                    return 0;
        }
    }
    *out++ = ' ';
    out = Put(out, hour, 2);
    *out++ = ':';
    out = Put(out, minute, 2);
    *out++ = ':';
    out = Put(out, second, 2);
    if (!fraction.empty()) {
        *out++ = '.';
        for (const char c : fraction)
            *out++ = c;
    }
    hasTime = true;
    return static_cast<std::size_t>(out - iso);
}
