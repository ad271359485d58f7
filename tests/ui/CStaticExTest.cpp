// The static text control of the About box: its setters answer the previous value, and the font
// follows the weight and underline asked for.
#include "ui/CStaticEx.h"

#include <gtest/gtest.h>

namespace {

LOGFONTA FontOf(const CStaticEx& control)
{
    LOGFONTA font = {};
    const HFONT handle = control.CreateTextFont();
    EXPECT_NE(handle, nullptr);
    GetObjectA(handle, sizeof(font), &font);
    DeleteObject(handle);
    return font;
}

TEST(CStaticEx, SettersAnswerThePreviousValue)
{
    CStaticEx control;
    EXPECT_EQ(control.SetTextColor(RGB(1, 2, 3)), GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(control.SetTextColor(RGB(4, 5, 6)), RGB(1, 2, 3));
    EXPECT_EQ(control.SetBkColor(RGB(7, 8, 9)), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(control.SetBkColor(0), RGB(7, 8, 9));
    EXPECT_FALSE(control.SetTransparent(TRUE));
    EXPECT_TRUE(control.SetTransparent(FALSE));
    EXPECT_EQ(control.SetTextAlign(5), static_cast<UINT>(DT_VCENTER));
    EXPECT_EQ(control.SetTextAlign(6), 5u);
    const HCURSOR hand = LoadCursor(nullptr, IDC_HAND);
    EXPECT_EQ(control.SetLinkCursor(hand), LoadCursor(nullptr, IDC_ARROW));
    EXPECT_EQ(control.SetLinkCursor(nullptr), hand);
}

TEST(CStaticEx, FontFollowsWeightAndUnderline)
{
    CStaticEx control;
    LOGFONTA plain = FontOf(control);
    EXPECT_EQ(plain.lfWeight, FW_NORMAL);
    EXPECT_FALSE(plain.lfUnderline);
    EXPECT_EQ(plain.lfHeight, 10);

    EXPECT_FALSE(control.SetBold(TRUE));
    control.m_bUnderline = 1;
    LOGFONTA link = FontOf(control);
    EXPECT_EQ(link.lfWeight, FW_BOLD);
    EXPECT_TRUE(link.lfUnderline);
    EXPECT_TRUE(control.SetBold(FALSE));
    EXPECT_EQ(FontOf(control).lfWeight, FW_NORMAL);
}

} // namespace
