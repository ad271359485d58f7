// The tab set: hit tests and scrolling with no tab, one tab and fifty, the current tab through
// insertion and deletion, the notifications of a click, and the shared scroll bar with its sizer.
#include "ui/CTabsetCtrl.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<UINT> g_notices;
bool g_refuse = false;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        g_notices.push_back(header->code);
        return header->code == static_cast<UINT>(TCN_SELCHANGING) && g_refuse ? 1 : 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

const DWORD kAllStyles = TSS_ENDBUTTONS | TSS_SCROLLBAR;

class TabsetFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &HostProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
        wc.lpszClassName = "OrvoTabsetHost";
        RegisterClassA(&wc);
        m_host = CreateWindowExA(0, "OrvoTabsetHost", "Tabs", WS_OVERLAPPEDWINDOW, 10, 10, 560, 140,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(m_host, nullptr);
        g_notices.clear();
        g_refuse = false;
    }
    void TearDown() override
    {
        m_tabs.DestroyWindow();
        DestroyWindow(m_host);
    }
    void Make(DWORD style, int width, int height = 60)
    {
        ASSERT_TRUE(m_tabs.Create(WS_VISIBLE | style, CRect(0, 0, width, height), CWnd::FromHandle(m_host), 7));
    }
    // A control with every style, its sizer at percent of the width and count tabs.
    void MakeWithTabs(int percent, int count)
    {
        Make(kAllStyles, 500);
        m_tabs.SetSizerPos(percent, TRUE);
        AddTabs(count);
    }
    void AddTabs(int count)
    {
        for (int i = 0; i < count; ++i) {
            const std::string label = "Layout " + std::to_string(i + 1);
            ASSERT_EQ(m_tabs.InsertItem(m_tabs.GetItemCount(), label.c_str()), i);
        }
    }
    int AreaLeft() const { return 4 * (GetSystemMetrics(SM_CXHSCROLL) - 1); }
    int MidY() { return (m_tabs.GetStripRect().top + m_tabs.GetStripRect().bottom) / 2; }
    int Hit(int x)
    {
        const POINT point = {x, MidY()};
        return m_tabs.HitTest(&point);
    }
    void Command(UINT id)
    {
        m_tabs.SendMessage(WM_COMMAND, id);
        EXPECT_GE(m_tabs.GetScrollOffset(), 0) << id;
        EXPECT_LE(m_tabs.GetScrollOffset(), m_tabs.GetMaxScrollOffset()) << id;
    }
    void Click(int x) { m_tabs.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, MidY())); }

    HWND m_host = nullptr;
    CTabsetCtrl m_tabs;
};

TEST_F(TabsetFixture, NoTabs)
{
    Make(kAllStyles, 500);
    EXPECT_EQ(m_tabs.GetCurSel(), -1);
    EXPECT_EQ(m_tabs.GetItemCount(), 0);
    RECT rect = {};
    EXPECT_FALSE(m_tabs.GetItemRect(0, &rect));
    for (const int x : {-5, 0, AreaLeft(), AreaLeft() + 10, 499})
        EXPECT_EQ(Hit(x), -1) << x;
    for (const UINT id : {ID_TABSET_BACK, ID_TABSET_FORWARD, ID_TABSET_FIRST, ID_TABSET_LAST, ID_TABSET_BACK})
        Command(id);
    EXPECT_EQ(m_tabs.GetScrollOffset(), 0);
    EXPECT_FALSE(m_tabs.IsButtonEnabled(ID_TABSET_BACK));
    EXPECT_FALSE(m_tabs.IsButtonEnabled(ID_TABSET_FORWARD));
    EXPECT_EQ(m_tabs.SetCurSel(0), -1);
    EXPECT_FALSE(m_tabs.DeleteItem(0));
    CString tip = "x";
    m_tabs.GetItemTip(&tip, 0);
    EXPECT_TRUE(tip.IsEmpty());
}

TEST_F(TabsetFixture, OneTab)
{
    MakeWithTabs(60, 1);
    EXPECT_EQ(m_tabs.GetCurSel(), 0);
    RECT rect = {};
    ASSERT_TRUE(m_tabs.GetItemRect(0, &rect));
    EXPECT_EQ(rect.left, AreaLeft());
    EXPECT_EQ(Hit(rect.left), 0);
    EXPECT_EQ(Hit(rect.right - 1), 0); // the last tab answers over its full width
    EXPECT_EQ(Hit(rect.right), -1);
    EXPECT_EQ(Hit(rect.left - 1), -1); // over the buttons
    EXPECT_EQ(Hit(m_tabs.GetSizerRect().left), -1);
    EXPECT_EQ(Hit(499), -1);           // over the scroll bar
    const POINT above = {rect.left + 2, m_tabs.GetStripRect().bottom + 5};
    EXPECT_EQ(m_tabs.HitTest(&above), -1);
    for (const UINT id : {ID_TABSET_FORWARD, ID_TABSET_LAST, ID_TABSET_BACK, ID_TABSET_FIRST})
        Command(id);
    EXPECT_EQ(m_tabs.GetScrollOffset(), 0);
    EXPECT_FALSE(m_tabs.IsButtonEnabled(ID_TABSET_BACK));
    EXPECT_FALSE(m_tabs.IsButtonEnabled(ID_TABSET_FORWARD));
}

