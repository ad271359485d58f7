// The work one picture may cost: every pass that draws or measures a drawing for it (the extents
// that fit the view, then the drawing itself) takes from the same budget, so nested blocks, hatch
// patterns and text cannot multiply the time of a thumbnail by the number of passes. A unit is
// about one entity draw (some sixteen device points); the abort query is polled as work is spent.
#pragma once

#include <cstddef>
#include <functional>

namespace RkDraw {

class WorkBudget
{
public:
    // Enough for about a million entities (the 27 MB benchmark drawing of 120,000 takes a fifth),
    // and a quarter of a second of drawing on the slowest device: a drawing past it is drawn in
    // part.
    static constexpr std::size_t kDefaultUnits = 1024u * 1024u;

    explicit WorkBudget(std::size_t units = kDefaultUnits, std::function<bool()> abort = {});

    // Takes units; false once the budget is spent or the abort query said so (nothing is then
    // taken).
    bool Spend(std::size_t units);
    // Takes what is left when it is less than units (a part of a costly entity still counts).
    void Charge(std::size_t units);
    std::size_t Left() const { return m_left; }
    bool Spent() const { return m_left == 0 || m_aborted; }
    bool Aborted() const { return m_aborted; }
    // Asks the abort query now (a part of this budget handed to one pass polls through it).
    bool AbortRequested();

private:
    void PollAbort(std::size_t units);

    std::size_t m_left;
    std::function<bool()> m_abort;
    std::size_t m_sincePoll = 0;
    bool m_aborted = false;
};

} // namespace RkDraw
