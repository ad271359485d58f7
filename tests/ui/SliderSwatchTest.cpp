// The shaded slider (its shades, the selection at the edges of the range, a pressed thumb) and the
// swatch (the chosen one among several, forgotten when it is destroyed).
#include "tests/ui/PopupHost.h"
#include "ui/CCavus.h"
#include "ui/CMacSliderCtrl.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(CMacSliderCtrl, ShadesStopShortOfTheEnds)
{
    EXPECT_EQ(CMacSliderCtrl::Lighten(RGB(200, 220, 240), 51), RGB(251, 220, 240));
    EXPECT_EQ(CMacSliderCtrl::Lighten(RGB(204, 205, 0), 51), RGB(255, 205, 51));
    EXPECT_EQ(CMacSliderCtrl::Darken(RGB(40, 100, 10), 51), RGB(40, 49, 10));
    EXPECT_EQ(CMacSliderCtrl::Darken(RGB(51, 50, 255), 51), RGB(0, 50, 204));
    EXPECT_EQ(CMacSliderCtrl::Halfway(RGB(0, 10, 255), RGB(255, 5, 0)), RGB(127, 7, 127));
    const CMacSliderCtrl::Shades shades = CMacSliderCtrl::ShadesOf(RGB(192, 192, 192));
    EXPECT_EQ(shades.light1, RGB(243, 243, 243));
    EXPECT_EQ(shades.light2, RGB(243, 243, 243)); // a second step would pass 255
    EXPECT_EQ(shades.dark1, RGB(141, 141, 141));
    EXPECT_EQ(shades.dark2, RGB(90, 90, 90));
}

TEST(CMacSliderCtrl, SelectionAtTheEdgesOfTheRange)
{
    struct Case {
        int min, max, start, end, length;
        bool shown;
        int from, to;
    };
    const Case cases[] = {
        {0, 100, 25, 75, 200, true, 50, 150},
        {0, 100, 0, 100, 200, true, 0, 200},
        {5, 5, 3, 8, 200, false, 0, 0},   // empty range
        {0, 0, 0, 0, 200, false, 0, 0},
        {0, 100, 60, 60, 200, false, 0, 0}, // empty selection
        {0, 100, 70, 20, 200, false, 0, 0},
        {0, 100, -50, 500, 200, true, 0, 200}, // beyond the range: held to it
        {10, 20, 12, 18, 0, false, 0, 0},
        {-2147483647, 2147483647, 0, 2147483647, 100, true, 50, 100},
    };
    for (const Case& c : cases) {
        int from = 0;
        int to = 0;
        ASSERT_EQ(CMacSliderCtrl::SelectionSpan(c.min, c.max, c.start, c.end, c.length, &from, &to), c.shown)
            << c.min << ".." << c.max << " sel " << c.start << ".." << c.end;
        if (c.shown) {
            EXPECT_EQ(from, c.from);
            EXPECT_EQ(to, c.to);
        }
    }
}

using WindowHost = PopupHost;

