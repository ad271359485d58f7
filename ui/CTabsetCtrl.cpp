#include "ui/CTabsetCtrl.h"

#include "framework/GdiScopes.h"
#include "framework/WideText.h"
#include "ui/CBarGlobalData.h"
#include "ui/CMemDC.h"

#include <algorithm>
#include <memory>

BEGIN_MESSAGE_MAP(CTabsetCtrl, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_MOUSEMOVE()
    ON_WM_SETCURSOR()
    ON_WM_HSCROLL()
    ON_COMMAND_RANGE(ID_TABSET_BACK, ID_TABSET_LAST, &CTabsetCtrl::OnScrollCommand)
END_MESSAGE_MAP()

namespace {

const int kSizerWidth = 6;
const UINT kScrollBarId = 1;
enum Slot { kFirst, kBack, kForward, kLast };

void Line(HDC dc, int x1, int y1, int x2, int y2)
{
    ::MoveToEx(dc, x1, y1, nullptr);
    ::LineTo(dc, x2, y2);
}

void FillSys(HDC dc, const RECT& area, int colorIndex)
{
    ::FillRect(dc, &area, ::GetSysColorBrush(colorIndex));
}

} // namespace

CTabsetCtrl::CTabsetCtrl()
    : m_cxButton(::GetSystemMetrics(SM_CXHSCROLL) - 1),
      m_cyStrip(::GetSystemMetrics(SM_CYHSCROLL)),
      m_pFontNormal(&g_barData.fntNormal),
      m_pFontCurrent(&g_barData.fntBold)
{
}

CTabsetCtrl::~CTabsetCtrl()
{
    while (RemoveAt(0)) {
    }
    if (m_hSizerCursor)
        ::DestroyCursor(m_hSizerCursor);
}

BOOL CTabsetCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(nullptr, nullptr, style, rect, parent, id);
}

void CTabsetCtrl::SetFonts(CFont* normal, CFont* current)
{
    if (normal)
        m_pFontNormal = normal;
    if (current)
        m_pFontCurrent = current;
}

int CTabsetCtrl::OnCreate(LPCREATESTRUCTA lpCreateStruct)
{
    if (CWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    m_penShadow.CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_3DSHADOW));
    m_penWindow.CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_WINDOW));
    m_penFace.CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_3DFACE));
    m_penText.CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNTEXT));
    m_penHilight.CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_3DHILIGHT));
    // A copy, so the control may destroy it with itself.
    m_hSizerCursor = reinterpret_cast<HCURSOR>(::CopyIcon(reinterpret_cast<HICON>(::LoadCursor(nullptr, IDC_SIZEWE))));
    m_dwStyle = lpCreateStruct->style & 0x1F;
    if (m_dwStyle & TSS_ENDBUTTONS)
        m_dwStyle |= TSS_SCROLLBUTTONS;
    if ((m_dwStyle & TSS_TOOLTIPS) && m_toolTip.Create(this)) {
        m_toolTip.AddTool(this, "Tip Text");
        m_toolTip.Activate(TRUE);
        m_toolTip.SetMaxTipWidth(32767);
    }
    if (m_dwStyle & TSS_SCROLLBUTTONS) {
        const bool ends = (m_dwStyle & TSS_ENDBUTTONS) != 0;
        const UINT ids[] = {ID_TABSET_FIRST, ID_TABSET_BACK, ID_TABSET_FORWARD, ID_TABSET_LAST};
        const UINT glyphs[] = {0x201, 0x200, 0x000, 0x001};
        for (int slot = 0; slot < 4; ++slot) {
            if (!ends && (slot == kFirst || slot == kLast))
                continue;
            m_buttons[m_nButtonCount].commandId = ids[slot];
            m_buttons[m_nButtonCount].glyph = glyphs[slot];
            m_nButtonSlot[slot] = m_nButtonCount++;
        }
    }
    // The shared scroll bar is a real window, so the owner can scroll with it.
    if ((m_dwStyle & TSS_SCROLLBAR) &&
        !m_scrollBar.Create(WS_VISIBLE | SBS_HORZ, CRect(0, 0, 0, 0), this, kScrollBarId))
        return -1;
    Layout(lpCreateStruct->cx, lpCreateStruct->cy);
    return 0;
}

