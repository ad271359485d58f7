#include "ui/CUIObjList.h"

#include <algorithm>

void CUIObjList::Remove(const CUIListCtrlData* pRow)
{
    // Rows usually leave from the end (a refresh empties the list from the bottom).
    for (auto it = m_rows.rbegin(); it != m_rows.rend(); ++it) {
        if (it->get() == pRow) {
            m_rows.erase(std::next(it).base());
            return;
        }
    }
}

void CUIObjList::RemoveAll()
{
    while (!m_rows.empty())
        m_rows.pop_back();
}

bool CUIObjList::Contains(const CUIListCtrlData* pRow) const
{
    return std::any_of(m_rows.begin(), m_rows.end(), [pRow](const auto& p) { return p.get() == pRow; });
}
