// Cell texts of the owner-drawn list: numbers grouped in thousands, seconds shown as minutes and
// seconds, and the numeric values read back from such texts, all in a given locale's punctuation.
#pragma once

#include "framework/CString.h"

class CLocaleInfo;

namespace orvo::listcell {

// 12345.25 -> 12,345.25 (comma thousands, point decimal). The sign is set aside first and only an
// integer part of 4 to 128 digits is grouped; any other text comes back unchanged.
CString GroupThousands(const CString& text, const CLocaleInfo& locale);

// A number of seconds as "m:ss" (65 -> 1:05, -65 -> -1:05); 0 and texts that are not a number
// come back unchanged.
CString SecondsAsMinutes(const CString& text, const CLocaleInfo& locale);

// The floating value of a text whose decimal separator is the locale's; false when the text does
// not start with a number.
bool ParseLocaleDouble(const char* text, const CLocaleInfo& locale, double* pValue);

// The value of a text after dropping everything but the characters in keep (digits always
// stay); the locale's decimal separator counts as '.'.
double ParseStripped(const char* text, const char* keep, const CLocaleInfo& locale);

// The integer value of a text's leading number, saturated at the 64-bit limits.
long long ParseInteger(const char* text);

// The integer value of the digits and signs of a text ("1,200 KB" -> 1200), saturated.
long long ParseDigitsOnly(const char* text);

// Seconds of a "m:ss" text (or of a plain number of seconds), 0 when none.
double ParseMinutesSeconds(const char* text, const CLocaleInfo& locale);

} // namespace orvo::listcell
