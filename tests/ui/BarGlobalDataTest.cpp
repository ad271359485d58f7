// The library's drawing data: the fixed greys, the text font's face by the menu font's
// character set, and a caption height from the font.
#include "ui/CBarGlobalData.h"

#include <gtest/gtest.h>

namespace {

TEST(BarGlobalData, FixedGreys)
{
    EXPECT_EQ(g_barData.clrBarFace, RGB(128, 128, 128));
    EXPECT_EQ(g_barData.clrDark, RGB(80, 80, 80));
    EXPECT_EQ(g_barData.clrLight, RGB(180, 180, 180));
    EXPECT_EQ(g_barData.clrPressedDark, RGB(80, 80, 80));
    EXPECT_EQ(g_barData.clrPressedGrey, RGB(90, 90, 90));
    LOGBRUSH brush = {};
    ASSERT_NE(::GetObjectA(g_barData.brBarFace.GetSafeHandle(), sizeof(brush), &brush), 0);
    EXPECT_EQ(brush.lbColor, RGB(128, 128, 128));
}

TEST(BarGlobalData, TextFaceByCharacterSet)
{
    struct Case
    {
        BYTE charset;
        bool tahoma;
        const char* face;
    };
    const Case cases[] = {
        {ANSI_CHARSET, true, "Tahoma"},        {DEFAULT_CHARSET, true, "Tahoma"},
        {SYMBOL_CHARSET, false, "MS Sans Serif"}, {ANSI_CHARSET, false, "MS Sans Serif"},
        {SHIFTJIS_CHARSET, true, "MS UI Gothic"}, {CHINESEBIG5_CHARSET, false, "MS UI Gothic"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CBarGlobalData::ChooseTextFace(c.charset, "MS UI Gothic", c.tahoma), c.face) << int(c.charset);
}

TEST(BarGlobalData, FontsAndCaptionHeightFollowTheMenuFont)
{
    EXPECT_GT(g_barData.cyCaptionText, 2);
    LOGFONTA normal = {};
    ASSERT_NE(g_barData.fntNormal.GetLogFont(&normal), 0);
    LOGFONTA bold = {};
    ASSERT_NE(g_barData.fntBold.GetLogFont(&bold), 0);
    EXPECT_EQ(bold.lfWeight, FW_BOLD);
    LOGFONTA underline = {};
    ASSERT_NE(g_barData.fntUnderline.GetLogFont(&underline), 0);
    EXPECT_TRUE(underline.lfUnderline);
    LOGFONTA vertical = {};
    ASSERT_NE(g_barData.fntVertical.GetLogFont(&vertical), 0);
    EXPECT_EQ(vertical.lfEscapement, 2700);
    LOGFONTA vertical90 = {};
    ASSERT_NE(g_barData.fntVertical90.GetLogFont(&vertical90), 0);
    EXPECT_EQ(vertical90.lfEscapement, 900);
    // The metrics call with the older structure size succeeds.
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = 340;
    EXPECT_TRUE(::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &metrics, 0));
}

} // namespace
