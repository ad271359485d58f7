// CUIObjList: owns the row data of the owner-drawn list, in insertion order.
#pragma once

#include "ui/CUIListCtrlData.h"

#include <memory>
#include <vector>

class CUIObjList
{
public:
    CUIObjList() = default;
    ~CUIObjList() { RemoveAll(); }
    CUIObjList(const CUIObjList&) = delete;
    CUIObjList& operator=(const CUIObjList&) = delete;

    void AddTail(std::unique_ptr<CUIListCtrlData> pRow) { m_rows.push_back(std::move(pRow)); }
    // Deletes one row's data (the row has left the control).
    void Remove(const CUIListCtrlData* pRow);
    // Deletes every row (and the caller's data of rows that own it), last to first.
    void RemoveAll();
    int GetCount() const { return static_cast<int>(m_rows.size()); }
    bool Contains(const CUIListCtrlData* pRow) const;
    template <typename Fn> void ForEach(Fn&& fn)
    {
        for (const auto& pRow : m_rows)
            fn(*pRow);
    }

private:
    std::vector<std::unique_ptr<CUIListCtrlData>> m_rows;
};
