#include "browser/shell/PidlBytes.h"

#include <cstring>

namespace
{
USHORT CountAt(LPCITEMIDLIST item)
{
    USHORT cb = 0;
    std::memcpy(&cb, item, sizeof(cb));
    return cb;
}

LPCITEMIDLIST Next(LPCITEMIDLIST item)
{
    return reinterpret_cast<LPCITEMIDLIST>(reinterpret_cast<const BYTE*>(item) + CountAt(item));
}

// A count of 1 cannot hold itself: the list ends there as if terminated.
bool IsEnd(LPCITEMIDLIST item) { return CountAt(item) < sizeof(USHORT); }

LPITEMIDLIST AllocBytes(UINT size)
{
    auto* block = static_cast<BYTE*>(CoTaskMemAlloc(size));
    if (block)
        std::memset(block, 0, size);
    return reinterpret_cast<LPITEMIDLIST>(block);
}

// Bytes of the first `count` items (without terminator).
UINT PrefixBytes(LPCITEMIDLIST pidl, UINT count)
{
    UINT bytes = 0;
    LPCITEMIDLIST item = pidl;
    for (UINT i = 0; item && i < count && i < PidlBytes::kMaxItems && !IsEnd(item); ++i) {
        bytes += CountAt(item);
        item = Next(item);
    }
    return bytes;
}
} // namespace

namespace PidlBytes
{
UINT ItemCount(LPCITEMIDLIST pidl)
{
    UINT count = 0;
    for (LPCITEMIDLIST item = pidl; item && !IsEnd(item) && count < kMaxItems; item = Next(item))
        ++count;
    return count;
}

UINT ListSize(LPCITEMIDLIST pidl)
{
    if (!pidl)
        return 0;
    return PrefixBytes(pidl, kMaxItems) + sizeof(USHORT);
}

LPCITEMIDLIST ItemAt(LPCITEMIDLIST pidl, UINT index)
{
    if (!pidl || index >= ItemCount(pidl))
        return nullptr;
    LPCITEMIDLIST item = pidl;
    for (UINT i = 0; i < index; ++i)
        item = Next(item);
    return item;
}

LPCITEMIDLIST LastItem(LPCITEMIDLIST pidl)
{
    const UINT count = ItemCount(pidl);
    return count ? ItemAt(pidl, count - 1) : nullptr;
}

UINT ItemSize(LPCITEMIDLIST item)
{
    return (item && !IsEnd(item)) ? CountAt(item) : 0;
}

LPITEMIDLIST CopyOneItem(LPCITEMIDLIST item)
{
    const UINT size = ItemSize(item);
    if (size == 0)
        return nullptr;
    LPITEMIDLIST copy = AllocBytes(size + sizeof(USHORT));
    if (copy)
        std::memcpy(copy, item, size); // the terminator stays zero from the allocation
    return copy;
}

LPITEMIDLIST CopyFirstItems(LPCITEMIDLIST pidl, UINT count)
{
    const UINT bytes = PrefixBytes(pidl, count);
    LPITEMIDLIST copy = AllocBytes(bytes + sizeof(USHORT));
    if (copy && bytes)
        std::memcpy(copy, pidl, bytes);
    return copy;
}

LPITEMIDLIST CopyList(LPCITEMIDLIST pidl)
{
    return pidl ? CopyFirstItems(pidl, kMaxItems) : nullptr;
}

LPITEMIDLIST Concat(LPCITEMIDLIST first, LPCITEMIDLIST second)
{
    const UINT firstBytes = PrefixBytes(first, kMaxItems);
    const UINT secondBytes = PrefixBytes(second, kMaxItems);
    LPITEMIDLIST joined = AllocBytes(firstBytes + secondBytes + sizeof(USHORT));
    if (!joined)
        return nullptr;
    auto* out = reinterpret_cast<BYTE*>(joined);
    if (firstBytes)
        std::memcpy(out, first, firstBytes);
    if (secondBytes)
        std::memcpy(out + firstBytes, second, secondBytes);
    return joined;
}

void Free(LPITEMIDLIST pidl)
{
    if (pidl)
        CoTaskMemFree(pidl);
}
bool ReplacePair(LPITEMIDLIST& relative, LPITEMIDLIST& absolute, LPITEMIDLIST newRelative, LPITEMIDLIST newAbsolute)
{
    if (!newRelative || !newAbsolute) {
        Free(newRelative);
        Free(newAbsolute);
        return false;
    }
    Free(relative);
    Free(absolute);
    relative = newRelative;
    absolute = newAbsolute;
    return true;
}

} // namespace PidlBytes
