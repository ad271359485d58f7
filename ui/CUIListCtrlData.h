// The data behind one row of the owner-drawn list (its LVITEM lParam): colours and fonts per
// column and the caller's data; the string row (CUIStrListCtrlData) adds the cell texts and a
// tool-tip text. Both share this header as one small family.
#pragma once

#include "framework/CGdiObject.h"
#include "framework/CObject.h"
#include "framework/CString.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

// The value a row sorts by in the column being sorted, filled once per sort so that comparing
// two rows reads no text.
struct CUISortKey
{
    int nClass = 0;        // orders first: for dates, unreadable texts before readable ones
    long long nValue = 0;  // integer columns
    double dValue = 0;     // floating, date and duration columns
    std::string blob;      // text columns: the locale's sort key
};

class CUIListCtrlData : public CObject
{
    DECLARE_DYNAMIC(CUIListCtrlData)

public:
    CUIListCtrlData(int nColumns, DWORD_PTR dwCallerData);
    ~CUIListCtrlData() override;
    CUIListCtrlData(const CUIListCtrlData&) = delete;
    CUIListCtrlData& operator=(const CUIListCtrlData&) = delete;

    // Grows the per-column arrays to at least nColumns entries (a row has none until a colour
    // or a font is set: the getters answer the system's colours and no font beyond them).
    virtual void EnsureColumns(int nColumns);
    int GetColumnSlots() const { return static_cast<int>(m_bkColors.size()); }

    COLORREF GetBkColor(int nColumn) const;
    COLORREF GetTextColor(int nColumn) const;
    // Null when the column has no font of its own.
    CFont* GetFont(int nColumn) const;
    void SetBkColor(int nColumn, COLORREF color);
    void SetTextColor(int nColumn, COLORREF color);
    // Copies the font's LOGFONT into a font that the row owns.
    BOOL SetFont(int nColumn, const LOGFONTA& font);

    DWORD_PTR m_dwCallerData;
    // When set, the caller's data is a CObject that goes with the row.
    BYTE m_bOwnsCallerData = 0;
    BYTE m_bFlag = 0;
    // Set when only the row's first cell is made: the list has its other cells made when one of
    // them is first read or set (CUIODListCtrl::MakePendingCells).
    BYTE m_bCellsPending = 0;
    // Order of insertion: rows with equal keys keep it in every sort.
    unsigned m_nSequence = 0;
    // The row's place in the last sort.
    int m_nRank = 0;
    // The key of the column being sorted, set just before the sort (never null).
    const CUISortKey* m_pSortKey;

private:
    std::vector<COLORREF> m_bkColors;
    std::vector<COLORREF> m_textColors;
    std::vector<std::unique_ptr<CFont>> m_fonts;
};

class CUIStrListCtrlData : public CUIListCtrlData
{
    DECLARE_DYNAMIC(CUIStrListCtrlData)

public:
    CUIStrListCtrlData(int nColumns, DWORD_PTR dwCallerData);

    void EnsureColumns(int nColumns) override;
    // The cell's text; an empty text for a column the row does not have.
    LPCSTR GetText(int nColumn) const;
    // Stores the text (empty for null); answers whether the cell held text before. The cell's
    // sort key is dropped with its old text.
    BOOL SetText(int nColumn, LPCSTR lpszText);
    // The cell's sort key when one was kept for that column type, else null.
    const CUISortKey* GetKey(int nColumn, int nType) const;
    // Keeps the cell's sort key for the column type until the text changes.
    const CUISortKey* SetKey(int nColumn, int nType, CUISortKey key);

    CString m_strToolTip;

private:
    // Grows the cells alone (the colours and fonts stay unmade until one is set).
    void GrowCells(int nColumns);

    struct Cell
    {
        CString text;
        int nKeyType = -1; // the column type the key was made for, -1 for none
        CUISortKey key;
    };
    std::vector<Cell> m_cells;
};
