// The browse frame's command table: what each of its own commands does and its update rule.
#include "frames/browse/CBrowseFrame.h"

#include "app/CAppState.h"
#include "core/CAppOptions.h"
#include "browser/properties/FileProperties.h"
#include "frames/options/COption.h"
#include "render/workers/TDwgDrawThread.h"
#include "res/resource.h"

namespace {

// The list view's type bits of a window style: 0 icon, 1 report, 2 small icon, 3 list.
int ListStyleType(const CWnd& list)
{
    return static_cast<int>(::GetWindowLongA(list.GetSafeHwnd(), GWL_STYLE) & LVS_TYPEMASK);
}

struct ViewTypeCommand
{
    UINT id;
    int viewType;  // CIEShellListCtrl's view type
    int styleType; // the list view style it shows as
};

const ViewTypeCommand kViewTypeCommands[] = {
    {ID_VIEW_THUMBNAILS, CIEShellListCtrl::kThumbnails, LVS_ICON},
    {ID_VIEW_LARGE_ICONS, CIEShellListCtrl::kLargeIcons, LVS_ICON},
    {ID_VIEW_SMALL_ICONS, CIEShellListCtrl::kSmallIcons, LVS_SMALLICON},
    {ID_VIEW_LIST_ITEMS, CIEShellListCtrl::kList, LVS_LIST},
    {ID_VIEW_DETAILS_ITEMS, CIEShellListCtrl::kDetails, LVS_REPORT},
};

const ViewTypeCommand* FindViewTypeCommand(UINT id)
{
    for (const ViewTypeCommand& command : kViewTypeCommands) {
        if (command.id == id)
            return &command;
    }
    return nullptr;
}

} // namespace

bool CBrowseFrame::IsViewTypeCommand(UINT id)
{
    return FindViewTypeCommand(id) != nullptr;
}

void CBrowseFrame::OnToolsOptions()
{
    RunOptionsCommand();
}

void CBrowseFrame::OnSelectBrowserModeCommand()
{
    SelectBrowserMode(BrowseFrameParts::AskBrowserMode(this));
}

bool CBrowseFrame::IsFocusOnList() const
{
    const HWND focus = ::GetFocus();
    const HWND view = m_view.GetSafeHwnd();
    const HWND list = GetList()->GetSafeHwnd();
    return focus != nullptr && view != nullptr && (focus == view || focus == list || ::IsChild(list, focus));
}

bool CBrowseFrame::IsFocusOnTree() const
{
    const HWND focus = ::GetFocus();
    const HWND tree = m_treeBar.GetSafeHwnd();
    return focus != nullptr && tree != nullptr && (focus == tree || ::IsChild(tree, focus));
}

void CBrowseFrame::ToggleBar(CControlBar& bar)
{
    ShowControlBar(&bar, bar.IsWindowVisible() ? FALSE : TRUE, FALSE);
    RecalcLayout();
}

bool CBrowseFrame::RunCommand(UINT id)
{
    return RunListCommand(id) || RunClipboardCommand(id) || RunViewCommand(id);
}

// Cut, Copy and Paste act on the pane that has the focus now; elsewhere they do nothing.
bool CBrowseFrame::RunClipboardCommand(UINT id)
{
    if (id != ID_EDIT_CUT_ITEMS && id != ID_EDIT_COPY_ITEMS && id != ID_EDIT_PASTE_ITEMS)
        return false;
    CIEShellListCtrl& list = *GetList();
    if (IsFocusOnList()) {
        if (id == ID_EDIT_PASTE_ITEMS)
            list.PasteFromClipboard();
        else if (id == ID_EDIT_CUT_ITEMS)
            list.CutToClipboard();
        else
            list.CopyToClipboard();
    } else if (IsFocusOnTree()) {
        if (id == ID_EDIT_COPY_ITEMS)
            GetTree().CopyToClipboard();
        else if (id == ID_EDIT_PASTE_ITEMS)
            GetTree().PasteFromClipboard();
    }
    return true;
}

bool CBrowseFrame::GetClipboardCommandState(UINT id, bool& enabled)
{
    CIEShellListCtrl& list = *GetList();
    switch (id) {
    case ID_EDIT_CUT_ITEMS:
        enabled = IsFocusOnList() && list.CanCopyToClipboard();
        return true;
    case ID_EDIT_COPY_ITEMS:
        enabled = IsFocusOnList() ? list.CanCopyToClipboard() != FALSE : IsFocusOnTree() && GetTree().CanCopy();
        return true;
    case ID_EDIT_PASTE_ITEMS:
        enabled = IsFocusOnList() ? list.CanPaste() != FALSE : IsFocusOnTree() && GetTree().CanPaste();
        return true;
    default:
        return false;
    }
}

