// The program's command line: "/v <file>" views a file, "/b <folder>" browses a folder, a single
// path does either by what it names; anything else starts the browser.
#pragma once

#include "framework/Afx.h"

// Returns 0 (browser at its default folder), 1 (browser in path) or 2 (view the file path). path
// is filled whenever there are two or more arguments, whatever the answer.
int ParseStartupArguments(int argc, const char* const* argv, CString& path);
