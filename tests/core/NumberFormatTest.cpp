// The number texts of drawing units and file sizes, and the parser of typed numbers, for a dot and
// a comma as the user's decimal separator.
#include "core/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(NumberFormat, FractionTable)
{
    struct Case
    {
        double value;
        short bits;
        const char* text;
    };
    const Case cases[] = {
        {2.75, 4, "2 3/4"},
        {2.0, 4, "2"},
        {-0.5, 1, "-0 1/2"},
        {0.99, 2, "1"}, // rounds up to a whole: carried, never "0 1/1"
        {3.97, 4, "4"},
        {0.1, 3, "0 1/8"},
        {0.3, 3, "0 1/4"}, // 2/8 reduced
        {5.4, 0, "5"},
        {5.4, -3, "5"},
        {1.0 / 65536, 16, "0 1/65536"},
        {1.0 / 65536, 40, "0 1/65536"}, // bits beyond 16 are taken as 16
        {-7.875, 3, "-7 7/8"},
        {1e20, 2, "100000000000000000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " bits " << c.bits);
        EXPECT_STREQ(FormatFraction(c.value, c.bits), c.text);
    }
}

TEST(NumberFormat, FeetInchesTable)
{
    struct Case
    {
        double inches;
        int bits;
        const char* text;
    };
    const Case cases[] = {
        {30.5, 1, "2'-6 1/2\""},
        {-30.5, 1, "-2'-6 1/2\""},
        {12.0, 2, "1'-0\""},
        {23.99, 2, "2'-0\""}, // 11.99 inches round to 12: carried into the feet
        {11.9999, 4, "1'-0\""},
        {0.25, 2, "0'-0 1/4\""},
        {100.0, 0, "8'-4\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.inches << " bits " << c.bits);
        EXPECT_STREQ(FormatFeetInches(c.inches, c.bits), c.text);
    }
}

TEST(NumberFormat, DecimalAndEngineeringFollowTheSeparator)
{
    EXPECT_STREQ(FormatDecimal(1.5, 2, ','), "1,50");
    EXPECT_STREQ(FormatDecimal(1.5, 2, '.'), "1.50");
    EXPECT_STREQ(FormatDecimal(-2.0, 0, ','), "-2");
    EXPECT_STREQ(FormatDecimal(0.125, -1, ','), "0") << "negative decimals are taken as none";
    EXPECT_STREQ(FormatEngineering(30.5, 2, ','), "2'-6,50\"");
    EXPECT_STREQ(FormatEngineering(23.999, 2, '.'), "2'-0.00\"");
    EXPECT_STREQ(FormatEngineering(-13.0, 1, '.'), "-1'-1.0\"");
}

TEST(NumberFormat, CoordinatesByUnitsTable)
{
    struct Case
    {
        int units;
        int precision;
        char separator;
        const char* text;
    };
    const double world[3] = {15.5, -30.5, 0.25};
    const Case cases[] = {
        {1, 2, '.', "X:1.55E+01 Y:-3.05E+01 Z:2.50E-01"},
        {1, 1, ',', "X:1,6E+01 Y:-3,0E+01 Z:2,5E-01"},
        {2, 2, ',', " X:15,50 Y:-30,50 Z:0,25"},
        {3, 2, '.', " X:1'-3.50\" Y:-2'-6.50\" Z:0'-0.25\""},
        {4, 2, '.', " X:1'-3 1/2\" Y:-2'-6 1/2\" Z:0'-0 1/4\""},
        {5, 2, '.', " X:15 1/2 Y:-30 1/2 Z:0 1/4"},
        {0, 3, '.', " X:15.500 Y:-30.500 Z:0.250"}, // an unknown unit is shown as decimal
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "units " << c.units << " precision " << c.precision);
        EXPECT_STREQ(FormatCoordinates(c.units, c.precision, world, c.separator), c.text);
    }
    const double away[3] = {1.25, 2.75, -0.75};
    EXPECT_STREQ(FormatCoordinates(2, -4, away, '.'), " X:1 Y:3 Z:-1") << "a negative precision is taken as none";
}

TEST(NumberFormat, ParseTable)
{
    struct Case
    {
        const char* text;
        char separator;
        bool ok;
        double value; // what lands in the output; NAN: not looked at
    };
    const Case cases[] = {
        {"1,5", ',', true, 1.5},     {"1,5mm", ',', false, 1.5}, {"", ',', false, 0.0},
        {"-2,25", ',', true, -2.25}, {"1.5", '.', true, 1.5},    {"1e3", '.', true, 1000.0},
        {"abc", '.', false, 0.0},    {"3 ", '.', false, 3.0},    {"nan", '.', false, NAN},
        {"inf", '.', false, NAN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        double value = 0.0;
        EXPECT_EQ(ParseLocaleNumber(c.text, &value, c.separator), c.ok);
        if (!std::isnan(c.value)) {
            EXPECT_DOUBLE_EQ(value, c.value);
        }
    }
    double untouched = 7.0;
    EXPECT_FALSE(ParseLocaleNumber(nullptr, &untouched, '.'));
    EXPECT_EQ(untouched, 7.0);
}

TEST(NumberFormat, UserSeparatorRoundTrip)
{
    double value = 0.0;
    ASSERT_TRUE(ParseLocaleNumber(FormatDecimal(12.75, 3), &value));
    EXPECT_DOUBLE_EQ(value, 12.75);
}

TEST(NumberFormat, FileSizeTable)
{
    struct Case
    {
        LONGLONG bytes;
        const char* text;
    };
    const Case cases[] = {
        {0, "0 Bytes"},
        {1024, "1024 Bytes"},
        {1025, "1.00 KB"},
        {1048576, "1024.00 KB"},
        {1048577, "1.00 MB"},
        {1073741824LL, "1024.00 MB"},
        {5368709120LL, "5.00 GB"},
        {-5, "-5 Bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        CString text = "old";
        FormatFileSize(c.bytes, text);
        EXPECT_STREQ(text, c.text);
    }
}

} // namespace