// The drawing shown in the preview has its information read already: its own pages show it.
void CBrowseFrame::ShowDrawingProperties()
{
    CIEShellListCtrl& list = *GetList();
    const CString path = list.GetCurrentPath();
    const TDwgDrawThread* thread = g_appState.drawThread.get();
    const DRAWINGINFO* info = thread && !thread->IsBusy() && thread->IsCurrentFile(path) ? thread->GetDrawingInfo() : nullptr;
    if (info != nullptr) {
        CAppState::ModalScope modal(g_appState);
        RunFilePropertiesSheet(path, info, this);
    } else {
        list.ShowShellProperties();
    }
}

// Also asked for by the preview after it turned a photo's stored orientation.
void CBrowseFrame::OnRebuildSelected()
{
    GetList()->QueueThumbnailTasks(true);
}

bool CBrowseFrame::RunListCommand(UINT id)
{
    CIEShellListCtrl& list = *GetList();
    switch (id) {
    case ID_FILE_OPEN_ITEM:
        list.OpenSelectedItem();
        return true;
    case ID_FILE_VIEW_ITEM:
        list.ViewSelectedFile();
        return true;
    case ID_FILE_EDIT_ITEM:
        list.EditCurrentItem();
        return true;
    case ID_FILE_INSERT_ACAD: {
        CStringList paths;
        if (list.GetSelectedPaths(paths))
            BrowseFrameParts::InsertIntoAutoCAD(paths);
        return true;
    }
    case ID_FILE_SAVE_THUMBNAILS:
        list.SaveThumbnailImages();
        return true;
    case ID_FILE_DRAWING_PROPERTIES:
        ShowDrawingProperties();
        return true;
    case ID_FILE_EXIF_INFO:
        list.ShowExifInfo();
        return true;
    case ID_FILE_NEW_FOLDER:
        list.CreateNewFolder();
        return true;
    case ID_EDIT_DELETE_ITEMS:
        list.DeleteSelectedItems(false);
        return true;
    case ID_EDIT_RENAME_ITEM:
        list.RenameCurrentItem();
        return true;
    case ID_EDIT_SELECT_ALL_ITEMS:
        list.SelectAll();
        return true;
    case ID_EDIT_SELECT_DRAWINGS:
        list.SelectAllDrawingFiles();
        return true;
    case ID_EDIT_UNSELECT_ALL:
        list.UnselectAll();
        return true;
    case ID_EDIT_INVERT_SELECTION:
        list.InvertSelection();
        return true;
    case ID_VIEW_SHOW_CURRENT:
        list.ShowCurrentItem();
        return true;
    case ID_VIEW_REFRESH:
        if (IsFocusOnTree())
            GetTree().RefreshSelectedFolder();
        else if (IsThumbnailThreadIdle())
            list.Refresh(TRUE, TRUE);
        return true;
    case ID_THUMB_REBUILD_ALL:
        list.SetFocus();
        list.QueueThumbnailTasks(false);
        return true;
    case ID_THUMB_REBUILD_SELECTED:
        OnRebuildSelected();
        return true;
    case ID_THUMB_REBUILD_NEXT:
        list.RequestRebuildNextThumbnail();
        return true;
    case ID_VIEW_UP_LEVEL:
        GetTree().GoUpOneLevel();
        return true;
    default:
        return false;
    }
}

bool CBrowseFrame::RunViewCommand(UINT id)
{
    if (const ViewTypeCommand* command = FindViewTypeCommand(id)) {
        GetList()->SetViewType(command->viewType);
        return true;
    }
    if (id >= ID_SORT_BY_NAME && id <= ID_SORT_BY_DATE) {
        // The settings record keeps the column too: the frame applies its sort at every start.
        GetList()->SetSortColumn(static_cast<int>(id - ID_SORT_BY_NAME));
        g_options.SetSortType(static_cast<int>(id - ID_SORT_BY_NAME));
        return true;
    }
    switch (id) {
    case ID_SORT_FORWARD:
    case ID_SORT_REVERSE:
        GetList()->SetSortAscending(id == ID_SORT_FORWARD);
        g_options.SortDir = id == ID_SORT_FORWARD;
        return true;
    case ID_VIEW_TOOLBAR:
        g_options.ShowToolBar = !g_options.ShowToolBar;
        ShowControlBar(&m_toolBar, g_options.ShowToolBar, FALSE);
        RecalcLayout();
        return true;
    case ID_VIEW_STATUS_BAR:
        g_options.ShowStatus = !g_options.ShowStatus;
        ShowControlBar(&m_statusBar, g_options.ShowStatus, FALSE);
        RecalcLayout();
        return true;
    case ID_VIEW_FOLDER_AREA:
        ToggleBar(m_treeBar);
        return true;
    case ID_VIEW_PREVIEW_AREA:
        ToggleBar(m_previewBar);
        return true;
    default:
        return false;
    }
}

