#include "engine/db/LinearUnits.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace RkDb {

namespace {

// Far past what any drawing measures; keeps the integer arithmetic of fractions in range.
constexpr double kLargest = 1e15;

} // namespace

std::string LinearUnits::Format(double value, int units, int precision)
{
    if (!std::isfinite(value))
        return "?";
    precision = std::clamp(precision, 0, 8);
    if (units == 1) {
        char text[64];
        std::snprintf(text, sizeof text, "%.*E", precision, value);
        return text;
    }
    if (std::abs(value) >= kLargest || units < 3 || units > 5)
        return Fixed(value, precision);
    if (units == 5)
        return Fraction(value, precision, false);
    return FeetInches(value, units, precision);
}

std::string LinearUnits::Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    // No "-0.00" for a value that rounds to nothing.
    const std::string s = text;
    return s.find_first_not_of("-0.") == std::string::npos && s[0] == '-' ? s.substr(1) : s;
}

std::string LinearUnits::Fraction(double value, int precision, bool wholeAlways)
{
    const long long denominator = 1LL << precision;
    long long n = std::llround(std::abs(value) * static_cast<double>(denominator));
    const bool negative = value < 0 && n != 0;
    const long long whole = n / denominator;
    long long numerator = n % denominator, den = denominator;
    while (numerator != 0 && numerator % 2 == 0) {
        numerator /= 2;
        den /= 2;
    }
    std::string s = negative ? "-" : "";
    if (numerator == 0)
        return s + std::to_string(whole);
    if (whole != 0 || wholeAlways)
        s += std::to_string(whole) + " ";
    return s + std::to_string(numerator) + "/" + std::to_string(den);
}

std::string LinearUnits::FeetInches(double value, int units, int precision)
{
    // Round first in the inches' own steps, so that 11.9999" shows as the next foot.
    const double step = units == 4 ? 1.0 / static_cast<double>(1LL << precision) : std::pow(10.0, -precision);
    const double inchesTotal = std::round(std::abs(value) / step) * step;
    const bool negative = value < 0 && inchesTotal > 0;
    const long long feet = static_cast<long long>(std::floor(inchesTotal / 12.0 + 1e-12));
    const double inches = std::max(0.0, inchesTotal - static_cast<double>(feet) * 12.0);
    const std::string rest = units == 4 ? Fraction(inches, precision, true) : Fixed(inches, precision);
    return std::string(negative ? "-" : "") + std::to_string(feet) + "'-" + rest + "\"";
}

} // namespace RkDb
