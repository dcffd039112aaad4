// The text forms of the settings storage: the one fixed, locale-independent
// text form of each number and date type, so that a file written under one
// user locale reads back under any other.
#pragma once

#include "text/AsciiText.h"

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

// Raised by the text parsers below, with the message of the value's kind
// ("'abc' is not a valid integer value").
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The storage compares names without regard to case, and its units name
// these unqualified.
using text::CompareText;
using text::SameText;
using text::StartsWithText;

// Joins the parts in one allocation.
std::string Concat(std::initializer_list<std::string_view> parts);

std::string IntegerToText(int64_t value);
int32_t TextToInteger(std::string_view text);
int64_t TextToInt64(std::string_view text);

// Shortest text that reads back as the same double, never with an exponent.
std::string FloatToText(double value);
// Accepts "." and "," as the decimal mark.
double TextToFloat(std::string_view text);

// A count of 1/10000 units as a decimal number with up to four decimals.
std::string CurrencyToText(int64_t scaled);
int64_t TextToCurrency(std::string_view text);

// Date-times are days since 30 December 1899, the fraction being the time of
// day. The text form is "yyyy-mm-dd hh:nn:ss", the time left out at midnight.
std::string DateTimeToText(double value);
double TextToDateTime(std::string_view text);

struct DateTimeParts {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};
// Raises ConversionError for parts out of range (month 13, hour 24).
double EncodeDateTime(const DateTimeParts& parts);
DateTimeParts DecodeDateTime(double value);
