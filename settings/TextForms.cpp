#include "settings/TextForms.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

constexpr int64_t MillisecondsPerDay = 86'400'000;

[[noreturn]] void RaiseInvalid(std::string_view text, const char* what)
{
    throw ConversionError("'" + std::string(text) + "' is not a valid " + what);
}

// Digits with an optional sign; "$" or "0x" before the digits reads hex.
template <typename Integer> bool ParseInteger(std::string_view text, Integer& result)
{
    std::size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t'))
        ++start;
    text.remove_prefix(start);
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        text.remove_prefix(1);
    int base = 10;
    if (!text.empty() && text[0] == '$') {
        text.remove_prefix(1);
        base = 16;
    } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty() || text[0] == '+' || text[0] == '-')
        return false;
    uint64_t magnitude = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc() || end != text.data() + text.size())
        return false;
    const uint64_t limit = static_cast<uint64_t>(std::numeric_limits<Integer>::max()) + negative;
    if (magnitude > limit)
        return false;
    result = negative ? static_cast<Integer>(0 - magnitude) : static_cast<Integer>(magnitude);
    return true;
}

bool ParseDigits(std::string_view text, int& result)
{
    if (text.empty())
        return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
    return error == std::errc() && end == text.data() + text.size() && result >= 0;
}

int64_t DaysFromCivil(int64_t year, int month, int day)
{
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, DateTimeParts& parts)
{
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra
        = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    parts.Day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    parts.Month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    parts.Year = static_cast<int>(yearOfEra + era * 400 + (parts.Month <= 2));
}

// Days from 1 January 1970 to 30 December 1899.
const int64_t DateTimeEpoch = DaysFromCivil(1899, 12, 30);

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month)
{
    static const int days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool ValidParts(const DateTimeParts& p)
{
    return p.Year >= 1 && p.Year <= 9999 && p.Month >= 1 && p.Month <= 12 && p.Day >= 1
        && p.Day <= DaysInMonth(p.Year, p.Month) && p.Hour >= 0 && p.Hour < 24 && p.Minute >= 0
        && p.Minute < 60 && p.Second >= 0 && p.Second < 60 && p.Millisecond >= 0
        && p.Millisecond < 1000;
}

// "hh:nn", "hh:nn:ss" or "hh:nn:ss.zzz".
bool ParseTime(std::string_view text, DateTimeParts& parts)
{
    if (text.size() < 5 || text[2] != ':')
        return false;
    if (!ParseDigits(text.substr(0, 2), parts.Hour)
        || !ParseDigits(text.substr(3, 2), parts.Minute))
        return false;
    if (text.size() == 5)
        return true;
    if (text.size() < 8 || text[5] != ':' || !ParseDigits(text.substr(6, 2), parts.Second))
        return false;
    if (text.size() == 8)
        return true;
    return text[8] == '.' && text.size() <= 12 && ParseDigits(text.substr(9), parts.Millisecond);
}

bool ParseDateTime(std::string_view text, DateTimeParts& parts)
{
    if (text.size() < 10 || text[4] != '-' || text[7] != '-')
        return false;
    if (!ParseDigits(text.substr(0, 4), parts.Year) || !ParseDigits(text.substr(5, 2), parts.Month)
        || !ParseDigits(text.substr(8, 2), parts.Day))
        return false;
    if (text.size() == 10)
        return true;
    return (text[10] == ' ' || text[10] == 'T') && ParseTime(text.substr(11), parts);
}

} // namespace

std::string Concat(std::initializer_list<std::string_view> parts)
{
    std::size_t size = 0;
    for (std::string_view part : parts)
        size += part.size();
    std::string joined;
    joined.reserve(size);
    for (std::string_view part : parts)
        joined += part;
    return joined;
}

