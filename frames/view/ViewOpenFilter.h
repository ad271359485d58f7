// The filter of the view frame's Open dialog: every graphics file, every drawing, each drawing
// type, every raster type and each raster type, labels from the string table.
#pragma once

#include "framework/CString.h"

CString BuildViewOpenFilter();
