#include "frames/view/PickWindowZones.h"

#include <algorithm>

namespace PickWindowZones {

namespace {

bool Near(LONG value, LONG edge)
{
    return value >= edge - kTolerance && value <= edge + kTolerance;
}

// A side edge's zone: its corners at the top and bottom, the edge between, nothing beyond.
int SideZone(const RECT& r, POINT p, int bottomCorner, int edge, int topCorner)
{
    if (p.y < r.top - kTolerance || p.y > r.bottom + kTolerance)
        return kNone;
    if (Near(p.y, r.bottom))
        return bottomCorner;
    if (Near(p.y, r.top))
        return topCorner;
    return edge;
}

bool MovesLeft(int zone)
{
    return zone == kBottomLeft || zone == kTopLeft || zone == kLeft;
}

bool MovesRight(int zone)
{
    return zone == kBottomRight || zone == kTopRight || zone == kRight;
}

bool MovesTop(int zone)
{
    return zone == kTopLeft || zone == kTop || zone == kTopRight;
}

bool MovesBottom(int zone)
{
    return zone == kBottomLeft || zone == kBottom || zone == kBottomRight;
}

LONG Clamp(LONG value, LONG low, LONG high)
{
    return std::max(low, std::min(value, high));
}

} // namespace

int ZoneAt(const RECT& r, POINT p)
{
    if (Near(p.x, r.left))
        return SideZone(r, p, kBottomLeft, kLeft, kTopLeft);
    if (Near(p.x, r.right))
        return SideZone(r, p, kBottomRight, kRight, kTopRight);
    const bool between = p.x > r.left && p.x < r.right;
    if (Near(p.y, r.top))
        return between ? kTop : kNone;
    if (Near(p.y, r.bottom))
        return between ? kBottom : kNone;
    return between && p.y > r.top && p.y < r.bottom ? kInside : kNone;
}

int CursorOf(int zone)
{
    switch (zone) {
    case kTop:
    case kBottom:
        return 14;
    case kLeft:
    case kRight:
        return 15;
    case kBottomLeft:
    case kTopRight:
        return 16;
    case kTopLeft:
    case kBottomRight:
        return 17;
    case kInside:
        return 18;
    default:
        return 19;
    }
}

RECT Drag(const RECT& rect, int zone, POINT p, POINT& anchor, const RECT& client)
{
    RECT r = rect;
    if (zone == kInside) {
        const LONG dx = p.x - anchor.x;
        const LONG dy = p.y - anchor.y;
        const RECT moved = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
        if (moved.left >= client.left && moved.top >= client.top && moved.right <= client.right &&
            moved.bottom <= client.bottom)
            r = moved;
        anchor = p;
        return r;
    }
    if (MovesLeft(zone) && p.x < r.right - kTolerance)
        r.left = Clamp(p.x, client.left, client.right);
    if (MovesRight(zone) && p.x > r.left + kTolerance)
        r.right = Clamp(p.x, client.left, client.right);
    if (MovesTop(zone) && p.y < r.bottom - kTolerance)
        r.top = Clamp(p.y, client.top, client.bottom);
    if (MovesBottom(zone) && p.y > r.top + kTolerance)
        r.bottom = Clamp(p.y, client.top, client.bottom);
    return r;
}

} // namespace PickWindowZones
