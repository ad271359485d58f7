// CPtrList: a list of untyped pointers; the list does not own what they point to.
#pragma once

#include "framework/CList.h"

class CPtrList : public CList<void*, void*>
{
    DECLARE_DYNAMIC(CPtrList)
public:
    explicit CPtrList(INT_PTR nBlockSize = 10) : CList(nBlockSize) {}
};
