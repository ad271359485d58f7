#include "core/NumberFormat.h"

#include "engine/rkui/RkUI.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// Beyond these the texts stop being useful and the arithmetic would overflow.
const int kMaxFractionBits = 16;
const int kMaxDecimals = 20;

// A non-negative value split into its whole part and a reduced fraction of 1/2^bits, rounded to the
// nearest step; a fraction that rounds up to one is carried into the whole part.
struct Fraction
{
    double whole = 0.0;
    int numerator = 0;
    int denominator = 1;
};

Fraction RoundToFraction(double value, int bits)
{
    Fraction result;
    result.whole = std::floor(value);
    bits = std::min(bits, kMaxFractionBits);
    if (bits <= 0)
        return result;
    result.denominator = 1 << bits;
    result.numerator =
        static_cast<int>((value - result.whole) * result.denominator + 0.5);
    if (result.numerator >= result.denominator) {
        result.whole += 1.0;
        result.numerator = 0;
    }
    while (result.numerator != 0 && result.numerator % 2 == 0) {
        result.numerator /= 2;
        result.denominator /= 2;
    }
    return result;
}

CString FractionText(const Fraction& fraction)
{
    CString text;
    if (fraction.numerator != 0)
        text.Format("%-.0f %d/%d", fraction.whole, fraction.numerator, fraction.denominator);
    else
        text.Format("%-.0f", fraction.whole);
    return text;
}

CString WithSeparator(CString text, char decimalSeparator)
{
    text.Replace('.', decimalSeparator);
    return text;
}

int BoundedDecimals(short decimals)
{
    return std::clamp<int>(decimals, 0, kMaxDecimals);
}

// Feet and the inches left over, for a non-negative length in inches.
void SplitFeet(double inches, double& feet, double& rest)
{
    feet = std::floor(inches / 12.0);
    rest = std::max(0.0, inches - 12.0 * feet);
}

CString FeetText(double feet, bool negative)
{
    CString text;
    text.Format("%s%-.0f'-", negative ? "-" : "", feet);
    return text;
}

} // namespace

CString FormatDecimal(double value, short decimals)
{
    return FormatDecimal(value, decimals, g_systemInfo.getDecimalSep());
}

CString FormatDecimal(double value, short decimals, char decimalSeparator)
{
    CString text;
    text.Format("%-.*f", BoundedDecimals(decimals), value);
    return WithSeparator(text, decimalSeparator);
}

CString FormatFraction(double value, short bits)
{
    const CString text = FractionText(RoundToFraction(std::fabs(value), bits));
    return value < 0 ? "-" + text : text;
}

CString FormatFeetInches(double inches, int bits)
{
    double feet = 0.0;
    double rest = 0.0;
    SplitFeet(std::fabs(inches), feet, rest);
    Fraction fraction = RoundToFraction(rest, bits);
    if (fraction.whole >= 12.0) {
        feet += 1.0;
        fraction.whole -= 12.0;
    }
    return FeetText(feet, inches < 0) + FractionText(fraction) + '"';
}

CString FormatEngineering(double inches, short decimals)
{
    return FormatEngineering(inches, decimals, g_systemInfo.getDecimalSep());
}

CString FormatEngineering(double inches, short decimals, char decimalSeparator)
{
    double feet = 0.0;
    double rest = 0.0;
    SplitFeet(std::fabs(inches), feet, rest);
    const int places = BoundedDecimals(decimals);
    CString restText;
    restText.Format("%-.*f", places, rest);
    if (std::atof(restText) >= 12.0) {
        feet += 1.0;
        restText.Format("%-.*f", places, std::max(0.0, rest - 12.0));
    }
    return FeetText(feet, inches < 0) + WithSeparator(restText, decimalSeparator) + '"';
}

CString FormatCoordinates(int units, int precision, const double world[3])
{
    return FormatCoordinates(units, precision, world, g_systemInfo.getDecimalSep());
}

CString FormatCoordinates(int units, int precision, const double world[3], char decimalSeparator)
{
    const short decimals = static_cast<short>(std::clamp(precision, 0, kMaxDecimals));
    CString text;
    if (units == 1) {
        CString format;
        format.Format("X:%%-.%de Y:%%-.%de Z:%%-.%de", decimals, decimals, decimals);
        text.Format(format, world[0], world[1], world[2]);
        text.Replace('e', 'E');
        return WithSeparator(text, decimalSeparator);
    }
    const auto one = [&](double value) {
        switch (units) {
        case 3:
            return FormatEngineering(value, decimals, decimalSeparator);
        case 4:
            return FormatFeetInches(value, decimals);
        case 5:
            return FormatFraction(value, decimals);
        default:
            return FormatDecimal(value, decimals, decimalSeparator);
        }
    };
    return " X:" + one(world[0]) + " Y:" + one(world[1]) + " Z:" + one(world[2]);
}

bool ParseLocaleNumber(const char* text, double* out)
{
    return ParseLocaleNumber(text, out, g_systemInfo.getDecimalSep());
}

bool ParseLocaleNumber(const char* text, double* out, char decimalSeparator)
{
    if (!text || !*text || !out)
        return false;
    std::string copy = text;
    std::replace(copy.begin(), copy.end(), decimalSeparator, '.');
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (end == copy.c_str())
        return false;
    *out = value;
    // "inf" and "nan" are words strtod knows, not numbers a user means.
    return *end == '\0' && std::isfinite(value);
}

void FormatFileSize(LONGLONG bytes, CString& out)
{
    if (bytes <= 1024) {
        out = CString(std::to_string(bytes).c_str()) + " Bytes";
        return;
    }
    const double kb = static_cast<double>(bytes) * (1.0 / 1024.0);
    if (kb <= 1024.0) {
        out.Format("%-.2f KB", kb);
        return;
    }
    const double mb = kb * (1.0 / 1024.0);
    if (mb <= 1024.0)
        out.Format("%-.2f MB", mb);
    else
        out.Format("%-.2f GB", mb * (1.0 / 1024.0));
}