void CTabsetCtrl::Layout(int cx, int cy)
{
    m_cxClient = std::max(0, cx);
    m_cyClient = std::max(0, cy);
    const int s = m_cyStrip;
    if (m_dwStyle & TSS_BOTTOM) {
        m_rcStrip = {0, m_cyClient - s, m_cxClient, m_cyClient};
        m_rcRest = {0, 0, m_cxClient, m_cyClient - s};
    } else {
        m_rcStrip = {0, 0, m_cxClient, s};
        m_rcRest = {0, s, m_cxClient, m_cyClient};
    }
    for (int i = 0; i < m_nButtonCount; ++i)
        m_buttons[i].rect = {i * m_cxButton, m_rcStrip.top + 1, (i + 1) * m_cxButton, m_rcStrip.bottom};
    UpdateButtons();
    if (GetSafeHwnd())
        InvalidateRect(&m_rcStrip, FALSE);
}

void CTabsetCtrl::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    Layout(cx, cy);
    SetSizerPos(m_nSizerPercent, TRUE);
}

void CTabsetCtrl::SetSizerPos(int pos, BOOL percent)
{
    if (!(m_dwStyle & TSS_SCROLLBAR))
        return;
    const int w = m_cxClient;
    int x = pos;
    if (percent)
        x = w * pos / 100;
    else
        m_nSizerPercent = w > 0 ? static_cast<int>(static_cast<long long>(pos) * 100 / w) : 0;
    x = std::clamp(x, 0, std::max(0, w - 4 * m_cxButton - m_cyStrip));
    m_nSizerPos = x;
    m_rcSizer = {m_rcStrip.left + x, m_rcStrip.top, m_rcStrip.left + x + kSizerWidth, m_rcStrip.bottom};
    const int barTop = (m_dwStyle & TSS_BOTTOM) ? m_rcStrip.top : m_rcStrip.top - 1;
    const int barBottom = (m_dwStyle & TSS_BOTTOM) ? m_rcStrip.bottom + 1 : m_rcStrip.bottom;
    m_rcScrollBar = {m_rcSizer.right, barTop, std::max(static_cast<int>(m_rcSizer.right), w - m_cyStrip), barBottom};
    if (m_scrollBar.GetSafeHwnd())
        m_scrollBar.MoveWindow(m_rcScrollBar.left, m_rcScrollBar.top, m_rcScrollBar.right - m_rcScrollBar.left,
                               m_rcScrollBar.bottom - m_rcScrollBar.top);
    UpdateButtons();
    if (GetSafeHwnd())
        InvalidateRect(&m_rcStrip, FALSE);
}

std::vector<int> CTabsetCtrl::TabWidths() const
{
    std::vector<int> widths;
    const int count = GetItemCount();
    if (count == 0)
        return widths;
    const HDC dc = ::GetDC(GetSafeHwnd());
    for (int i = 0; i < count; ++i) {
        const CFont* font = i == m_nCurSel ? m_pFontCurrent : m_pFontNormal;
        HGDIOBJ old = nullptr;
        if (font && font->GetSafeHandle())
            old = ::SelectObject(dc, font->GetSafeHandle());
        SIZE size = {};
        const std::wstring label = orvo::WideText(m_items[i]->strLabel);
        ::GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &size);
        if (old)
            ::SelectObject(dc, old);
        widths.push_back(size.cx + m_cyStrip + m_cyStrip / 2);
    }
    ::ReleaseDC(GetSafeHwnd(), dc);
    return widths;
}

