// ThumbnailExport: writes a thumbnail (a cache bitmap) as an image file, BMP as it is held, JPEG
// or GIF through the raster writers, and picks the file's name in the target folder.
#pragma once

#include "browser/dialogs/BrowserDialogCalls.h"
#include "framework/CString.h"

class KBMP;

namespace ThumbnailExport
{
// ".bmp", ".jpg" or ".gif" for the choice's format.
const char* Extension(int format);
// The target file of a drawing: the folder, the drawing's name without its extension, the
// format's extension.
CString TargetPath(const CString& folder, const CString& drawingPath, int format);
// The first free "name (2).ext", "name (3).ext", ... beside an existing file; empty when none
// of the first thousand is free.
CString FreeName(const CString& path);
// Writes the picture; false when it is empty or cannot be written, with the writer's reason in
// error (when given).
bool Write(const KBMP& picture, const CString& path, int format, CString* error = nullptr);
} // namespace ThumbnailExport
