#include "DateText.h"

#include "TextRules.h"

#include <cstring>

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

int DaysIn(int month, int year)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
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

namespace {

// One or two digits at p, no digit after them: their value, and at `iso` the two digits of the
// ISO form ("07" for "7"); null where there are none.
const char* ReadShortPart(const char* p, const char* end, int& value, char* iso)
{
    if (p == end || !IsAsciiDigit(static_cast<unsigned char>(*p)))
        return nullptr;
    const char first = *p++;
    if (p != end && IsAsciiDigit(static_cast<unsigned char>(*p))) {
        iso[0] = first;
        iso[1] = *p++;
        value = (first - '0') * 10 + (iso[1] - '0');
        return p != end && IsAsciiDigit(static_cast<unsigned char>(*p)) ? nullptr : p;
    }
    iso[0] = '0';
    iso[1] = first;
    value = first - '0';
    return p;
}

// A year of YearDigits digits at p, no digit after them, as the four digits of the ISO form.
template <int YearDigits> const char* ReadYear(const char* p, const char* end, char* iso)
{
    if (end - p < YearDigits)
        return nullptr;
    for (int i = 0; i < YearDigits; ++i)
        if (!IsAsciiDigit(static_cast<unsigned char>(p[i])))
            return nullptr;
    if (end - p > YearDigits && IsAsciiDigit(static_cast<unsigned char>(p[YearDigits])))
        return nullptr;
    if (YearDigits == 2) {
        const bool before2000 = (p[0] - '0') * 10 + (p[1] - '0') > 68;
        iso[0] = before2000 ? '1' : '2';
        iso[1] = before2000 ? '9' : '0';
        iso[2] = p[0];
        iso[3] = p[1];
    } else {
        std::memcpy(iso, p, 4);
    }
    return p + YearDigits;
}

// Two digits at p, no digit after them: their value, and the digits at `iso`.
const char* ReadPair(const char* p, const char* end, int& value, char* iso)
{
    if (end - p < 2 || !IsAsciiDigit(static_cast<unsigned char>(p[0])) ||
        !IsAsciiDigit(static_cast<unsigned char>(p[1])) ||
        (end - p > 2 && IsAsciiDigit(static_cast<unsigned char>(p[2]))))
        return nullptr;
    iso[0] = p[0];
    iso[1] = p[1];
    value = (p[0] - '0') * 10 + (p[1] - '0');
    return p + 2;
}

const char* Past(const char* p, const char* end, char between)
{
    return p != end && *p == between ? p + 1 : nullptr;
}

// DateReader's reading for one order of the parts and one length of the year: the parts go
// straight to their places in the ISO form, "YYYY-MM-DD".
template <DateFormat::Order Parts, int YearDigits>
const char* ReadDayIn(const char* p, const char* end, char between, char* iso)
{
    constexpr bool yearFirst = Parts == DateFormat::Order::YearMonthDay;
    constexpr bool dayFirst = Parts == DateFormat::Order::DayMonthYear;
    int month = 0;
    int day = 0;
    if (yearFirst) {
        if (!(p = ReadYear<YearDigits>(p, end, iso)) || !(p = Past(p, end, between)))
            return nullptr;
    }
    if (!(p = ReadShortPart(p, end, dayFirst ? day : month, iso + (dayFirst ? 8 : 5))) ||
        !(p = Past(p, end, between)) ||
        !(p = ReadShortPart(p, end, dayFirst ? month : day, iso + (dayFirst ? 5 : 8))))
        return nullptr;
    if (!yearFirst && (!(p = Past(p, end, between)) || !(p = ReadYear<YearDigits>(p, end, iso))))
        return nullptr;
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return nullptr;
    if (day > 28) {
        // The last days of a month, and the 29th of February in leap years only.
        int year = 0;
        for (int i = 0; i < 4; ++i)
            year = year * 10 + (iso[i] - '0');
        if (day > DaysIn(month, year))
            return nullptr;
    }
    iso[4] = '-';
    iso[7] = '-';
    return p;
}

} // namespace

const char* DateReader::ReadTime(const char* p, const char* end, char*& iso)
{
    if (p == end || (*p != ' ' && *p != 'T'))
        return nullptr;
    char* o = iso;
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (!(p = ReadShortPart(p + 1, end, hour, o + 1)) || hour > 23 || !(p = Past(p, end, ':')) ||
        !(p = ReadPair(p, end, minute, o + 4)) || minute > 59)
        return nullptr;
    o[0] = ' ';
    o[3] = ':';
    o[6] = ':';
    if (p != end && *p == ':') {
        if (!(p = ReadPair(p + 1, end, second, o + 7)) || second > 59)
            return nullptr;
        if (p != end && *p == '.') {
            // One to nine digits, and no more.
            o[9] = '.';
            const char* const first = ++p;
            while (p != end && p - first < 10 && IsAsciiDigit(static_cast<unsigned char>(*p))) {
                o[10 + (p - first)] = *p;
                ++p;
            }
            if (p == first || p - first > 9)
                return nullptr;
            iso = o + 10 + (p - first);
            return p;
        }
    } else {
        o[7] = '0';
        o[8] = '0';
    }
    iso = o + 9;
    return p;
}

DateReader::DateReader(const DateFormat& format) : Separator(format.Between)
{
    using Order = DateFormat::Order;
    // By [the order of the parts][a two-digit year].
    static constexpr Reading readings[3][2] = {
        {&ReadDayIn<Order::YearMonthDay, 4>, &ReadDayIn<Order::YearMonthDay, 2>},
        {&ReadDayIn<Order::DayMonthYear, 4>, &ReadDayIn<Order::DayMonthYear, 2>},
        {&ReadDayIn<Order::MonthDayYear, 4>, &ReadDayIn<Order::MonthDayYear, 2>},
    };
    Read = readings[static_cast<int>(format.Parts)][format.YearDigits == 2];
}

std::size_t ReadDate(std::string_view value, const DateFormat& format, char (&iso)[IsoDateSize + 1],
                     bool& hasTime)
{
    const char* const begin = value.data();
    const char* const day = DateReader(format).ReadDay(begin, begin + value.size(), iso);
    if (!day)
        return 0;
    hasTime = day != begin + value.size();
    if (!hasTime)
        return IsoDaySize;
    char* out = iso + IsoDaySize;
    if (DateReader::ReadTime(day, begin + value.size(), out) != begin + value.size())
        return 0;
    hasTime = true;
    return static_cast<std::size_t>(out - iso);
}
