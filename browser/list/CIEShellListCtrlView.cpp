// The view types of the shell file list and the sort and view settings kept in the registry.
#include "browser/list/CIEShellListCtrl.h"

#include "core/CAppOptions.h"
#include "core/RegistryRoot.h"
#include "browser/shell/ShellGlobals.h"
#include "framework/CRegKey.h"

#include <algorithm>

int CIEShellListCtrl::ClampViewType(long type)
{
    return type < kLargeIcons ? kLargeIcons : (type > kThumbnails ? kThumbnails : static_cast<int>(type));
}

int CIEShellListCtrl::ClampSortColumn(long column)
{
    return column < kNameColumn ? kNameColumn : (column > kTimeColumn ? kTimeColumn : static_cast<int>(column));
}

void CIEShellListCtrl::LoadViewSettings()
{
    DWORD sortType = 0;
    DWORD sortDir = 1;
    CRegKey browser;
    if (browser.Open(HKEY_CURRENT_USER, ProgramKeyPath("Option\\Browser"), KEY_READ) == ERROR_SUCCESS) {
        browser.QueryDWORDValue("SortType", sortType);
        browser.QueryDWORDValue("SortDir", sortDir);
    }
    // A stored number is read as signed, so a negative one clamps to the first column too.
    SetSortState(ClampSortColumn(static_cast<LONG>(sortType)), sortDir != 0);
    DWORD viewType = kThumbnails;
    CRegKey main;
    if (main.Open(HKEY_CURRENT_USER, ProgramKeyPath("main"), KEY_READ) == ERROR_SUCCESS)
        main.QueryDWORDValue("LastViewType", viewType);
    m_viewType = ClampViewType(static_cast<LONG>(viewType));
}

bool CIEShellListCtrl::SaveViewSettings() const
{
    CRegKey browser;
    if (browser.Create(HKEY_CURRENT_USER, ProgramKeyPath("Option\\Browser")) != ERROR_SUCCESS)
        return false;
    browser.SetDWORDValue("SortType", static_cast<DWORD>(ClampSortColumn(GetSortColumn())));
    browser.SetDWORDValue("SortDir", GetSortAscending() ? 1 : 0);
    CRegKey main;
    if (main.Create(HKEY_CURRENT_USER, ProgramKeyPath("main")) != ERROR_SUCCESS)
        return false;
    main.SetDWORDValue("LastViewType", static_cast<DWORD>(m_viewType));
    return true;
}

void CIEShellListCtrl::AttachSystemImageLists()
{
    SHFILEINFOA info = {};
    const auto small = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    const auto large = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_LARGEICON));
    SendMessage(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small));
    SendMessage(LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(large));
    m_largeSystemIcons = large;
}

void CIEShellListCtrl::ApplyViewStyle()
{
    if (!GetSafeHwnd())
        return;
    static const DWORD kStyles[] = {LVS_ICON, LVS_REPORT, LVS_SMALLICON, LVS_LIST, LVS_ICON};
    ModifyStyle(LVS_TYPEMASK, kStyles[ClampViewType(m_viewType)] | LVS_AUTOARRANGE);
    if (m_viewType == kThumbnails) {
        UpdateCellSize();
        ApplyThumbnailLayout();
    } else {
        AttachSystemImageLists();
        SendMessage(LVM_SETICONSPACING, 0, static_cast<LPARAM>(-1)); // the default spacing
    }
    FitNameColumn();
}

// The details view's Name column grows to the widest name it shows (never past two thirds of the
// list, and never narrower than the user made it).
void CIEShellListCtrl::FitNameColumn()
{
    if (m_viewType != kDetails || !GetSafeHwnd() || GetItemCount() == 0)
        return;
    // Each name is measured once until it or the font changes: measuring every row of a large
    // folder took as long as a merge's other steps together.
    const auto font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    if (font != m_nameExtentFont) {
        m_nameExtentFont = font;
        for (const auto& record : m_records)
            record->nameExtent = -1;
    }
    HDC dc = nullptr;
    HGDIOBJ oldFont = nullptr;
    int widest = 0;
    const int count = GetItemCount();
    for (int row = 0; row < count; ++row) {
        CShellListItem* item = GetItemRecord(row);
        if (item && item->nameExtent >= 0) {
            widest = std::max(widest, item->nameExtent);
            continue;
        }
        if (!dc) {
            dc = ::GetDC(m_hWnd);
            oldFont = ::SelectObject(dc, font);
        }
        const int extent = NameExtent(dc, row);
        widest = std::max(widest, extent);
        if (item)
            item->nameExtent = extent;
    }
    if (dc) {
        ::SelectObject(dc, oldFont);
        ::ReleaseDC(m_hWnd, dc);
    }
    m_widestName = widest;
    FitNameColumnWidth(widest);
}

void CIEShellListCtrl::FitNameColumnTo(const std::vector<CShellListItem*>& records)
{
    if (m_viewType != kDetails || !GetSafeHwnd() || GetItemCount() == 0)
        return;
    if (m_widestName < 0 || reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)) != m_nameExtentFont) {
        FitNameColumn();
        return;
    }
    HDC dc = ::GetDC(m_hWnd);
    const HGDIOBJ oldFont = ::SelectObject(dc, m_nameExtentFont);
    for (CShellListItem* item : records) {
        const int row = item->nameExtent < 0 ? FindRowOf(item) : -1;
        if (row < 0)
            continue;
        item->nameExtent = NameExtent(dc, row);
        m_widestName = std::max(m_widestName, item->nameExtent);
    }
    ::SelectObject(dc, oldFont);
    ::ReleaseDC(m_hWnd, dc);
    FitNameColumnWidth(m_widestName);
}

