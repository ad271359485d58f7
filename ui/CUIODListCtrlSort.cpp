// Sorting, header notifications, keys, private messages, context menus, in-place editing, tool
// tips and the commands of the owner-drawn list.
#include "ui/CUIODListCtrl.h"

#include "framework/AfxWin.h"
#include "ui/CInPlaceEdit.h"
#include "ui/CLocaleInfo.h"
#include "ui/ListCellFormat.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

template <typename T> int Order(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

std::string TextSortKey(LPCSTR text)
{
    const DWORD dwFlags = LCMAP_SORTKEY | NORM_IGNORECASE | NORM_IGNOREKANATYPE;
    const int nLength = LCMapStringA(LOCALE_USER_DEFAULT, dwFlags, text, -1, nullptr, 0);
    if (nLength <= 0)
        return text;
    std::string key(static_cast<size_t>(nLength), '\0');
    LCMapStringA(LOCALE_USER_DEFAULT, dwFlags, text, -1, reinterpret_cast<LPSTR>(&key[0]), nLength);
    return key;
}

// An empty date counts as date 0; an unreadable one sorts before every readable one.
void DateSortKey(LPCSTR text, CUISortKey& key)
{
    key.nClass = 1;
    key.dValue = 0;
    if (*text == '\0')
        return;
    const int nWide = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::vector<wchar_t> wide(static_cast<size_t>(nWide > 0 ? nWide : 1));
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), nWide);
    DATE date = 0;
    if (FAILED(VarDateFromStr(wide.data(), LOCALE_USER_DEFAULT, 0, &date)))
        key.nClass = 0;
    else
        key.dValue = date;
}

} // namespace

int CALLBACK CUIODListCtrl::CompareRows(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort)
{
    const auto* pFirst = reinterpret_cast<const CUIListCtrlData*>(lParam1);
    const auto* pSecond = reinterpret_cast<const CUIListCtrlData*>(lParam2);
    const auto* pInfo = reinterpret_cast<const CUIODListCtrlSortInfo*>(lParamSort);
    if (pInfo == nullptr)
        return 0;
    // Rows put in without row data come first, whatever the direction.
    if (pFirst == nullptr || pSecond == nullptr)
        return Order(pFirst != nullptr, pSecond != nullptr);
    const CUISortKey& a = *pFirst->m_pSortKey;
    const CUISortKey& b = *pSecond->m_pSortKey;
    // Compared, never subtracted: sizes and times near the limits keep their order.
    int nResult = Order(a.nClass, b.nClass);
    if (nResult == 0)
        nResult = Order(a.nValue, b.nValue);
    if (nResult == 0)
        nResult = Order(a.dValue, b.dValue);
    if (nResult == 0)
        nResult = a.blob.compare(b.blob) < 0 ? -1 : (a.blob == b.blob ? 0 : 1);
    if (!pInfo->bAscending)
        nResult = -nResult;
    // Equal keys keep the order in which the rows were added, in both directions; the order is
    // total, so the list's order after a sort is known without asking the list.
    if (nResult == 0)
        nResult = Order(pFirst->m_nSequence, pSecond->m_nSequence);
    return nResult != 0 ? nResult : Order(reinterpret_cast<uintptr_t>(pFirst), reinterpret_cast<uintptr_t>(pSecond));
}

int CALLBACK CUIODListCtrl::CompareRanks(LPARAM lParam1, LPARAM lParam2, LPARAM)
{
    const auto* pFirst = reinterpret_cast<const CUIListCtrlData*>(lParam1);
    const auto* pSecond = reinterpret_cast<const CUIListCtrlData*>(lParam2);
    return Order(pFirst != nullptr ? pFirst->m_nRank : -1, pSecond != nullptr ? pSecond->m_nRank : -1);
}

PFNLVCOMPARE CUIODListCtrl::GetCompareFunc()
{
    return &CUIODListCtrl::CompareRows;
}

