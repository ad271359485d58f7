// CUIODListCtrl: the list-view control of the window library. Every row carries row data (colours,
// fonts, the caller's data and, for string rows, the cell texts); the columns come from one
// "|"-separated heading text with a type per column that decides how cells are shown and sorted.
// It sorts by a clicked column with the header's arrow, edits cells and headings in place, gives
// tool tips per cell, hands custom drawing, double clicks, context menus, label edits and
// selection changes to virtual operations, and turns keys into private messages for a derived
// list. Sorting reads each row's key once per sort, so tens of thousands of rows stay quick.
#pragma once

#include "framework/CImageList.h"
#include "framework/CMap.h"
#include "framework/COleDateTime.h"
#include "ui/CDragDropList.h"
#include "ui/CODHeaderCtrl.h"
#include "ui/CUIObjList.h"

#include <string>
#include <vector>

class CInPlaceEdit;

// Private messages of the list (numbers and parameters fixed for the derived list and parents).
enum : UINT
{
    WM_UIOD_COLUMNWIDTH = WM_APP + 0x3FC,       // posted: (header, column) a width drag ended
    WM_UIOD_COLUMNWIDTH_PARENT = WM_APP + 0x3FD, // sent to the parent: (list, column)
    WM_UIOD_CONTEXTMENU = WM_APP + 0x44C,       // posted for the menu key or Shift+F10
    WM_UIOD_EDITKEY = WM_APP + 0x44E,           // posted for F2
    WM_UIOD_DELETEKEY = WM_APP + 0x450,         // posted for Delete outside a label edit
    WM_UIOD_PROPERTIESKEY = WM_APP + 0x451,     // posted for Alt+Enter
    WM_UIOD_OPENKEY = WM_APP + 0x452,           // posted for Enter
};

// Commands of the list.
enum : UINT
{
    ID_UIOD_VIEW_ICON = 42771,
    ID_UIOD_VIEW_SMALLICON = 42772,
    ID_UIOD_VIEW_REPORT = 42773,
    ID_UIOD_VIEW_LIST = 42774,
    ID_UIOD_GRIDLINES = 42775,
    ID_UIOD_CHECKBOXES = 42777,
    ID_UIOD_HEADERDRAGDROP = 42778,
    ID_UIOD_FULLROWSELECT = 42779,
    ID_UIOD_TRACKSELECT = 42780,
    ID_UIOD_COLUMNRESIZING = 42781,
    ID_UIOD_HIDECOLUMN = 42782,
    ID_UIOD_EDITHEADING = 42783,
    ID_UIOD_SHOWCOLUMNS = 42784,
    ID_UIOD_EDITCELL = 42786,
};

// Column types: how a column's cells are shown and sorted.
enum : int
{
    UIOD_TEXT = 0,           // text, sorted without regard to case
    UIOD_INTEGER = 1,        // sorted by the leading integer
    UIOD_INTEGER_DIGITS = 2, // sorted by the integer of its digits and signs ("1,200 KB")
    UIOD_NUMBER = 3,         // shown grouped in thousands, sorted by value (also 7)
    UIOD_DURATION = 4,       // seconds shown as m:ss, sorted by value (also 8)
    UIOD_FLOAT = 5,          // sorted by the floating value
    UIOD_FLOAT_DIGITS = 6,   // sorted by the floating value of its digits, signs and point
    UIOD_DATE = 9,           // sorted by the date and time in the user's locale
};

// Built for one sort and handed to the compare function.
struct CUIODListCtrlSortInfo
{
    BOOL bAscending;
    int nColumn;
    int nColumnType;
};

class CUIODListCtrl : public CDragDropList
{
public:
    explicit CUIODListCtrl(BOOL bConstructionFlag = FALSE);
    ~CUIODListCtrl() override;

