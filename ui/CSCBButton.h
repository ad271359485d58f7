// CSCBButton: one 14 x 14 caption button of a sizing bar (hide, or expand and contract),
// drawn with a Marlett glyph and a raised or sunken frame while the mouse is on it.
#pragma once

#include "framework/AfxWin.h"

// Hit-test codes the sizing bar reports for its caption buttons.
#define HTSCB_HIDE HTCLOSE
#define HTSCB_EXPAND HTMAXBUTTON

// Tool-tip texts of the caption buttons.
#define IDS_SCB_HIDE 5000
#define IDS_SCB_EXPAND 5001
#define IDS_SCB_CONTRACT 5002

class CSCBButton
{
public:
    CSCBButton(UINT nHitTest, UINT nToolTextId) : m_nHitTest(nHitTest), m_nToolTextId(nToolTextId) {}
    virtual ~CSCBButton() = default;

    virtual void Paint(CDC* pDC, BOOL bHorz, BOOL bExpanded, BOOL bSingle) const;
    // The button's square in window coordinates of the bar.
    CRect GetRect() const { return CRect(m_ptOrg, CSize(kSize, kSize)); }
    // The glyph the button shows in that state (a Marlett character).
    char GetGlyph(BOOL bHorz, BOOL bExpanded, BOOL bSingle) const;

    static constexpr int kSize = 14;

    BOOL m_bPushed = FALSE;
    BOOL m_bHover = FALSE;
    UINT m_nHitTest;
    UINT m_nToolTextId;
    CPoint m_ptOrg;
};