TEST_F(TabsetFixture, FiftyTabs)
{
    MakeWithTabs(70, 50);
    // The last one inserted is current and scrolled into view.
    EXPECT_EQ(m_tabs.GetCurSel(), 49);
    RECT rect = {};
    ASSERT_TRUE(m_tabs.GetItemRect(49, &rect));
    EXPECT_LE(rect.right, m_tabs.GetSizerRect().left);
    EXPECT_GT(m_tabs.GetScrollOffset(), 0);
    EXPECT_EQ(m_tabs.GetScrollOffset(), m_tabs.GetMaxScrollOffset());
    EXPECT_TRUE(m_tabs.IsButtonEnabled(ID_TABSET_BACK));
    EXPECT_FALSE(m_tabs.IsButtonEnabled(ID_TABSET_FORWARD));

    Command(ID_TABSET_FIRST);
    EXPECT_EQ(m_tabs.GetScrollOffset(), 0);
    EXPECT_FALSE(m_tabs.IsButtonEnabled(ID_TABSET_BACK));
    EXPECT_TRUE(m_tabs.IsButtonEnabled(ID_TABSET_FORWARD));
    const int overlap = m_tabs.GetOverlap();
    // Every visible tab answers from its left edge up to the next tab's start.
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(m_tabs.GetItemRect(i, &rect));
        if (rect.right - overlap >= m_tabs.GetSizerRect().left)
            break;
        EXPECT_EQ(Hit(rect.left), i);
        EXPECT_EQ(Hit(rect.right - overlap - 1), i);
    }
    // Forward steps a tab at a time, back returns by the same steps, never below 0.
    std::vector<int> offsets = {0};
    for (int step = 0; step < 60; ++step) {
        Command(ID_TABSET_FORWARD);
        if (m_tabs.GetScrollOffset() == offsets.back())
            break;
        offsets.push_back(m_tabs.GetScrollOffset());
    }
    EXPECT_GT(offsets.size(), 10u);
    ASSERT_TRUE(m_tabs.GetItemRect(1, &rect));
    EXPECT_EQ(offsets[1], rect.left - AreaLeft() + offsets.back());
    for (int step = 0; step < 60; ++step)
        Command(ID_TABSET_BACK);
    EXPECT_EQ(m_tabs.GetScrollOffset(), 0);
    Command(ID_TABSET_LAST);
    EXPECT_EQ(m_tabs.GetScrollOffset(), m_tabs.GetMaxScrollOffset());
    m_tabs.ScrollToFirst();
    EXPECT_EQ(m_tabs.GetScrollOffset(), 0);

    // Choosing a tab scrolled out of sight brings it into view.
    EXPECT_EQ(m_tabs.SetCurSel(40), 49);
    ASSERT_TRUE(m_tabs.GetItemRect(40, &rect));
    EXPECT_GE(rect.left, AreaLeft());
    EXPECT_LE(rect.right, m_tabs.GetSizerRect().left);
    EXPECT_TRUE(m_tabs.DeleteAllItems());
    EXPECT_EQ(m_tabs.GetCurSel(), -1);
    EXPECT_EQ(m_tabs.GetScrollOffset(), 0);
}

TEST_F(TabsetFixture, InsertAndDeleteKeepTheCurrentTab)
{
    Make(TSS_SCROLLBUTTONS, 500);
    EXPECT_EQ(m_tabs.InsertItem(1, "far"), -1);
    EXPECT_EQ(m_tabs.InsertItem(-1, "before"), -1);
    AddTabs(3);
    EXPECT_EQ(m_tabs.SetCurSel(1), 2);
    EXPECT_EQ(m_tabs.InsertItem(0, "Model"), 0); // the inserted tab becomes current
    EXPECT_EQ(m_tabs.GetCurSel(), 0);
    m_tabs.SetCurSel(2);
    EXPECT_TRUE(m_tabs.DeleteItem(0)); // before the current one: it moves down
    EXPECT_EQ(m_tabs.GetCurSel(), 1);
    EXPECT_TRUE(m_tabs.DeleteItem(1)); // the current one: the first becomes current
    EXPECT_EQ(m_tabs.GetCurSel(), 0);
    // The window's text names the current tab, for tools that read it from outside.
    char text[64] = {};
    ::GetWindowTextA(m_tabs.GetSafeHwnd(), text, sizeof(text));
    EXPECT_STREQ(text, "Layout 1");
    EXPECT_FALSE(m_tabs.DeleteItem(5));
    m_tabs.SetItemTip(1, "Layout three, A3");
    CString tip;
    m_tabs.GetItemTip(&tip, 1);
    EXPECT_STREQ(tip, "Layout three, A3");
    m_tabs.GetItemTip(&tip, 0);
    EXPECT_STREQ(tip, "Layout 1");
    EXPECT_TRUE(m_tabs.DeleteItem(0));
    EXPECT_TRUE(m_tabs.DeleteItem(0));
    EXPECT_EQ(m_tabs.GetCurSel(), -1);
    ::GetWindowTextA(m_tabs.GetSafeHwnd(), text, sizeof(text));
    EXPECT_STREQ(text, "");
}

