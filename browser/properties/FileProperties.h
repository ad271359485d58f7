// The " Properties" sheet of one file (the four read-only pages) and the reading of a drawing's
// information straight from its file, for a caller without an open drawing.
#pragma once

#include "framework/Afx.h"

class CWnd;
class DRAWINGINFO;

// Title: the file name with extension and " Properties"; pages Basic, Statistics info, Summary,
// User-defined. info is borrowed for the sheet's run (null: the drawing pages stay empty). True
// when the sheet was closed with OK.
bool RunFilePropertiesSheet(const char* path, const DRAWINGINFO* info, CWnd* parent);

// Opens the DWG or DXF through the engine and fills info from it; false (info emptied) when the
// file cannot be opened as a drawing.
bool ReadDrawingInfo(const char* path, DRAWINGINFO* info);
