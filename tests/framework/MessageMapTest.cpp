// Message maps of plain windows: window messages and their defaults, notifications reflected to
// the control's own class (and passed on when it declines), subclassing, and the exception
// barrier of the window procedure.
#include "framework/AfxWin.h"
#include "tests/framework/WindowTestApp.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

const UINT WM_TEST_VALUE = WM_APP + 1;
const UINT WM_TEST_THROW = WM_APP + 2;
const int IDC_CHILD = 2;

class CReflectingButton : public CWnd
{
public:
    BOOL m_bTakeClick = TRUE;
    CBrush m_brush{RGB(1, 2, 3)};

protected:
    void OnClicked() { CommandLog().push_back("child:clicked"); }
    BOOL OnReflectedClick(NMHDR*, LRESULT* pResult)
    {
        CommandLog().push_back("child:nmclick");
        *pResult = 5;
        return m_bTakeClick;
    }
    HBRUSH CtlColor(CDC*, UINT nCtlColor) { return nCtlColor == CTLCOLOR_BTN ? static_cast<HBRUSH>(m_brush) : nullptr; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectingButton, CWnd)
    ON_CONTROL_REFLECT(BN_CLICKED, &CReflectingButton::OnClicked)
    ON_NOTIFY_REFLECT_EX(NM_CLICK, &CReflectingButton::OnReflectedClick)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class CTestParent : public CWnd
{
public:
    CBrush m_brush{RGB(9, 9, 9)};
    CSize m_lastSize;
    bool m_bDestroyed = false;
    bool m_bPostNcDestroy = false;

protected:
    void OnButton() { CommandLog().push_back("parent:button"); }
    void OnChildClick(NMHDR*, LRESULT*) { CommandLog().push_back("parent:nmclick"); }
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
    {
        // The base handler offers the message to the control first.
        const HBRUSH hBrush = CWnd::OnCtlColor(pDC, pWnd, nCtlColor);
        return nCtlColor == CTLCOLOR_STATIC ? static_cast<HBRUSH>(m_brush) : hBrush;
    }
    void OnSize(UINT nType, int cx, int cy)
    {
        CWnd::OnSize(nType, cx, cy);
        m_lastSize = CSize(cx, cy);
    }
    void OnDestroy() { m_bDestroyed = true; }
    void PostNcDestroy() override { m_bPostNcDestroy = true; }
    LRESULT OnTestValue(WPARAM wParam, LPARAM lParam) { return static_cast<LRESULT>(wParam + lParam); }
    LRESULT OnTestThrow(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestParent, CWnd)
    ON_BN_CLICKED(IDC_CHILD, &CTestParent::OnButton)
    ON_NOTIFY(NM_CLICK, IDC_CHILD, &CTestParent::OnChildClick)
    ON_WM_CTLCOLOR()
    ON_WM_SIZE()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_TEST_VALUE, &CTestParent::OnTestValue)
    ON_MESSAGE(WM_TEST_THROW, &CTestParent::OnTestThrow)
END_MESSAGE_MAP()

// Counts the characters typed into a subclassed edit control and lets them through.
class CCountingEdit : public CWnd
{
public:
    int m_nChars = 0;

protected:
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
    {
        ++m_nChars;
        CWnd::OnChar(nChar, nRepCnt, nFlags);
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCountingEdit, CWnd)
    ON_WM_CHAR()
END_MESSAGE_MAP()

class MessageMapTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CommandLog().clear();
        ASSERT_TRUE(m_parent.CreateEx(0, nullptr, "parent", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr));
        ASSERT_TRUE(m_child.Create("BUTTON", "child", WS_VISIBLE | BS_PUSHBUTTON, CRect(0, 0, 50, 20), &m_parent,
                                   IDC_CHILD));
    }
    void TearDown() override { m_parent.DestroyWindow(); }

    CTestParent m_parent;
    CReflectingButton m_child;
};

TEST_F(MessageMapTest, WindowMessagesReachTheirHandlersAndDefaultsStillRun)
{
    EXPECT_EQ(0x7L, m_parent.SendMessage(WM_TEST_VALUE, 3, 4));
    m_parent.MoveWindow(0, 0, 120, 70);
    EXPECT_EQ(CSize(120, 70), m_parent.m_lastSize);
    // The default procedure behind the map still answers what the map does not handle.
    m_parent.SetWindowText("renamed");
    CString strText;
    m_parent.GetWindowText(strText);
    EXPECT_STREQ("renamed", strText);
    EXPECT_TRUE(m_child.GetStyle() & WS_CHILD);
    EXPECT_EQ(IDC_CHILD, m_child.GetDlgCtrlID());
    EXPECT_EQ(&m_child, m_parent.GetDlgItem(IDC_CHILD));
}

