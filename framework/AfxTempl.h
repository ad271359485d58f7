// Helpers of the collection templates: CompareElements (equality used by CList::Find and CMap)
// and HashKey (the hash of a CMap key).
#pragma once

#include "framework/CString.h"

#include <cstdint>

template <class TYPE, class ARG_TYPE>
BOOL AFXAPI CompareElements(const TYPE* pElement1, const ARG_TYPE* pElement2)
{
    return *pElement1 == *pElement2;
}

// Integers, enumerations and pointers. The bits are mixed so that neighbouring ids and aligned
// pointers spread over the buckets.
template <class ARG_KEY>
inline UINT AFXAPI HashKey(ARG_KEY key)
{
    uint64_t v = static_cast<uint64_t>((UINT_PTR)key);
    v ^= v >> 33;
    v *= 0xff51afd7ed558ccdULL;
    v ^= v >> 33;
    return static_cast<UINT>(v);
}

inline UINT AFXAPI HashString(LPCTSTR key)
{
    UINT nHash = 0;
    for (const char* p = key != nullptr ? key : ""; *p != '\0'; ++p)
        nHash = (nHash << 5) + nHash + static_cast<BYTE>(*p);
    return nHash;
}

template <>
inline UINT AFXAPI HashKey<LPCTSTR>(LPCTSTR key)
{
    return HashString(key);
}

template <>
inline UINT AFXAPI HashKey<LPTSTR>(LPTSTR key)
{
    return HashString(key);
}

template <>
inline UINT AFXAPI HashKey<const CString&>(const CString& key)
{
    return HashString(key);
}

template <>
inline UINT AFXAPI HashKey<CString>(CString key)
{
    return HashString(key);
}