CUISortKey CUIODListCtrl::MakeSortKey(LPCSTR text, int nType)
{
    using namespace orvo::listcell;
    const CLocaleInfo& locale = CLocaleInfo::GetLocaleInfoObject();
    CUISortKey key;
    switch (nType) {
    case UIOD_INTEGER:
        key.nValue = ParseInteger(text);
        break;
    case UIOD_INTEGER_DIGITS:
        key.nValue = ParseDigitsOnly(text);
        break;
    case UIOD_NUMBER:
    case 7:
    case UIOD_FLOAT_DIGITS:
        key.dValue = ParseStripped(text, "+-.", locale);
        break;
    case UIOD_DURATION:
    case 8:
        key.dValue = ParseMinutesSeconds(text, locale);
        break;
    case UIOD_FLOAT: {
        double dValue = 0;
        key.dValue = ParseLocaleDouble(text, locale, &dValue) ? dValue : 0;
        break;
    }
    case UIOD_DATE:
        DateSortKey(text, key);
        break;
    default:
        key.blob = TextSortKey(text);
        break;
    }
    return key;
}

void CUIODListCtrl::SetSortKeyOf(CUIListCtrlData& row, int nColumn, int nType) const
{
    static const CUISortKey kNoKey;
    // A cell's key is made once and kept until its text changes, so sorting again is cheap.
    row.m_pSortKey = &kNoKey;
    if (!row.IsKindOf(RUNTIME_CLASS(CUIStrListCtrlData)))
        return;
    auto& cells = static_cast<CUIStrListCtrlData&>(row);
    ReadyCells(&cells, nColumn);
    const CUISortKey* pKey = cells.GetKey(nColumn, nType);
    row.m_pSortKey = pKey != nullptr ? pKey : cells.SetKey(nColumn, nType, MakeSortKey(cells.GetText(nColumn), nType));
}

void CUIODListCtrl::FillSortKeys(int nColumn, int nType)
{
    m_rows.ForEach([&](CUIListCtrlData& row) { SetSortKeyOf(row, nColumn, nType); });
}

void CUIODListCtrl::NoteUnplaced(CUIListCtrlData* pRow)
{
    if (!m_bOrderKnown || m_bMovingRows)
        return;
    if (pRow == nullptr || m_unplaced.size() >= kMaxUnplacedRows) {
        ForgetOrder();
        return;
    }
    if (std::find(m_unplaced.begin(), m_unplaced.end(), pRow) == m_unplaced.end())
        m_unplaced.push_back(pRow);
}

void CUIODListCtrl::ForgetOrder()
{
    m_bOrderKnown = false;
    m_unplaced.clear();
}

int CUIODListCtrl::FindRowOfData(const CUIListCtrlData* pRow) const
{
    EnsureRowIndex();
    if (!m_bRowIndexValid)
        return -1;
    const auto it = std::find(m_rowIndex.rbegin(), m_rowIndex.rend(), pRow);
    return it == m_rowIndex.rend() ? -1 : static_cast<int>(m_rowIndex.rend() - it) - 1;
}

