#include "engine/draw/WorkBudget.h"

#include <utility>

namespace RkDraw {

namespace {
// Units between two calls of the abort query.
constexpr std::size_t kPollEvery = 256;
}

WorkBudget::WorkBudget(std::size_t units, std::function<bool()> abort)
    : m_left(units), m_abort(std::move(abort))
{
}

void WorkBudget::PollAbort(std::size_t units)
{
    m_sincePoll += units;
    if (m_sincePoll < kPollEvery)
        return;
    m_sincePoll = 0;
    AbortRequested();
}

bool WorkBudget::AbortRequested()
{
    if (!m_aborted && m_abort && m_abort())
        m_aborted = true;
    return m_aborted;
}

bool WorkBudget::Spend(std::size_t units)
{
    if (m_aborted || units > m_left)
        return false;
    m_left -= units;
    PollAbort(units);
    return !m_aborted;
}

void WorkBudget::Charge(std::size_t units)
{
    m_left -= units < m_left ? units : m_left;
    PollAbort(units);
}

} // namespace RkDraw
