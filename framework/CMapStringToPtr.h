// CMapStringToPtr: a map from strings to pointers (keys compared with case).
#pragma once

#include "framework/CMap.h"
#include "framework/CString.h"

class CMapStringToPtr : public CMap<CString, LPCTSTR, void*, void*>
{
    DECLARE_DYNAMIC(CMapStringToPtr)
public:
    explicit CMapStringToPtr(INT_PTR nBlockSize = 10) : CMap(nBlockSize) {}
};
