// CByteArray: an array of BYTE values.
#pragma once

#include "framework/CArray.h"

class CByteArray : public CArray<BYTE, BYTE>
{
    DECLARE_DYNAMIC(CByteArray)
};
