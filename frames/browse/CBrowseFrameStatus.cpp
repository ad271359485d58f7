// The browse frame's private messages: the status bar with its progress pane, the path box's
// reports and the settings-changed messages of the Options sheet.
#include "frames/browse/CBrowseFrame.h"

#include "app/CAppState.h"
#include "core/CAppOptions.h"
#include "browser/shell/CFileName.h"
#include "core/ResourceText.h"
#include "res/resource.h"
#include "ui/CSeeProgress.h"

#include <algorithm>

namespace {

constexpr UINT kTextPanes[] = {CBrowseFrame::kPaneSummary, CBrowseFrame::kPaneName, CBrowseFrame::kPaneSelection};
constexpr int kProgressPaneBlanks = 46;
constexpr int kTemporaryBlanks = 9;

CString FileNameOf(const CString& path)
{
    return path.IsEmpty() ? CString() : CFileName(path).GetFileNameExt();
}

} // namespace

bool CBrowseFrame::StatusBarShown() const
{
    return m_statusBar.GetSafeHwnd() && m_statusBar.IsWindowVisible();
}

int CBrowseFrame::CountTextPanes() const
{
    return static_cast<int>(std::count_if(std::begin(kTextPanes), std::end(kTextPanes), [this](UINT id) {
        return m_statusBar.CommandToIndex(id) != -1;
    }));
}

int CBrowseFrame::SetPaneText(UINT paneId, const char* text)
{
    if (!StatusBarShown())
        return 0;
    int index = m_statusBar.CommandToIndex(paneId);
    if (text == nullptr) {
        if (index == -1)
            return -1;
        m_statusBar.RemoveIndicator(paneId);
        return 0;
    }
    if (index == -1) {
        // Text panes keep their order from the left: summary, name, selection.
        int place = 0;
        for (const UINT id : kTextPanes) {
            if (id == paneId)
                break;
            place += m_statusBar.CommandToIndex(id) != -1 ? 1 : 0;
        }
        if (!m_statusBar.AddIndicator(place, paneId))
            return -1;
        index = m_statusBar.CommandToIndex(paneId);
    }
    m_statusBar.SetPaneText(index, text, TRUE);
    return index;
}

void CBrowseFrame::LayoutStatusPanes()
{
    if (!StatusBarShown())
        return;
    CClientDC dc(&m_statusBar);
    CFont* old = dc.SelectObject(m_statusBar.GetFont());
    for (int index = 0; index + 1 < m_statusBar.GetCount(); ++index) {
        const CString text = m_statusBar.GetPaneText(index);
        SIZE extent = {};
        ::GetTextExtentPoint32A(dc.GetSafeHdc(), text, text.GetLength(), &extent);
        m_statusBar.SetPaneWidth(index, extent.cx);
    }
    if (old)
        dc.SelectObject(old);
    m_statusBar.PositionControls();
}

void CBrowseFrame::SetStatusProgress(int lower, int upper, int pos)
{
    if (pos < 0) {
        if (m_statusBar.GetSafeHwnd() && m_statusBar.CommandToIndex(kPaneProgress) != -1) {
            m_statusBar.RemoveIndicator(kPaneProgress);
            LayoutStatusPanes();
        }
        m_progress = nullptr;
        return;
    }
    if (!StatusBarShown())
        return;
    const bool inserted = m_statusBar.CommandToIndex(kPaneProgress) == -1;
    if (inserted) {
        m_statusBar.AddIndicator(CountTextPanes(), kPaneProgress);
        const int index = m_statusBar.CommandToIndex(kPaneProgress);
        if (index == -1)
            return;
        m_statusBar.SetPaneText(index, CString(' ', kProgressPaneBlanks), TRUE);
        m_progress = nullptr;
    }
    if (!m_progress) {
        auto control = std::make_unique<CSeeProgress>();
        if (!control->Create("", WS_CHILD | WS_VISIBLE | WS_TABSTOP | SS_NOTIFY | SS_CENTERIMAGE, CRect(0, 0, 0, 0),
                             &m_statusBar, kProgressControlId))
            return;
        control->SetRange(lower, upper);
        if (!m_statusBar.AddControl(control.get(), kPaneProgress, TRUE))
            return;
        m_progress = control.release(); // the status bar owns it with the pane
    }
    m_progress->SetRange(lower, upper);
    m_progress->SetPos(pos);
    if (inserted)
        LayoutStatusPanes();
}

