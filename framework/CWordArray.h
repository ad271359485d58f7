// CWordArray: an array of WORD values.
#pragma once

#include "framework/CArray.h"

class CWordArray : public CArray<WORD, WORD>
{
    DECLARE_DYNAMIC(CWordArray)
};
