#include "framework/CToolBar.h"

#include "framework/AfxGlobals.h"
#include "framework/CCmdUI.h"
#include "framework/CFrameWnd.h"

#include <vector>

IMPLEMENT_DYNAMIC(CToolBar, CControlBar)

BEGIN_MESSAGE_MAP(CToolBar, CControlBar)
END_MESSAGE_MAP()

namespace {

// Reads count fields of `width` bytes each (2 or 4) from an RT_TOOLBAR resource.
UINT ReadField(const BYTE* pData, size_t offset, size_t width)
{
    if (width == sizeof(WORD)) {
        WORD w = 0;
        memcpy(&w, pData + offset, sizeof(w));
        return w;
    }
    DWORD dw = 0;
    memcpy(&dw, pData + offset, sizeof(dw));
    return dw;
}

} // namespace

// Both layouts (see the header); every size is checked against the resource's length before it
// is read.
bool ParseToolBarResource(const BYTE* pData, DWORD dwSize, ToolBarResource& result)
{
    struct Layout
    {
        size_t width;       // bytes per field
        size_t headerCount; // fields before the ids
    };
    const Layout layouts[] = {{sizeof(WORD), 4}, {sizeof(DWORD), 3}};
    for (const Layout& layout : layouts) {
        const size_t header = layout.width * layout.headerCount;
        if (dwSize < header)
            continue;
        const size_t first = layout.headerCount == 4 ? 1 : 0;
        if (layout.headerCount == 4 && ReadField(pData, 0, layout.width) != 1)
            continue;
        const UINT cx = ReadField(pData, (first + 0) * layout.width, layout.width);
        const UINT cy = ReadField(pData, (first + 1) * layout.width, layout.width);
        const UINT count = ReadField(pData, (first + 2) * layout.width, layout.width);
        const unsigned long long need = header + static_cast<unsigned long long>(count) * layout.width;
        if (need > dwSize || cx == 0 || cy == 0 || cx > 256 || cy > 256 || count > 1024)
            continue;
        result.cx = static_cast<int>(cx);
        result.cy = static_cast<int>(cy);
        result.ids.resize(count);
        for (size_t i = 0; i < count; ++i)
            result.ids[i] = ReadField(pData, header + i * layout.width, layout.width);
        return true;
    }
    return false;
}

namespace {

// A tool-bar button as a command UI item.
class CToolCmdUI : public CCmdUI
{
public:
    void Enable(BOOL bOn) override
    {
        m_bEnableChanged = TRUE;
        m_pOther->SendMessage(TB_ENABLEBUTTON, m_nID, MAKELPARAM(bOn ? TRUE : FALSE, 0));
    }
    void SetCheck(int nCheck) override
    {
        m_pOther->SendMessage(TB_CHECKBUTTON, m_nID, MAKELPARAM(nCheck == 1, 0));
        m_pOther->SendMessage(TB_INDETERMINATE, m_nID, MAKELPARAM(nCheck == 2, 0));
    }
    void SetRadio(BOOL bOn) override { SetCheck(bOn ? 1 : 0); }
    void SetText(LPCSTR) override {}
};

} // namespace

BOOL CToolBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    return CreateEx(pParentWnd, 0, dwStyle, CRect(0, 0, 0, 0), nID);
}

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, CRect rcBorders, UINT nID)
{
    if (!AfxInitCommonControls(ICC_BAR_CLASSES))
        return FALSE;
    DWORD dwBarStyle = 0;
    DWORD dwWndStyle = SplitBarStyle(dwStyle, dwBarStyle);
    m_dwStyle = dwBarStyle;
    if (rcBorders.left != 0 || rcBorders.top != 0 || rcBorders.right != 0 || rcBorders.bottom != 0)
        SetBorders(rcBorders.left, rcBorders.top, rcBorders.right, rcBorders.bottom);
    // The frame places the bar itself; the control must not move or size itself.
    dwWndStyle |= dwCtrlStyle | CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NODIVIDER | CCS_NORESIZE;
    if ((m_dwStyle & CBRS_TOOLTIPS) != 0)
        dwWndStyle |= TBSTYLE_TOOLTIPS;
    if (!CWnd::CreateEx(0, TOOLBARCLASSNAMEA, nullptr, dwWndStyle, CRect(0, 0, 0, 0), pParentWnd, nID))
        return FALSE;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT nIDResource)
{
    return LoadToolBar(MAKEINTRESOURCEA(nIDResource));
}