// Every row but the unplaced ones is in order: those are taken out of the list view and put back
// each where a search of the ordered rows puts it, which is where a sort of every row would (the
// order is total). Rows that are selected, focused, the selection's anchor or being edited are
// left to the whole sort: taking them out would tell the list view's owner their state changed.
bool CUIODListCtrl::PlaceUnplacedRows(const CUIODListCtrlSortInfo& info)
{
    EnsureRowIndex();
    if (!m_bRowIndexValid || m_bLabelEditing)
        return false;
    const int nMark = GetSelectionMark();
    std::vector<int> places;
    for (CUIListCtrlData* pRow : m_unplaced) {
        const int nRow = FindRowOfData(pRow);
        if (nRow < 0 || nRow == nMark || GetItemState(nRow, LVIS_SELECTED | LVIS_FOCUSED) != 0)
            return false;
        SetSortKeyOf(*pRow, info.nColumn, info.nColumnType);
        places.push_back(nRow);
    }
    const auto before = [this, &info](CUIListCtrlData* a, CUIListCtrlData* b) {
        SetSortKeyOf(*a, info.nColumn, info.nColumnType);
        SetSortKeyOf(*b, info.nColumn, info.nColumnType);
        return CompareRows(reinterpret_cast<LPARAM>(a), reinterpret_cast<LPARAM>(b), reinterpret_cast<LPARAM>(&info)) < 0;
    };
    m_unplaced.clear();
    m_nFirstReordered = -1;
    // One row still between its neighbours stays where it is.
    if (places.size() == 1) {
        const size_t nRow = static_cast<size_t>(places[0]);
        CUIListCtrlData* pRow = m_rowIndex[nRow];
        if ((nRow == 0 || before(m_rowIndex[nRow - 1], pRow)) &&
            (nRow + 1 == m_rowIndex.size() || before(pRow, m_rowIndex[nRow + 1])))
            return true;
    }
    std::sort(places.begin(), places.end(), [](int a, int b) { return a > b; });
    HoldPainting();
    m_bMovingRows = true;
    std::vector<LVITEMA> taken;
    for (const int nRow : places) {
        LVITEMA item = {};
        item.mask = LVIF_PARAM | LVIF_IMAGE | LVIF_STATE | LVIF_INDENT;
        item.iItem = nRow;
        item.stateMask = static_cast<UINT>(-1);
        if (GetItem(&item) && DeleteItem(nRow))
            taken.push_back(item);
    }
    int nFirst = places.empty() ? -1 : places.back();
    for (LVITEMA& item : taken) {
        auto* pRow = reinterpret_cast<CUIListCtrlData*>(item.lParam);
        item.iItem = static_cast<int>(std::lower_bound(m_rowIndex.begin(), m_rowIndex.end(), pRow, before) - m_rowIndex.begin());
        item.mask |= LVIF_TEXT;
        item.pszText = LPSTR_TEXTCALLBACKA;
        const int nRow = InsertItem(&item);
        if (nRow >= 0 && (nFirst < 0 || nRow < nFirst))
            nFirst = nRow;
    }
    m_bMovingRows = false;
    m_nFirstReordered = nFirst;
    ReleasePainting();
    return true;
}

void CUIODListCtrl::SortNow()
{
    CUIODListCtrlSortInfo info = {m_bSortAscending, m_nSortColumn, GetColumnType(m_nSortColumn)};
    const PFNLVCOMPARE pfnCompare = GetCompareFunc();
    if (pfnCompare != &CUIODListCtrl::CompareRows) {
        ForgetOrder();
        m_nFirstReordered = 0;
        SortItems(pfnCompare, reinterpret_cast<DWORD_PTR>(&info));
        return;
    }
    // Putting one row in its place costs about what the list view's sort of a hundred rows does.
    constexpr size_t kRowsPerPlacedRow = 128;
    if (m_bOrderKnown && m_unplaced.size() * kRowsPerPlacedRow <= static_cast<size_t>(GetItemCount()) &&
        PlaceUnplacedRows(info))
        return;
    FillSortKeys(info.nColumn, info.nColumnType);
    EnsureRowIndex();
    // The order is total, so it is found once here; the list view then only puts each row at
    // its rank, and the index already holds the list's new order.
    const auto before = [&info](const CUIListCtrlData* a, const CUIListCtrlData* b) {
        return CompareRows(reinterpret_cast<LPARAM>(a), reinterpret_cast<LPARAM>(b), reinterpret_cast<LPARAM>(&info)) < 0;
    };
    // A list sorted again after a few rows were added at its end (a merge refresh) is in order
    // but for them: they are sorted and merged in, and a list in order is left as it is.
    m_nFirstReordered = -1;
    const auto sorted = std::is_sorted_until(m_rowIndex.begin(), m_rowIndex.end(), before);
    if (sorted == m_rowIndex.end()) {
        m_bRowIndexValid = true;
        m_bOrderKnown = true;
        m_unplaced.clear();
        return;
    }
    m_nFirstReordered = 0;
    constexpr std::ptrdiff_t kMergedTail = 64;
    if (m_rowIndex.end() - sorted <= kMergedTail) {
        std::sort(sorted, m_rowIndex.end(), before);
        std::inplace_merge(m_rowIndex.begin(), sorted, m_rowIndex.end(), before);
    } else {
        std::sort(m_rowIndex.begin(), m_rowIndex.end(), before);
    }
    for (size_t i = 0; i < m_rowIndex.size(); ++i) {
        if (m_rowIndex[i] != nullptr)
            m_rowIndex[i]->m_nRank = static_cast<int>(i);
    }
    SortItems(&CompareRanks, 0);
    m_bRowIndexValid = true;
    m_bOrderKnown = true;
    m_unplaced.clear();
}

