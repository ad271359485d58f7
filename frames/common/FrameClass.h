// Gives a main frame a window class of its own name (copied from the class the framework chose),
// so that other programs and the tests can tell the browse frame from the view frame.
#pragma once

#include <windows.h>

bool UseOwnFrameClass(CREATESTRUCTA& cs, const char* className);
