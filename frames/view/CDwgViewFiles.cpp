// The view's next and previous file: the browser's list moves its selection to the next (or
// previous) file of a known type in list order, and the view frame opens it.
#include "frames/view/CDwgView.h"

#include "browser/list/CIEShellListCtrl.h"
#include "frames/common/BrowserFileList.h"
#include "frames/view/CViewFrame.h"
#include "render/workers/TDwgDrawThread.h"
#include "res/resource.h"

namespace {

int StepOf(UINT id)
{
    return id == ID_VIEW_NEXT_FILE ? 1 : -1;
}

} // namespace

// A file opened on its own (the command line, File Open) has no list to walk.
bool CDwgView::CanWalkFiles(int step) const
{
    const TDwgDrawThread* thread = Thread();
    CIEShellListCtrl* list = BrowserFileList();
    return thread && !thread->IsBusy() && m_bFolderWalk && list && list->GetSafeHwnd() &&
           list->FindFileRow(step) >= 0;
}

void CDwgView::WalkFiles(int step)
{
    if (!CanWalkFiles(step))
        return;
    CIEShellListCtrl* list = BrowserFileList();
    const int row = list->FindFileRow(step);
    const bool selected = (step > 0 ? list->SelectNextFile() : list->SelectPreviousFile()) != nullptr;
    KillRedrawTimers();
    if (!selected)
        return;
    const CString path = list->GetItemPath(row);
    if (auto* frame = dynamic_cast<CViewFrame*>(GetParent()))
        frame->OpenViewFile(path);
}

void CDwgView::OnNextFile()
{
    WalkFiles(1);
}

void CDwgView::OnPreviousFile()
{
    WalkFiles(-1);
}

void CDwgView::OnUpdateFileWalk(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(CanWalkFiles(StepOf(pCmdUI->m_nID)));
}