void CUIODListCtrl::Sort()
{
    if (!m_bHasTypes)
        return;
    SortNow();
    m_header.SetSortMark(m_nSortColumn, m_bSortAscending);
}

BOOL CUIODListCtrl::OnColumnClick(NMLISTVIEW* pNMListView)
{
    const int nColumn = pNMListView->iSubItem;
    ForgetOrder();
    m_bSortAscending = nColumn == m_nSortColumn ? !m_bSortAscending : TRUE;
    m_nSortColumn = nColumn;
    OnSortChanged();
    m_header.SetSortMark(m_nSortColumn, m_bSortAscending);
    SortNow();
    const int nRow = GetCurrentRow();
    if (nRow != -1)
        EnsureVisible(nRow, FALSE);
    return TRUE;
}

void CUIODListCtrl::GetSort(int* pColumn, BOOL* pAscending) const
{
    if (pColumn != nullptr)
        *pColumn = m_nSortColumn;
    if (pAscending != nullptr)
        *pAscending = m_bSortAscending;
}

void CUIODListCtrl::SetSortState(int nColumn, BOOL bAscending)
{
    if (nColumn == m_nSortColumn && (bAscending != FALSE) == (m_bSortAscending != FALSE))
        return;
    ForgetOrder();
    m_nSortColumn = nColumn;
    m_bSortAscending = bAscending;
    m_header.SetSortMark(nColumn, bAscending);
}

void CUIODListCtrl::SetSortColumn(int nColumn)
{
    SetSort(nColumn, m_bSortAscending);
}

void CUIODListCtrl::SetSortAscending(BOOL bAscending)
{
    SetSort(m_nSortColumn, bAscending);
}

void CUIODListCtrl::SetSort(int nColumn, BOOL bAscending)
{
    if (nColumn == m_nSortColumn && (bAscending != FALSE) == (m_bSortAscending != FALSE))
        return;
    ForgetOrder();
    m_nSortColumn = nColumn;
    m_bSortAscending = bAscending;
    m_header.SetSortMark(nColumn, bAscending);
    Sort();
}

BOOL CUIODListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message != WM_NOTIFY)
        return CDragDropList::OnChildNotify(message, wParam, lParam, pResult);
    LRESULT lDummy = 0;
    LRESULT* pOut = pResult != nullptr ? pResult : &lDummy;
    auto* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
    switch (pNMHDR->code) {
    case NM_CUSTOMDRAW:
        return HandleCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(lParam), pOut);
    case LVN_GETDISPINFOA:
        return GetDispInfo(reinterpret_cast<NMLVDISPINFOA*>(lParam));
    case LVN_COLUMNCLICK:
        return OnColumnClick(reinterpret_cast<NMLISTVIEW*>(lParam));
    case LVN_BEGINLABELEDITA:
        m_bLabelEditing = 1;
        return CDragDropList::OnChildNotify(message, wParam, lParam, pResult);
    case LVN_ENDLABELEDITA:
        m_bLabelEditing = 0;
        return OnEndLabelEdit(reinterpret_cast<NMLVDISPINFOA*>(lParam), pOut);
    case NM_DBLCLK:
        return OnDblClick(pNMHDR);
    case LVN_ITEMCHANGED: {
        const auto* pChange = reinterpret_cast<const NMLISTVIEW*>(lParam);
        const UINT nBoth = LVIS_SELECTED | LVIS_FOCUSED;
        if ((pChange->uChanged & LVIF_STATE) != 0 && (pChange->uNewState & nBoth) == nBoth)
            return OnItemSelected(pChange->iItem, pOut);
        break;
    }
    case LVN_GETINFOTIPA:
        return HandleInfoTip(reinterpret_cast<NMLVGETINFOTIPA*>(lParam));
    default:
        break;
    }
    return CDragDropList::OnChildNotify(message, wParam, lParam, pResult);
}

