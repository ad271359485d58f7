// Byte-level work on shell item-id lists: a run of items, each led by a 16-bit byte count that
// includes the count itself, ended by a zero count. Every size check treats the list as hostile:
// a count below 2 other than the terminator ends the walk, and the walk is bounded.
#pragma once

#include <windows.h>
#include <shlobj.h>

namespace PidlBytes
{
// Longest list walked (items); a longer run is treated as broken.
constexpr UINT kMaxItems = 1024;

// Number of items before the terminator; 0 for null or an empty list.
UINT ItemCount(LPCITEMIDLIST pidl);
// Bytes of the whole list including the two-byte terminator; 0 for null.
UINT ListSize(LPCITEMIDLIST pidl);
// The n-th item (0 = first); null when the list is shorter.
LPCITEMIDLIST ItemAt(LPCITEMIDLIST pidl, UINT index);
// The last item; null for null or an empty list.
LPCITEMIDLIST LastItem(LPCITEMIDLIST pidl);
// Bytes of the item's own count (0 for a terminator or null).
UINT ItemSize(LPCITEMIDLIST item);

// Allocates with the shell allocator a one-item list holding only this item's bytes followed by
// a zero count (never the bytes behind the item). Null for null, a terminator or no memory.
LPITEMIDLIST CopyOneItem(LPCITEMIDLIST item);
// Copies the first `count` items followed by a zero count; null when the allocation fails.
LPITEMIDLIST CopyFirstItems(LPCITEMIDLIST pidl, UINT count);
// Copies the whole list with its terminator; null for null (never a zero-byte block).
LPITEMIDLIST CopyList(LPCITEMIDLIST pidl);
// Items of the first list followed by the second with its terminator; either may be null.
LPITEMIDLIST Concat(LPCITEMIDLIST first, LPCITEMIDLIST second);
// Frees a list with the shell allocator (null does nothing).
void Free(LPITEMIDLIST pidl);
// An item's relative and absolute lists replaced by new ones (taken over): when either new one
// is null (it could not be made), both new ones are freed and the old ones kept.
bool ReplacePair(LPITEMIDLIST& relative, LPITEMIDLIST& absolute, LPITEMIDLIST newRelative, LPITEMIDLIST newAbsolute);
} // namespace PidlBytes
