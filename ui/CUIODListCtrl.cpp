// Data, columns, rows and cells, image lists, hit tests, custom draw and the list-view messages
// of the owner-drawn list.
#include "ui/CUIODListCtrl.h"

#include "framework/AfxWin.h"
#include "ui/CLocaleInfo.h"
#include "ui/ListCellFormat.h"

#include <algorithm>
#include <cstdio>

namespace {

// Default widths of the first columns; later columns take the last one.
const int kDefaultWidths[] = {100, 60, 150, 120};

int DefaultWidth(int nColumn)
{
    const int nTable = static_cast<int>(sizeof(kDefaultWidths) / sizeof(kDefaultWidths[0]));
    return kDefaultWidths[nColumn < nTable ? nColumn : nTable - 1];
}

} // namespace

BEGIN_MESSAGE_MAP(CUIODListCtrl, CDragDropList)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_CONTEXTMENU()
    ON_WM_DROPFILES()
    ON_MESSAGE(WM_DRAWITEM, &CUIODListCtrl::OnDrawItemMsg)
    ON_MESSAGE(LVM_SETBKCOLOR, &CUIODListCtrl::OnSetBkColor)
    ON_MESSAGE(LVM_SETTEXTCOLOR, &CUIODListCtrl::OnSetTextColor)
    ON_MESSAGE(LVM_SETTEXTBKCOLOR, &CUIODListCtrl::OnSetTextBkColor)
    ON_MESSAGE(LVM_SETIMAGELIST, &CUIODListCtrl::OnSetImageList)
    ON_MESSAGE(LVM_DELETEALLITEMS, &CUIODListCtrl::OnDeleteAllItemsMsg)
    ON_MESSAGE(LVM_DELETEITEM, &CUIODListCtrl::OnDeleteItemMsg)
    ON_MESSAGE(LVM_DELETECOLUMN, &CUIODListCtrl::OnDeleteColumnMsg)
    ON_MESSAGE(LVM_SETCOLUMNWIDTH, &CUIODListCtrl::OnSetColumnWidthMsg)
    ON_MESSAGE(LVM_GETITEMTEXTA, &CUIODListCtrl::OnGetItemTextMsg)
    ON_MESSAGE(LVM_INSERTITEMA, &CUIODListCtrl::OnInsertItemMsg)
    ON_MESSAGE(LVM_SORTITEMS, &CUIODListCtrl::OnRowsReorderedMsg)
    ON_MESSAGE(LVM_SORTITEMSEX, &CUIODListCtrl::OnRowsReorderedMsg)
    ON_MESSAGE(LVM_SETITEMA, &CUIODListCtrl::OnRowsReorderedMsg)
    ON_MESSAGE(WM_UIOD_COLUMNWIDTH, &CUIODListCtrl::OnColumnWidthChanged)
    ON_MESSAGE(WM_UIOD_CONTEXTMENU, &CUIODListCtrl::OnContextMenuKey)
    ON_COMMAND_RANGE(ID_UIOD_VIEW_ICON, ID_UIOD_VIEW_LIST, &CUIODListCtrl::OnViewCommand)
    ON_COMMAND_RANGE(ID_UIOD_GRIDLINES, ID_UIOD_HEADERDRAGDROP, &CUIODListCtrl::OnFlipStyleCommand)
    ON_COMMAND_RANGE(ID_UIOD_TRACKSELECT, ID_UIOD_TRACKSELECT, &CUIODListCtrl::OnFlipStyleCommand)
    ON_COMMAND(ID_UIOD_FULLROWSELECT, &CUIODListCtrl::OnFullRowSelect)
    ON_COMMAND(ID_UIOD_COLUMNRESIZING, &CUIODListCtrl::OnColumnResizing)
    ON_COMMAND(ID_UIOD_HIDECOLUMN, &CUIODListCtrl::OnHideColumn)
    ON_COMMAND(ID_UIOD_EDITHEADING, &CUIODListCtrl::OnEditHeading)
    ON_COMMAND(ID_UIOD_SHOWCOLUMNS, &CUIODListCtrl::OnShowColumns)
    ON_COMMAND(ID_UIOD_EDITCELL, &CUIODListCtrl::OnEditCellAtPoint)
END_MESSAGE_MAP()

CUIODListCtrl::CUIODListCtrl(BOOL bConstructionFlag)
    : m_bConstructionFlag(bConstructionFlag ? 1 : 0), m_crBk(GetSysColor(COLOR_WINDOW)),
      m_crTextBk(GetSysColor(COLOR_WINDOW)), m_crText(GetSysColor(COLOR_WINDOWTEXT))
{
    m_iconMap.InitHashTable(17);
    m_headingMap.InitHashTable(17);
}

CUIODListCtrl::~CUIODListCtrl()
{
    // The window goes first, so that it never paints or sorts rows that are gone.
    if (m_hWnd != nullptr)
        DestroyWindow();
    m_rows.RemoveAll();
    if (m_hHeldUpdate != nullptr)
        ::DeleteObject(m_hHeldUpdate);
}