    // Rows and cells.
    virtual void SetRowFont(int nRow, CFont* pFont);
    virtual void SetRowBold(int nRow, BOOL bBold);
    virtual void SetCellFont(int nRow, int nColumn, CFont* pFont);
    virtual void SetCellBold(int nRow, int nColumn, BOOL bBold);
    virtual void SetColumnFormat(int nColumn, int nFormat);
    virtual void OnSortChanged() {}
    virtual void ChangeStyle(DWORD& dwStyle);
    virtual void InitialSetup() {}
    virtual int InitListCtrl(LPCSTR lpszHeadings, DWORD dwReserved = 0);
    virtual int InitListCtrl(UINT nIconId, LPCSTR lpszHeadings, DWORD dwReserved = 0);
    virtual int InitListCtrl(const UINT* pIconIds, LPCSTR lpszHeadings, DWORD dwReserved = 0);
    virtual BOOL SetCellDate(int nRow, int nColumn, const COleDateTime& date, int nType = UIOD_DATE);
    virtual BOOL SetCellDouble(int nRow, int nColumn, double dValue, int nType = UIOD_FLOAT);
    virtual BOOL SetCellInt(int nRow, int nColumn, int nValue, int nType = UIOD_INTEGER);
    // Checks the row, the column and that the row is a string row; answers whether the cell held
    // text before (FALSE also when the cell cannot be set).
    virtual BOOL SetCellText(int nRow, int nColumn, LPCSTR lpszText, int nType = UIOD_TEXT);
    virtual void RedrawRow(int nRow);
    virtual void SetRowToolTip(int nRow, LPCSTR lpszText);
    virtual int AddColumn(LPCSTR lpszHeading);
    virtual void Sort();
    virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    virtual void FormatDuration(CString& text);
    virtual void FormatNumber(CString& text);
    virtual PFNLVCOMPARE GetCompareFunc();
    virtual BOOL GetDispInfo(NMLVDISPINFOA* pDispInfo);
    virtual BOOL OnColumnClick(NMLISTVIEW* pNMListView);
    virtual BOOL OnDblClick(NMHDR*) { return FALSE; }
    virtual BOOL OnEndLabelEdit(NMLVDISPINFOA* pDispInfo, LRESULT* pResult);
    virtual BOOL OnItemSelected(int nRow, LRESULT* pResult);
    virtual BOOL CanEndLabelEdit(int, int, LPCSTR) { return FALSE; }
    virtual int HitTestEx(CPoint& point, RECT* pCell, int* pColumn);
    virtual void OnDeleteAllItems() {}
    virtual void GetImageLists(CImageList** ppSmall, CImageList** ppLarge);
    virtual void CreateImageLists();
    virtual CUIListCtrlData* CreateRowData(DWORD_PTR dwCallerData, int nRow);
    virtual void OnContextMenuAt(int, UINT, int, int) {}
    virtual BOOL ShowContextMenu(int nRow, BOOL bSuppress, UINT nReserved, int x, int y);
    virtual BOOL OnItemPrePaint(NMLVCUSTOMDRAW* pCustomDraw, LRESULT* pResult);
    virtual BOOL OnItemPostPaint(NMLVCUSTOMDRAW* pCustomDraw, LRESULT* pResult);
    virtual BOOL OnSubItemPrePaint(NMLVCUSTOMDRAW* pCustomDraw, LRESULT* pResult);
    virtual BOOL OnSubItemPostPaint(NMLVCUSTOMDRAW*, LRESULT*) { return TRUE; }
    virtual void OnDropFile(int, LPCSTR, UINT) {}
    virtual void DeleteAllRowData();
    virtual void OnSelChanged(int, LRESULT* pResult) { *pResult = 0; }

    int AddItem(DWORD_PTR dwCallerData, int nImage = 0);
    int AddIcon(HICON hIcon, UINT nId);
    // The cell's text of a string row; empty for any other cell.
    CString GetCellText(int nRow, int nColumn) const;
    void SetCellColors(int nRow, int nColumn, COLORREF text, COLORREF background);
    void SetRowColors(int nRow, COLORREF text, COLORREF background);
    CUIListCtrlData* GetRowData(int nRow) const;
    // The row holding the row data, -1 for none (the list's own index searched from its end,
    // where rows are added).
    int FindRowOfData(const CUIListCtrlData* pRow) const;
    DWORD_PTR GetItemData(int nRow) const;
    int SetCurSel(int nRow);
    void SetExtendedStyleBits(DWORD dwBits, BOOL bOn);
    void SetFullRowSelect(BOOL bOn);
    int HitTestCell(CPoint& point, int* pColumn);
    int GetCurrentRow() const;
    int GetColumnCount() const { return m_nColumnCount; }
    int GetColumnType(int nColumn) const;
    int GetRememberedWidth(int nColumn) const;
    const CString& GetHeadings() const { return m_strHeadings; }
    // The order array handed to the list view and used by HitTestEx (null for none).
    void SetColumnOrder(const int* pOrder, int nCount);

