// CPtrArray: an array of untyped pointers; the array does not own what they point to.
#pragma once

#include "framework/CArray.h"

class CPtrArray : public CArray<void*, void*>
{
    DECLARE_DYNAMIC(CPtrArray)
};
