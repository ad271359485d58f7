// The file commands of the shell file list: opening, viewing, stepping between drawings,
// deleting, renaming, selecting, the shell's properties, the clipboard and the drops of the
// list's own rows.
#include "browser/list/CIEShellListCtrl.h"

#include "app/CAppState.h"
#include "core/CAppOptions.h"
#include "core/CDrawingFileType.h"
#include "browser/dialogs/BrowserDialogCalls.h"
#include "browser/list/BrowserMessages.h"
#include "browser/preview/CPreView.h"
#include "browser/shell/CSplitPath.h"
#include "browser/shell/ShellFileOps.h"
#include "browser/shell/ShellItemLaunch.h"
#include "framework/AfxWin.h"
#include "framework/CMenu.h"
#include "framework/Prompt.h"
#include "res/resource.h"
#include "ui/FileClipboard.h"

#include <algorithm>

namespace {

// The list's context menu: its first submenu holds the browse frame's file commands.
constexpr UINT kContextMenuId = IDR_LISTMENU;
constexpr UINT kStringNoDrawingFile = 61285;

bool KnownType(const CShellListItem* item)
{
    return item != nullptr && item->fileType >= 0;
}

} // namespace

CString CIEShellListCtrl::GetItemPath(int nIndex)
{
    return GetRowPath(nIndex < 0 ? GetCurrentRow() : nIndex);
}

bool CIEShellListCtrl::ShellShowsExtensions() const
{
    return m_shellSettings.ShowExtensions();
}

void CIEShellListCtrl::OpenItem(int row)
{
    if (row < 0 || row >= GetItemCount())
        return;
    CShellListItem* item = GetItemRecord(row);
    m_currentItemPath = GetRowPath(row);
    if (item != nullptr && item->IsFolder()) {
        // The tree selects the folder and binds the list to it; without a tree the list goes itself.
        if (m_treeWnd != nullptr && ::IsWindow(m_treeWnd))
            ::SendMessageA(m_treeWnd, WM_BROWSER_SELECT_TREE_FOLDER, 0, reinterpret_cast<LPARAM>(item));
        else
            SetFolderPath(m_currentItemPath);
        return;
    }
    if (g_options.DBClickOpenByOrvoKestal && ViewSelectedFile())
        return;
    ShellItemLaunch(m_hWnd, item != nullptr ? item->Absolute() : nullptr, m_currentItemPath, nullptr);
}

void CIEShellListCtrl::OpenSelectedItem()
{
    if (IsLabelEditing()) {
        SetFocus();
        return;
    }
    OpenItem(GetCurrentRow());
}

BOOL CIEShellListCtrl::ViewSelectedFile()
{
    const int row = GetCurrentRow();
    if (!KnownType(GetItemRecord(row)))
        return FALSE;
    m_currentItemPath = GetRowPath(row);
    g_appState.SetViewPath(m_currentItemPath);
    if (m_openForViewing)
        return m_openForViewing(m_currentItemPath) ? TRUE : FALSE;
    g_appState.EnterViewMode();
    return TRUE;
}

void CIEShellListCtrl::SelectOnly(int row)
{
    const int old = GetCurrentRow();
    if (old >= 0)
        SetItemState(old, 0, LVIS_SELECTED | LVIS_FOCUSED);
    SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EnsureVisible(row, FALSE);
}

int CIEShellListCtrl::FindFileRow(int step) const
{
    const int count = GetItemCount();
    for (int row = GetCurrentRow() + step; step != 0 && row >= 0 && row < count; row += step) {
        if (KnownType(GetItemRecord(row)))
            return row;
    }
    return -1;
}

CShellListItem* CIEShellListCtrl::StepToFile(int step)
{
    const int row = FindFileRow(step);
    if (row < 0)
        return nullptr;
    SelectOnly(row);
    m_currentItemPath = GetRowPath(row);
    g_appState.SetViewPath(m_currentItemPath);
    return GetItemRecord(row);
}

