#include "frames/browse/BrowseFrameParts.h"

#include "app/CAppState.h"
#include "app/CViewModeFrame.h"
#include "browser/preview/CPreView.h"
#include "browser/dialogs/CBrowseViewType.h"
#include "frames/acad/AutoCADInsert.h"
#include "render/workers/TTaskManageThread.h"

namespace BrowseFrameParts {

BOOL CreateCentreView(CFileListView& view, CWnd* frame)
{
    return view.CreateView(frame, AFX_IDW_PANE_FIRST);
}

namespace {

// The view frame takes over and opens the file at its own picture size.
bool OpenInViewFrame(const CString& path)
{
    if (!g_appState.viewFrame)
        return false;
    g_appState.EnterViewMode();
    g_appState.viewFrame->OpenViewFile(path);
    return true;
}

} // namespace

void Connect(CFileListView& view, CTreeBar& tree, CPreView& preview, CWnd* frame,
             std::function<bool(const CString& folder)> browse)
{
    CIEShellListCtrl& list = view.GetListCtrl();
    CShellTree& shellTree = tree.GetTree();
    list.SetTreeWnd(shellTree.GetSafeHwnd());
    shellTree.SetListWnd(list.GetSafeHwnd());
    shellTree.SetAppState(&g_appState);
    list.SetPreView(&preview);
    list.SetStatusWindow(frame->GetSafeHwnd());
    list.SetOpenForViewing(&OpenInViewFrame);
    list.SetThumbnailThread(g_appState.taskThread.get());
    view.SetBrowseToFolder(std::move(browse));
}

bool BrowseToFolder(CTreeBar& tree, const CString& folder)
{
    return tree.GetTree().GetSafeHwnd() != nullptr && tree.GetTree().SelectFolderByPath(folder);
}

void UpdatePathBox(CFileListView& view)
{
    view.UpdatePathBox();
}

CString GetPathBoxText(CFileListView& view)
{
    CString text;
    view.GetPathBoxText(text);
    text.Trim();
    return text;
}

void AddPathBoxFolder(CFileListView& view, CTreeBar& tree)
{
    // The list follows the tree a moment later: the box names the folder as the tree has it,
    // not as it was typed.
    CString folder;
    if (tree.GetTree().GetSelectedFolderPath(folder))
        view.GetPathBox().SetText(folder);
    view.GetPathBox().AddCurrentFolder();
}

void ReloadPathBox(CFileListView& view)
{
    view.ReloadPathBox();
}

int AskBrowserMode(CWnd* owner)
{
    return ChooseBrowserMode(owner);
}

bool InsertIntoAutoCAD(const CStringList& paths)
{
    return !paths.IsEmpty() && InsertFilesIntoAutoCAD(paths) == InsertOutcome::Inserted;
}

} // namespace BrowseFrameParts