void CUIODListCtrl::HoldPainting()
{
    if (m_nPaintHolds++ > 0 || m_hWnd == nullptr)
        return;
    m_nFirstChangedRow = -1;
    m_bHidPainting = (GetStyle() & WS_VISIBLE) != 0;
    if (!m_bHidPainting)
        return;
    // The default WM_SETREDRAW validates the window and its children: what was due to be painted
    // is painted after the hold.
    m_hHeldUpdate = ::CreateRectRgn(0, 0, 0, 0);
    if (m_hHeldUpdate != nullptr && ::GetUpdateRgn(m_hWnd, m_hHeldUpdate, FALSE) == ERROR) {
        ::DeleteObject(m_hHeldUpdate);
        m_hHeldUpdate = nullptr;
    }
    // So are the children's (the header, an editor open on a cell).
    m_heldChildren.clear();
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT update = {};
        if (::GetUpdateRect(child, &update, FALSE))
            m_heldChildren.push_back(child);
    }
    m_nHeldTop = GetTopIndex();
    m_nHeldScrollX = GetScrollPos(SB_HORZ);
    ::GetClientRect(m_hWnd, &m_heldClient);
    m_nHeldRowCount = GetItemCount();
    // The list view's own switch is left on: it goes on keeping its scroll state, and only the
    // drawing it would do at once (the scroll bar after each row put in or taken out) is skipped.
    ::DefWindowProcA(m_hWnd, WM_SETREDRAW, FALSE, 0);
}

void CUIODListCtrl::NoteChangedRow(int nRow)
{
    if (m_nPaintHolds > 0 && nRow >= 0 && (m_nFirstChangedRow < 0 || nRow < m_nFirstChangedRow))
        m_nFirstChangedRow = nRow;
}

void CUIODListCtrl::ReleasePainting()
{
    if (m_nPaintHolds == 0 || --m_nPaintHolds > 0 || !m_bHidPainting)
        return;
    m_bHidPainting = false;
    if (m_hWnd == nullptr)
        return;
    ::DefWindowProcA(m_hWnd, WM_SETREDRAW, TRUE, 0);
    if (m_hHeldUpdate != nullptr) {
        ::InvalidateRgn(m_hWnd, m_hHeldUpdate, TRUE);
        ::DeleteObject(m_hHeldUpdate);
        m_hHeldUpdate = nullptr;
    }
    for (HWND child : m_heldChildren) {
        if (::IsWindow(child))
            ::InvalidateRect(child, nullptr, TRUE);
    }
    m_heldChildren.clear();
    InvalidateHeldRows();
}

void CUIODListCtrl::InvalidateHeldRows()
{
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    const int nCount = GetItemCount();
    // Scrolled, resized (a scroll bar came or went) or laid out in columns: all of it.
    if (GetTopIndex() != m_nHeldTop || GetScrollPos(SB_HORZ) != m_nHeldScrollX || !::EqualRect(&client, &m_heldClient) ||
        (!IsReportView() && m_nFirstChangedRow >= 0)) {
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        return;
    }
    if (m_nFirstChangedRow < 0)
        return;
    // The rows from the first one changed down: those under a row put in or taken out moved.
    RECT row = {};
    LONG top = 0;
    if (m_nFirstChangedRow < nCount && GetItemRect(m_nFirstChangedRow, &row, LVIR_BOUNDS))
        top = row.top;
    else if (nCount > 0 && GetItemRect(nCount - 1, &row, LVIR_BOUNDS))
        top = row.bottom;
    if (top < client.bottom) {
        const RECT rest = {client.left, std::max<LONG>(top, 0), client.right, client.bottom};
        ::RedrawWindow(m_hWnd, &rest, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
    if (nCount == m_nHeldRowCount)
        return;
    // The scroll bars: the window's frame outside its client area.
    RECT window = {};
    ::GetWindowRect(m_hWnd, &window);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&window), 2);
    HRGN frame = ::CreateRectRgnIndirect(&window);
    HRGN inner = ::CreateRectRgnIndirect(&client);
    if (frame != nullptr && inner != nullptr && ::CombineRgn(frame, frame, inner, RGN_DIFF) != ERROR)
        ::RedrawWindow(m_hWnd, nullptr, frame, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
    if (frame != nullptr)
        ::DeleteObject(frame);
    if (inner != nullptr)
        ::DeleteObject(inner);
}

void CUIODListCtrl::PreSubclassWindow()
{
    CDragDropList::PreSubclassWindow();
    EnableToolTips(m_bToolTips);
    AttachHeader();
}

void CUIODListCtrl::AttachHeader()
{
    if (m_header.GetSafeHwnd() != nullptr || m_hWnd == nullptr)
        return;
    const HWND hHeader = ::GetDlgItem(m_hWnd, 0);
    if (hHeader != nullptr)
        m_header.SubclassWindow(hHeader);
}

int CUIODListCtrl::OnCreate(LPCREATESTRUCTA lpCreateStruct)
{
    if (CDragDropList::OnCreate(lpCreateStruct) == -1)
        return -1;
    AttachHeader();
    return 0;
}

void CUIODListCtrl::ChangeStyle(DWORD& dwStyle)
{
    dwStyle |= m_dwViewStyle | LVS_AUTOARRANGE | LVS_SHOWSELALWAYS;
}

int CUIODListCtrl::InitListCtrl(LPCSTR lpszHeadings, DWORD dwReserved)
{
    const UINT none[] = {0};
    return InitListCtrl(none, lpszHeadings, dwReserved);
}

int CUIODListCtrl::InitListCtrl(UINT nIconId, LPCSTR lpszHeadings, DWORD dwReserved)
{
    const UINT icons[] = {nIconId, 0};
    return InitListCtrl(icons, lpszHeadings, dwReserved);
}

int CUIODListCtrl::InitListCtrl(const UINT* pIconIds, LPCSTR lpszHeadings, DWORD)
{
    if (m_nColumnCount > 0) {
        if (lpszHeadings == nullptr)
            AfxThrowInvalidArgException();
        if (m_strHeadings == lpszHeadings)
            return m_nColumnCount;
        DeleteAllItems();
        for (int i = m_nColumnCount; i > 0; --i)
            DeleteColumn(0);
        m_nColumnCount = 0;
        DeleteAllRowData();
    }
    if (m_dwExtendedStyle != 0)
        SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, m_dwExtendedStyle);
    for (const UINT* pId = pIconIds; pId != nullptr && *pId != 0; ++pId) {
        if (HICON hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(*pId)))
            AddIcon(hIcon, *pId);
    }
    if (lpszHeadings == nullptr) {
        AttachHeader();
        return m_nColumnCount;
    }
    // Split at "|" (a trail byte that looks like "|" is not a separator).
    std::vector<CString> headings;
    CString current;
    const CString text = CString(lpszHeadings).Left(511);
    for (int i = 0; i < text.GetLength(); ++i) {
        const char ch = text[i];
        if (IsDBCSLeadByte(static_cast<BYTE>(ch)) && i + 1 < text.GetLength()) {
            current += ch;
            current += text[++i];
        } else if (ch == '|') {
            headings.push_back(current);
            current.Empty();
        } else {
            current += ch;
        }
    }
    if (!text.IsEmpty())
        headings.push_back(current);
    m_nColumnCount = 0;
    for (size_t i = 0; i < headings.size(); ++i) {
        const int nColumn = static_cast<int>(i);
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = DefaultWidth(nColumn);
        column.pszText = const_cast<LPSTR>(static_cast<LPCSTR>(headings[i]));
        column.iSubItem = nColumn;
        if (InsertColumn(m_nColumnCount, &column) != -1)
            ++m_nColumnCount;
    }
    m_strHeadings = text;
    if (!m_columnOrder.empty() && static_cast<int>(m_columnOrder.size()) == m_nColumnCount)
        SetColumnOrderArray(m_nColumnCount, m_columnOrder.data());
    if (!m_bHasWidths) {
        m_columnWidths.assign(static_cast<size_t>(m_nColumnCount), 0);
        for (int i = 0; i < m_nColumnCount; ++i)
            m_columnWidths[static_cast<size_t>(i)] = GetColumnWidth(i);
        m_bHasWidths = true;
    } else {
        m_columnWidths.resize(static_cast<size_t>(m_nColumnCount), 0);
        for (int i = 0; i < m_nColumnCount; ++i) {
            if (m_columnWidths[static_cast<size_t>(i)] != 0)
                SetColumnWidth(i, LOWORD(m_columnWidths[static_cast<size_t>(i)]));
        }
    }
    if (!m_bHasTypes) {
        m_columnTypes.assign(static_cast<size_t>(m_nColumnCount), UIOD_TEXT);
        m_bHasTypes = true;
    }
    m_columnTypes.resize(static_cast<size_t>(m_nColumnCount), UIOD_TEXT);
    AttachHeader();
    return m_nColumnCount;
}

