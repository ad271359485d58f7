// CDrawingFileInfo: one row of the file-type table: an extension, its type id and the colour of
// its items in the file list.
#pragma once

#include "framework/Afx.h"

class CDrawingFileInfo
{
public:
    // Type ids 0 to 3 are drawings (DWG, DXF, DWT, DWF); 4 and up raster images.
    static const int kEmptyType = -2;
    static bool IsDrawingType(int typeId) { return typeId >= 0 && typeId <= 3; }

    CDrawingFileInfo() = default;
    CDrawingFileInfo(const char* extension, COLORREF color, int typeId)
        : extension(extension), color(color), typeId(typeId)
    {
    }

    bool IsDrawing() const { return IsDrawingType(typeId); }

    CString extension; // with its leading dot, upper case: ".DWG"
    COLORREF color = 0;
    int typeId = kEmptyType;
};
