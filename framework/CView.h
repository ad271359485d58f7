// CView: the child window that fills a frame's client area and draws through OnDraw. The active
// view of its frame gets commands before the frame.
#pragma once

#include "framework/CWnd.h"

class CFrameWnd;

class CView : public CWnd
{
    DECLARE_DYNAMIC(CView)

public:
    CView() = default;

    virtual void OnDraw(CDC* pDC) = 0;
    virtual void OnPrepareDC(CDC* pDC, void* pInfo = nullptr);
    virtual void OnInitialUpdate();
    virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
    virtual void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView);

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;

protected:
    void PostNcDestroy() override;

    void OnPaint();
    int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);
    LRESULT OnInitialUpdateMessage(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};