int CTabsetCtrl::RowWidth(const std::vector<int>& widths) const
{
    if (widths.empty())
        return 0;
    int row = 0;
    for (const int w : widths)
        row += w;
    return row - GetOverlap() * (static_cast<int>(widths.size()) - 1);
}

int CTabsetCtrl::TabStart(const std::vector<int>& widths, int index) const
{
    int x = 0;
    for (int i = 0; i < index; ++i)
        x += widths[i] - GetOverlap();
    return x;
}

int CTabsetCtrl::AreaLeft() const
{
    return m_nButtonCount * m_cxButton;
}

int CTabsetCtrl::AreaRight() const
{
    return (m_dwStyle & TSS_SCROLLBAR) && m_nSizerPos >= 0 ? m_rcSizer.left : m_cxClient;
}

int CTabsetCtrl::AreaWidth() const
{
    return std::max(0, AreaRight() - AreaLeft());
}

int CTabsetCtrl::GetMaxScrollOffset() const
{
    const int row = RowWidth(TabWidths());
    return std::max(0, row - AreaWidth());
}

void CTabsetCtrl::SetScrollOffset(int offset)
{
    m_nScrollOffset = std::clamp(offset, 0, GetMaxScrollOffset());
    UpdateButtons();
    if (GetSafeHwnd())
        InvalidateRect(&m_rcStrip, FALSE);
}

void CTabsetCtrl::UpdateButtons()
{
    if (m_nButtonCount == 0)
        return;
    const int row = RowWidth(TabWidths());
    const BYTE back = m_nScrollOffset > 0 ? 1 : 0;
    const BYTE forward = row - m_nScrollOffset > AreaWidth() ? 1 : 0;
    const BYTE states[] = {back, back, forward, forward};
    for (int slot = 0; slot < 4; ++slot)
        if (m_nButtonSlot[slot] < m_nButtonCount)
            m_buttons[m_nButtonSlot[slot]].enabled = states[slot];
}

BOOL CTabsetCtrl::IsButtonEnabled(UINT commandId) const
{
    for (int i = 0; i < m_nButtonCount; ++i)
        if (m_buttons[i].commandId == commandId)
            return m_buttons[i].enabled != 0;
    return FALSE;
}

int CTabsetCtrl::InsertItem(int index, const char* label)
{
    if (index < 0 || index > GetItemCount())
        return -1;
    auto item = std::make_unique<TABSET_ITEM>();
    item->strLabel = label ? label : "";
    item->strTip = item->strLabel;
    item->nCountAtInsert = GetItemCount();
    if (m_nCurSel >= 0 && index <= m_nCurSel)
        ++m_nCurSel;
    m_items.InsertAt(index, item.release()); // m_items owns it until RemoveAt
    m_nCurSel = std::max(m_nCurSel, 0);
    m_bHasItems = 1;
    UpdateButtons();
    if (GetSafeHwnd())
        InvalidateRect(&m_rcStrip, FALSE);
    SetCurSel(index);
    return index;
}

int CTabsetCtrl::InsertItem(int index, UINT stringId)
{
    CString label;
    if (!label.LoadString(stringId))
        label.Empty();
    return InsertItem(index, label);
}

BOOL CTabsetCtrl::RemoveAt(int index)
{
    if (index < 0 || index >= GetItemCount())
        return FALSE;
    std::unique_ptr<TABSET_ITEM> item(m_items[index]);
    m_items.RemoveAt(index);
    return TRUE;
}

BOOL CTabsetCtrl::DeleteItem(int index)
{
    if (!RemoveAt(index))
        return FALSE;
    if (GetItemCount() == 0) {
        m_nCurSel = -1;
        m_bHasItems = 0;
        ShowCurrentLabel();
    } else if (index == m_nCurSel) {
        m_nCurSel = -1;
        SetCurSel(0);
    } else if (index < m_nCurSel) {
        --m_nCurSel;
    }
    SetScrollOffset(m_nScrollOffset);
    return TRUE;
}

