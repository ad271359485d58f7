// What the browse frame asks of the shell file list for its command states.
#include "browser/list/CIEShellListCtrl.h"

#include "core/CAppOptions.h"
#include "core/CDrawingFileInfo.h"
#include "browser/shell/ShellItemLaunch.h"
#include "render/workers/TTaskManageThread.h"

namespace {

constexpr int kJpegType = 5;

bool IsDrawing(int fileType)
{
    return CDrawingFileInfo::IsDrawingType(fileType);
}

bool IsJpeg(int fileType)
{
    return fileType == kJpegType;
}

} // namespace

CString CIEShellListCtrl::GetCurrentPath() const
{
    const int row = GetCurrentRow();
    return row == -1 ? CString() : GetRowPath(row);
}

bool CIEShellListCtrl::IsCurrentItemFile() const
{
    const CShellListItem* item = GetItemRecord(GetCurrentRow());
    return item != nullptr && !item->IsFolder();
}

bool CIEShellListCtrl::IsViewableItemSelected() const
{
    const CShellListItem* item = GetItemRecord(GetCurrentRow());
    return item != nullptr && item->fileType >= 0;
}

int CIEShellListCtrl::CountSelectedOfType(bool (*wanted)(int fileType)) const
{
    int count = 0;
    for (int row = GetNextItem(-1, LVNI_SELECTED); row != -1; row = GetNextItem(row, LVNI_SELECTED)) {
        const CShellListItem* item = GetItemRecord(row);
        count += item != nullptr && wanted(item->fileType) ? 1 : 0;
    }
    return count;
}

bool CIEShellListCtrl::IsSingleJpegSelected() const
{
    return GetSelectedCount() == 1 && CountSelectedOfType(&IsJpeg) == 1;
}

int CIEShellListCtrl::CountSelectedDrawings() const
{
    return CountSelectedOfType(&IsDrawing);
}

BOOL CIEShellListCtrl::EditCurrentItem()
{
    const int row = GetCurrentRow();
    const CShellListItem* item = GetItemRecord(row);
    if (item == nullptr || item->IsFolder())
        return FALSE;
    return ShellItemLaunch(m_hWnd, item->Absolute(), GetRowPath(row), "edit") ? TRUE : FALSE;
}

// A sort picked by a header click is the user's choice as much as one from the menu: the settings
// record takes it, so that the exit save, Options OK and the return from the view keep it.
void CIEShellListCtrl::OnSortChanged()
{
    int column = 0;
    BOOL ascending = TRUE;
    GetSort(&column, &ascending);
    g_options.SetSortType(column);
    g_options.SortDir = ascending != FALSE;
}