std::string IntegerToText(int64_t value)
{
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

int32_t TextToInteger(std::string_view text)
{
    int32_t value = 0;
    if (!ParseInteger(text, value))
        RaiseInvalid(text, "integer value");
    return value;
}

int64_t TextToInt64(std::string_view text)
{
    int64_t value = 0;
    if (!ParseInteger(text, value))
        RaiseInvalid(text, "integer value");
    return value;
}

std::string FloatToText(double value)
{
    char buffer[512];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

double TextToFloat(std::string_view text)
{
    std::string normal(text::Trim(text));
    for (char& c : normal)
        if (c == ',')
            c = '.';
    std::string_view digits = normal;
    if (!digits.empty() && digits[0] == '+')
        digits.remove_prefix(1);
    double value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        RaiseInvalid(text, "floating point value");
    return value;
}

std::string CurrencyToText(int64_t scaled)
{
    const uint64_t magnitude = scaled < 0 ? 0 - static_cast<uint64_t>(scaled) : scaled;
    std::string text = scaled < 0 ? "-" : "";
    text += std::to_string(magnitude / 10000);
    uint64_t fraction = magnitude % 10000;
    if (fraction == 0)
        return text;
    char digits[8];
    std::snprintf(digits, sizeof digits, ".%04u", static_cast<unsigned>(fraction));
    text += digits;
    while (text.back() == '0')
        text.pop_back();
    return text;
}

int64_t TextToCurrency(std::string_view text)
{
    std::string_view rest = text::Trim(text);
    const bool negative = !rest.empty() && rest[0] == '-';
    if (!rest.empty() && (rest[0] == '-' || rest[0] == '+'))
        rest.remove_prefix(1);
    const std::size_t mark = rest.find_first_of(".,");
    std::string digits(rest.substr(0, mark));
    std::string fraction = mark == std::string_view::npos ? "" : std::string(rest.substr(mark + 1));
    if (fraction.size() > 4 || (digits.empty() && fraction.empty()))
        RaiseInvalid(text, "currency value");
    fraction.resize(4, '0');
    uint64_t whole = 0;
    const std::string all = (digits.empty() ? "0" : digits) + fraction;
    auto [end, error] = std::from_chars(all.data(), all.data() + all.size(), whole);
    const uint64_t limit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + negative;
    if (error != std::errc() || end != all.data() + all.size() || whole > limit)
        RaiseInvalid(text, "currency value");
    return negative ? static_cast<int64_t>(0 - whole) : static_cast<int64_t>(whole);
}

double EncodeDateTime(const DateTimeParts& parts)
{
    if (!ValidParts(parts))
        throw ConversionError("Invalid argument to date encode");
    const double days
        = static_cast<double>(DaysFromCivil(parts.Year, parts.Month, parts.Day) - DateTimeEpoch);
    const double time
        = (((parts.Hour * 60.0 + parts.Minute) * 60.0 + parts.Second) * 1000.0 + parts.Millisecond)
        / MillisecondsPerDay;
    return days >= 0 ? days + time : days - time;
}

DateTimeParts DecodeDateTime(double value)
{
    DateTimeParts parts;
    if (!std::isfinite(value) || std::fabs(value) > 3e6)
        return parts;
    int64_t days = static_cast<int64_t>(std::trunc(value));
    int64_t milliseconds = std::llround(std::fabs(value - std::trunc(value)) * MillisecondsPerDay);
    if (milliseconds >= MillisecondsPerDay) {
        milliseconds -= MillisecondsPerDay;
        days += value < 0 ? -1 : 1;
    }
    CivilFromDays(days + DateTimeEpoch, parts);
    parts.Millisecond = static_cast<int>(milliseconds % 1000);
    parts.Second = static_cast<int>(milliseconds / 1000 % 60);
    parts.Minute = static_cast<int>(milliseconds / 60000 % 60);
    parts.Hour = static_cast<int>(milliseconds / 3600000);
    return parts;
}

std::string DateTimeToText(double value)
{
    const DateTimeParts p = DecodeDateTime(value);
    char text[48];
    int length = std::snprintf(text, sizeof text, "%.4d-%.2d-%.2d", p.Year, p.Month, p.Day);
    if (p.Hour != 0 || p.Minute != 0 || p.Second != 0 || p.Millisecond != 0)
        length += std::snprintf(
            text + length, sizeof text - length, " %.2d:%.2d:%.2d", p.Hour, p.Minute, p.Second);
    return std::string(text, length);
}

double TextToDateTime(std::string_view text)
{
    DateTimeParts parts;
    if (!ParseDateTime(text::Trim(text), parts) || !ValidParts(parts))
        RaiseInvalid(text, "date and time");
    return EncodeDateTime(parts);
}