    // Sorting. After a sort the list knows it is in order; rows added or changed in the sorted
    // column since then are the only ones out of place, and the next sort moves just those (up
    // to kMaxUnplacedRows, in a long list) instead of sorting every row.
    static constexpr size_t kMaxUnplacedRows = 32;
    // A row whose texts were set on its data, not through the cell setters: the next sort puts
    // it in its place.
    void NoteRowTextsChanged(int nRow) { NoteUnplaced(GetRowData(nRow)); }
    // The first row whose place the last sort changed: -1 for none, 0 after a sort of every row.
    int GetFirstReorderedRow() const { return m_nFirstReordered; }
    void GetSort(int* pColumn, BOOL* pAscending) const;
    int GetSortColumn() const { return m_nSortColumn; }
    BOOL GetSortAscending() const { return m_bSortAscending; }
    void SetSortState(int nColumn, BOOL bAscending);
    void SetSortColumn(int nColumn);
    void SetSortAscending(BOOL bAscending);
    void SetSort(int nColumn, BOOL bAscending);

    // A few rows changed without the list view drawing after each step: painting is held (the
    // window's visible bit off, as the default WM_SETREDRAW does, while the list view goes on
    // keeping its scroll state) and released once, invalidating the rows from the first one
    // changed or shifted down and the scroll bars. Rows put in or taken out are noted by the
    // list itself; NoteChangedRow adds a row whose cells changed. Calls nest.
    void HoldPainting();
    void NoteChangedRow(int nRow);
    void ReleasePainting();
    bool IsPaintingHeld() const { return m_nPaintHolds > 0; }

    // Editing.
    CInPlaceEdit* EditCell(int nRow, int nColumn);
    void EditHeading();
    void AllowCellEditing(BOOL bAllow) { m_bCellEditing = bAllow ? 1 : 0; }
    BOOL IsLabelEditing() const { return m_bLabelEditing != 0; }

    // What the column commands and the context menu act on.
    void SetContextColumn(int nColumn) { m_nContextColumn = nColumn; }
    int GetContextColumn() const { return m_nContextColumn; }
    void SetContextPoint(CPoint point) { m_contextPoint = point; }
    void SetMenuIds(UINT nOneItemMenu, UINT nSeveralItemsMenu);
    void SetMenuOwner(CWnd* pOwner) { m_pMenuOwner = pOwner; }
    void AllowColumnResizing(BOOL bAllow) { m_bColumnResizing = bAllow; }
    void EnableCellToolTips(BOOL bEnable) { m_bToolTips = bEnable; }
    void SuppressPainting(BOOL bSuppress) { m_bPaintingSuppressed = bSuppress ? 1 : 0; }
    CODHeaderCtrl& GetHeader() { return m_header; }
    const CString& GetToolTipText() const { return m_strToolTip; }

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    INT_PTR OnToolHitTest(CPoint, TOOLINFOA*) const override { return -1; }

    // The sort callback of string rows: compares the keys that the sort filled in.
    static int CALLBACK CompareRows(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);
    // Orders rows by the rank the last sort gave them (rows without data first).
    static int CALLBACK CompareRanks(LPARAM lParam1, LPARAM lParam2, LPARAM);

protected:
    // Makes the cells of a row marked pending (m_bCellsPending), before any cell but its first is
    // read or set: a derived list may leave the texts of rows nobody looks at unmade. Clears the
    // mark; the override sets the cells on the row's data.
    virtual void MakePendingCells(CUIStrListCtrlData& row) { row.m_bCellsPending = 0; }
    // The type of a column whose cells are set on the row data rather than through SetCellText.
    void SetColumnType(int nColumn, int nType);
    // A date cell as SetCellDate makes it, set on the row's data.
    static void SetDateCell(CUIStrListCtrlData& row, int nColumn, const COleDateTime& date);

    void PreSubclassWindow() override;
    CString GetDragText() { return CString(); }

