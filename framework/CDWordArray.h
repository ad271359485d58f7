// CDWordArray: an array of DWORD values.
#pragma once

#include "framework/CArray.h"

class CDWordArray : public CArray<DWORD, DWORD>
{
    DECLARE_DYNAMIC(CDWordArray)
};