CString CBrowseFrame::SummaryText() const
{
    CString text;
    const CIEShellListCtrl& list = *GetList();
    text.Format(LoadResStringOr(IDS_BROWSE_SUMMARY, "%d objects %d drawing files"), list.GetItemCount(),
                list.GetDrawingFileCount());
    if (!list.GetFolderSizeText().IsEmpty())
        text += LoadResStringOr(IDS_BROWSE_SIZE_PART, " / display files size: ") + list.GetFolderSizeText();
    return text;
}

void CBrowseFrame::RefreshStatus(int position, int upper)
{
    ++m_statusRefreshes;
    UpdateTitle();
    // A reset still refreshes the texts: it is often the last of a burst whose plain refreshes
    // were folded into it (a merge by the watch resets the thumbnail work, then changes rows).
    const bool reset = position == kProgressReset;
    if (reset)
        SetStatusProgress(0, 0, -1);
    if (StatusBarShown()) {
        CString selection;
        GetList()->GetSelectedFilesSizeText(selection);
        const CString texts[] = {SummaryText(), FileNameOf(GetList()->GetCurrentPath()), selection};
        for (size_t i = 0; i < std::size(kTextPanes); ++i)
            SetPaneText(kTextPanes[i], texts[i].IsEmpty() ? nullptr : static_cast<const char*>(texts[i]));
        LayoutStatusPanes();
        const int info = m_statusBar.CommandToIndex(0);
        if (info != -1)
            m_statusBar.SetPaneText(info, GetPreview().GetInfoText() + " ", TRUE);
    }
    if (!reset && position != upper)
        SetStatusProgress(0, upper, position);
}

LRESULT CBrowseFrame::OnUpdateStatus(WPARAM wParam, LPARAM lParam)
{
    // A burst of refreshes comes to one, with the last one's values. A plain refresh (0 of 0:
    // the preview's information changed) carries no progress, so it does not replace one: the
    // first report of a thumbnail run, met by the preview's refresh, was lost until the next.
    MSG msg;
    int rounds = 0;
    while (rounds++ < 10000 && ::PeekMessageA(&msg, GetSafeHwnd(), kMsgStatusRefresh, kMsgStatusRefresh, PM_REMOVE)) {
        if (msg.wParam == 0 && msg.lParam == 0)
            continue;
        wParam = msg.wParam;
        lParam = msg.lParam;
    }
    RefreshStatus(static_cast<int>(wParam), static_cast<int>(lParam));
    return 0;
}

LRESULT CBrowseFrame::OnDrawProgress(WPARAM wParam, LPARAM lParam)
{
    return GetPreview().OnDrawProgress(wParam, lParam);
}

// The last pane shows the preview's information: when a menu closes it comes back there instead
// of the framework's idle prompt.
LRESULT CBrowseFrame::OnMessageString(WPARAM wParam, LPARAM lParam)
{
    if (wParam == AFX_IDS_IDLEMESSAGE && lParam == 0) {
        const CString info = GetPreview().GetInfoText() + " ";
        return CFrameWnd::OnSetMessageString(wParam, reinterpret_cast<LPARAM>(static_cast<const char*>(info)));
    }
    return CFrameWnd::OnSetMessageString(wParam, lParam);
}

LRESULT CBrowseFrame::OnSetStatusText(WPARAM wParam, LPARAM lParam)
{
    if (wParam == 1 || lParam != 0) {
        const CString text = wParam == 1 ? CString(' ', kTemporaryBlanks) : CString(reinterpret_cast<const char*>(lParam));
        SetPaneText(kPaneSummary, text);
        if (!m_temporaryText)
            LayoutStatusPanes();
        m_temporaryText = true;
        return 0;
    }
    RefreshStatus(0, 0);
    m_temporaryText = false;
    return 0;
}

