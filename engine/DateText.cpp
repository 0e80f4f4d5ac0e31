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

DateReader::DateReader(const DateFormat& format)
    : Separator(format.Between), ShortYear(format.YearDigits == 2)
{
    static constexpr Slot orders[3][3] = {{Year, Month, Day}, {Day, Month, Year}, {Month, Day, Year}};
    for (int i = 0; i < 3; ++i) {
        Slots[i] = orders[static_cast<int>(format.Parts)][i];
        Least[i] = Slots[i] == Year ? format.YearDigits : 1;
        Most[i] = Slots[i] == Year ? format.YearDigits : 2;
    }
}

const char* DateReader::ReadDay(const char* p, const char* end, char* iso) const
{
    int values[3] = {};
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (p == end || *p != Separator)
                return nullptr;
            ++p;
        }
        const char* const first = p;
        int value = 0;
        while (p != end && p - first < Most[i] && IsAsciiDigit(static_cast<unsigned char>(*p)))
            value = value * 10 + (*p++ - '0');
        if (p - first < Least[i] || (p != end && IsAsciiDigit(static_cast<unsigned char>(*p))))
            return nullptr;
        values[Slots[i]] = value;
    }
    int year = values[Year];
    const int month = values[Month];
    const int day = values[Day];
    if (ShortYear)
        year += year <= 68 ? 2000 : 1900;
    if (month < 1 || month > 12 || day < 1 || day > DaysIn(month, year))
        return nullptr;
    iso = Put(iso, year, 4);
    *iso++ = '-';
    iso = Put(iso, month, 2);
    *iso++ = '-';
    Put(iso, day, 2);
    return p;
}

std::size_t ReadDate(std::string_view value, const DateFormat& format, char (&iso)[IsoDateSize + 1],
                     bool& hasTime)
{
    const char* const begin = value.data();
    const char* const day = DateReader(format).ReadDay(begin, begin + value.size(), iso);
    if (!day)
        return 0;
    std::size_t at = static_cast<std::size_t>(day - begin);
    char* out = iso + IsoDaySize;
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
