// CTabsetCtrl: a strip of slanted, overlapping tabs (as the sheet tabs of a spreadsheet) with
// scroll arrows at its start, and optionally a horizontal scroll bar sharing the strip behind a
// sizer the user drags. The view frame shows the drawing's page and layout tabs with it.
#pragma once

#include "framework/AfxTempl.h"
#include "framework/AfxWin.h"
#include "framework/CommonControls.h"
#include "framework/Controls.h"

#include <vector>

// Style bits of CTabsetCtrl (the low bits of the window style).
enum : DWORD {
    TSS_BOTTOM = 0x01,       // strip at the bottom of the client area
    TSS_SCROLLBUTTONS = 0x02, // back and forward buttons
    TSS_ENDBUTTONS = 0x04,   // also to-first and to-last (implies TSS_SCROLLBUTTONS)
    TSS_TOOLTIPS = 0x08,     // a tool tip per tab
    TSS_SCROLLBAR = 0x10,    // a horizontal scroll bar shares the strip behind a sizer
};

enum : UINT {
    ID_TABSET_BACK = 5513,
    ID_TABSET_FORWARD = 5514,
    ID_TABSET_FIRST = 5515,
    ID_TABSET_LAST = 5516,
};

struct TABSET_ITEM {
    CString strLabel;
    CString strTip;
    int nCountAtInsert = 0;
    CString strExtra;
};

class CTabsetCtrl : public CWnd
{
public:
    CTabsetCtrl();
    ~CTabsetCtrl() override;

    virtual void SetFonts(CFont* normal, CFont* current);
    virtual int InsertItem(int index, const char* label);
    virtual int InsertItem(int index, UINT stringId);
    virtual BOOL DeleteItem(int index);
    virtual BOOL DeleteAllItems();
    virtual BOOL GetItemRect(int index, RECT* rect) const;
    virtual int HitTest(const POINT* point) const;
    virtual int GetCurSel() const { return m_nCurSel; }
    virtual int SetCurSel(int index);
    virtual int GetItemCount() const { return static_cast<int>(m_items.GetSize()); }
    virtual void SetItemTip(int index, const char* text);
    virtual void GetItemTip(CString* out, int index) const;
    virtual void ScrollToFirst();
    virtual BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    virtual int HitTestButton(const POINT* point) const;
    virtual BOOL RemoveAt(int index);
    virtual int GetOverlap() const { return m_cyStrip / 2 + 2; }
    void SetSizerPos(int pos, BOOL percent);

    int GetScrollOffset() const { return m_nScrollOffset; }
    // The widest scroll offset: the row's end at the tab area's right end; never negative. (With
    // one pixel more the last tab's edge would hide while forward still looked possible.)
    int GetMaxScrollOffset() const;
    const RECT& GetStripRect() const { return m_rcStrip; }
    const RECT& GetSizerRect() const { return m_rcSizer; }
    int GetSizerPercent() const { return m_nSizerPercent; }
    // The shared scroll bar (a window only with TSS_SCROLLBAR); its scroll messages go to the owner.
    CScrollBar& GetScrollBar() { return m_scrollBar; }
    BOOL IsButtonEnabled(UINT commandId) const;
    // Paints the strip into dc as WM_PAINT does (also for pictures of the control).
    void PaintStrip(CDC* dc);

protected:
    BOOL PreTranslateMessage(MSG* pMsg) override;

    int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    void OnSize(UINT nType, int cx, int cy);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnScrollCommand(UINT nID);

    DECLARE_MESSAGE_MAP()

private:
    void ShowCurrentLabel();
    struct Button {
        RECT rect = {};
        BYTE pressed = 0;
        BYTE enabled = 1;
        UINT commandId = 0;
        UINT glyph = 0;
    };

    void Layout(int cx, int cy);
    std::vector<int> TabWidths() const;
    int RowWidth(const std::vector<int>& widths) const;
    int TabStart(const std::vector<int>& widths, int index) const;
    int AreaLeft() const;
    int AreaRight() const;
    int AreaWidth() const;
    void SetScrollOffset(int offset);
    void UpdateButtons();
    int FirstVisibleTab(const std::vector<int>& widths) const;
    void EndDrag();
    bool Notify(UINT code);
    void ShowTip(CPoint point);
    void DrawButton(CDC* dc, const Button& button) const;
    void DrawRow(CDC* dc);
    void DrawTab(HDC dc, int x, int width, int index, bool current) const;

    CToolTipCtrl m_toolTip;
    DWORD m_dwStyle = 0;
    int m_bHasItems = 0;
    int m_cxButton;
    int m_cyStrip;
    RECT m_rcStrip = {};
    RECT m_rcRest = {};
    int m_nCurSel = -1;
    int m_cxClient = 0;
    int m_cyClient = 0;
    int m_nScrollOffset = 0;
    CFont* m_pFontNormal;
    CFont* m_pFontCurrent;
    CScrollBar m_scrollBar;
    RECT m_rcScrollBar = {};
    RECT m_rcSizer = {};
    int m_nSizerPos = -1;
    int m_nSizerPercent = 0;
    CPen m_penShadow;
    CPen m_penWindow;
    CPen m_penFace;
    CPen m_penText;
    CPen m_penHilight;
    HCURSOR m_hSizerCursor = nullptr;
    CArray<TABSET_ITEM*, TABSET_ITEM*> m_items;
    BOOL m_bDragging = FALSE;
    int m_nDragOffset = 0;
    HWND m_hFocusBeforeDrag = nullptr;
    Button m_buttons[4];
    int m_nButtonSlot[4] = {3, 3, 3, 3}; // to-first, back, forward, to-last
    int m_nButtonCount = 0;
    CString m_strTipShown;
};