TEST_F(WindowHost, SliderDrawsEmptyRangeAndPressedThumb)
{
    CMacSliderCtrl slider;
    ASSERT_TRUE(slider.Create(WS_VISIBLE | TBS_HORZ | TBS_BOTH | TBS_ENABLESELRANGE, CRect(0, 0, 300, 40), &m_parent, 5));
    m_parent.ShowWindow(SW_SHOWNOACTIVATE);
    slider.SetRange(5, 5, TRUE);
    slider.SetSelection(3, 8);
    slider.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const CMacSliderCtrl::Shades normal = slider.GetShades();

    // The pressed thumb, as the track bar asks for it.
    NMCUSTOMDRAW draw = {};
    draw.hdr.hwndFrom = slider.GetSafeHwnd();
    draw.hdr.idFrom = 5;
    draw.hdr.code = static_cast<UINT>(NM_CUSTOMDRAW);
    draw.dwDrawStage = CDDS_ITEMPREPAINT;
    draw.dwItemSpec = TBCD_THUMB;
    draw.uItemState = CDIS_SELECTED;
    draw.rc = {10, 5, 21, 30};
    draw.hdc = slider.GetDC()->GetSafeHdc();
    const int before = slider.GetThumbDrawCount();
    EXPECT_EQ(m_parent.SendMessage(WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&draw)), CDRF_SKIPDEFAULT);
    ASSERT_EQ(slider.GetThumbDrawCount(), before + 1);
    EXPECT_EQ(slider.GetLastThumbShades().face, CMacSliderCtrl::Darken(normal.face, 51));
    EXPECT_EQ(slider.GetLastThumbShades().dark1, CMacSliderCtrl::Darken(normal.dark1, 51));
    EXPECT_EQ(slider.GetShades().face, normal.face); // back to its colours
    draw.uItemState = 0;
    m_parent.SendMessage(WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&draw));
    EXPECT_EQ(slider.GetLastThumbShades().face, normal.face);
    draw.dwItemSpec = TBCD_TICS;
    EXPECT_EQ(m_parent.SendMessage(WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&draw)), 0);
    draw.dwItemSpec = TBCD_CHANNEL; // the empty range again, straight to the channel
    EXPECT_EQ(m_parent.SendMessage(WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&draw)), CDRF_SKIPDEFAULT);
    ::ReleaseDC(slider.GetSafeHwnd(), draw.hdc);
}

TEST_F(WindowHost, OneChosenSwatchForgottenWhenDestroyed)
{
    auto first = std::make_unique<CCavus>();
    CCavus second;
    CCavus plain;
    ASSERT_TRUE(first->Create("", WS_VISIBLE | SS_NOTIFY, CRect(0, 0, 40, 40), &m_parent, 1));
    ASSERT_TRUE(second.Create("", WS_VISIBLE | SS_NOTIFY, CRect(50, 0, 90, 40), &m_parent, 2));
    ASSERT_TRUE(plain.Create("", WS_VISIBLE | SS_NOTIFY, CRect(100, 0, 140, 40), &m_parent, 3));
    first->SetSelectable(TRUE);
    second.SetSelectable(TRUE);
    EXPECT_EQ(CCavus::GetChosen(), nullptr);

    plain.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(CCavus::GetChosen(), nullptr); // not selectable: nothing changes
    first->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(CCavus::GetChosen(), first.get());
    second.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(CCavus::GetChosen(), &second);
    first->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    first.reset();
    EXPECT_EQ(CCavus::GetChosen(), nullptr);
    // The survivor's click does not reach the dead one.
    second.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(CCavus::GetChosen(), &second);
    // A new swatch clears the choice.
    CCavus fresh;
    EXPECT_EQ(CCavus::GetChosen(), nullptr);
}

TEST_F(WindowHost, ChosenSwatchIsFramed)
{
    CCavus swatch;
    ASSERT_TRUE(swatch.Create("", WS_VISIBLE | SS_NOTIFY, CRect(0, 0, 40, 30), &m_parent, 1));
    ASSERT_TRUE(swatch.CreatePictureFromWindow(24));
    EXPECT_EQ(swatch.GetPicture().GetWidth(), 36);
    EXPECT_EQ(swatch.GetPicture().GetHeight(), 26);
    const HDC picture = swatch.GetPictureDC();
    ASSERT_NE(picture, nullptr);
    const RECT all = {0, 0, 36, 26};
    FillRect(picture, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    swatch.Refresh();
    RECT rect = {};
    swatch.GetPictureRect(&rect);
    EXPECT_EQ(rect.right, 40);
    EXPECT_EQ(rect.bottom, 30);
    swatch.SetSelectable(TRUE);

    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, 40, 30);
    ReleaseDC(nullptr, screen);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    swatch.Paint(dc, rect);
    EXPECT_EQ(GetPixel(dc, 2, 15), RGB(255, 255, 255));
    swatch.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    swatch.Paint(dc, rect);
    for (const int x : {1, 2, 3, 36, 37, 38})
        EXPECT_EQ(GetPixel(dc, x, 15), RGB(200, 50, 50)) << x;
    EXPECT_EQ(GetPixel(dc, 20, 15), RGB(255, 255, 255));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

} // namespace
