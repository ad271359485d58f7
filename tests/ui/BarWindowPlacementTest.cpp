// Window placement in the profile: a table of stored values (missing, complete, short, from
// another work area, maximized, empty rectangles) and where the window ends up.
#include "tests/ui/BarTestFrame.h"

#include "ui/CBarWindowPlacement.h"

#include <gtest/gtest.h>

namespace {

CRect WorkArea()
{
    CRect work;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

class BarWindowPlacementTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        theBarTestApp.ClearProfile();
        m_pFrame = new CFrameWnd; // deleted by its window
        ASSERT_TRUE(m_pFrame->Create(nullptr, "Placement", WS_OVERLAPPEDWINDOW, CRect(50, 60, 450, 360)));
    }
    void TearDown() override
    {
        CFrameWnd* pFrame = m_pFrame;
        DestroyFrame(pFrame);
        theBarTestApp.ClearProfile();
    }
    CRect Rect() const
    {
        CRect rect;
        m_pFrame->GetWindowRect(&rect);
        return rect;
    }

    CFrameWnd* m_pFrame = nullptr;
};

TEST_F(BarWindowPlacementTest, StoredValuesAndWhereTheWindowGoes)
{
    const CRect work = WorkArea();
    CString strSame;
    strSame.Format("1,100,80,500,380,%ld,%ld,%ld,%ld", work.left, work.top, work.right, work.bottom);
    CString strHalf;
    strHalf.Format("1,100,80,500,380,0,0,%ld,%ld", work.Width() / 2, work.Height() / 2);
    CString strGone;
    strGone.Format("1,%ld,%ld,%ld,%ld,%ld,%ld,%ld,%ld", work.right + 2000, 100L, work.right + 2400, 400L, work.left,
                   work.top, work.right, work.bottom);
    struct Case
    {
        const char* name;
        CString value;
        bool bStore;
        CRect expected; // empty: the window keeps the place it was made at
        bool bMaximized;
    };
    const Case cases[] = {
        {"missing", "", false, CRect(), false},
        {"nine fields", strSame, true, CRect(100, 80, 500, 380), false},
        {"fewer fields", "1,100,80,500", true, CRect(), false},
        {"other work area", strHalf, true, CRect(100, 80, 900, 680), false},
        {"monitor gone", strGone, true, CRect(work.right - 400, 100, work.right, 400), false},
        {"maximized", "3,10,10,300,300,0,0,800,600", true, CRect(), true},
        {"empty window rect", "1,5,5,5,5,0,0,800,600", true, CRect(), false},
        {"empty work area", "1,10,10,300,300,0,0,0,0", true, CRect(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        theBarTestApp.ClearProfile();
        m_pFrame->ShowWindow(SW_HIDE);
        m_pFrame->ShowWindow(SW_SHOWNORMAL);
        m_pFrame->SetWindowPos(nullptr, 50, 60, 400, 300, SWP_NOZORDER);
        m_pFrame->ShowWindow(SW_HIDE);
        if (c.bStore)
            theBarTestApp.WriteProfileString("Settings", "Browser", c.value);
        CBarWindowPlacement placement;
        placement.LoadFromProfile("Browser");
        placement.ApplyTo(m_pFrame);
        PumpMessages();
        // Shown in every case: an unusable value must not leave the window hidden.
        EXPECT_TRUE(m_pFrame->IsWindowVisible());
        EXPECT_EQ(m_pFrame->IsZoomed() != FALSE, c.bMaximized);
        if (!c.bMaximized) {
            const CRect expected = c.expected.IsRectEmpty() ? CRect(50, 60, 450, 360) : c.expected;
            EXPECT_EQ(Rect(), expected);
        }
    }
}

TEST_F(BarWindowPlacementTest, SaveWritesNineFieldsThatLoadBack)
{
    m_pFrame->ShowWindow(SW_SHOWNORMAL);
    CBarWindowPlacement placement;
    placement.m_strName = "Browser";
    placement.SaveToProfile(m_pFrame);
    const CString strValue = theBarTestApp.GetProfileString("Settings", "Browser", "");
    CBarWindowPlacement loaded;
    loaded.LoadFromProfile("Browser");
    EXPECT_EQ(loaded.m_nFields, 9) << static_cast<LPCSTR>(strValue);
    EXPECT_EQ(loaded.m_nShowCmd, SW_SHOWNORMAL);
    EXPECT_EQ(loaded.m_rcWindow, Rect());
    EXPECT_EQ(loaded.m_rcWorkArea, WorkArea());
    // Without a name the entry is "Window Pos".
    CBarWindowPlacement unnamed;
    unnamed.SaveToProfile(m_pFrame);
    EXPECT_FALSE(theBarTestApp.GetProfileString("Settings", "Window Pos", "").IsEmpty());
}

TEST(BarWindowPlacementFormat, ScalesBySizeNotByPlace)
{
    CBarWindowPlacement placement;
    EXPECT_EQ(placement.Parse("1,100,80,900,680,0,0,1024,738"), 9);
    EXPECT_EQ(placement.Format(), "1,100,80,900,680,0,0,1024,738");
    EXPECT_EQ(placement.Parse("garbage"), 0);
    EXPECT_EQ(placement.Parse(nullptr), 0);
}

} // namespace
