// The view each layout tab had when the user left it: going back to a layout (Model above all)
// shows it as the user left it, not fitted again. Forgotten when another file is opened.
#pragma once

#include "engine/draw/ViewTransform.h"

#include <map>

namespace RkIo {

class LayoutViews
{
public:
    void Leave(int layout, const RkDraw::ViewTransform& view) { m_views[layout] = view; }
    // The view kept for the layout, at the device size of current; false when there is none.
    bool Enter(int layout, RkDraw::ViewTransform& current) const;
    void Clear() { m_views.clear(); }

private:
    std::map<int, RkDraw::ViewTransform> m_views;
};

} // namespace RkIo