    int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    void OnSize(UINT nType, int cx, int cy);
    void OnPaint();
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnContextMenu(CWnd* pWnd, CPoint point);
    void OnDropFiles(HDROP hDropInfo);
    LRESULT OnDrawItemMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetBkColor(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetTextColor(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetTextBkColor(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetImageList(WPARAM wParam, LPARAM lParam);
    LRESULT OnDeleteAllItemsMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnDeleteItemMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnDeleteColumnMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetColumnWidthMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetItemTextMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnInsertItemMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnRowsReorderedMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnColumnWidthChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnContextMenuKey(WPARAM wParam, LPARAM lParam);
    void OnViewCommand(UINT nId);
    void OnFlipStyleCommand(UINT nId);
    void OnFullRowSelect();
    void OnColumnResizing();
    void OnHideColumn();
    void OnEditHeading() { EditHeading(); }
    void OnShowColumns();
    void OnEditCellAtPoint();

    DECLARE_MESSAGE_MAP()

    // The sort state shared with a derived list.
    int m_nDerivedCounter = 0;
    CMap<CString, LPCSTR, UINT, UINT> m_headingMap;
    BYTE m_bConstructionFlag;

private:
    void AttachHeader();
    BOOL HandleCustomDraw(NMLVCUSTOMDRAW* pCustomDraw, LRESULT* pResult);
    BOOL HandleInfoTip(NMLVGETINFOTIPA* pInfoTip);
    BOOL HandleToolTipText(NMHDR* pNMHDR, LRESULT* pResult);
    void SortNow();
    void FillSortKeys(int nColumn, int nType);
    void SetSortKeyOf(CUIListCtrlData& row, int nColumn, int nType) const;
    void NoteUnplaced(CUIListCtrlData* pRow);
    void ForgetOrder();
    bool PlaceUnplacedRows(const CUIODListCtrlSortInfo& info);
    void InvalidateHeldRows();
    static CUISortKey MakeSortKey(LPCSTR text, int nType);
    // The row data by row, mirrored from the list so that cell setters send no message; rebuilt
    // from the list when an outside change left it unknown.
    void EnsureRowIndex() const;
    // Keeps the index after the list view put a row in at nRow (-1: it did not).
    void NoteInsertedRow(int nRow, const LVITEMA* pItem);
    int RowCount() const;
    CUIStrListCtrlData* GetStringRow(int nRow) const;
    // Has a pending row's cells made before its cell in nColumn is read or set (the first
    // column is always there).
    void ReadyCells(CUIListCtrlData* pRow, int nColumn) const;
    static void KeepDateKey(CUIStrListCtrlData& row, int nColumn, const COleDateTime& date);
    BOOL IsReportView() const { return (GetStyle() & LVS_TYPEMASK) == LVS_REPORT; }
    int ColumnLeft(int nColumn) const;
    // The visible row and the column under a client point; -1 when none.
    int FindCell(const CPoint& point, bool bColumnOrder, RECT* pCell, int* pColumn) const;
    CPoint CurrentRowMenuPoint() const;
    void FlipExtendedStyle(DWORD dwBit);
    void ApplyBold(int nRow, int nFirst, int nLast, BOOL bBold);

    COLORREF m_crBk;
    COLORREF m_crTextBk;
    COLORREF m_crText;
    int m_nClientWidth = 0;
    int m_nStateImageWidth = 0;
    BOOL m_bFullRowSelect = FALSE;
    BOOL m_bFullRowRepaint = TRUE;
    BOOL m_bColumnResizing = TRUE;
    BOOL m_bSortAscending = TRUE;
    BOOL m_bToolTips = FALSE;
    CUIObjList m_rows;
    int m_nContextColumn = -1;
    int m_nSortColumn = 0;
    BOOL m_bHasImages = FALSE;
    int m_nRowCount = 0;
    int m_nColumnCount = 0;
    int m_cxSmallIcon = 0;
    int m_cySmallIcon = 0;
    int m_cxLargeIcon = 0;
    int m_cyLargeIcon = 0;
    std::vector<int> m_columnWidths;
    std::vector<int> m_columnOrder;
    std::vector<int> m_columnTypes;
    bool m_bHasWidths = false;
    bool m_bHasTypes = false;
    DWORD m_dwExtendedStyle = LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP;
    DWORD m_dwViewStyle = LVS_REPORT;
    CImageList m_smallImages;
    CImageList m_largeImages;
    CString m_strHeadings;
    CPoint m_contextPoint;
    CMap<UINT, UINT, UINT, UINT> m_iconMap;
    CODHeaderCtrl m_header;
    CString m_strToolTip;
    std::wstring m_strToolTipWide;
    BYTE m_bPaintingSuppressed = 0;
    BYTE m_bCellEditing = 1;
    BYTE m_bLabelEditing = 0;
    CWnd* m_pMenuOwner = nullptr;
    UINT m_nOneItemMenu = 0;
    UINT m_nSeveralItemsMenu = 0;
    unsigned m_nNextSequence = 0;
    mutable std::vector<CUIListCtrlData*> m_rowIndex;
    mutable bool m_bRowIndexValid = true;
    // Whether the rows but the unplaced ones are in the order of the current sort.
    bool m_bOrderKnown = false;
    std::vector<CUIListCtrlData*> m_unplaced;
    bool m_bMovingRows = false;
    int m_nFirstReordered = -1;
    // Painting held: how deep, what was due to be painted, where the rows changed from.
    int m_nPaintHolds = 0;
    bool m_bHidPainting = false;
    HRGN m_hHeldUpdate = nullptr;
    std::vector<HWND> m_heldChildren;
    int m_nHeldTop = 0;
    int m_nHeldScrollX = 0;
    RECT m_heldClient = {};
    int m_nHeldRowCount = 0;
    int m_nFirstChangedRow = -1;
};
