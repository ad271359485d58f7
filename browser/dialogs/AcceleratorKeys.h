// The key list's rows: the keyboard shortcuts of the browse, preview and view windows as display
// text (the accelerator tables are not read).
#pragma once

#include <vector>

struct AcceleratorRow
{
    const char* window;   // the block title on a title row, else "" (first block) or " "
    const char* keys;     // null on a title row
    const char* function; // null on a title row
};

const std::vector<AcceleratorRow>& AcceleratorRows();
