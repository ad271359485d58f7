// CTypedPtrMap: a pointer map (CMapPtrToPtr, CMapWordToPtr, CMapStringToPtr) with typed keys and
// values.
#pragma once

#include "framework/CMapPtrToPtr.h"
#include "framework/CMapStringToPtr.h"
#include "framework/CMapWordToPtr.h"

template <class BASE_CLASS, class KEY, class VALUE>
class CTypedPtrMap : public BASE_CLASS
{
public:
    explicit CTypedPtrMap(INT_PTR nBlockSize = 10) : BASE_CLASS(nBlockSize) {}

    BOOL Lookup(KEY key, VALUE& rValue) const
    {
        void* pValue = nullptr;
        const BOOL bFound = BASE_CLASS::Lookup(key, pValue);
        if (bFound)
            rValue = static_cast<VALUE>(pValue);
        return bFound;
    }
    VALUE& operator[](KEY key) { return reinterpret_cast<VALUE&>(BASE_CLASS::operator[](key)); }
    void SetAt(KEY key, VALUE newValue) { BASE_CLASS::SetAt(key, newValue); }
    BOOL RemoveKey(KEY key) { return BASE_CLASS::RemoveKey(key); }
    void GetNextAssoc(POSITION& rPosition, KEY& rKey, VALUE& rValue) const
    {
        typename BASE_CLASS::BASE_KEY key;
        void* pValue = nullptr;
        BASE_CLASS::GetNextAssoc(rPosition, key, pValue);
        rKey = static_cast<KEY>(key);
        rValue = static_cast<VALUE>(pValue);
    }
};