BOOL CToolBar::LoadToolBar(LPCSTR lpszResourceName)
{
    const LPCSTR kToolBarType = MAKEINTRESOURCEA(241);
    const HINSTANCE hInst = AfxFindResourceHandle(lpszResourceName, kToolBarType);
    const HRSRC hRsrc = ::FindResourceA(hInst, lpszResourceName, kToolBarType);
    if (hRsrc == nullptr)
        return FALSE;
    const HGLOBAL hGlobal = ::LoadResource(hInst, hRsrc);
    const auto* pData = static_cast<const BYTE*>(::LockResource(hGlobal));
    const DWORD dwSize = ::SizeofResource(hInst, hRsrc);
    if (pData == nullptr)
        return FALSE;
    ToolBarResource toolBar;
    if (!ParseToolBarResource(pData, dwSize, toolBar))
        return FALSE;
    const std::vector<UINT>& ids = toolBar.ids;
    if (!SetButtons(ids.data(), static_cast<int>(ids.size())))
        return FALSE;
    SetSizes(CSize(toolBar.cx + 7, toolBar.cy + 7), CSize(toolBar.cx, toolBar.cy));
    return LoadBitmap(lpszResourceName);
}

BOOL CToolBar::LoadBitmap(LPCSTR lpszResourceName)
{
    // The standard greys of the bitmap follow the system colours.
    const HINSTANCE hInst = AfxFindResourceHandle(lpszResourceName, MAKEINTRESOURCEA(2));
    CBitmap bitmap;
    if (!bitmap.Attach(::CreateMappedBitmap(hInst, reinterpret_cast<INT_PTR>(lpszResourceName), 0, nullptr, 0)))
        return FALSE;
    BITMAP info = {};
    bitmap.GetBitmap(&info);
    TBADDBITMAP add = {nullptr, reinterpret_cast<UINT_PTR>(static_cast<HBITMAP>(bitmap))};
    const LONG cxImage = m_sizeImage.cx > 0 ? m_sizeImage.cx : (info.bmHeight > 0 ? info.bmHeight : 1);
    if (SendMessage(TB_ADDBITMAP, static_cast<WPARAM>(info.bmWidth / cxImage), reinterpret_cast<LPARAM>(&add)) == -1)
        return FALSE;
    m_bitmap.Attach(bitmap.Detach());
    return TRUE;
}

BOOL CToolBar::SetButtons(const UINT* lpIDArray, int nIDCount)
{
    while (GetCount() > 0)
        SendMessage(TB_DELETEBUTTON, 0);
    if (lpIDArray == nullptr || nIDCount <= 0)
        return TRUE;
    std::vector<TBBUTTON> buttons(static_cast<size_t>(nIDCount));
    int iImage = 0;
    for (size_t i = 0; i < buttons.size(); ++i) {
        TBBUTTON& button = buttons[i];
        button = TBBUTTON{};
        button.idCommand = static_cast<int>(lpIDArray[i]);
        if (lpIDArray[i] == ID_SEPARATOR) {
            button.fsStyle = TBSTYLE_SEP;
            button.iBitmap = 6; // the separator's width
        } else {
            button.fsStyle = TBSTYLE_BUTTON;
            button.fsState = TBSTATE_ENABLED;
            button.iBitmap = iImage++;
        }
    }
    return SendMessage(TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data())) != 0;
}

void CToolBar::SetSizes(SIZE sizeButton, SIZE sizeImage)
{
    m_sizeImage = sizeImage;
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(sizeImage.cx, sizeImage.cy));
    SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(sizeButton.cx, sizeButton.cy));
}

BOOL CToolBar::GetButton(int nIndex, TBBUTTON& button) const
{
    button = TBBUTTON{};
    return SendMessage(TB_GETBUTTON, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&button)) != 0;
}

UINT CToolBar::GetItemID(int nIndex) const
{
    TBBUTTON button;
    return GetButton(nIndex, button) ? static_cast<UINT>(button.idCommand) : 0;
}

void CToolBar::GetItemRect(int nIndex, LPRECT lpRect) const
{
    if (!SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpRect)))
        ::SetRectEmpty(lpRect);
}

UINT CToolBar::GetButtonStyle(int nIndex) const
{
    TBBUTTON button;
    if (!GetButton(nIndex, button))
        return 0;
    // TBBS_DISABLED is the absence of TBSTATE_ENABLED.
    return MAKELONG(button.fsStyle, button.fsState ^ TBSTATE_ENABLED);
}

void CToolBar::SetButtonStyle(int nIndex, UINT nStyle)
{
    TBBUTTON button;
    if (!GetButton(nIndex, button))
        return;
    TBBUTTONINFOA info = {sizeof(info)};
    info.dwMask = TBIF_STYLE | TBIF_STATE | TBIF_BYINDEX;
    info.fsStyle = static_cast<BYTE>(LOWORD(nStyle));
    info.fsState = static_cast<BYTE>(HIWORD(nStyle) ^ TBSTATE_ENABLED);
    SendMessage(TB_SETBUTTONINFOA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&info));
}