int CUIODListCtrl::AddIcon(HICON hIcon, UINT nId)
{
    CImageList* pSmall = nullptr;
    CImageList* pLarge = nullptr;
    GetImageLists(&pSmall, &pLarge);
    const int nSmall = pSmall != nullptr ? pSmall->Add(hIcon) : -1;
    const int nLarge = pLarge != nullptr ? pLarge->Add(hIcon) : -1;
    if (nSmall == -1 || nLarge == -1)
        return -1;
    if (nId != 0)
        m_iconMap.SetAt(nId, static_cast<UINT>(nSmall));
    return nSmall;
}

void CUIODListCtrl::GetImageLists(CImageList** ppSmall, CImageList** ppLarge)
{
    if (m_smallImages.GetSafeHandle() == nullptr)
        CreateImageLists();
    if (ppSmall != nullptr)
        *ppSmall = &m_smallImages;
    if (ppLarge != nullptr)
        *ppLarge = &m_largeImages;
}

void CUIODListCtrl::CreateImageLists()
{
    m_cxSmallIcon = GetSystemMetrics(SM_CXSMICON);
    m_cySmallIcon = GetSystemMetrics(SM_CYSMICON);
    m_cxLargeIcon = GetSystemMetrics(SM_CXICON);
    m_cyLargeIcon = GetSystemMetrics(SM_CYICON);
    m_smallImages.DeleteImageList();
    m_largeImages.DeleteImageList();
    m_smallImages.Create(m_cxSmallIcon, m_cySmallIcon, ILC_MASK | ILC_COLOR16, 1, 1);
    m_largeImages.Create(m_cxLargeIcon, m_cyLargeIcon, ILC_MASK | ILC_COLOR16, 1, 1);
    if (m_hWnd != nullptr) {
        SendMessage(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(m_smallImages.GetSafeHandle()));
        SendMessage(LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(m_largeImages.GetSafeHandle()));
    }
}

