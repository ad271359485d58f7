// The two-or-three-column information lists of the browser dialogs (Exif fields, key list): one
// look (full-row select, movable columns, tips, a background a shade darker than the list's own)
// and one way of filling them with rows of texts.
#pragma once

#include "framework/Afx.h"
#include "framework/CommonControls.h"

#include <vector>

struct InfoListColumn
{
    const char* heading;
    int width;
};

// Each channel lowered by amount; a channel at or below amount becomes 0.
COLORREF LoweredColor(COLORREF color, int amount);

// Sets the list's styles and colours and adds the columns, left-aligned.
void PrepareInfoList(CListCtrl& list, const std::vector<InfoListColumn>& columns);

// Appends one row; cells past the first go into the sub-items, empty ones are left out.
void AddInfoListRow(CListCtrl& list, const std::vector<const char*>& cells);
