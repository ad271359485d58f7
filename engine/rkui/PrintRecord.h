// The print record: what the view frame hands the print manager (the drawing, the windows it may
// print) and what the print manager writes back (the chosen window, scale, orientation, placement,
// bitmap size for print to file, the print-to-file flag). Index: PrintWindowRecord, PrintRecord.
#pragma once

#include <windows.h>

class CDrawing;

// A window of the drawing in drawing units: two corners (x, y, z) and its width and height.
struct PrintWindowRecord
{
    double corner1[3] = {0.0, 0.0, 0.0};
    double corner2[3] = {0.0, 0.0, 0.0};
    double width = 0.0;
    double height = 0.0;
};

struct PrintRecord
{
    CDrawing* drawing = nullptr;
    bool wholeView = true;      // the print window is the whole view, not a picked window
    bool paperValid = false;    // the paper fields hold the current paper layout's sheet
    PrintWindowRecord printWindow;
    PrintWindowRecord viewWindow;
    PrintWindowRecord paper;
    // Written by the print manager: one of the three windows above.
    const PrintWindowRecord* chosenWindow = nullptr;
    int bitmapWidth = 1600;     // pixels of a print to file
    int bitmapHeight = 1200;
    double scale = 1.0;         // printer pixels per drawing unit
    short orientation = 0;      // 0 as the page stands, 1 a quarter turn (landscape)
    int placement1 = 0;         // offsets of the print on the page, printer pixels
    int placement2 = 0;
    short spare = 0;
    bool printToFile = false;
    HWND owner = nullptr;
};