int CUIODListCtrl::AddColumn(LPCSTR lpszHeading)
{
    const CString heading = lpszHeading != nullptr ? lpszHeading : "";
    // Whole headings only: "Type" is not found inside "File Type".
    int nColumn = 0;
    int nStart = 0;
    const int nLength = m_strHeadings.GetLength();
    for (int i = 0; i <= nLength; ++i) {
        if (i == nLength || m_strHeadings[i] == '|') {
            if (m_nColumnCount > 0 && m_strHeadings.Mid(nStart, i - nStart) == heading)
                return nColumn;
            ++nColumn;
            nStart = i + 1;
        } else if (IsDBCSLeadByte(static_cast<BYTE>(m_strHeadings[i])) && i + 1 < nLength) {
            ++i;
        }
    }
    const int nNew = InsertColumn(m_nColumnCount, heading, LVCFMT_LEFT, DefaultWidth(m_nColumnCount), m_nColumnCount);
    if (nNew == -1)
        return -1;
    m_strHeadings += m_strHeadings.IsEmpty() && m_nColumnCount == 0 ? heading : "|" + heading;
    ++m_nColumnCount;
    m_columnWidths.resize(static_cast<size_t>(m_nColumnCount), 0);
    m_columnWidths[static_cast<size_t>(m_nColumnCount - 1)] = GetColumnWidth(m_nColumnCount - 1);
    m_columnTypes.resize(static_cast<size_t>(m_nColumnCount), UIOD_TEXT);
    m_bHasWidths = m_bHasTypes = true;
    ForgetOrder();
    return m_nColumnCount - 1;
}

CUIListCtrlData* CUIODListCtrl::CreateRowData(DWORD_PTR dwCallerData, int)
{
    return new CUIStrListCtrlData(m_nColumnCount, dwCallerData);
}