int CIEShellListCtrl::NameExtent(HDC dc, int row) const
{
    const CString name = GetCellText(row, kNameColumn);
    SIZE extent = {};
    ::GetTextExtentPoint32A(dc, name, name.GetLength(), &extent);
    return static_cast<int>(extent.cx);
}

void CIEShellListCtrl::FitNameColumnWidth(int widest)
{
    RECT client = {};
    GetClientRect(&client);
    constexpr int kMargins = 16;
    const int wanted = std::min(widest + ::GetSystemMetrics(SM_CXSMICON) + kMargins,
                                std::max(100, static_cast<int>(client.right * 2 / 3)));
    if (GetColumnWidth(kNameColumn) < wanted)
        SetColumnWidth(kNameColumn, wanted);
}

void CIEShellListCtrl::SetViewType(int type)
{
    type = ClampViewType(type);
    if (type == m_viewType)
        return;
    const bool thumbnailsInvolved = type == kThumbnails || m_viewType == kThumbnails;
    // The row at the top stays at the top: the user keeps the place he had scrolled to.
    const int top = TopVisibleRow();
    const auto topKey = top >= 0 ? reinterpret_cast<DWORD_PTR>(GetRowData(top)) : 0;
    m_viewType = type;
    SetRedraw(FALSE);
    ApplyViewStyle();
    // What is shown differs between the thumbnail view and the others: merge to the new rules.
    if (thumbnailsInvolved && m_folder) {
        m_refreshAllowed = 0;
        RefreshFromFolder(FALSE);
        m_refreshAllowed = 1;
    }
    // Sizes and write times are shown (and so watched) only in the details view.
    if (m_watch && m_folder)
        m_watch->WatchFolder(m_folderPath, m_viewType == kDetails);
    SetRedraw(TRUE);
    ScrollRowToTop(FindRowByKey(topKey));
    Invalidate();
}

// Rows are laid out in their order: down (then across) in the list view, across then down in the
// others, so the first row in sight is found by halving.
int CIEShellListCtrl::TopVisibleRow() const
{
    if (!GetSafeHwnd() || GetItemCount() == 0)
        return -1;
    const bool columns = (GetStyle() & LVS_TYPEMASK) == LVS_LIST;
    RECT client = {};
    GetClientRect(&client);
    int low = 0;
    int high = GetItemCount() - 1;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        RECT bounds = {};
        GetItemRect(middle, &bounds, LVIR_BOUNDS);
        if ((columns ? bounds.right <= client.left : bounds.bottom <= client.top))
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

int CIEShellListCtrl::FindRowByKey(DWORD_PTR key) const
{
    if (key == 0)
        return -1;
    LVFINDINFOA find = {};
    find.flags = LVFI_PARAM;
    find.lParam = static_cast<LPARAM>(key);
    return static_cast<int>(::SendMessageA(m_hWnd, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

void CIEShellListCtrl::ScrollRowToTop(int row)
{
    if (row < 0)
        return;
    RECT client = {};
    GetClientRect(&client);
    RECT bounds = {};
    if (!GetItemRect(row, &bounds, LVIR_BOUNDS))
        return;
    if ((GetStyle() & LVS_TYPEMASK) == LVS_LIST) {
        // Systems differ on whether the list view's scroll is counted in pixels or columns; from
        // the far end, bringing the row in sight puts its column at the left edge.
        EnsureVisible(GetItemCount() - 1, FALSE);
        EnsureVisible(row, FALSE);
    } else {
        // The details view's rows begin below its header: the top row is its first in sight.
        long top = client.top;
        RECT first = {};
        if ((GetStyle() & LVS_TYPEMASK) == LVS_REPORT && GetItemRect(GetTopIndex(), &first, LVIR_BOUNDS))
            top = first.top;
        Scroll(CSize(0, bounds.top - top));
    }
}

void CIEShellListCtrl::OnBrowseOptionsChanged(BOOL refill, BOOL force)
{
    if (m_rules.showOtherFiles != g_options.ShowNoneDrawingFile || force)
        m_rules.showOtherFiles = g_options.ShowNoneDrawingFile;
    const bool thumbnails = m_viewType == kThumbnails;
    if (!m_folder || !((refill && !thumbnails) || (force && thumbnails)))
        return;
    m_refreshAllowed = 0;
    RefreshFromFolder(FALSE);
    m_refreshAllowed = 1;
}

void CIEShellListCtrl::OnThumbnailOptionsChanged()
{
    // The size the user just chose wins over the one a folder's library was made with: that
    // library's pictures are made again at the new size.
    if (g_options.ThumbWidth != m_cellWidth || g_options.ThumbHeight != m_cellHeight)
        m_settingsSizeChosen = true;
    if (m_viewType != kThumbnails || !m_folder)
        return;
    m_refreshAllowed = 0;
    ResetThumbnailWork(false);
    ClearItems();
    RefreshFromFolder(FALSE);
    m_refreshAllowed = 1;
}
