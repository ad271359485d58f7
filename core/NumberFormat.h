// Numbers as the user reads and types them: fixed decimals with the user's decimal separator, the
// fractions and feet-and-inches of drawing units, file sizes, and the parser of typed numbers.
#pragma once

#include "framework/Afx.h"

// Fixed notation with the given number of decimals; '.' becomes the decimal separator (by default
// the user's, as the engine's dialog library reports it).
CString FormatDecimal(double value, short decimals);
CString FormatDecimal(double value, short decimals, char decimalSeparator);

// The whole part and a fraction in 1/2^bits, reduced while both terms are even: "2 3/4", "2".
// bits is taken as 0..16; a fraction that rounds up to one is carried into the whole part. A
// negative value gets '-' in front.
CString FormatFraction(double value, short bits);

// Feet and inches: "2'-6 1/2\"". Inches that round up to 12 are carried into the feet.
CString FormatFeetInches(double inches, int bits);

// Feet and decimal inches: "2'-6.50\"", with the decimal separator as FormatDecimal.
CString FormatEngineering(double inches, short decimals);
CString FormatEngineering(double inches, short decimals, char decimalSeparator);

// The world point under the mouse as the drawing view's status bar shows it, by the drawing's
// linear units and precision: 1 scientific "X:1.5500E+01 Y:... Z:..."; otherwise " X:" x " Y:" y
// " Z:" z, each formatted by the units: 3 engineering, 4 architectural, 5 fractional, any other
// value decimal. '.' becomes the decimal separator (by default the user's).
CString FormatCoordinates(int units, int precision, const double world[3]);
CString FormatCoordinates(int units, int precision, const double world[3], char decimalSeparator);

// Reads a typed number with the decimal separator (by default the user's). False for an empty text
// or characters left over; out is written whenever a number was read.
bool ParseLocaleNumber(const char* text, double* out);
bool ParseLocaleNumber(const char* text, double* out, char decimalSeparator);

// "1024 Bytes", "1.00 KB", "1.00 MB", "1.00 GB".
void FormatFileSize(LONGLONG bytes, CString& out);
