// CPreViewBar: the sizing bar that holds the browse frame's preview pane. The pane fills the
// bar's client area and takes the focus with it; commands reach the pane before the bar.
#pragma once

#include "browser/preview/CPreView.h"
#include "ui/CBarControlBar.h"

class CPreViewBar : public CBarControlBar
{
public:
    CPreViewBar() = default;

    CPreView& GetPreview() { return m_preview; }
    const CPreView& GetPreview() const { return m_preview; }
    // The Preview menu's commands, which the pane runs.
    static bool IsPaneCommand(UINT id);
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnSize(UINT nType, int cx, int cy);
    void OnSetFocus(CWnd* pOldWnd);

    DECLARE_MESSAGE_MAP()

private:
    CPreView m_preview;
};
