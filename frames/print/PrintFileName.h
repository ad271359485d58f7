// The picture file of a print to file: JPEG, BMP, GIF or TIFF, chosen in a save dialog
// (answerable through the modal seam); a name typed without extension gets the chosen type's.
#pragma once

#include "framework/Afx.h"

extern const char kPrintFileFilter[];

// The chosen path, or an empty text when the user cancelled.
CString AskPrintFileName(HWND owner, const CString& drawingTitle);
// The name with the extension of filter entry index (from 1) when it has none of its own.
CString CompletePrintFileName(const CString& path, int filterIndex);