int CUIODListCtrl::AddItem(DWORD_PTR dwCallerData, int nImage)
{
    // Row 0 is a real row: a list without columns answers -1.
    if (m_nColumnCount <= 0)
        return -1;
    std::unique_ptr<CUIListCtrlData> pRow(CreateRowData(dwCallerData, m_nRowCount));
    if (!pRow)
        return -1;
    pRow->m_nSequence = m_nNextSequence++;
    LVITEMA item = {};
    // No state: a new row starts unselected anyway, and a state would cost a change notice.
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = m_nRowCount;
    item.pszText = LPSTR_TEXTCALLBACKA;
    item.cchTextMax = MAX_PATH;
    item.iImage = nImage;
    item.lParam = reinterpret_cast<LPARAM>(pRow.get());
    // Straight to the list view's own procedure when it has one: a send would take each row of a
    // fill through the window's dispatch and message map only to reach it.
    int nRow = -1;
    if (m_pfnSuper != nullptr) {
        nRow = static_cast<int>(DefWindowProc(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        NoteInsertedRow(nRow, &item);
    } else {
        nRow = InsertItem(&item);
    }
    if (nRow == -1)
        return -1;
    if (nImage != 0)
        m_bHasImages = TRUE;
    ++m_nRowCount;
    m_rows.AddTail(std::move(pRow));
    return nRow;
}

void CUIODListCtrl::EnsureRowIndex() const
{
    if (m_bRowIndexValid || m_hWnd == nullptr)
        return;
    const int nCount = GetItemCount();
    m_rowIndex.assign(static_cast<size_t>(nCount), nullptr);
    for (int i = 0; i < nCount; ++i) {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        if (GetItem(&item))
            m_rowIndex[static_cast<size_t>(i)] = reinterpret_cast<CUIListCtrlData*>(item.lParam);
    }
    m_bRowIndexValid = true;
}

int CUIODListCtrl::RowCount() const
{
    EnsureRowIndex();
    return static_cast<int>(m_rowIndex.size());
}

LRESULT CUIODListCtrl::OnInsertItemMsg(WPARAM, LPARAM lParam)
{
    const LRESULT lResult = Default();
    NoteInsertedRow(static_cast<int>(lResult), reinterpret_cast<const LVITEMA*>(lParam));
    return lResult;
}

void CUIODListCtrl::NoteInsertedRow(int nRow, const LVITEMA* pItem)
{
    if (nRow < 0)
        return;
    auto* pRow = pItem != nullptr && (pItem->mask & LVIF_PARAM) != 0 ? reinterpret_cast<CUIListCtrlData*>(pItem->lParam)
                                                                     : nullptr;
    NoteUnplaced(pRow);
    NoteChangedRow(nRow);
    if (!m_bRowIndexValid)
        return;
    if (pItem == nullptr || static_cast<size_t>(nRow) > m_rowIndex.size()) {
        m_bRowIndexValid = false;
        return;
    }
    m_rowIndex.insert(m_rowIndex.begin() + nRow, pRow);
}

LRESULT CUIODListCtrl::OnRowsReorderedMsg(WPARAM, LPARAM lParam)
{
    const MSG* pMsg = GetCurrentMessage();
    const bool bNewParam = pMsg->message != LVM_SETITEMA ||
                           (lParam != 0 && (reinterpret_cast<const LVITEMA*>(lParam)->mask & LVIF_PARAM) != 0);
    const LRESULT lResult = Default();
    if (bNewParam) {
        m_bRowIndexValid = false;
        ForgetOrder();
    }
    return lResult;
}

CUIListCtrlData* CUIODListCtrl::GetRowData(int nRow) const
{
    if (nRow < 0 || m_hWnd == nullptr)
        return nullptr;
    EnsureRowIndex();
    if (m_bRowIndexValid)
        return static_cast<size_t>(nRow) < m_rowIndex.size() ? m_rowIndex[static_cast<size_t>(nRow)] : nullptr;
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nRow;
    if (!GetItem(&item))
        return nullptr;
    return reinterpret_cast<CUIListCtrlData*>(item.lParam);
}

CUIStrListCtrlData* CUIODListCtrl::GetStringRow(int nRow) const
{
    CUIListCtrlData* pRow = GetRowData(nRow);
    if (pRow == nullptr || !pRow->IsKindOf(RUNTIME_CLASS(CUIStrListCtrlData)))
        return nullptr;
    return static_cast<CUIStrListCtrlData*>(pRow);
}

DWORD_PTR CUIODListCtrl::GetItemData(int nRow) const
{
    const CUIListCtrlData* pRow = GetRowData(nRow);
    return pRow != nullptr ? pRow->m_dwCallerData : 0;
}

CString CUIODListCtrl::GetCellText(int nRow, int nColumn) const
{
    CUIStrListCtrlData* pRow = GetStringRow(nRow);
    ReadyCells(pRow, nColumn);
    return pRow != nullptr ? CString(pRow->GetText(nColumn)) : CString();
}

void CUIODListCtrl::ReadyCells(CUIListCtrlData* pRow, int nColumn) const
{
    if (pRow == nullptr || pRow->m_bCellsPending == 0 || nColumn == 0)
        return;
    if (!pRow->IsKindOf(RUNTIME_CLASS(CUIStrListCtrlData))) {
        pRow->m_bCellsPending = 0;
        return;
    }
    // Reading a cell makes it: the row's texts are the same whenever they are made.
    const_cast<CUIODListCtrl*>(this)->MakePendingCells(*static_cast<CUIStrListCtrlData*>(pRow));
}

void CUIODListCtrl::SetColumnType(int nColumn, int nType)
{
    if (nColumn < 0 || nColumn >= m_nColumnCount)
        return;
    m_columnTypes.resize(static_cast<size_t>(m_nColumnCount), UIOD_TEXT);
    if (nColumn == m_nSortColumn && m_columnTypes[static_cast<size_t>(nColumn)] != nType)
        ForgetOrder();
    m_columnTypes[static_cast<size_t>(nColumn)] = nType;
    m_bHasTypes = true;
}

int CUIODListCtrl::GetColumnType(int nColumn) const
{
    return nColumn >= 0 && static_cast<size_t>(nColumn) < m_columnTypes.size()
               ? m_columnTypes[static_cast<size_t>(nColumn)]
               : UIOD_TEXT;
}

int CUIODListCtrl::GetRememberedWidth(int nColumn) const
{
    return nColumn >= 0 && static_cast<size_t>(nColumn) < m_columnWidths.size()
               ? m_columnWidths[static_cast<size_t>(nColumn)]
               : 0;
}

void CUIODListCtrl::SetColumnOrder(const int* pOrder, int nCount)
{
    m_columnOrder.assign(pOrder, pOrder + (pOrder != nullptr && nCount > 0 ? nCount : 0));
    if (m_hWnd != nullptr && !m_columnOrder.empty() && nCount == m_nColumnCount)
        SetColumnOrderArray(nCount, m_columnOrder.data());
}

BOOL CUIODListCtrl::SetCellText(int nRow, int nColumn, LPCSTR lpszText, int nType)
{
    if (nRow < 0 || nRow >= RowCount() || nColumn < 0 || nColumn >= m_nColumnCount)
        return FALSE;
    CUIStrListCtrlData* pRow = GetStringRow(nRow);
    if (pRow == nullptr)
        return FALSE;
    ReadyCells(pRow, nColumn);
    // A new text in the sorted column may put the row out of order; a new type there, every row
    // (SetColumnType forgets the order then).
    if (nColumn == m_nSortColumn && GetColumnType(nColumn) == nType)
        NoteUnplaced(pRow);
    SetColumnType(nColumn, nType);
    CString text = lpszText != nullptr ? lpszText : "";
    if (nType == UIOD_NUMBER || nType == 7)
        FormatNumber(text);
    else if (nType == UIOD_DURATION || nType == 8)
        FormatDuration(text);
    return pRow->SetText(nColumn, text);
}

BOOL CUIODListCtrl::SetCellInt(int nRow, int nColumn, int nValue, int nType)
{
    char text[32];
    snprintf(text, sizeof(text), "%d", nValue);
    return SetCellText(nRow, nColumn, text, nType);
}

BOOL CUIODListCtrl::SetCellDouble(int nRow, int nColumn, double dValue, int nType)
{
    char text[64];
    snprintf(text, sizeof(text), "%.32g", dValue);
    return SetCellText(nRow, nColumn, text, nType);
}

BOOL CUIODListCtrl::SetCellDate(int nRow, int nColumn, const COleDateTime& date, int nType)
{
    const BOOL bHadText = SetCellText(nRow, nColumn, CLocaleInfo::GetLocaleInfoObject().FormatDateTime(date), nType);
    CUIStrListCtrlData* pRow = GetStringRow(nRow);
    if (pRow != nullptr && nType == UIOD_DATE && nColumn >= 0 && nColumn < m_nColumnCount)
        KeepDateKey(*pRow, nColumn, date);
    return bHadText;
}

void CUIODListCtrl::SetDateCell(CUIStrListCtrlData& row, int nColumn, const COleDateTime& date)
{
    row.SetText(nColumn, CLocaleInfo::GetLocaleInfoObject().FormatDateTime(date));
    KeepDateKey(row, nColumn, date);
}

void CUIODListCtrl::KeepDateKey(CUIStrListCtrlData& row, int nColumn, const COleDateTime& date)
{
    // The date itself is the sort key: the text need not be read back.
    if (date.GetStatus() != COleDateTime::valid)
        return;
    CUISortKey key;
    key.nClass = 1;
    key.dValue = date.m_dt;
    row.SetKey(nColumn, UIOD_DATE, key);
}

void CUIODListCtrl::FormatNumber(CString& text)
{
    text = orvo::listcell::GroupThousands(text, CLocaleInfo::GetLocaleInfoObject());
}

void CUIODListCtrl::FormatDuration(CString& text)
{
    text = orvo::listcell::SecondsAsMinutes(text, CLocaleInfo::GetLocaleInfoObject());
}

void CUIODListCtrl::SetRowToolTip(int nRow, LPCSTR lpszText)
{
    if (CUIStrListCtrlData* pRow = GetStringRow(nRow))
        pRow->m_strToolTip = lpszText != nullptr ? lpszText : "";
}

void CUIODListCtrl::SetCellColors(int nRow, int nColumn, COLORREF text, COLORREF background)
{
    if (CUIListCtrlData* pRow = GetRowData(nRow)) {
        pRow->EnsureColumns(m_nColumnCount);
        pRow->SetTextColor(nColumn, text);
        pRow->SetBkColor(nColumn, background);
    }
}

void CUIODListCtrl::SetRowColors(int nRow, COLORREF text, COLORREF background)
{
    for (int i = 0; i < m_nColumnCount; ++i)
        SetCellColors(nRow, i, text, background);
    // Repainted with the next paint; filling a list row by row stays quick.
    RedrawItems(nRow, nRow);
}

void CUIODListCtrl::SetRowFont(int nRow, CFont* pFont)
{
    for (int i = 0; i < m_nColumnCount; ++i)
        SetCellFont(nRow, i, pFont);
}

void CUIODListCtrl::SetCellFont(int nRow, int nColumn, CFont* pFont)
{
    CUIListCtrlData* pRow = GetRowData(nRow);
    LOGFONTA font = {};
    if (pRow == nullptr || pFont == nullptr || pFont->GetSafeHandle() == nullptr ||
        ::GetObjectA(pFont->GetSafeHandle(), sizeof(font), &font) == 0)
        return;
    pRow->EnsureColumns(m_nColumnCount);
    pRow->SetFont(nColumn, font);
}

void CUIODListCtrl::ApplyBold(int nRow, int nFirst, int nLast, BOOL bBold)
{
    CUIListCtrlData* pRow = GetRowData(nRow);
    if (pRow == nullptr)
        return;
    pRow->EnsureColumns(m_nColumnCount);
    const HGDIOBJ hListFont = reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT));
    for (int i = nFirst; i <= nLast; ++i) {
        LOGFONTA font = {};
        const CFont* pFont = pRow->GetFont(i);
        const HGDIOBJ hFrom = pFont != nullptr ? pFont->GetSafeHandle()
                                               : (hListFont != nullptr ? hListFont : GetStockObject(DEFAULT_GUI_FONT));
        if (::GetObjectA(hFrom, sizeof(font), &font) == 0)
            continue;
        font.lfWeight = bBold ? FW_BOLD : FW_NORMAL;
        pRow->SetFont(i, font);
    }
    RedrawRow(nRow);
    UpdateWindow();
}