bool CBrowseFrame::GetCommandState(UINT id, bool& enabled, int& check)
{
    enabled = false;
    check = 0;
    if (!GetList()->GetSafeHwnd())
        return false;
    return GetListCommandState(id, enabled, check) || GetClipboardCommandState(id, enabled) ||
           GetViewCommandState(id, enabled, check);
}

bool CBrowseFrame::GetListCommandState(UINT id, bool& enabled, int&)
{
    const CIEShellListCtrl& list = *GetList();
    switch (id) {
    case ID_FILE_OPEN_ITEM:
    case ID_VIEW_SHOW_CURRENT:
        enabled = list.HasCurrentItem();
        return true;
    case ID_FILE_EDIT_ITEM:
        enabled = list.IsCurrentItemFile();
        return true;
    case ID_FILE_VIEW_ITEM:
        enabled = list.IsViewableItemSelected();
        return true;
    case ID_FILE_INSERT_ACAD: {
        // One or more drawings: the insertion takes them all.
        const TDwgDrawThread* thread = g_appState.drawThread.get();
        const int drawings = list.CountSelectedDrawings();
        enabled = g_appState.mode.load() != CAppState::kModeNone && thread && !thread->IsBusy() && drawings > 0 &&
                  drawings == static_cast<int>(list.GetSelectedCount());
        return true;
    }
    case ID_FILE_SAVE_THUMBNAILS:
        enabled = list.CanSaveThumbnails();
        return true;
    case ID_FILE_EXIF_INFO:
        enabled = list.IsSingleJpegSelected();
        return true;
    case ID_FILE_NEW_FOLDER:
        enabled = list.CanCreateFolder();
        return true;
    case ID_FILE_DRAWING_PROPERTIES:
    case ID_EDIT_DELETE_ITEMS:
    case ID_EDIT_UNSELECT_ALL:
    case ID_EDIT_INVERT_SELECTION:
        enabled = list.HasSelection();
        return true;
    case ID_EDIT_RENAME_ITEM:
        enabled = list.HasSelection() && ::GetFocus() == list.GetSafeHwnd();
        return true;
    case ID_EDIT_SELECT_ALL_ITEMS:
    case ID_EDIT_SELECT_DRAWINGS:
        enabled = list.HasItems();
        return true;
    case ID_VIEW_REFRESH:
        enabled = IsFocusOnTree() || IsThumbnailThreadIdle();
        return true;
    case ID_THUMB_REBUILD_ALL:
        enabled = list.CanRebuildThumbnails(false);
        return true;
    case ID_THUMB_REBUILD_SELECTED:
        enabled = list.CanRebuildThumbnails(true);
        return true;
    case ID_THUMB_REBUILD_NEXT:
        enabled = list.IsThumbnailJobRunning();
        return true;
    case ID_VIEW_UP_LEVEL:
        enabled = m_treeBar.GetSafeHwnd() && const_cast<CTreeBar&>(m_treeBar).GetTree().HasParentFolder();
        return true;
    default:
        return false;
    }
}

bool CBrowseFrame::GetViewCommandState(UINT id, bool& enabled, int& check)
{
    const CIEShellListCtrl& list = *GetList();
    if (const ViewTypeCommand* command = FindViewTypeCommand(id)) {
        const int style = ListStyleType(list);
        // Thumbnails can always be chosen; the other views not while thumbnails are drawn.
        enabled = id == ID_VIEW_THUMBNAILS || !IsThumbnailThreadWorking();
        check = style == command->styleType &&
                (command->styleType != LVS_ICON || list.GetViewType() == command->viewType);
        return true;
    }
    if (id >= ID_SORT_BY_NAME && id <= ID_SORT_REVERSE) {
        enabled = IsThumbnailThreadIdle();
        if (id <= ID_SORT_BY_DATE)
            check = list.GetSortColumn() == static_cast<int>(id - ID_SORT_BY_NAME);
        else
            check = (list.GetSortAscending() != FALSE) == (id == ID_SORT_FORWARD);
        return true;
    }
    switch (id) {
    case ID_VIEW_TOOLBAR:
        enabled = true;
        check = g_options.ShowToolBar;
        return true;
    case ID_VIEW_STATUS_BAR:
        enabled = true;
        check = g_options.ShowStatus;
        return true;
    case ID_VIEW_FOLDER_AREA:
        enabled = true;
        check = m_treeBar.IsWindowVisible();
        return true;
    case ID_VIEW_PREVIEW_AREA:
        enabled = true;
        check = m_previewBar.IsWindowVisible();
        return true;
    case ID_BROWSE_SELECT_MODE:
    case ID_HELP_ACCELERATOR_KEYS:
        enabled = true;
        return true;
    default:
        return false;
    }
}
