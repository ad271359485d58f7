#include "ui/CUIListCtrlData.h"

IMPLEMENT_DYNAMIC(CUIListCtrlData, CObject)
IMPLEMENT_DYNAMIC(CUIStrListCtrlData, CUIListCtrlData)

namespace {

const CUISortKey kNoKey;

} // namespace

CUIListCtrlData::CUIListCtrlData(int, DWORD_PTR dwCallerData) : m_dwCallerData(dwCallerData), m_pSortKey(&kNoKey)
{
    // The colours and fonts are made with the first one set: most rows never have any, and a
    // fill of thousands of rows would make three arrays for each.
}

CUIListCtrlData::~CUIListCtrlData()
{
    if (m_bOwnsCallerData != 0)
        delete reinterpret_cast<CObject*>(m_dwCallerData);
}

void CUIListCtrlData::EnsureColumns(int nColumns)
{
    const size_t n = nColumns < 0 ? 0 : static_cast<size_t>(nColumns);
    if (n <= m_bkColors.size())
        return;
    m_bkColors.resize(n, GetSysColor(COLOR_WINDOW));
    m_textColors.resize(n, GetSysColor(COLOR_WINDOWTEXT));
    m_fonts.resize(n);
}

COLORREF CUIListCtrlData::GetBkColor(int nColumn) const
{
    return nColumn >= 0 && nColumn < GetColumnSlots() ? m_bkColors[static_cast<size_t>(nColumn)]
                                                      : GetSysColor(COLOR_WINDOW);
}

COLORREF CUIListCtrlData::GetTextColor(int nColumn) const
{
    return nColumn >= 0 && nColumn < GetColumnSlots() ? m_textColors[static_cast<size_t>(nColumn)]
                                                      : GetSysColor(COLOR_WINDOWTEXT);
}

CFont* CUIListCtrlData::GetFont(int nColumn) const
{
    return nColumn >= 0 && nColumn < GetColumnSlots() ? m_fonts[static_cast<size_t>(nColumn)].get() : nullptr;
}

void CUIListCtrlData::SetBkColor(int nColumn, COLORREF color)
{
    if (nColumn >= 0 && nColumn < GetColumnSlots())
        m_bkColors[static_cast<size_t>(nColumn)] = color;
}

void CUIListCtrlData::SetTextColor(int nColumn, COLORREF color)
{
    if (nColumn >= 0 && nColumn < GetColumnSlots())
        m_textColors[static_cast<size_t>(nColumn)] = color;
}

BOOL CUIListCtrlData::SetFont(int nColumn, const LOGFONTA& font)
{
    if (nColumn < 0 || nColumn >= GetColumnSlots())
        return FALSE;
    auto pFont = std::make_unique<CFont>();
    if (!pFont->CreateFontIndirect(&font))
        return FALSE;
    m_fonts[static_cast<size_t>(nColumn)] = std::move(pFont);
    return TRUE;
}

CUIStrListCtrlData::CUIStrListCtrlData(int nColumns, DWORD_PTR dwCallerData)
    : CUIListCtrlData(nColumns, dwCallerData)
{
    GrowCells(nColumns < 1 ? 1 : nColumns);
}

void CUIStrListCtrlData::EnsureColumns(int nColumns)
{
    CUIListCtrlData::EnsureColumns(nColumns);
    GrowCells(nColumns);
}

void CUIStrListCtrlData::GrowCells(int nColumns)
{
    if (nColumns > 0 && static_cast<size_t>(nColumns) > m_cells.size()) {
        // The cells move: the sort key must not point into them.
        m_pSortKey = &kNoKey;
        m_cells.resize(static_cast<size_t>(nColumns));
    }
}

LPCSTR CUIStrListCtrlData::GetText(int nColumn) const
{
    if (nColumn < 0 || static_cast<size_t>(nColumn) >= m_cells.size())
        return "";
    return m_cells[static_cast<size_t>(nColumn)].text;
}

BOOL CUIStrListCtrlData::SetText(int nColumn, LPCSTR lpszText)
{
    if (nColumn < 0)
        return FALSE;
    GrowCells(nColumn + 1);
    Cell& cell = m_cells[static_cast<size_t>(nColumn)];
    const BOOL bHadText = !cell.text.IsEmpty();
    cell.text = lpszText != nullptr ? lpszText : "";
    cell.nKeyType = -1;
    cell.key = CUISortKey();
    if (m_pSortKey == &cell.key)
        m_pSortKey = &kNoKey;
    return bHadText;
}

const CUISortKey* CUIStrListCtrlData::GetKey(int nColumn, int nType) const
{
    if (nColumn < 0 || static_cast<size_t>(nColumn) >= m_cells.size())
        return nullptr;
    const Cell& cell = m_cells[static_cast<size_t>(nColumn)];
    return cell.nKeyType == nType ? &cell.key : nullptr;
}

const CUISortKey* CUIStrListCtrlData::SetKey(int nColumn, int nType, CUISortKey key)
{
    if (nColumn < 0)
        return &kNoKey;
    GrowCells(nColumn + 1);
    Cell& cell = m_cells[static_cast<size_t>(nColumn)];
    cell.key = std::move(key);
    cell.nKeyType = nType;
    return &cell.key;
}
