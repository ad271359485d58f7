// The rows of the Exif information list: a type text and a value text for each field the record
// holds, in the list's fixed order. A value never holds a line break (one cell, one line).
#pragma once

#include "framework/Afx.h"
#include "imaging/CRasterExifInfo.h"

#include <vector>

struct InfoRow
{
    CString type;
    CString value;
};

std::vector<InfoRow> BuildExifRows(const EXIFINFO& info);

// The JPEG process of a start-of-frame marker ("Baseline", "Progressive", ..., "Unknown").
const char* JpegEncodingName(int frameMarker);