BOOL CUIODListCtrl::HandleInfoTip(NMLVGETINFOTIPA* pInfoTip)
{
    if (pInfoTip->pszText == nullptr || pInfoTip->cchTextMax <= 0)
        return TRUE;
    CUIStrListCtrlData* pRow = GetStringRow(pInfoTip->iItem);
    if (pRow == nullptr)
        return TRUE;
    ReadyCells(pRow, pInfoTip->iSubItem);
    const LPCSTR text = !pRow->m_strToolTip.IsEmpty() ? static_cast<LPCSTR>(pRow->m_strToolTip)
                                                      : pRow->GetText(pInfoTip->iSubItem);
    lstrcpynA(pInfoTip->pszText, text, pInfoTip->cchTextMax);
    return TRUE;
}

BOOL CUIODListCtrl::HandleToolTipText(NMHDR* pNMHDR, LRESULT* pResult)
{
    const UINT_PTR nId = pNMHDR->idFrom;
    if (nId == 0)
        return FALSE;
    const int nRow = static_cast<int>((nId - 1) / 1024);
    const int nColumn = static_cast<int>((nId - 1) % 1024);
    char buffer[256] = {};
    NMLVDISPINFOA info = {};
    info.hdr = *pNMHDR;
    info.item.mask = LVIF_TEXT;
    info.item.iItem = nRow;
    info.item.iSubItem = nColumn;
    info.item.pszText = buffer;
    info.item.cchTextMax = sizeof(buffer);
    info.item.lParam = reinterpret_cast<LPARAM>(GetRowData(nRow));
    GetDispInfo(&info);
    // The cell's text once.
    m_strToolTip = info.item.pszText != nullptr ? info.item.pszText : "";
    if (pNMHDR->code == TTN_NEEDTEXTA) {
        reinterpret_cast<NMTTDISPINFOA*>(pNMHDR)->lpszText = const_cast<LPSTR>(static_cast<LPCSTR>(m_strToolTip));
    } else {
        const int nWide = MultiByteToWideChar(CP_ACP, 0, m_strToolTip, -1, nullptr, 0);
        m_strToolTipWide.assign(static_cast<size_t>(nWide > 0 ? nWide : 1), L'\0');
        MultiByteToWideChar(CP_ACP, 0, m_strToolTip, -1, &m_strToolTipWide[0], nWide);
        reinterpret_cast<NMTTDISPINFOW*>(pNMHDR)->lpszText = &m_strToolTipWide[0];
    }
    *pResult = 0;
    return TRUE;
}

BOOL CUIODListCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    auto* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
    switch (pNMHDR->code) {
    case HDN_BEGINTRACKA:
    case HDN_BEGINTRACKW:
        if (!m_bColumnResizing) {
            *pResult = 1;
            return TRUE;
        }
        break;
    case HDN_ENDTRACKA:
    case HDN_ENDTRACKW: {
        const auto* pHeader = reinterpret_cast<const NMHEADERA*>(lParam);
        if (m_bColumnResizing && pHeader->pitem != nullptr && (pHeader->pitem->mask & HDI_WIDTH) != 0)
            PostMessage(WM_UIOD_COLUMNWIDTH, reinterpret_cast<WPARAM>(pNMHDR->hwndFrom), pHeader->iItem);
        break;
    }
    case TTN_NEEDTEXTA:
    case TTN_NEEDTEXTW:
        if (HandleToolTipText(pNMHDR, pResult))
            return TRUE;
        break;
    case NM_RCLICK:
        // A right click on the header chooses the column that the column commands act on.
        if (pNMHDR->hwndFrom == m_header.GetSafeHwnd()) {
            POINT point = {};
            ::GetCursorPos(&point);
            ::ScreenToClient(m_header.GetSafeHwnd(), &point);
            HDHITTESTINFO hit = {};
            hit.pt = point;
            m_nContextColumn = m_header.HitTest(&hit);
        }
        break;
    default:
        break;
    }
    return CDragDropList::OnNotify(wParam, lParam, pResult);
}

