// CToolBar: the common tool-bar control as a frame bar. Buttons come from an RT_TOOLBAR
// resource and its bitmap; their enabled and checked states follow the update handlers, and
// their tips are the text after '\n' of the command's string.
#pragma once

#include "framework/CControlBar.h"
#include "framework/CString.h"

#include <vector>

// Button styles as MAKELONG(control style, control state).
#define TBBS_BUTTON MAKELONG(TBSTYLE_BUTTON, 0)
#define TBBS_SEPARATOR MAKELONG(TBSTYLE_SEP, 0)
#define TBBS_CHECKBOX MAKELONG(TBSTYLE_CHECK, 0)
#define TBBS_GROUP MAKELONG(TBSTYLE_GROUP, 0)
#define TBBS_CHECKGROUP MAKELONG(TBSTYLE_CHECKGROUP, 0)
#define TBBS_DROPDOWN MAKELONG(TBSTYLE_DROPDOWN, 0)
#define TBBS_AUTOSIZE MAKELONG(TBSTYLE_AUTOSIZE, 0)
#define TBBS_CHECKED MAKELONG(0, TBSTATE_CHECKED)
#define TBBS_PRESSED MAKELONG(0, TBSTATE_PRESSED)
#define TBBS_DISABLED MAKELONG(0, TBSTATE_ENABLED)
#define TBBS_INDETERMINATE MAKELONG(0, TBSTATE_INDETERMINATE)
#define TBBS_HIDDEN MAKELONG(0, TBSTATE_HIDDEN)

// The size and command ids of an RT_TOOLBAR resource. It comes in two layouts: Microsoft's
// resource compiler writes WORD fields after a version word of 1 (version, width, height, count,
// ids); windres writes DWORD fields without a version (width, height, count, ids).
struct ToolBarResource
{
    int cx = 0;
    int cy = 0;
    std::vector<UINT> ids;
};
// False for data of neither layout, or sizes out of bounds.
bool ParseToolBarResource(const BYTE* pData, DWORD dwSize, ToolBarResource& result);

class CToolBar : public CControlBar
{
    DECLARE_DYNAMIC(CToolBar)

public:
    CToolBar() = default;

    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP,
                UINT nID = AFX_IDW_TOOLBAR);
    BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                  DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP,
                  CRect rcBorders = CRect(0, 0, 0, 0), UINT nID = AFX_IDW_TOOLBAR);

    // Buttons and bitmap of one RT_TOOLBAR resource (and the bitmap of the same id).
    BOOL LoadToolBar(UINT nIDResource);
    BOOL LoadToolBar(LPCSTR lpszResourceName);
    BOOL LoadBitmap(LPCSTR lpszResourceName);
    // ID_SEPARATOR makes a separator; other ids take the next image in order.
    BOOL SetButtons(const UINT* lpIDArray, int nIDCount);
    void SetSizes(SIZE sizeButton, SIZE sizeImage);

    int GetCount() const { return static_cast<int>(SendMessage(TB_BUTTONCOUNT)); }
    int CommandToIndex(UINT nIDFind) const { return static_cast<int>(SendMessage(TB_COMMANDTOINDEX, nIDFind)); }
    UINT GetItemID(int nIndex) const;
    void GetItemRect(int nIndex, LPRECT lpRect) const;
    UINT GetButtonStyle(int nIndex) const;
    void SetButtonStyle(int nIndex, UINT nStyle);
    void GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const;
    void SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage);
    BOOL SetButtonText(int nIndex, LPCSTR lpszText);
    CString GetButtonText(int nIndex) const;

    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
    BOOL IsCommandBar() const override { return TRUE; }
    // Off its buttons the docked tool bar is dragged.
    BOOL IsDragSpot(CPoint point) const override;

private:
    BOOL GetButton(int nIndex, TBBUTTON& button) const;
    // Every button but the last ends a line (one column), or none does; TRUE when the control's
    // size must be asked again.
    BOOL SetWrapped(BOOL bWrapped);

    CBitmap m_bitmap; // the button images; the control only borrows the bitmap
    CSize m_sizeImage;

    DECLARE_MESSAGE_MAP()
};
