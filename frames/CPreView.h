// CPreView: the browse frame's preview pane: a child window that shows the drawing thread's
// picture of the selected file. It keeps an off-screen device of its own, which the mode switch
// shrinks while the view frame is up.
#pragma once

#include "framework/Afx.h"
#include "framework/AfxWin.h"
#include "imaging/CGDIDevice.h"

class CPreView : public CWnd
{
public:
    CPreView() = default;

    BOOL CreatePane(CWnd* parent, UINT id);
    CGDIDevice& GetDevice() { return m_device; }
    // Draws the drawing thread's raster picture again after the pane came back into view.
    void RedrawImage(int reason);

protected:
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    LRESULT OnRequestDone(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    CGDIDevice m_device;
};
