// OViewHistory<TView>: the bounded view history of a worker thread (an OList of views with a limit,
// 50 unless told): the top of the history is the last view.
#pragma once

#include "kit/OList.h"

template <class TView>
class OViewHistory : public OList<TView>
{
public:
    explicit OViewHistory(uint32_t limit = 50) : m_limit(limit) {}

    uint32_t GetLimit() const { return m_limit; }

    // Makes room and returns the view to work on. With copyCurrent a new view is appended as a copy
    // of the previous top (its origin and scale); without it the top itself is returned. The oldest
    // views are dropped so that the history never holds more than its limit.
    TView* PushView(bool copyCurrent)
    {
        if (this->GetCount() == 1 && m_limit == 1)
            return this->GetTail();
        TView top = this->GetTail() ? *this->GetTail() : TView();
        while (this->GetCount() > 0 && this->GetCount() >= m_limit)
            this->RemoveHead();
        if (!copyCurrent)
            return this->GetTail();
        return this->AddTail(top);
    }

    // Drops the top view; the one before it becomes the top.
    void PopView() { this->RemoveTail(); }

    // The top of the history; null when it is empty.
    TView* CurrentView() const { return this->GetTail(); }

private:
    uint32_t m_limit;
};
