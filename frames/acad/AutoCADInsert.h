// Insert into AutoCAD: the selected drawings go into the drawing a running AutoCAD is editing,
// as blocks on a grid, through AutoCAD's automation ("AutoCAD.Application", its
// "ActiveDocument", "FullName" / "Name" and "SendCommand"). Every failure ends with one message.
#pragma once

#include "framework/Afx.h"
#include "framework/CStringList.h"

enum class InsertOutcome
{
    Inserted,
    NoAutoCAD,          // no running AutoCAD (61280)
    NoDrawing,          // no drawing being edited, or a command running (61279)
    Cancelled,          // the dialog was closed
    CommandFailed,      // a command was refused (61281); blocks sent before stay
    ZoomFailed,         // inserted, but the zoom to extents was refused (told so)
};

extern const char kAutoCADProgId[];

InsertOutcome InsertFilesIntoAutoCAD(const CStringList& files);
