#include "frames/CPreView.h"

#include "app/CAppState.h"
#include "render/workers/TDwgDrawThread.h"

BEGIN_MESSAGE_MAP(CPreView, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_MESSAGE(TDwgDrawThread::kMsgRequestDone, &CPreView::OnRequestDone)
END_MESSAGE_MAP()

BOOL CPreView::CreatePane(CWnd* parent, UINT id)
{
    return CWnd::Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, CRect(0, 0, 0, 0),
                        parent, id);
}

void CPreView::RedrawImage(int)
{
    const TDwgDrawThread* thread = g_appState.drawThread.get();
    if (thread && thread->IsRasterHeld() && !thread->IsBusy() && GetSafeHwnd())
        Invalidate(FALSE);
}

void CPreView::OnPaint()
{
    CPaintDC dc(this);
    // A modal dialog of the application is up: the pane waits until it has gone.
    if (g_appState.modalDialogOpen)
        return;
    CRect client;
    GetClientRect(&client);
    const TDwgDrawThread* thread = g_appState.drawThread.get();
    if (!thread || !thread->PaintTo(dc.GetSafeHdc()))
        ::FillRect(dc.GetSafeHdc(), &client, ::GetSysColorBrush(COLOR_BTNFACE));
}

// The drawing thread finished a request: its picture is new.
LRESULT CPreView::OnRequestDone(WPARAM, LPARAM)
{
    Invalidate(FALSE);
    return 0;
}

BOOL CPreView::OnEraseBkgnd(CDC*)
{
    return TRUE; // OnPaint covers the whole pane
}