void CUIODListCtrl::SetRowBold(int nRow, BOOL bBold)
{
    ApplyBold(nRow, 0, m_nColumnCount - 1, bBold);
}

void CUIODListCtrl::SetCellBold(int nRow, int nColumn, BOOL bBold)
{
    if (nColumn >= 0 && nColumn < m_nColumnCount)
        ApplyBold(nRow, nColumn, nColumn, bBold);
}

void CUIODListCtrl::SetColumnFormat(int nColumn, int nFormat)
{
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT;
    column.fmt = nFormat;
    SetColumn(nColumn, &column);
}

void CUIODListCtrl::RedrawRow(int nRow)
{
    RECT rect;
    if (GetItemRect(nRow, &rect, LVIR_BOUNDS)) {
        RedrawItems(nRow, nRow);
        UpdateWindow();
    }
}

void CUIODListCtrl::MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    lpMeasureItemStruct->itemHeight = static_cast<UINT>((m_cySmallIcon + 1) * 3);
}

void CUIODListCtrl::DeleteAllRowData()
{
    m_rows.RemoveAll();
    m_columnWidths.clear();
    m_columnOrder.clear();
    m_columnTypes.clear();
    m_bHasWidths = m_bHasTypes = false;
}

BOOL CUIODListCtrl::GetDispInfo(NMLVDISPINFOA* pDispInfo)
{
    auto* pRow = reinterpret_cast<CUIListCtrlData*>(pDispInfo->item.lParam);
    if (pRow == nullptr || !pRow->IsKindOf(RUNTIME_CLASS(CUIStrListCtrlData)))
        return FALSE;
    if ((pDispInfo->item.mask & LVIF_TEXT) != 0) {
        ReadyCells(pRow, pDispInfo->item.iSubItem);
        pDispInfo->item.pszText = const_cast<LPSTR>(static_cast<CUIStrListCtrlData*>(pRow)->GetText(pDispInfo->item.iSubItem));
    }
    return TRUE;
}

BOOL CUIODListCtrl::OnItemSelected(int nRow, LRESULT* pResult)
{
    OnSelChanged(nRow, pResult);
    return TRUE;
}

int CUIODListCtrl::GetCurrentRow() const
{
    // With nothing selected the list view's search for a selected row walks every row (4-8 ms
    // for 10,000 under Wine); its count of selected rows is kept.
    const int nRow = GetSelectedCount() > 0 ? GetNextItem(-1, LVNI_SELECTED) : -1;
    return nRow != -1 ? nRow : GetNextItem(-1, LVNI_FOCUSED);
}