BOOL CTabsetCtrl::DeleteAllItems()
{
    while (RemoveAt(0)) {
    }
    m_nCurSel = -1;
    m_bHasItems = 0;
    SetScrollOffset(0);
    ShowCurrentLabel();
    return TRUE;
}

BOOL CTabsetCtrl::GetItemRect(int index, RECT* rect) const
{
    if (index < 0 || index >= GetItemCount() || !rect)
        return FALSE;
    const std::vector<int> widths = TabWidths();
    const int x = AreaLeft() + TabStart(widths, index) - m_nScrollOffset;
    *rect = {x, m_rcStrip.top, x + widths[index], m_rcStrip.bottom};
    return TRUE;
}

int CTabsetCtrl::HitTest(const POINT* point) const
{
    if (!point || point->x < AreaLeft() || point->y < m_rcStrip.top || point->y >= m_rcStrip.bottom)
        return -1;
    if ((m_dwStyle & TSS_SCROLLBAR) && point->x >= m_rcSizer.left)
        return -1;
    const std::vector<int> widths = TabWidths();
    const int count = static_cast<int>(widths.size());
    int x = AreaLeft() - m_nScrollOffset;
    for (int i = 0; i < count; ++i) {
        const int span = i == count - 1 ? widths[i] : widths[i] - GetOverlap();
        if (point->x >= x && point->x < x + span)
            return i;
        x += widths[i] - GetOverlap();
    }
    return -1;
}

int CTabsetCtrl::HitTestButton(const POINT* point) const
{
    for (int i = 0; point && i < m_nButtonCount; ++i)
        if (::PtInRect(&m_buttons[i].rect, *point))
            return i;
    return -1;
}

int CTabsetCtrl::SetCurSel(int index)
{
    if (index < 0 || index >= GetItemCount())
        return -1;
    const int previous = m_nCurSel;
    m_nCurSel = index;
    const std::vector<int> widths = TabWidths();
    const int left = TabStart(widths, index) - m_nScrollOffset;
    const int right = left + widths[index];
    int offset = m_nScrollOffset;
    if (left < 0)
        offset += left;
    else if (right > AreaWidth())
        offset += right - AreaWidth();
    SetScrollOffset(offset);
    ShowCurrentLabel();
    return previous;
}

// The window's text is the current tab's label, so accessibility and automation tools (and the
// tests of the real program, from another process) can tell which page is shown. It is stored
// wide by the default procedure itself: through this ANSI window's own procedure a name in
// another script would turn to question marks.
void CTabsetCtrl::ShowCurrentLabel()
{
    if (!::IsWindow(m_hWnd))
        return;
    const std::wstring label = m_nCurSel >= 0 ? orvo::WideText(m_items[m_nCurSel]->strLabel) : std::wstring();
    ::DefWindowProcW(m_hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(label.c_str()));
}

void CTabsetCtrl::SetItemTip(int index, const char* text)
{
    if (index >= 0 && index < GetItemCount())
        m_items[index]->strTip = text ? text : "";
}

void CTabsetCtrl::GetItemTip(CString* out, int index) const
{
    if (!out)
        return;
    out->Empty();
    if (index >= 0 && index < GetItemCount())
        *out = m_items[index]->strTip;
}

void CTabsetCtrl::ScrollToFirst()
{
    SetScrollOffset(0);
}

int CTabsetCtrl::FirstVisibleTab(const std::vector<int>& widths) const
{
    for (int i = 0; i < static_cast<int>(widths.size()); ++i)
        if (TabStart(widths, i) >= m_nScrollOffset)
            return i;
    return static_cast<int>(widths.size());
}