TEST_F(TabsetFixture, AClickNotifiesTheOwnerWhoMayRefuse)
{
    Make(TSS_SCROLLBUTTONS, 500);
    AddTabs(3);
    m_tabs.SetCurSel(0);
    RECT first = {};
    RECT second = {};
    m_tabs.GetItemRect(0, &first);
    m_tabs.GetItemRect(1, &second);
    Click(first.left + 2); // the current tab: nothing
    EXPECT_TRUE(g_notices.empty());
    g_refuse = true;
    Click(second.left + second.right / 2 - first.left / 2 - 2);
    EXPECT_EQ(g_notices, std::vector<UINT>({static_cast<UINT>(TCN_SELCHANGING)}));
    EXPECT_EQ(m_tabs.GetCurSel(), 0);
    g_refuse = false;
    g_notices.clear();
    Click(second.right - m_tabs.GetOverlap() - 2);
    EXPECT_EQ(g_notices, std::vector<UINT>({static_cast<UINT>(TCN_SELCHANGING), static_cast<UINT>(TCN_SELCHANGE)}));
    EXPECT_EQ(m_tabs.GetCurSel(), 1);
}

TEST_F(TabsetFixture, TheScrollBarIsAWindowBehindTheSizer)
{
    Make(kAllStyles, 400);
    ASSERT_NE(m_tabs.GetScrollBar().GetSafeHwnd(), nullptr);
    m_tabs.SetSizerPos(200, FALSE);
    EXPECT_EQ(m_tabs.GetSizerPercent(), 50);
    EXPECT_EQ(m_tabs.GetSizerRect().left, 200);
    CRect bar;
    m_tabs.GetScrollBar().GetWindowRect(&bar);
    m_tabs.ScreenToClient(&bar);
    EXPECT_EQ(bar.left, m_tabs.GetSizerRect().right);
    EXPECT_EQ(bar.right, 400 - GetSystemMetrics(SM_CYHSCROLL));
    // Resizing keeps the sizer at the same share of the width.
    m_tabs.SetWindowPos(nullptr, 0, 0, 300, 60, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(m_tabs.GetSizerRect().left, 150);
    // Beyond the right end it is held back so the buttons and the bar keep room.
    m_tabs.SetSizerPos(5000, FALSE);
    EXPECT_EQ(m_tabs.GetSizerRect().left, 300 - AreaLeft() - GetSystemMetrics(SM_CYHSCROLL));
    m_tabs.SetSizerPos(-40, FALSE);
    EXPECT_EQ(m_tabs.GetSizerRect().left, 0);
}

TEST_F(TabsetFixture, AZeroWidthStripDividesByNothing)
{
    Make(kAllStyles, 0, 0);
    m_tabs.SetSizerPos(30, FALSE);
    EXPECT_EQ(m_tabs.GetSizerPercent(), 0);
    AddTabs(5);
    EXPECT_EQ(m_tabs.InsertItem(5, ""), 5); // a tab without a label
    for (const UINT id : {ID_TABSET_LAST, ID_TABSET_FORWARD, ID_TABSET_BACK, ID_TABSET_FIRST})
        Command(id);
    EXPECT_EQ(Hit(0), -1);
    m_tabs.SetWindowPos(nullptr, 0, 0, 0, 60, SWP_NOZORDER | SWP_NOMOVE);
    m_tabs.UpdateWindow();
    EXPECT_GE(m_tabs.GetScrollOffset(), 0);
}

// With ORVO_SHOW_TABSET=seconds the strip stays on the screen that long (for a screenshot).
TEST_F(TabsetFixture, ShownOnTheScreen)
{
    Make(kAllStyles, 540, 60);
    m_tabs.SetSizerPos(75, TRUE);
    AddTabs(12);
    m_tabs.SetCurSel(2);
    ShowWindow(m_host, SW_SHOW);
    m_tabs.UpdateWindow();
    const char* show = std::getenv("ORVO_SHOW_TABSET");
    const DWORD until = GetTickCount() + (show ? static_cast<DWORD>(std::atoi(show)) * 1000 : 0);
    MSG msg;
    do {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(20);
    } while (static_cast<int>(until - GetTickCount()) > 0);
    EXPECT_EQ(m_tabs.GetCurSel(), 2);
}

} // namespace
