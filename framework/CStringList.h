// CStringList: a list of strings.
#pragma once

#include "framework/CList.h"
#include "framework/CString.h"

class CStringList : public CList<CString, const CString&>
{
    DECLARE_DYNAMIC(CStringList)
public:
    explicit CStringList(INT_PTR nBlockSize = 10) : CList(nBlockSize) {}
};
