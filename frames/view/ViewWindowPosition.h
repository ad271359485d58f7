// The view frame's remembered window rectangle ("ViewWindow": "Left", "Top", "Right", "Bottom"
// under the program's key; 0, 0, 808, 608 when missing) and the rule that brings a rectangle
// that lies off every screen back onto the primary work area.
#pragma once

#include <windows.h>

namespace ViewWindowPosition {

constexpr RECT kDefault = {0, 0, 808, 608};

// The stored rectangle; kDefault for missing values; false (and kDefault) without the key.
bool Load(RECT& rect);
// Writes the rectangle; false when the key cannot be made or opened.
bool Save(const RECT& rect);
// The full-screen flag kept beside the rectangle ("FullScreen"); false when missing.
bool LoadFullScreen();
bool SaveFullScreen(bool on);
// rect itself when some screen shows a usable part of its caption (the top 30 pixels, at least
// 40 wide); otherwise the same size, shrunk to fit, at the top left of workArea.
RECT BringOnScreen(const RECT& rect, const RECT& workArea, bool (*visible)(const RECT&));
// Whether any monitor of this machine holds the rectangle in part.
bool IsOnSomeMonitor(const RECT& rect);
// BringOnScreen with the real monitors and the primary work area.
RECT BringOnScreen(const RECT& rect);

} // namespace ViewWindowPosition