TEST_F(MessageMapTest, NotificationsAreReflectedToTheControlClass)
{
    m_child.SendMessage(BM_CLICK);
    EXPECT_EQ(std::vector<std::string>{"child:clicked"}, CommandLog());
    CommandLog().clear();

    NMHDR hdr = {m_child.m_hWnd, IDC_CHILD, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(5, m_parent.SendMessage(WM_NOTIFY, IDC_CHILD, reinterpret_cast<LPARAM>(&hdr)));
    EXPECT_EQ(std::vector<std::string>{"child:nmclick"}, CommandLog());
    CommandLog().clear();
    // A control that declines (the _EX handler returns FALSE) lets the parent have it too.
    m_child.m_bTakeClick = FALSE;
    m_parent.SendMessage(WM_NOTIFY, IDC_CHILD, reinterpret_cast<LPARAM>(&hdr));
    EXPECT_EQ((std::vector<std::string>{"child:nmclick", "parent:nmclick"}), CommandLog());

    // Colours: the control's reflected handler answers for its own kind, the parent for the rest.
    CClientDC dc(&m_child);
    EXPECT_EQ(reinterpret_cast<LRESULT>(static_cast<HBRUSH>(m_child.m_brush)),
              m_parent.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc.m_hDC),
                                   reinterpret_cast<LPARAM>(m_child.m_hWnd)));
    EXPECT_EQ(reinterpret_cast<LRESULT>(static_cast<HBRUSH>(m_parent.m_brush)),
              m_parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.m_hDC),
                                   reinterpret_cast<LPARAM>(m_child.m_hWnd)));
}

TEST_F(MessageMapTest, SubclassingRoutesAWindowThroughItsObjectUntilUnsubclassed)
{
    const HWND hEdit = ::CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 30, 100, 20, m_parent.m_hWnd, nullptr,
                                         nullptr, nullptr);
    ASSERT_NE(nullptr, hEdit);
    const LONG_PTR original = ::GetWindowLongPtrA(hEdit, GWLP_WNDPROC);
    {
        CCountingEdit edit;
        ASSERT_TRUE(edit.SubclassWindow(hEdit));
        EXPECT_EQ(&edit, CWnd::FromHandlePermanent(hEdit));
        ::SendMessageA(hEdit, WM_CHAR, 'a', 1);
        ::SendMessageA(hEdit, WM_CHAR, 'b', 1);
        EXPECT_EQ(2, edit.m_nChars);
        EXPECT_EQ(hEdit, edit.UnsubclassWindow());
    }
    EXPECT_EQ(original, ::GetWindowLongPtrA(hEdit, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hEdit));
    char szText[8] = {};
    ::GetWindowTextA(hEdit, szText, sizeof(szText));
    EXPECT_STREQ("ab", szText); // the edit control's own procedure saw the characters
}

TEST_F(MessageMapTest, ToolTipsFollowTheToolUnderTheMouse)
{
    m_parent.EnableToolTips(TRUE);
    CRect rcChild;
    m_child.GetWindowRect(&rcChild);
    MSG msg = {m_child.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5)};
    msg.pt = rcChild.CenterPoint();
    // The child's mouse message reaches the parent on its way up the window chain.
    EXPECT_FALSE(CWnd::WalkPreTranslateTree(m_parent.m_hWnd, &msg));
    const HWND hTip = CWnd::GetThreadToolTip();
    ASSERT_NE(nullptr, hTip);
    EXPECT_EQ(1, ::SendMessageA(hTip, TTM_GETTOOLCOUNT, 0, 0));
    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ASSERT_TRUE(::SendMessageA(hTip, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&ti)));
    EXPECT_EQ(m_parent.m_hWnd, ti.hwnd);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(m_child.m_hWnd), ti.uId);

    // Off every child: no tool.
    msg.hwnd = m_parent.m_hWnd;
    msg.pt = CPoint(rcChild.left + 150, rcChild.top + 60);
    CWnd::WalkPreTranslateTree(m_parent.m_hWnd, &msg);
    EXPECT_EQ(0, ::SendMessageA(hTip, TTM_GETTOOLCOUNT, 0, 0));
    m_parent.EnableToolTips(FALSE);
}

TEST_F(MessageMapTest, AnExceptionInAHandlerDoesNotLeaveTheWindowProcedure)
{
    EXPECT_EQ(0, m_parent.SendMessage(WM_TEST_THROW));
    EXPECT_EQ(0x3L, m_parent.SendMessage(WM_TEST_VALUE, 1, 2)); // and the window still works
}

TEST_F(MessageMapTest, DestructionRunsOnDestroyAndPostNcDestroyAndUnbinds)
{
    const HWND hParent = m_parent.m_hWnd;
    ASSERT_TRUE(m_parent.DestroyWindow());
    EXPECT_TRUE(m_parent.m_bDestroyed);
    EXPECT_TRUE(m_parent.m_bPostNcDestroy);
    EXPECT_EQ(nullptr, m_parent.m_hWnd);
    EXPECT_EQ(nullptr, m_child.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hParent));

    // An object that merely wraps a window leaves it alive when it ends; one that made it
    // takes it along.
    const HWND hPlain = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
    {
        CWnd wrapper;
        wrapper.Attach(hPlain);
    }
    EXPECT_TRUE(::IsWindow(hPlain));
    ::DestroyWindow(hPlain);
    HWND hOwned = nullptr;
    {
        CWnd owner;
        ASSERT_TRUE(owner.CreateEx(0, nullptr, "", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr));
        hOwned = owner.m_hWnd;
    }
    EXPECT_FALSE(::IsWindow(hOwned));
}

} // namespace