CShellListItem* CIEShellListCtrl::SelectPreviousFile()
{
    return StepToFile(-1);
}

CShellListItem* CIEShellListCtrl::SelectNextFile()
{
    return StepToFile(1);
}

BOOL CIEShellListCtrl::GetSelectedPaths(CStringList& paths) const
{
    paths.RemoveAll();
    for (int row = GetNextItem(-1, LVNI_SELECTED); row != -1; row = GetNextItem(row, LVNI_SELECTED)) {
        const CString path = GetRowPath(row);
        if (!path.IsEmpty())
            paths.AddTail(path);
    }
    return !paths.IsEmpty();
}

BOOL CIEShellListCtrl::DeleteSelectedItems(bool permanent)
{
    // A thumbnail job may refer to a file being deleted.
    if (IsThreadWorking())
        return FALSE;
    CStringList paths;
    if (!GetSelectedPaths(paths))
        return FALSE;
    CString what;
    if (paths.GetCount() == 1)
        what = "'" + ShellFileOps::FileNameOf(paths.GetHead()) + "'";
    else
        what.Format("these %d items", static_cast<int>(paths.GetCount()));
    CString question;
    question.Format(permanent ? "Are you sure you want to delete %s for good?"
                              : "Are you sure you want to send %s to the Recycle Bin?",
                    what.GetString());
    if (AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return FALSE;
    CStringList busy;
    if (!ShellFileOps::FindUndeletable(paths, busy)) {
        AfxMessageBox("Nothing was deleted. These files are in use or gone:\n\n" + ShellFileOps::JoinForMessage(busy),
                      MB_OK | MB_ICONWARNING);
        return FALSE;
    }
    m_refreshAllowed = 1;
    ShellFileOps::Delete(m_hWnd, paths, !permanent);
    CStringList left;
    for (POSITION pos = paths.GetHeadPosition(); pos != nullptr;) {
        const CString& path = paths.GetNext(pos);
        if (ShellFileOps::PathExists(path))
            left.AddTail(path);
    }
    ForgetDeletedRows();
    if (!left.IsEmpty()) {
        AfxMessageBox("These files could not be deleted:\n\n" + ShellFileOps::JoinForMessage(left), MB_OK | MB_ICONWARNING);
        return FALSE;
    }
    return TRUE;
}

// The rows of deleted files go at once, not when the folder watch catches up: the preview and
// the status bar must not go on showing a file that is gone, nor mix it with the next one.
void CIEShellListCtrl::ForgetDeletedRows()
{
    bool removed = false;
    for (int row = GetItemCount() - 1; row >= 0; --row) {
        const CString path = GetRowPath(row);
        if (!path.IsEmpty() && !ShellFileOps::PathExists(path)) {
            DeleteRow(row);
            removed = true;
        }
    }
    if (!removed)
        return;
    RecountRows();
    // No row is current: the name pane and the preview show nothing until the user picks one.
    SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    m_currentItemPath.Empty();
    if (m_preview != nullptr && m_preview->GetSafeHwnd() != nullptr)
        m_preview->Reset();
    if (CWnd* report = ReportWindow())
        report->PostMessage(WM_BROWSER_STATUS_REFRESH, 0, 0);
}

BOOL CIEShellListCtrl::RenameCurrentItem()
{
    const int row = GetCurrentRow();
    if (row < 0)
        return FALSE;
    SetFocus();
    return EditLabel(row) != nullptr;
}

BOOL CIEShellListCtrl::RenameRow(int row, const CString& text)
{
    const CShellListItem* item = GetItemRecord(row);
    const CString oldPath = GetRowPath(row);
    if (item == nullptr || oldPath.IsEmpty())
        return FALSE;
    if (!ShellFileOps::IsValidNewName(text)) {
        AfxMessageBox("A file name can't contain any of the following characters:\n\\ / : * ? \" < > |\n\n"
                      "nor be \".\", \"..\" or a device name, nor end with a dot or a space.",
                      MB_OK | MB_ICONWARNING);
        return FALSE;
    }
    const CSplitPath old(oldPath);
    CString newPath;
    if (item->IsFolder() || !IsExtensionHidden(row, old)) {
        newPath = old.GetDrive() + old.GetDirectory() + text;
    } else {
        // The label hid the extension: the typed text is the name, the extension stays.
        newPath = CSplitPath::Make(old.GetDrive(), old.GetDirectory(), text, old.GetExtension());
    }
    if (newPath.CompareNoCase(oldPath) == 0 && newPath == oldPath)
        return FALSE;
    // Only a change of letter case may keep the name of an existing file: its own.
    if (newPath.CompareNoCase(oldPath) != 0 && ShellFileOps::PathExists(newPath)) {
        AfxMessageBox("Cannot rename " + ShellFileOps::FileNameOf(oldPath) + ": a file named " +
                          ShellFileOps::FileNameOf(newPath) + " exists already.",
                      MB_OK | MB_ICONWARNING);
        return FALSE;
    }
    if (!ShellFileOps::Rename(m_hWnd, oldPath, newPath)) {
        AfxMessageBox("Cannot rename " + ShellFileOps::FileNameOf(oldPath) + ".", MB_OK | MB_ICONWARNING);
        return FALSE;
    }
    m_refreshAllowed = 1;
    SetCellText(row, kNameColumn, ShellFileOps::FileNameOf(newPath));
    if (CShellListItem* item = GetItemRecord(row))
        item->nameExtent = -1;
    m_widestName = -1;
    m_currentItemPath = newPath;
    ShowInPreview(newPath);
    // The row's item-id list still names the old file: merge the folder once the edit has ended.
    PostMessage(WM_SHELLLIST_RENAMED, 0, 0);
    return TRUE;
}

LRESULT CIEShellListCtrl::OnRenamed(WPARAM, LPARAM)
{
    const CString path = m_currentItemPath;
    Refresh(TRUE, FALSE);
    SelectItemByPath(path);
    return 0;
}

// The editor starts on the row's label: what the user typed replaces that label, so the extension
// is added back only when the label did not show it. The shell's switch decides only for a label
// that is neither the name with nor the name without its extension.
bool CIEShellListCtrl::IsExtensionHidden(int row, const CSplitPath& old) const
{
    if (old.GetExtension().IsEmpty())
        return false;
    const CString label = GetCellText(row, kNameColumn);
    if (label.CompareNoCase(old.GetName() + old.GetExtension()) == 0)
        return false;
    if (label.CompareNoCase(old.GetName()) == 0)
        return true;
    return !ShellShowsExtensions();
}

BOOL CIEShellListCtrl::OnEndLabelEdit(NMLVDISPINFOA* pDispInfo, LRESULT* pResult)
{
    *pResult = FALSE; // the label is set here when the file was renamed
    if (pDispInfo->item.iItem < 0 || pDispInfo->item.pszText == nullptr || pDispInfo->item.iSubItem != kNameColumn)
        return CUIODListCtrl::OnEndLabelEdit(pDispInfo, pResult);
    RenameRow(pDispInfo->item.iItem, pDispInfo->item.pszText);
    return TRUE;
}

void CIEShellListCtrl::ShowInPreview(const CString& path)
{
    if (m_preview == nullptr || m_preview->GetSafeHwnd() == nullptr)
        return;
    CDrawingFileInfo type;
    if (path.GetLength() > 3 && GetDrawingFileInfo(path, &type))
        m_preview->ShowFile(&type, path, "", -1);
    else
        m_preview->Reset();
}

BOOL CIEShellListCtrl::CreateNewFolder()
{
    if (m_folderPath.GetLength() < 3)
        return FALSE;
    return RunNewFolderDialog(this, m_folderPath, "New folder") ? TRUE : FALSE;
}

BOOL CIEShellListCtrl::ShowShellProperties()
{
    const int row = GetCurrentRow();
    const CShellListItem* item = GetItemRecord(row);
    if (item == nullptr)
        return FALSE;
    return ShellItemLaunch(m_hWnd, item->Absolute(), GetRowPath(row), "properties") ? TRUE : FALSE;
}

void CIEShellListCtrl::SelectAll()
{
    SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    SetFocus();
}

void CIEShellListCtrl::UnselectAll()
{
    SetItemState(-1, 0, LVIS_SELECTED);
}

void CIEShellListCtrl::InvertSelection()
{
    const int count = GetItemCount();
    for (int row = 0; row < count; ++row)
        SetItemState(row, GetItemState(row, LVIS_SELECTED) ^ LVIS_SELECTED, LVIS_SELECTED);
}

BOOL CIEShellListCtrl::SelectAllDrawingFiles()
{
    const int count = GetItemCount();
    bool any = false;
    for (int row = 0; row < count; ++row) {
        const bool known = KnownType(GetItemRecord(row));
        SetItemState(row, known ? LVIS_SELECTED : 0, LVIS_SELECTED);
        any = any || known;
    }
    SetFocus();
    if (!any)
        AfxMessageBox(kStringNoDrawingFile);
    return any ? TRUE : FALSE;
}

void CIEShellListCtrl::ShowCurrentItem()
{
    const int row = GetCurrentRow();
    if (row < 0)
        return;
    SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    EnsureVisible(row, FALSE);
}

BOOL CIEShellListCtrl::SelectItemByPath(const CString& path)
{
    const int row = FindRowByPath(path);
    if (row < 0)
        return FALSE;
    m_currentItemPath = path;
    UnselectAll();
    SelectOnly(row);
    return TRUE;
}

// A name of this folder in plain ASCII is found by its merge key (the path's compare folds
// those letters alike), without asking the shell for every row's name: after a merge the list
// looks for the item that was current, most often in vain when that file went. Any other path
// is compared with each row's.
int CIEShellListCtrl::FindRowByPath(const CString& path)
{
    const int slash = path.ReverseFind('\\');
    CString folder = m_folderPath;
    if (!folder.IsEmpty() && folder[folder.GetLength() - 1] != '\\')
        folder += '\\';
    const CString name = path.Mid(slash + 1);
    const bool plain = std::all_of(name.GetString(), name.GetString() + name.GetLength(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!folder.IsEmpty() && slash >= 0 && plain && path.Left(slash + 1).CompareNoCase(folder) == 0) {
        if (!m_recordsIndexed)
            IndexRecords();
        const auto record = m_recordsByKey.find(LowerCaseKey(name));
        if (record == m_recordsByKey.end())
            return -1;
        const int row = FindRowOf(record->second);
        if (row >= 0)
            return row;
    }
    const int count = GetItemCount();
    for (int row = 0; row < count; ++row) {
        if (GetRowPath(row).CompareNoCase(path) == 0)
            return row;
    }
    return -1;
}

BOOL CIEShellListCtrl::GetSelectedFilesSizeText(CString& text) const
{
    text.Empty();
    unsigned long long total = 0;
    bool counted = false;
    for (int row = GetNextItem(-1, LVNI_SELECTED); row != -1; row = GetNextItem(row, LVNI_SELECTED)) {
        const CShellListItem* item = GetItemRecord(row);
        if (item == nullptr || item->IsFolder())
            continue;
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (!GetFileAttributesExA(GetRowPath(row), GetFileExInfoStandard, &data))
            continue;
        total += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        counted = true;
    }
    if (counted)
        text = FormatSizeKB(total);
    return counted ? TRUE : FALSE;
}

BOOL CIEShellListCtrl::ShowExifInfo()
{
    if (GetSelectedCount() != 1)
        return FALSE;
    const int row = GetNextItem(-1, LVNI_SELECTED);
    const CShellListItem* item = GetItemRecord(row);
    if (item == nullptr || item->fileType != 5)
        return FALSE;
    const CString path = GetRowPath(row);
    const ExifDialogResult result = RunExifDialog(this, path);
    if (result == ExifDialogResult::kNoExif) {
        CString text;
        text.Format("file: %s\n\nnot found exif information !", path.GetString());
        AfxMessageBox(text);
    }
    return result == ExifDialogResult::kShown ? TRUE : FALSE;
}

void CIEShellListCtrl::ShowContextMenuAt(int x, int y)
{
    CMenu menu;
    if (!menu.LoadMenu(kContextMenuId))
        return;
    CMenu* popup = menu.GetSubMenu(0);
    CWnd* owner = AfxGetMainWnd();
    if (popup != nullptr)
        popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, owner != nullptr ? owner : this);
}

void CIEShellListCtrl::OnContextMenuAt(int, UINT, int x, int y)
{
    ShowContextMenuAt(x, y);
}

BOOL CIEShellListCtrl::OnDblClick(NMHDR* pNMHDR)
{
    OpenItem(reinterpret_cast<NMITEMACTIVATE*>(pNMHDR)->iItem);
    return TRUE;
}

void CIEShellListCtrl::OnSelChanged(int nRow, LRESULT* pResult)
{
    *pResult = 0;
    m_currentItemPath = GetRowPath(nRow);
    if (IsWindowVisible())
        ShowInPreview(m_currentItemPath);
    if (CWnd* report = ReportWindow())
        report->PostMessage(WM_BROWSER_STATUS_REFRESH, 0, 0);
}

LRESULT CIEShellListCtrl::OnDeleteKey(WPARAM, LPARAM)
{
    // Shift+Delete is Cut (the frame's accelerator): the key never deletes for good.
    DeleteSelectedItems(false);
    return 0;
}

LRESULT CIEShellListCtrl::OnPropertiesKey(WPARAM, LPARAM)
{
    ShowShellProperties();
    return 0;
}

LRESULT CIEShellListCtrl::OnOpenKey(WPARAM, LPARAM)
{
    OpenSelectedItem();
    return 0;
}

LRESULT CIEShellListCtrl::OnEditKey(WPARAM, LPARAM)
{
    RenameCurrentItem();
    return 0;
}

BOOL CIEShellListCtrl::CanCopyToClipboard() const
{
    return GetSelectedCount() > 0 ? TRUE : FALSE;
}

BOOL CIEShellListCtrl::PutSelectionOnClipboard(bool cut)
{
    CStringList paths;
    if (!GetSelectedPaths(paths))
        return FALSE;
    return FileClipboard::Put(m_hWnd, paths, cut ? FileClipboard::Marker::Cut : FileClipboard::Marker::Copy) ? TRUE
                                                                                                               : FALSE;
}

BOOL CIEShellListCtrl::CutToClipboard()
{
    if (!PutSelectionOnClipboard(true))
        return FALSE;
    // The files on the clipboard are dimmed until a paste moves them or the clipboard changes.
    MarkCutRows(true);
    m_cutClipboard = GetClipboardSequenceNumber();
    return TRUE;
}

void CIEShellListCtrl::MarkCutRows(bool selectedOnes)
{
    const int count = GetItemCount();
    for (int row = 0; row < count; ++row) {
        CShellListItem* item = GetItemRecord(row);
        if (!item)
            continue;
        const bool cut = selectedOnes && (GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
        if (cut == item->cut)
            continue;
        item->cut = cut;
        ApplyRowState(row, *item);
        RedrawItems(row, row);
    }
}

void CIEShellListCtrl::ApplyRowState(int row, const CShellListItem& item)
{
    const UINT state = ShellItemFilter::RowState(item.attributes) | (item.cut ? LVIS_CUT : 0);
    SetItemState(row, state, ShellItemFilter::kRowStateMask);
}

LRESULT CIEShellListCtrl::OnClipboardUpdate(WPARAM, LPARAM)
{
    if (m_cutClipboard != 0 && GetClipboardSequenceNumber() != m_cutClipboard) {
        m_cutClipboard = 0;
        MarkCutRows(false);
    }
    return 0;
}

BOOL CIEShellListCtrl::CopyToClipboard()
{
    return PutSelectionOnClipboard(false);
}

BOOL CIEShellListCtrl::CanPaste()
{
    return FileClipboard::HasFiles(m_hWnd) && IsWritableFolder(m_folderPath) ? TRUE : FALSE;
}

BOOL CIEShellListCtrl::PasteFromClipboard()
{
    FileClipboard::Content content;
    if (!IsWritableFolder(m_folderPath) || !FileClipboard::Read(m_hWnd, content))
        return FALSE;
    if (!MoveOrCopyIntoRow(content.files, -1, content.cut))
        return FALSE;
    FileClipboard::ForgetMovedFiles(m_hWnd, content);
    return TRUE;
}

bool CIEShellListCtrl::IsWritableFolder(const CString& path) const
{
    if (path.GetLength() < 3)
        return false;
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

// Drops. Files from elsewhere are copied (the base); the list's own rows dropped on it are moved
// with the left button and moved or copied as the user picks with the right one. Either way the
// one operation is done here, at the drop: nothing runs again when the drag loop returns.

BOOL CIEShellListCtrl::CanDrop(CWnd* pWnd, int x, int y)
{
    CString target;
    if (pWnd == nullptr) {
        target = m_folderPath;
    } else {
        LVHITTESTINFO hit = {};
        hit.pt = {x, y};
        target = GetRowPath(HitTest(&hit));
    }
    const BOOL allowed = IsWritableFolder(target) ? TRUE : FALSE;
    ::SetCursor(::LoadCursor(nullptr, allowed ? IDC_ARROW : IDC_NO));
    return allowed;
}

BOOL CIEShellListCtrl::MoveOrCopyIntoRow(const CStringList& paths, int row, bool move)
{
    const CString folder = row < 0 ? m_folderPath : GetRowPath(row);
    const BOOL done = ShellFileOps::MoveOrCopyInto(m_hWnd, move, paths, folder) ? TRUE : FALSE;
    if (done)
        m_refreshAllowed = 1;
    return done;
}

BOOL CIEShellListCtrl::DropFiles(const CStringList& files, DROPEFFECT effect)
{
    if (!IsDragging())
        return CUIODListCtrl::DropFiles(files, effect);
    m_droppedPaths.RemoveAll();
    for (POSITION pos = files.GetHeadPosition(); pos != nullptr;)
        m_droppedPaths.AddTail(files.GetNext(pos));
    if (m_rightDrag)
        OnDropRightButton();
    else
        OnDropLeftButton();
    m_droppedPaths.RemoveAll();
    ClearDropHighlight();
    return TRUE;
}

void CIEShellListCtrl::OnDropLeftButton()
{
    // Every dragged row goes, not only the one the drag started on.
    MoveOrCopyIntoRow(m_droppedPaths, GetDropTargetRow(), true);
}

void CIEShellListCtrl::OnDropRightButton()
{
    CMenu menu;
    if (!menu.CreatePopupMenu())
        return;
    menu.AppendMenu(MF_STRING, kDropMenuMove, "&Move Here");
    menu.AppendMenu(MF_STRING, kDropMenuCopy, "&Copy Here");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, IDCANCEL, "Cancel");
    menu.SetDefaultItem(kDropMenuMove);
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    const UINT command = menu.TrackPopupMenu(TPM_RIGHTBUTTON | TPM_RETURNCMD, cursor.x, cursor.y, this);
    if (command == kDropMenuMove || command == kDropMenuCopy)
        MoveOrCopyIntoRow(m_droppedPaths, GetDropTargetRow(), command == kDropMenuMove);
}

void CIEShellListCtrl::BeginRightDrag(int row)
{
    m_rightDrag = true;
    BeginDrag(row);
    m_rightDrag = false;
}

void CIEShellListCtrl::OnBeginRightDrag(NMHDR* pNMHDR, LRESULT* pResult)
{
    BeginRightDrag(reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iItem);
    *pResult = 0;
}