void CTabsetCtrl::OnScrollCommand(UINT nID)
{
    const std::vector<int> widths = TabWidths();
    const int first = FirstVisibleTab(widths);
    const int count = static_cast<int>(widths.size());
    switch (nID) {
    case ID_TABSET_BACK:
        SetScrollOffset(first > 0 ? TabStart(widths, first - 1) : 0);
        break;
    case ID_TABSET_FORWARD:
        if (first + 1 < count)
            SetScrollOffset(TabStart(widths, first + 1));
        break;
    case ID_TABSET_FIRST:
        SetScrollOffset(0);
        break;
    default:
        SetScrollOffset(GetMaxScrollOffset());
        break;
    }
}

bool CTabsetCtrl::Notify(UINT code)
{
    NMHDR header = {};
    header.hwndFrom = GetSafeHwnd();
    header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    header.code = code;
    CWnd* owner = GetOwner();
    if (!owner)
        owner = GetParent();
    if (!owner)
        return false;
    return owner->SendMessage(WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header)) != 0;
}

void CTabsetCtrl::OnLButtonDown(UINT, CPoint point)
{
    if ((m_dwStyle & TSS_SCROLLBAR) && ::PtInRect(&m_rcSizer, point)) {
        m_bDragging = TRUE;
        SetCapture();
        m_nDragOffset = m_nSizerPos - point.x;
        m_hFocusBeforeDrag = ::GetFocus();
        SetFocus();
        return;
    }
    const int button = HitTestButton(&point);
    if (button >= 0) {
        if (m_buttons[button].enabled) {
            m_buttons[button].pressed = 1;
            SetCapture();
            InvalidateRect(&m_buttons[button].rect, FALSE);
        }
        return;
    }
    const int tab = HitTest(&point);
    if (tab < 0 || tab == m_nCurSel)
        return;
    if (Notify(static_cast<UINT>(TCN_SELCHANGING)))
        return;
    SetCurSel(tab);
    UpdateWindow();
    Notify(static_cast<UINT>(TCN_SELCHANGE));
}

void CTabsetCtrl::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    OnLButtonDown(nFlags, point);
}

void CTabsetCtrl::OnLButtonUp(UINT, CPoint point)
{
    if (m_bDragging) {
        EndDrag();
        return;
    }
    for (int i = 0; i < m_nButtonCount; ++i) {
        Button& button = m_buttons[i];
        if (!button.pressed)
            continue;
        button.pressed = 0;
        if (::GetCapture() == GetSafeHwnd())
            ::ReleaseCapture();
        if (button.enabled && ::PtInRect(&button.rect, point))
            PostMessage(WM_COMMAND, button.commandId);
        InvalidateRect(&button.rect, FALSE);
    }
}

void CTabsetCtrl::EndDrag()
{
    m_bDragging = FALSE;
    if (::GetCapture() == GetSafeHwnd())
        ::ReleaseCapture();
    if (m_hFocusBeforeDrag && ::IsWindow(m_hFocusBeforeDrag))
        ::SetFocus(m_hFocusBeforeDrag);
    m_hFocusBeforeDrag = nullptr;
}

void CTabsetCtrl::OnMouseMove(UINT, CPoint point)
{
    if (m_bDragging) {
        SetSizerPos(m_nDragOffset + point.x, FALSE);
        return;
    }
    ShowTip(point);
}

void CTabsetCtrl::ShowTip(CPoint point)
{
    if (!m_toolTip.GetSafeHwnd())
        return;
    const int tab = HitTest(&point);
    if (tab < 0) {
        m_toolTip.Pop();
        return;
    }
    if (m_items[tab]->strTip != m_strTipShown) {
        m_strTipShown = m_items[tab]->strTip;
        m_toolTip.UpdateTipText(m_strTipShown, this);
    }
    MSG msg = {};
    msg.hwnd = GetSafeHwnd();
    msg.message = WM_MOUSEMOVE;
    msg.lParam = MAKELPARAM(point.x, point.y);
    m_toolTip.RelayEvent(&msg);
}

BOOL CTabsetCtrl::PreTranslateMessage(MSG* pMsg)
{
    if (m_bDragging && pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE) {
        EndDrag();
        return TRUE;
    }
    return CWnd::PreTranslateMessage(pMsg);
}