int CUIODListCtrl::SetCurSel(int nRow)
{
    if (GetItemCount() == 0)
        return -1;
    SetItemState(nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    return 1;
}

void CUIODListCtrl::SetExtendedStyleBits(DWORD dwBits, BOOL bOn)
{
    DWORD dwStyle = GetExtendedStyle();
    dwStyle = bOn ? (dwStyle | dwBits) : (dwStyle & ~dwBits);
    SetExtendedStyle(dwStyle);
}

void CUIODListCtrl::SetFullRowSelect(BOOL bOn)
{
    if ((m_bFullRowSelect != FALSE) == (bOn != FALSE))
        return;
    m_bFullRowSelect = bOn;
    if ((GetStyle() & LVS_OWNERDRAWFIXED) == 0)
        SetExtendedStyleBits(LVS_EX_FULLROWSELECT, bOn);
    const int nRow = GetCurrentRow();
    if (nRow != -1)
        RedrawRow(nRow);
}

int CUIODListCtrl::ColumnLeft(int nColumn) const
{
    int nLeft = 0;
    for (int i = 0; i < nColumn; ++i)
        nLeft += GetColumnWidth(i);
    return nLeft;
}

int CUIODListCtrl::FindCell(const CPoint& point, bool bColumnOrder, RECT* pCell, int* pColumn) const
{
    const int nTop = GetTopIndex();
    const int nBottom = std::min(nTop + GetCountPerPage() + 1, GetItemCount());
    const int nColumns = m_header.GetSafeHwnd() != nullptr ? m_header.GetItemCount() : m_nColumnCount;
    for (int nRow = nTop; nRow < nBottom; ++nRow) {
        CRect bounds;
        if (!GetItemRect(nRow, &bounds, LVIR_BOUNDS) || point.y < bounds.top || point.y >= bounds.bottom)
            continue;
        // Columns in the order shown; a point on a border counts for the column on its left.
        int nLeft = bounds.left;
        for (int nPos = 0; nPos < nColumns; ++nPos) {
            const int nIndex = bColumnOrder && !m_columnOrder.empty() ? m_header.OrderToIndex(nPos) : nPos;
            const int nWidth = GetColumnWidth(nIndex);
            if (point.x >= nLeft && point.x <= nLeft + nWidth) {
                if (pColumn != nullptr)
                    *pColumn = nIndex;
                if (pCell != nullptr) {
                    CRect client;
                    GetClientRect(&client);
                    *pCell = CRect(nLeft, bounds.top, std::min<int>(nLeft + nWidth, client.right), bounds.bottom);
                }
                return nRow;
            }
            nLeft += nWidth;
        }
        return -1;
    }
    return -1;
}

int CUIODListCtrl::HitTestEx(CPoint& point, RECT* pCell, int* pColumn)
{
    return IsReportView() ? FindCell(point, true, pCell, pColumn) : -1;
}

int CUIODListCtrl::HitTestCell(CPoint& point, int* pColumn)
{
    if (!IsReportView())
        return HitTest(point, nullptr);
    if (m_header.GetSafeHwnd() != nullptr) {
        CRect header;
        m_header.GetWindowRect(&header);
        if (point.y < header.Height())
            return -2;
    }
    return FindCell(point, false, nullptr, pColumn);
}

BOOL CUIODListCtrl::HandleCustomDraw(NMLVCUSTOMDRAW* pCustomDraw, LRESULT* pResult)
{
    switch (pCustomDraw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        *pResult = CDRF_NOTIFYITEMDRAW;
        return TRUE;
    case CDDS_ITEMPREPAINT:
        return OnItemPrePaint(pCustomDraw, pResult);
    case CDDS_ITEMPOSTPAINT:
        return OnItemPostPaint(pCustomDraw, pResult);
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
        return OnSubItemPrePaint(pCustomDraw, pResult);
    case CDDS_ITEMPOSTPAINT | CDDS_SUBITEM:
        return OnSubItemPostPaint(pCustomDraw, pResult);
    default:
        *pResult = CDRF_DODEFAULT;
        return TRUE;
    }
}

BOOL CUIODListCtrl::OnItemPrePaint(NMLVCUSTOMDRAW*, LRESULT* pResult)
{
    *pResult = CDRF_NOTIFYSUBITEMDRAW;
    return TRUE;
}

BOOL CUIODListCtrl::OnItemPostPaint(NMLVCUSTOMDRAW*, LRESULT* pResult)
{
    *pResult = 0;
    return TRUE;
}

BOOL CUIODListCtrl::OnSubItemPrePaint(NMLVCUSTOMDRAW* pCustomDraw, LRESULT* pResult)
{
    *pResult = CDRF_DODEFAULT;
    // The row's own colours and font for the cell, where it has any.
    const auto* pRow = reinterpret_cast<const CUIListCtrlData*>(pCustomDraw->nmcd.lItemlParam);
    if (pRow == nullptr)
        return TRUE;
    const int nColumn = pCustomDraw->iSubItem;
    const COLORREF crText = pRow->GetTextColor(nColumn);
    const COLORREF crBk = pRow->GetBkColor(nColumn);
    pCustomDraw->clrText = crText != GetSysColor(COLOR_WINDOWTEXT) ? crText : m_crText;
    pCustomDraw->clrTextBk = crBk != GetSysColor(COLOR_WINDOW) ? crBk : m_crTextBk;
    if (const CFont* pFont = pRow->GetFont(nColumn)) {
        ::SelectObject(pCustomDraw->nmcd.hdc, pFont->GetSafeHandle());
        *pResult = CDRF_NEWFONT;
    }
    return TRUE;
}

void CUIODListCtrl::OnSize(UINT nType, int cx, int cy)
{
    CDragDropList::OnSize(nType, cx, cy);
    m_nClientWidth = cx;
}

void CUIODListCtrl::OnPaint()
{
    if (m_bPaintingSuppressed != 0) {
        ValidateRect(nullptr);
        return;
    }
    if (IsReportView() && m_bFullRowRepaint && m_bFullRowSelect && (GetStyle() & LVS_OWNERDRAWFIXED) != 0) {
        CRect bounds;
        if (GetItemRect(0, &bounds, LVIR_BOUNDS) && bounds.right < m_nClientWidth) {
            CRect clip;
            ::GetUpdateRect(m_hWnd, &clip, FALSE);
            CRect rest(std::min<int>(clip.left, bounds.right - 1), clip.top, clip.right, clip.bottom);
            InvalidateRect(&rest, FALSE);
        }
    }
    Default();
}

void CUIODListCtrl::OnHScroll(UINT, UINT, CScrollBar*)
{
    if (::GetFocus() != m_hWnd)
        SetFocus();
    Default();
}

void CUIODListCtrl::OnVScroll(UINT, UINT, CScrollBar*)
{
    if (::GetFocus() != m_hWnd)
        SetFocus();
    Default();
}

LRESULT CUIODListCtrl::OnDrawItemMsg(WPARAM, LPARAM lParam)
{
    auto* pDrawItem = reinterpret_cast<LPDRAWITEMSTRUCT>(lParam);
    if (pDrawItem == nullptr || pDrawItem->hwndItem == nullptr || pDrawItem->hwndItem != m_header.GetSafeHwnd())
        return Default();
    m_header.DrawItem(pDrawItem);
    // The header paints over an item whose owner answers FALSE.
    return TRUE;
}

LRESULT CUIODListCtrl::OnSetBkColor(WPARAM, LPARAM lParam)
{
    m_crBk = static_cast<COLORREF>(lParam);
    return Default();
}

LRESULT CUIODListCtrl::OnSetTextColor(WPARAM, LPARAM lParam)
{
    m_crText = static_cast<COLORREF>(lParam);
    return Default();
}

LRESULT CUIODListCtrl::OnSetTextBkColor(WPARAM, LPARAM lParam)
{
    m_crTextBk = static_cast<COLORREF>(lParam);
    return Default();
}

LRESULT CUIODListCtrl::OnSetImageList(WPARAM wParam, LPARAM lParam)
{
    if (wParam == LVSIL_STATE) {
        int cx = 0;
        int cy = 0;
        m_nStateImageWidth =
            lParam != 0 && ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(lParam), &cx, &cy) ? cx : 0;
    }
    return Default();
}