LRESULT CUIODListCtrl::OnColumnWidthChanged(WPARAM, LPARAM lParam)
{
    const int nColumn = static_cast<int>(lParam);
    if (nColumn >= 0 && static_cast<size_t>(nColumn) < m_columnWidths.size())
        m_columnWidths[static_cast<size_t>(nColumn)] = GetColumnWidth(nColumn);
    if (CWnd* pParent = GetParent())
        pParent->SendMessage(WM_UIOD_COLUMNWIDTH_PARENT, reinterpret_cast<WPARAM>(m_hWnd), nColumn);
    return 1;
}

BOOL CUIODListCtrl::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message != WM_KEYDOWN && pMsg->message != WM_SYSKEYDOWN)
        return CDragDropList::PreTranslateMessage(pMsg);
    // Keys for the label editor (a child of the list) belong to it: Enter commits the rename
    // and Escape cancels it, instead of opening or deleting the item.
    if (pMsg->hwnd != m_hWnd || m_bLabelEditing != 0)
        return CDragDropList::PreTranslateMessage(pMsg);
    UINT nPost = 0;
    switch (pMsg->wParam) {
    case VK_F10:
        if (GetKeyState(VK_SHIFT) < 0)
            nPost = WM_UIOD_CONTEXTMENU;
        break;
    case VK_APPS:
        nPost = WM_UIOD_CONTEXTMENU;
        break;
    case VK_F2:
        nPost = WM_UIOD_EDITKEY;
        break;
    case VK_DELETE:
        // Shift+Delete and Ctrl+Delete belong to the frame's accelerators (Shift+Delete is Cut).
        if (GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0)
            nPost = WM_UIOD_DELETEKEY;
        break;
    case VK_RETURN:
        nPost = pMsg->message == WM_SYSKEYDOWN ? WM_UIOD_PROPERTIESKEY : WM_UIOD_OPENKEY;
        break;
    default:
        break;
    }
    if (nPost == 0)
        return CDragDropList::PreTranslateMessage(pMsg);
    PostMessage(nPost, 0, 0);
    return TRUE;
}

CPoint CUIODListCtrl::CurrentRowMenuPoint() const
{
    // Without a current row the menu opens at the top left corner of the list.
    POINT point = {0, 0};
    const int nRow = GetCurrentRow();
    if (nRow != -1)
        GetItemPosition(nRow, &point);
    ::ClientToScreen(m_hWnd, &point);
    return CPoint(point.x, point.y);
}

LRESULT CUIODListCtrl::OnContextMenuKey(WPARAM, LPARAM)
{
    const CPoint point = CurrentRowMenuPoint();
    m_contextPoint = point;
    OnContextMenuAt(GetCurrentRow(), 0, point.x, point.y);
    return 1;
}

void CUIODListCtrl::OnContextMenu(CWnd*, CPoint point)
{
    // A menu asked for by the keyboard comes with (-1, -1): it opens at the current row.
    if (point.x == -1 && point.y == -1) {
        OnContextMenuKey(0, 0);
        return;
    }
    m_contextPoint = point;
    POINT client = {point.x, point.y};
    ::ScreenToClient(m_hWnd, &client);
    LVHITTESTINFO hit = {};
    hit.pt = client;
    OnContextMenuAt(HitTest(&hit), 0, point.x, point.y);
}

void CUIODListCtrl::SetMenuIds(UINT nOneItemMenu, UINT nSeveralItemsMenu)
{
    m_nOneItemMenu = nOneItemMenu;
    m_nSeveralItemsMenu = nSeveralItemsMenu;
}