BOOL CTabsetCtrl::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    CPoint point;
    ::GetCursorPos(&point);
    ScreenToClient(&point);
    if (m_bDragging || ((m_dwStyle & TSS_SCROLLBAR) && ::PtInRect(&m_rcSizer, point))) {
        ::SetCursor(m_hSizerCursor);
        return TRUE;
    }
    return CWnd::OnSetCursor(pWnd, nHitTest, message);
}

void CTabsetCtrl::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    // The shared scroll bar scrolls the owner's view, not the tabs.
    CWnd* owner = GetOwner() ? GetOwner() : GetParent();
    if (owner && pScrollBar)
        owner->SendMessage(WM_HSCROLL, MAKEWPARAM(nSBCode, nPos), reinterpret_cast<LPARAM>(pScrollBar->GetSafeHwnd()));
}

BOOL CTabsetCtrl::OnEraseBkgnd(CDC* pDC)
{
    if (GetItemCount() == 0)
        FillSys(pDC->GetSafeHdc(), m_rcRest, COLOR_3DFACE);
    return TRUE;
}

void CTabsetCtrl::OnPaint()
{
    CPaintDC dc(this);
    PaintStrip(&dc);
}

void CTabsetCtrl::PaintStrip(CDC* dc)
{
    if (m_rcStrip.right <= m_rcStrip.left || m_rcStrip.bottom <= m_rcStrip.top)
        return;
    CMemDC mem(dc, &m_rcStrip, ::GetSysColor(COLOR_3DFACE));
    if (!mem.IsValid() || GetItemCount() == 0)
        return;
    // The memory picture starts at the strip's top-left corner.
    ::SetViewportOrgEx(mem.GetSafeHdc(), -m_rcStrip.left, -m_rcStrip.top, nullptr);
    SelectScope pen(mem.GetSafeHdc(), m_penShadow.GetSafeHandle());
    Line(mem.GetSafeHdc(), m_rcStrip.left, m_rcStrip.top, m_rcStrip.right, m_rcStrip.top);
    for (int i = 0; i < m_nButtonCount; ++i)
        DrawButton(&mem, m_buttons[i]);
    DrawRow(&mem);
    if ((m_dwStyle & TSS_SCROLLBAR) && m_rcSizer.right > m_rcSizer.left) {
        RECT sizer = m_rcSizer;
        FillSys(mem.GetSafeHdc(), sizer, COLOR_3DFACE);
        ::DrawEdge(mem.GetSafeHdc(), &sizer, EDGE_RAISED, BF_RECT);
    }
    ::SetViewportOrgEx(mem.GetSafeHdc(), 0, 0, nullptr);
}

