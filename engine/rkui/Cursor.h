// RkUI::Cursor: the table of cursors of the drawing views, by index:
//   0..3 orbit (top or bottom handle, left or right handle, outside the ball, inside the ball),
//   4 zoom in, 5 zoom out, 6 zoom window, 7..9 the arrow, 10 pan, 11 pan while dragging,
//   12 pick window, 13 link, 14 north-south edge, 15 west-east edge, 16 north-east corner,
//   17 north-west corner, 18 move, 19 outside the picked window.
// The program's own cursors come from its resources (res/cursors); the others are the system's.
// Valid once initRkUI has run; the handles are shared and never destroyed by callers.
#pragma once

#include <windows.h>

namespace RkUI {

class Cursor
{
public:
    static constexpr int kCount = 20;
    enum Index { kLink = 13 };

    // Loads the table (initRkUI); the program's module holds the cursor resources.
    void Load(HINSTANCE module);
    // The cursor of that index; the arrow for an index out of range or before Load.
    HCURSOR operator[](int index) const;

private:
    HCURSOR m_cursors[kCount] = {};
};

} // namespace RkUI
