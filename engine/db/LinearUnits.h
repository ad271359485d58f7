// Lengths as the drawing's linear units show them ($LUNITS 1 scientific, 2 decimal,
// 3 engineering, 4 architectural, 5 fractional; $LUPREC the precision: decimals, or for
// architectural and fractional the fraction's denominator as a power of two). One drawing unit
// is an inch for the feet-and-inches kinds.
#pragma once

#include <string>

namespace RkDb {

class LinearUnits
{
public:
    // units outside 1..5 format as decimal; precision is held to 0..8. Not finite: "?".
    static std::string Format(double value, int units, int precision);

private:
    static std::string Fixed(double value, int decimals);
    // wholeAlways: "0 3/8" rather than "3/8" (the inches of architectural units).
    static std::string Fraction(double value, int precision, bool wholeAlways);
    static std::string FeetInches(double value, int units, int precision);
};

} // namespace RkDb
