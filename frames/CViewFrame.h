// CViewFrame: the main window of view mode. Made hidden at start-up from resource 134 and kept
// for the program's life beside the browse frame. It shows the drawing thread's picture of the
// file being viewed and goes back to the browser on "Browser mode" or Escape.
#pragma once

#include "app/CViewModeFrame.h"
#include "framework/Afx.h"
#include "framework/AfxWin.h"
#include "imaging/CGDIDevice.h"

class CViewFrame : public CViewModeFrame
{
    DECLARE_DYNAMIC(CViewFrame)

public:
    static constexpr UINT kResourceId = 134;
    static constexpr UINT kBrowserModeCommand = 32829;
    static const char kClassName[];

    CViewFrame() = default;
    ~CViewFrame() override;

    UINT GetResourceId() const override { return kResourceId; }
    CGDIDevice& GetPicture() override { return m_picture; }
    // Escape is the view's own key, before accelerators.
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void OnBrowserMode();
    void OnToolsOptions();
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnSize(UINT nType, int cx, int cy);
    LRESULT OnRequestDone(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    void OnEscape();

    CGDIDevice m_picture;
};
