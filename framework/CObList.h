// CObList: a list of object pointers; the list does not own the objects.
#pragma once

#include "framework/CList.h"

class CObList : public CList<CObject*, CObject*>
{
    DECLARE_DYNAMIC(CObList)
public:
    explicit CObList(INT_PTR nBlockSize = 10) : CList(nBlockSize) {}
};