LRESULT CUIODListCtrl::OnDeleteAllItemsMsg(WPARAM, LPARAM)
{
    // The control lets go of the rows before their data goes.
    Default();
    m_rowIndex.clear();
    m_bRowIndexValid = true;
    m_unplaced.clear();
    m_bOrderKnown = true;
    m_nRowCount = 0;
    m_bHasImages = FALSE;
    m_nDerivedCounter = 0;
    OnDeleteAllItems();
    m_rows.RemoveAll();
    return TRUE;
}

LRESULT CUIODListCtrl::OnDeleteItemMsg(WPARAM wParam, LPARAM)
{
    const CUIListCtrlData* pRow = GetRowData(static_cast<int>(wParam));
    const LRESULT lResult = Default();
    if (lResult != 0) {
        NoteChangedRow(static_cast<int>(wParam));
        if (m_bRowIndexValid && wParam < m_rowIndex.size())
            m_rowIndex.erase(m_rowIndex.begin() + static_cast<std::ptrdiff_t>(wParam));
        else
            m_bRowIndexValid = false;
        // A row the sort takes out to put it back elsewhere keeps its data.
        if (m_bMovingRows)
            return lResult;
        if (m_nRowCount > 0)
            --m_nRowCount;
        m_unplaced.erase(std::remove(m_unplaced.begin(), m_unplaced.end(), pRow), m_unplaced.end());
        m_rows.Remove(pRow);
    }
    return lResult;
}

LRESULT CUIODListCtrl::OnDeleteColumnMsg(WPARAM, LPARAM)
{
    const LRESULT lResult = Default();
    if (lResult != 0 && m_nColumnCount > 0)
        --m_nColumnCount;
    ForgetOrder();
    return lResult;
}

LRESULT CUIODListCtrl::OnSetColumnWidthMsg(WPARAM, LPARAM)
{
    Default();
    return TRUE;
}

LRESULT CUIODListCtrl::OnGetItemTextMsg(WPARAM wParam, LPARAM lParam)
{
    auto* pItem = reinterpret_cast<LVITEMA*>(lParam);
    if (pItem == nullptr || pItem->pszText == nullptr || pItem->cchTextMax <= 0)
        return 0;
    if (CUIStrListCtrlData* pRow = GetStringRow(static_cast<int>(wParam))) {
        ReadyCells(pRow, pItem->iSubItem);
        lstrcpynA(pItem->pszText, pRow->GetText(pItem->iSubItem), pItem->cchTextMax);
        return lstrlenA(pItem->pszText);
    }
    return Default();
}

void CUIODListCtrl::OnDropFiles(HDROP hDropInfo)
{
    POINT point = {};
    DragQueryPoint(hDropInfo, &point);
    LVHITTESTINFO hit = {};
    hit.pt = point;
    const int nRow = HitTest(&hit);
    const UINT nCount = DragQueryFileA(hDropInfo, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < nCount; ++i) {
        char path[MAX_PATH + 1] = {};
        if (DragQueryFileA(hDropInfo, i, path, sizeof(path)) != 0)
            OnDropFile(nRow, path, hit.flags);
    }
    DragFinish(hDropInfo);
}