LRESULT CBrowseFrame::OnFolderShown(WPARAM, LPARAM)
{
    BrowseFrameParts::UpdatePathBox(m_view);
    return 0;
}

LRESULT CBrowseFrame::OnPathBoxBrowse(WPARAM, LPARAM)
{
    const CString typed = BrowseFrameParts::GetPathBoxText(m_view);
    if (BrowseToFolder(typed)) {
        BrowseFrameParts::AddPathBoxFolder(m_view, m_treeBar);
        return 0;
    }
    // The box goes back to the folder shown, and the user learns why. (A path the shell knows
    // but the tree cannot select, the tree names itself.)
    BrowseFrameParts::UpdatePathBox(m_view);
    if (typed.IsEmpty() || GetFileAttributesA(typed) == INVALID_FILE_ATTRIBUTES) {
        CString text;
        text.Format("The directory doesn't exist:\n-----------------------\n\n    %s ", typed.GetString());
        AfxMessageBox(text, MB_OK | MB_ICONERROR);
    }
    return 0;
}

LRESULT CBrowseFrame::OnProgressEnd(WPARAM, LPARAM)
{
    SetStatusProgress(0, 0, -1);
    return 0;
}

LRESULT CBrowseFrame::OnPathBoxReload(WPARAM, LPARAM)
{
    BrowseFrameParts::ReloadPathBox(m_view);
    return 0;
}

// While the view frame is the main window the browse frame is told too (the view would keep the
// news to itself); what it changes is done when the browser is shown again.
bool CBrowseFrame::IsAwayInView() const
{
    return g_appState.mode.load() == CAppState::kModeView && static_cast<const CWnd*>(g_appState.browseFrame) == this;
}

LRESULT CBrowseFrame::OnBrowseOptionsChanged(WPARAM, LPARAM lParam)
{
    if (IsAwayInView()) {
        if (lParam == 1)
            m_pendingOptions |= kPendingRefill;
        return 0;
    }
    m_view.OnLayout();
    ShowControlBar(&m_toolBar, g_options.ShowToolBar, FALSE);
    ShowControlBar(&m_statusBar, g_options.ShowStatus, FALSE);
    RecalcLayout();
    CIEShellListCtrl& list = *GetList();
    list.SetSort(g_options.SortType, g_options.SortDir);
    const bool otherFilesChanged = list.GetShowOtherFiles() != g_options.ShowNoneDrawingFile;
    if (lParam == 1 && !GetShownFolder().IsEmpty()) {
        // The file-type table was made again: every row's type is read anew.
        list.SetShowOtherFiles(g_options.ShowNoneDrawingFile);
        list.Refresh(TRUE, TRUE);
    } else {
        list.OnBrowseOptionsChanged(otherFilesChanged ? TRUE : FALSE, FALSE);
    }
    UpdateTitle();
    return 0;
}

LRESULT CBrowseFrame::OnThumbnailOptionsChanged(WPARAM, LPARAM)
{
    if (IsAwayInView()) {
        m_pendingOptions |= kPendingThumbnails;
        return 0;
    }
    // In the thumbnail view the cells take the new size and colours and are made again.
    GetList()->OnThumbnailOptionsChanged();
    GetList()->Invalidate();
    GetPreview().Invalidate();
    return 0;
}

LRESULT CBrowseFrame::OnCacheOptionsChanged(WPARAM, LPARAM)
{
    return 0;
}

LRESULT CBrowseFrame::OnDrawingOptionsChanged(WPARAM, LPARAM)
{
    if (IsAwayInView()) {
        m_pendingOptions |= kPendingDrawing;
        return 0;
    }
    GetList()->QueueThumbnailTasks(false);
    GetPreview().OnDrawingOptionsChanged();
    return 0;
}
