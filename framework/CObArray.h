// CObArray: an array of object pointers; the array does not own the objects.
#pragma once

#include "framework/CArray.h"

class CObArray : public CArray<CObject*, CObject*>
{
    DECLARE_DYNAMIC(CObArray)
};