BOOL CUIODListCtrl::ShowContextMenu(int nRow, BOOL bSuppress, UINT, int x, int y)
{
    const int nCurrent = GetCurrentRow();
    const BOOL bSeveral = nCurrent != -1 && GetNextItem(nCurrent, LVNI_SELECTED) != -1;
    const UINT nMenu = bSeveral ? m_nSeveralItemsMenu : m_nOneItemMenu;
    if (nMenu == 0 || bSuppress || nRow == -1)
        return bSeveral;
    CMenu menu;
    if (!menu.LoadMenu(nMenu))
        return FALSE;
    CMenu* pPopup = menu.GetSubMenu(0);
    if (pPopup == nullptr)
        return FALSE;
    pPopup->TrackPopupMenu(TPM_RIGHTBUTTON, x, y, m_pMenuOwner != nullptr ? m_pMenuOwner : this);
    return TRUE;
}

CInPlaceEdit* CUIODListCtrl::EditCell(int nRow, int nColumn)
{
    if (m_bCellEditing == 0 || (GetStyle() & LVS_EDITLABELS) == 0)
        return nullptr;
    if (!EnsureVisible(nRow, TRUE) || m_header.GetSafeHwnd() == nullptr)
        return nullptr;
    if (nColumn < 0 || nColumn >= m_header.GetItemCount() || GetColumnWidth(nColumn) < 5)
        return nullptr;
    const int nOffset = ColumnLeft(nColumn);
    CRect row;
    if (!GetItemRect(nRow, &row, LVIR_BOUNDS))
        return nullptr;
    CRect client;
    GetClientRect(&client);
    if (row.left + nOffset < 0 || row.left + nOffset > client.right) {
        Scroll(CSize(row.left + nOffset, 0));
        row.left -= row.left + nOffset;
    }
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT;
    GetColumn(nColumn, &column);
    DWORD dwAlign = ES_LEFT;
    if ((column.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT)
        dwAlign = ES_RIGHT;
    else if ((column.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER)
        dwAlign = ES_CENTER;
    CRect edit(row.left + nOffset + 4, row.top, 0, row.bottom);
    edit.right = std::min<int>(edit.left + GetColumnWidth(nColumn) - 3, client.right);
    auto pEdit = std::make_unique<CInPlaceEdit>(nRow, nColumn, GetCellText(nRow, nColumn));
    if (!pEdit->Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | dwAlign, edit, this, 0xFFFF))
        return nullptr;
    // From here the edit ends itself with its window.
    return pEdit.release();
}

void CUIODListCtrl::EditHeading()
{
    const int nColumn = m_nContextColumn;
    if (nColumn == -1 || m_header.GetSafeHwnd() == nullptr)
        return;
    std::vector<char> buffer(256);
    HDITEMA item = {};
    for (;;) {
        item = {};
        item.mask = HDI_WIDTH | HDI_TEXT;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        if (!m_header.GetItem(nColumn, &item))
            return;
        if (lstrlenA(buffer.data()) + 1 < static_cast<int>(buffer.size()) || buffer.size() >= 65536)
            break;
        buffer.resize(buffer.size() * 2);
    }
    int x = 0;
    for (int i = 0; i < nColumn; ++i)
        x += LOWORD(GetRememberedWidth(i));
    const CRect rect(x, 0, x + item.cxy, GetSystemMetrics(SM_CXHSCROLL));
    auto pEdit = std::make_unique<CInPlaceEdit>(-1, nColumn, buffer.data());
    if (pEdit->Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, rect, this, 0xFFFF))
        pEdit.release();
    m_nContextColumn = -1;
}