void CToolBar::GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const
{
    TBBUTTON button;
    GetButton(nIndex, button);
    nID = static_cast<UINT>(button.idCommand);
    nStyle = MAKELONG(button.fsStyle, button.fsState ^ TBSTATE_ENABLED);
    iImage = button.iBitmap;
}

void CToolBar::SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage)
{
    TBBUTTONINFOA info = {sizeof(info)};
    info.dwMask = TBIF_COMMAND | TBIF_STYLE | TBIF_STATE | TBIF_IMAGE | TBIF_BYINDEX;
    info.idCommand = static_cast<int>(nID);
    info.fsStyle = static_cast<BYTE>(LOWORD(nStyle));
    info.fsState = static_cast<BYTE>(HIWORD(nStyle) ^ TBSTATE_ENABLED);
    info.iImage = iImage;
    SendMessage(TB_SETBUTTONINFOA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&info));
}

BOOL CToolBar::SetButtonText(int nIndex, LPCSTR lpszText)
{
    TBBUTTONINFOA info = {sizeof(info)};
    info.dwMask = TBIF_TEXT | TBIF_BYINDEX;
    info.pszText = const_cast<LPSTR>(lpszText);
    return SendMessage(TB_SETBUTTONINFOA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&info)) != 0;
}

CString CToolBar::GetButtonText(int nIndex) const
{
    char szText[256] = {};
    TBBUTTONINFOA info = {sizeof(info)};
    info.dwMask = TBIF_TEXT | TBIF_BYINDEX;
    info.pszText = szText;
    info.cchText = sizeof(szText) - 1;
    SendMessage(TB_GETBUTTONINFOA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&info));
    return szText;
}

BOOL CToolBar::SetWrapped(BOOL bWrapped)
{
    BOOL bChanged = FALSE;
    const int nCount = GetCount();
    for (int i = 0; i < nCount; ++i) {
        TBBUTTON button;
        if (!GetButton(i, button))
            continue;
        const BOOL bWrap = bWrapped && i + 1 < nCount;
        if (((button.fsState & TBSTATE_WRAP) != 0) == (bWrap != FALSE))
            continue;
        TBBUTTONINFOA info = {sizeof(info)};
        info.dwMask = TBIF_STATE | TBIF_BYINDEX;
        info.fsState = static_cast<BYTE>(bWrap ? (button.fsState | TBSTATE_WRAP) : (button.fsState & ~TBSTATE_WRAP));
        SendMessage(TB_SETBUTTONINFOA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info));
        bChanged = TRUE;
    }
    return bChanged || bWrapped;
}

BOOL CToolBar::IsDragSpot(CPoint point) const
{
    POINT pt = point;
    return SendMessage(TB_HITTEST, 0, reinterpret_cast<LPARAM>(&pt)) < 0;
}

CSize CToolBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    SIZE sizeMax = {0, 0};
    SendMessage(TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&sizeMax));
    if (sizeMax.cy == 0) {
        const DWORD dwButton = static_cast<DWORD>(SendMessage(TB_GETBUTTONSIZE));
        sizeMax.cy = HIWORD(dwButton);
    }
    CSize size(sizeMax.cx + m_cxLeftBorder + m_cxRightBorder, sizeMax.cy + m_cyTopBorder + m_cyBottomBorder);
    if (m_pDockBar != nullptr) {
        // Docked at a side the buttons stand in one column; elsewhere in one row.
        if (SetWrapped(!bHorz)) {
            sizeMax = SIZE{0, 0};
            SendMessage(TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&sizeMax));
        }
        // Docked: the borders and the gripper of the dock bar's row.
        CRect inside(0, 0, 0, 0);
        CalcInsideRect(inside, bHorz);
        size = CSize(sizeMax.cx - inside.Width(), sizeMax.cy - inside.Height());
    }
    if (bStretch) {
        if (bHorz)
            size.cx = 32767;
        else
            size.cy = 32767;
    }
    return size;
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler)
{
    CToolCmdUI state;
    state.m_pOther = this;
    state.m_nIndexMax = static_cast<UINT>(GetCount());
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        TBBUTTON button;
        if (!GetButton(static_cast<int>(state.m_nIndex), button) || (button.fsStyle & TBSTYLE_SEP) != 0)
            continue;
        state.m_nID = static_cast<UINT>(button.idCommand);
        state.DoUpdate(pTarget, bDisableIfNoHndler);
    }
    // Controls placed on the bar follow the same handlers.
    UpdateDialogControls(pTarget, bDisableIfNoHndler);
}
