#include "engine/rkio/LayoutViews.h"

namespace RkIo {

bool LayoutViews::Enter(int layout, RkDraw::ViewTransform& current) const
{
    const auto kept = m_views.find(layout);
    if (kept == m_views.end())
        return false;
    const int width = current.DeviceWidth(), height = current.DeviceHeight();
    current = kept->second;
    current.SetDevice(width, height);
    return true;
}

} // namespace RkIo
