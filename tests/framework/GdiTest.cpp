// GDI wrappers on a memory device: fills and 3D frames land on the right pixels, selections
// hand back what was selected before, point-size fonts scale with the device, temporary
// wrappers never delete what they wrap, and the geometry values behave like the Win32 calls.
#include "framework/AfxWin.h"

#include <gtest/gtest.h>

namespace {

class GdiTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CClientDC screen(nullptr);
        ASSERT_TRUE(m_dc.CreateCompatibleDC(&screen));
        ASSERT_TRUE(m_bitmap.CreateCompatibleBitmap(&screen, 20, 20));
        m_pOldBitmap = m_dc.SelectObject(&m_bitmap);
    }
    void TearDown() override { m_dc.SelectObject(m_pOldBitmap); }

    CDC m_dc;
    CBitmap m_bitmap;
    CBitmap* m_pOldBitmap = nullptr;
};

TEST_F(GdiTest, FillsAndFramesLandOnTheirPixels)
{
    m_dc.FillSolidRect(0, 0, 20, 20, RGB(255, 255, 255));
    m_dc.Draw3dRect(CRect(2, 2, 12, 12), RGB(255, 0, 0), RGB(0, 0, 255));
    struct Case
    {
        int x, y;
        COLORREF color;
    };
    const Case cases[] = {
        {2, 2, RGB(255, 0, 0)},   {10, 2, RGB(255, 0, 0)},  {2, 10, RGB(255, 0, 0)},
        {11, 2, RGB(0, 0, 255)},  {11, 11, RGB(0, 0, 255)}, {2, 11, RGB(0, 0, 255)},
        {5, 5, RGB(255, 255, 255)}, {12, 12, RGB(255, 255, 255)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.color, m_dc.GetPixel(c.x, c.y)) << c.x << "," << c.y;
    // FillSolidRect leaves the background colour as it was.
    m_dc.SetBkColor(RGB(1, 2, 3));
    m_dc.FillSolidRect(CRect(0, 0, 1, 1), RGB(9, 9, 9));
    EXPECT_EQ(RGB(1, 2, 3), m_dc.GetBkColor());
}

TEST_F(GdiTest, SelectionHandsBackThePreviousObjectAndTemporariesDoNotDelete)
{
    CPen red(PS_SOLID, 1, RGB(255, 0, 0));
    CPen* pOld = m_dc.SelectObject(&red);
    ASSERT_NE(nullptr, pOld);
    EXPECT_EQ(red.m_hObject, m_dc.GetCurrentPen()->m_hObject);
    m_dc.MoveTo(0, 5);
    m_dc.LineTo(20, 5);
    EXPECT_EQ(RGB(255, 0, 0), m_dc.GetPixel(7, 5));
    const HGDIOBJ hOld = pOld->m_hObject;
    m_dc.SelectObject(pOld);
    AfxDeleteTempMaps();
    // The old pen was a stock pen wrapped temporarily: still valid after its wrapper went.
    EXPECT_EQ(OBJ_PEN, static_cast<int>(::GetObjectType(hOld)));

    CDC* pTemp = CDC::FromHandle(m_dc.m_hDC);
    EXPECT_EQ(&m_dc, pTemp); // an attached DC is permanent
    const HDC hScreen = ::GetDC(nullptr);
    CDC::FromHandle(hScreen);
    AfxDeleteTempMaps();
    EXPECT_NE(0, ::GetDeviceCaps(hScreen, LOGPIXELSY));
    ::ReleaseDC(nullptr, hScreen);
}

TEST_F(GdiTest, PointFontsAreTenthsOfAPointOnTheDevice)
{
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(120, "Tahoma", &m_dc));
    LOGFONTA lf = {};
    ASSERT_NE(0, font.GetLogFont(&lf));
    EXPECT_EQ(-::MulDiv(12, m_dc.GetDeviceCaps(LOGPIXELSY), 72), lf.lfHeight);
    EXPECT_STREQ("Tahoma", lf.lfFaceName);
}

TEST(GeometryTest, RectanglesPointsAndSizes)
{
    CRect r(10, 20, 30, 60);
    EXPECT_EQ(CSize(20, 40), r.Size());
    EXPECT_EQ(CPoint(20, 40), r.CenterPoint());
    r.OffsetRect(CPoint(1, 1));
    EXPECT_EQ(CRect(11, 21, 31, 61), r);
    r.DeflateRect(1, 2, 3, 4);
    EXPECT_EQ(CRect(12, 23, 28, 57), r);
    EXPECT_EQ(CRect(15, 23, 28, 40), r & CRect(15, 0, 100, 40));
    EXPECT_EQ(CRect(0, 0, 28, 57), r | CRect(0, 0, 1, 1));
    CRect flipped(5, 5, 1, 1);
    flipped.NormalizeRect();
    EXPECT_EQ(CRect(1, 1, 5, 5), flipped);
    EXPECT_TRUE(CRect(0, 0, 0, 5).IsRectEmpty());
    EXPECT_EQ(CSize(3, -4), CPoint(5, 1) - CPoint(2, 5));
    EXPECT_EQ(CPoint(-3, 32767), CPoint(MAKELPARAM(-3, 32767)));
    CRgn a, b, c;
    a.CreateRectRgn(0, 0, 10, 10);
    b.CreateRectRgn(5, 5, 20, 20);
    c.CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(COMPLEXREGION, c.CombineRgn(&a, &b, RGN_OR));
    EXPECT_TRUE(c.PtInRegion(15, 15));
    EXPECT_FALSE(c.PtInRegion(15, 2));
}

} // namespace
