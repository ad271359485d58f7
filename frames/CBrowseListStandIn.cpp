#include "frames/CBrowseListStandIn.h"

#include "app/CAppState.h"
#include "app/core/CDrawingFileInfo.h"
#include "app/core/CDrawingFileType.h"
#include "browser/CPreView.h"
#include "render/workers/TDwgDrawThread.h"
#include "render/workers/TTaskManageThread.h"

namespace {

constexpr UINT kMsgStatusRefresh = 0x8032;

} // namespace

BEGIN_MESSAGE_MAP(CBrowseListStandIn, CIEShellListCtrl)
    ON_MESSAGE(WM_UIOD_OPENKEY, &CBrowseListStandIn::OnOpenKey)
    ON_MESSAGE(TTaskManageThread::kMsgQueueFinished, &CBrowseListStandIn::OnQueueFinished)
END_MESSAGE_MAP()

int CBrowseListStandIn::RowFileType(int row) const
{
    const CShellListItem* item = row >= 0 ? GetItemRecord(row) : nullptr;
    return item ? item->fileType : CDrawingFileInfo::kEmptyType;
}

bool CBrowseListStandIn::IsRowFolder(int row) const
{
    return RowFileType(row) == CShellListItem::kFolderType;
}

CString CBrowseListStandIn::GetCurrentPath() const
{
    const int row = GetCurrentRow();
    return row == -1 ? CString() : GetRowPath(row);
}

bool CBrowseListStandIn::IsCurrentItemFile() const
{
    const int row = GetCurrentRow();
    return row != -1 && !IsRowFolder(row);
}

bool CBrowseListStandIn::IsViewableItemSelected() const
{
    return RowFileType(GetCurrentRow()) >= 0;
}

std::vector<CString> CBrowseListStandIn::GetSelectedPaths() const
{
    std::vector<CString> paths;
    for (int row = GetNextItem(-1, LVNI_SELECTED); row != -1; row = GetNextItem(row, LVNI_SELECTED))
        paths.push_back(GetRowPath(row));
    return paths;
}

int CBrowseListStandIn::CountSelectedDrawings() const
{
    int count = 0;
    for (int row = GetNextItem(-1, LVNI_SELECTED); row != -1; row = GetNextItem(row, LVNI_SELECTED))
        count += CDrawingFileInfo::IsDrawingType(RowFileType(row)) ? 1 : 0;
    return count;
}

void CBrowseListStandIn::SetRowSelected(int row, bool selected)
{
    SetItemState(row, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

void CBrowseListStandIn::SelectAll()
{
    for (int row = 0; row < GetItemCount(); ++row)
        SetRowSelected(row, true);
}

void CBrowseListStandIn::SelectAllDrawingFiles()
{
    for (int row = 0; row < GetItemCount(); ++row)
        SetRowSelected(row, CDrawingFileInfo::IsDrawingType(RowFileType(row)));
}

void CBrowseListStandIn::UnselectAll()
{
    for (int row = GetNextItem(-1, LVNI_SELECTED); row != -1; row = GetNextItem(-1, LVNI_SELECTED))
        SetRowSelected(row, false);
}

void CBrowseListStandIn::InvertSelection()
{
    for (int row = 0; row < GetItemCount(); ++row)
        SetRowSelected(row, (GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) == 0);
}

bool CBrowseListStandIn::SelectItemByPath(const char* path)
{
    if (!path || !*path)
        return false;
    const char* slash = strrchr(path, '\\');
    const int row = FindRowByName(slash ? slash + 1 : path);
    if (row == -1 || GetRowPath(row).CompareNoCase(path) != 0)
        return false;
    UnselectAll();
    SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EnsureVisible(row, FALSE);
    return true;
}

CString CBrowseListStandIn::GetSelectedFilesSizeText() const
{
    unsigned long long total = 0;
    int files = 0;
    for (const CString& path : GetSelectedPaths()) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (!::GetFileAttributesExA(path, GetFileExInfoStandard, &data) ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            continue;
        total += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        ++files;
    }
    return files == 0 ? CString() : FormatSizeKB(total);
}

void CBrowseListStandIn::OnSelChanged(int row, LRESULT* pResult)
{
    *pResult = 0;
    const CString path = GetRowPath(row);
    if (m_preview && m_preview->GetSafeHwnd() && IsWindowVisible() && path.GetLength() > 3) {
        CDrawingFileInfo type;
        if (!IsRowFolder(row) && GetDrawingFileInfo(path, &type))
            m_preview->ShowFile(&type, path, "", -1);
        else
            m_preview->Reset();
    }
    if (m_mainWnd)
        ::PostMessageA(m_mainWnd, kMsgStatusRefresh, 0, 0);
}

BOOL CBrowseListStandIn::OnDblClick(NMHDR*)
{
    OpenSelectedItem();
    return TRUE;
}

LRESULT CBrowseListStandIn::OnOpenKey(WPARAM, LPARAM)
{
    if (!IsLabelEditing())
        OpenSelectedItem();
    return 0;
}

// The thumbnail work's report that the folder's cache library was written ends the progress.
LRESULT CBrowseListStandIn::OnQueueFinished(WPARAM wParam, LPARAM lParam)
{
    if (m_mainWnd)
        ::PostMessageA(m_mainWnd, TTaskManageThread::kMsgQueueFinished, wParam, lParam);
    return 0;
}

void CBrowseListStandIn::OpenSelectedItem()
{
    OpenRow(GetCurrentRow());
}

void CBrowseListStandIn::ViewSelectedFile()
{
    const int row = GetCurrentRow();
    if (!IsRowFolder(row))
        OpenRow(row);
}

void CBrowseListStandIn::OpenRow(int row)
{
    if (row == -1)
        return;
    const CString path = GetRowPath(row);
    if (IsRowFolder(row)) {
        SetFolderPath(path);
        return;
    }
    CDrawingFileInfo type;
    if (!GetDrawingFileInfo(path, &type) || !g_appState.viewFrame)
        return;
    g_appState.SetViewPath(path);
    g_appState.EnterViewMode();
    if (g_appState.drawThread)
        g_appState.drawThread->OpenFile(type.typeId, path, 50, 50, false);
}
