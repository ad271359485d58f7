// ViewKeyTable: what a key pressed in the view frame does to the shown file. A drawing's pans are
// the drawing thread's pan-step requests; an image's are a sixteenth of the frame's client size in
// the key's direction.
#pragma once

#include <windows.h>

namespace ViewKeyTable {

enum class Action { kNone, kEscape, kPan, kActualSize, kFit, kZoomIn, kZoomOut, kHighlight, kQuickMode, kPreviousFile, kNextFile };

struct KeyAction
{
    Action action = Action::kNone;
    // kPan: the drawing thread's request and the image's direction (-1, 0 or 1 in x and y).
    int request = 0;
    int imageX = 0;
    int imageY = 0;
};

// The action of a virtual key; kNone for keys the frame leaves to the menu bar and accelerators.
KeyAction LookUp(UINT virtualKey);
// An image's pan for a pan key on a frame whose client area is width x height (a frame narrower
// or lower than 16 pixels pans 0 that way).
POINT ImagePan(const KeyAction& key, int width, int height);

} // namespace ViewKeyTable