void CTabsetCtrl::DrawButton(CDC* dc, const Button& button) const
{
    const HDC hdc = dc->GetSafeHdc();
    RECT face = button.rect;
    ::DrawEdge(hdc, &face, button.pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    FillSys(hdc, face, COLOR_3DFACE);
    SelectScope pen(hdc, (button.enabled ? m_penText : m_penShadow).GetSafeHandle());
    const int width = button.rect.right - button.rect.left;
    const int height = button.rect.bottom - button.rect.top;
    const bool left = (button.glyph & 0xFF00) == 0x200;
    const bool endBar = (button.glyph & 0xFF) == 1;
    const int midY = button.rect.top + height / 2;
    int length = width / 2 + 2;
    const int columns = (length + 1) / 2;
    // The arrow's base column first, shortening towards its point.
    const int baseX = button.rect.left + width / 2 + (left ? columns / 2 : -columns / 2) + (button.pressed ? 1 : 0);
    int x = baseX;
    for (; length > 0; length -= 2) {
        Line(hdc, x, midY - length / 2, x, midY + length / 2 + 1);
        x += left ? -1 : 1;
    }
    if (endBar) {
        const int bar = width / 2 + 2;
        x += left ? -1 : 1;
        Line(hdc, x, midY - bar / 2, x, midY + bar / 2 + 1);
    }
}

void CTabsetCtrl::DrawRow(CDC* dc)
{
    const std::vector<int> widths = TabWidths();
    const int row = RowWidth(widths);
    const int area = AreaWidth();
    if (row <= 0 || area <= 0)
        return;
    CDC rowDc;
    CBitmap bitmap;
    if (!rowDc.CreateCompatibleDC(dc) || !bitmap.CreateCompatibleBitmap(dc, row, m_cyStrip))
        return;
    SelectScope picture(rowDc.GetSafeHdc(), bitmap.GetSafeHandle());
    const RECT all = {0, 0, row, m_cyStrip};
    FillSys(rowDc.GetSafeHdc(), all, COLOR_3DFACE);
    for (int i = 0; i < static_cast<int>(widths.size()); ++i)
        if (i != m_nCurSel)
            DrawTab(rowDc.GetSafeHdc(), TabStart(widths, i), widths[i], i, false);
    if (m_nCurSel >= 0 && m_nCurSel < static_cast<int>(widths.size()))
        DrawTab(rowDc.GetSafeHdc(), TabStart(widths, m_nCurSel), widths[m_nCurSel], m_nCurSel, true);
    const int visible = std::min(area, row - m_nScrollOffset);
    if (visible > 0)
        ::BitBlt(dc->GetSafeHdc(), AreaLeft(), m_rcStrip.top, visible, m_cyStrip, rowDc.GetSafeHdc(),
                 m_nScrollOffset, 0, SRCCOPY);
}

void CTabsetCtrl::DrawTab(HDC dc, int x, int width, int index, bool current) const
{
    const int s = m_cyStrip;
    const int h = s / 2;
    const int labelWidth = width - s - h;
    const bool bottom = (m_dwStyle & TSS_BOTTOM) != 0;
    // The wide edge joins the tab to the area; the narrow edge is away from it.
    const int wideY = bottom ? 0 : s - 1;
    const int narrowY = bottom ? s - 1 : 0;
    const POINT corners[4] = {{x, wideY}, {x + h - 1, narrowY}, {x + labelWidth + s - 1, narrowY},
                              {x + labelWidth + s + h - 1, wideY}};
    SelectScope pen(dc, m_penText.GetSafeHandle());
    SelectScope brush(dc, ::GetSysColorBrush(current ? COLOR_WINDOW : COLOR_3DFACE));
    ::Polygon(dc, corners, 4);

    const CFont* font = current ? m_pFontCurrent : m_pFontNormal;
    SelectScope fontScope(dc, font && font->GetSafeHandle() ? font->GetSafeHandle() : ::GetStockObject(DEFAULT_GUI_FONT));
    SIZE text = {};
    // Layout names come from the drawing as UTF-8, whatever the system's code page.
    const std::wstring label = orvo::WideText(m_items[index]->strLabel);
    ::GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &text);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(current ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
    RECT area = {x + h + h / 2, (s - text.cy) / 2 - 1, x + h + h / 2 + labelWidth, (s - text.cy) / 2 - 1 + text.cy};
    ::DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &area, DT_CENTER | DT_SINGLELINE);

    if (current) {
        SelectScope shadow(dc, m_penShadow.GetSafeHandle());
        Line(dc, x + h, narrowY, x + labelWidth + 2 * h - 1, narrowY);
        SelectScope window(dc, m_penWindow.GetSafeHandle());
        Line(dc, x + 1, wideY, x + labelWidth + s + h - 1, wideY);
        return;
    }
    SelectScope hilight(dc, m_penHilight.GetSafeHandle());
    Line(dc, x + 1, wideY, x + h, narrowY);
    SelectScope shadow(dc, m_penShadow.GetSafeHandle());
    Line(dc, x, wideY, x + labelWidth + s + h, wideY);
    Line(dc, x + h, narrowY, x + labelWidth + s - 1, narrowY);
}
