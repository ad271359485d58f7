// CStringArray: an array of strings.
#pragma once

#include "framework/CArray.h"
#include "framework/CString.h"

class CStringArray : public CArray<CString, const CString&>
{
    DECLARE_DYNAMIC(CStringArray)
};
