#include "engine/rkui/PrintPenSet.h"

#include "engine/rkio/EngineState.h"

#include <cmath>
#include <vector>

namespace RkUI {

PrintPenSet::PrintPenSet()
{
    Reset();
}

void PrintPenSet::Reset()
{
    for (int i = 0; i < kPens; ++i)
        m_pens[i] = {i, 0, 25, static_cast<std::int16_t>(i == 0 ? 7 : i), 0};
    m_usePenWidth = false;
    m_minWidth = 1.0;
}

void PrintPenSet::SetMinWidth(double width)
{
    m_minWidth = std::isfinite(width) && width >= 0.0 ? width : 1.0;
}

void PrintPenSet::UpdatePenSetsToRkIO() const
{
    std::vector<RkIo::PenEntry> pens(kPens);
    for (int i = 0; i < kPens; ++i)
        pens[static_cast<std::size_t>(i)] = {m_pens[i].width, m_pens[i].colorIndex};
    RkIo::EngineState::Instance().SetPens(pens);
}

} // namespace RkUI
