// The rubber band of a zoom window: an XOR outline in solid white, so drawing it a second time at
// the same place takes it off again (the preview pane and the drawing view share it).
#pragma once

#include <windows.h>

void DrawRubberBand(HWND window, POINT from, POINT to);
