// The browse frame's fixed docking layouts (browser modes 1 to 4), written into the registry as
// the saved bar state "Bar State" that the docking framework then loads. Every key lies under
// HKEY_CURRENT_USER and the program's registry root.
#pragma once

#include "framework/Afx.h"

#include <vector>

namespace BrowseBarLayout {

constexpr const char kSection[] = "Bar State";

struct Value
{
    const char* name;
    DWORD data;
};

struct Key
{
    const char* name; // under the root: "Bar State-Bar2" and the like
    std::vector<Value> values;
};

// The keys of one layout in the order they are written (the common two first); empty for a
// mode outside 1..4.
std::vector<Key> LayoutKeys(int mode);
// Deletes every key a layout may hold (a missing one is no error), then writes the two common
// keys. A key that cannot be written is skipped.
void Reset();
// Reset, then the keys of the mode; false for a mode outside 1..4.
bool Write(int mode);
// Whether any layout was ever saved (the preview bar's size record exists).
bool IsSaved();

} // namespace BrowseBarLayout
