// PickWindowZones: the window picked for printing in the drawing view, as the mouse works it. A
// point near an edge or corner of the picked rectangle (within 4 pixels of the edge line) grabs
// that edge or corner, a point inside it grabs the whole rectangle; each zone has its cursor of
// the drawing views' cursor table. Dragging an edge never makes the rectangle 4 pixels or less
// across, never takes an edge out of the view, and the whole rectangle moves only while it stays
// wholly inside the view.
#pragma once

#include <windows.h>

namespace PickWindowZones {

// Zones: 0 none, 1 bottom-left corner, 2 bottom edge, 3 bottom-right corner, 4 right edge,
// 5 top-right corner, 6 top edge, 7 top-left corner, 8 left edge, 9 inside (move).
enum Zone { kNone = 0, kBottomLeft, kBottom, kBottomRight, kRight, kTopRight, kTop, kTopLeft, kLeft, kInside };
constexpr int kTolerance = 4;

// The zone of a client point on a normalised rectangle (left <= right, top <= bottom).
int ZoneAt(const RECT& rect, POINT point);
// The cursor table index of a zone (14 to 19).
int CursorOf(int zone);
// The rectangle after a drag step to point while holding zone; anchor is the last point of a move
// (zone 9) and follows the point.
RECT Drag(const RECT& rect, int zone, POINT point, POINT& anchor, const RECT& client);

} // namespace PickWindowZones