BOOL CUIODListCtrl::OnEndLabelEdit(NMLVDISPINFOA* pDispInfo, LRESULT* pResult)
{
    *pResult = 0;
    const LPCSTR text = pDispInfo->item.pszText;
    if (text == nullptr)
        return TRUE;
    const int nColumn = pDispInfo->item.iSubItem;
    if (pDispInfo->item.iItem == -1) {
        // A heading is renamed, in the header and in the stored headings, only once allowed.
        if (m_header.GetSafeHwnd() == nullptr || !CanEndLabelEdit(-1, nColumn, text))
            return TRUE;
        char old[256] = {};
        HDITEMA item = {};
        item.mask = HDI_TEXT;
        item.pszText = old;
        item.cchTextMax = sizeof(old);
        m_header.GetItem(nColumn, &item);
        std::vector<CString> headings;
        int nStart = 0;
        for (int i = 0; i <= m_strHeadings.GetLength(); ++i) {
            if (i == m_strHeadings.GetLength() || m_strHeadings[i] == '|') {
                headings.push_back(m_strHeadings.Mid(nStart, i - nStart));
                nStart = i + 1;
            }
        }
        if (nColumn >= 0 && static_cast<size_t>(nColumn) < headings.size() && headings[static_cast<size_t>(nColumn)] == old)
            headings[static_cast<size_t>(nColumn)] = text;
        CString joined;
        for (size_t i = 0; i < headings.size(); ++i)
            joined += (i == 0 ? CString() : CString("|")) + headings[i];
        m_strHeadings = joined;
        item.mask = HDI_TEXT;
        item.pszText = const_cast<LPSTR>(text);
        m_header.SetItem(nColumn, &item);
        return TRUE;
    }
    if (CanEndLabelEdit(pDispInfo->item.iItem, nColumn, text))
        SetCellText(pDispInfo->item.iItem, nColumn, text, GetColumnType(nColumn));
    return TRUE;
}

void CUIODListCtrl::OnViewCommand(UINT nId)
{
    static const DWORD kViews[] = {LVS_ICON, LVS_SMALLICON, LVS_REPORT, LVS_LIST};
    ModifyStyle(LVS_TYPEMASK, kViews[nId - ID_UIOD_VIEW_ICON]);
}

void CUIODListCtrl::FlipExtendedStyle(DWORD dwBit)
{
    const DWORD dwStyle = GetExtendedStyle();
    SetExtendedStyle((dwStyle & dwBit) != 0 ? dwStyle & ~dwBit : dwStyle | dwBit);
}

void CUIODListCtrl::OnFlipStyleCommand(UINT nId)
{
    switch (nId) {
    case ID_UIOD_GRIDLINES:
        FlipExtendedStyle(LVS_EX_GRIDLINES);
        break;
    case ID_UIOD_CHECKBOXES:
        FlipExtendedStyle(LVS_EX_CHECKBOXES);
        break;
    case ID_UIOD_HEADERDRAGDROP:
        FlipExtendedStyle(LVS_EX_HEADERDRAGDROP);
        break;
    case ID_UIOD_TRACKSELECT:
        FlipExtendedStyle(LVS_EX_TRACKSELECT);
        break;
    default:
        break;
    }
}

void CUIODListCtrl::OnFullRowSelect()
{
    SetFullRowSelect(!m_bFullRowSelect);
}

void CUIODListCtrl::OnColumnResizing()
{
    m_bColumnResizing = !m_bColumnResizing;
}

void CUIODListCtrl::OnHideColumn()
{
    const int nColumn = m_nContextColumn;
    m_nContextColumn = -1;
    if (nColumn < 0 || nColumn >= m_nColumnCount)
        return;
    const int nWidth = GetColumnWidth(nColumn);
    if (nWidth == 0)
        return;
    m_columnWidths.resize(static_cast<size_t>(m_nColumnCount), 0);
    m_columnWidths[static_cast<size_t>(nColumn)] = nWidth;
    SetColumnWidth(nColumn, 0);
}

void CUIODListCtrl::OnShowColumns()
{
    for (int i = 0; i < m_nColumnCount; ++i)
        SetColumnWidth(i, LOWORD(GetRememberedWidth(i)));
    m_nContextColumn = -1;
}

void CUIODListCtrl::OnEditCellAtPoint()
{
    POINT client = {m_contextPoint.x, m_contextPoint.y};
    ::ScreenToClient(m_hWnd, &client);
    CPoint point(client.x, client.y);
    int nColumn = -1;
    const int nRow = HitTestCell(point, &nColumn);
    if (nRow >= 0 && (GetItemState(nRow, LVIS_FOCUSED) & LVIS_FOCUSED) != 0 && nColumn >= 1)
        EditCell(nRow, nColumn);
}
