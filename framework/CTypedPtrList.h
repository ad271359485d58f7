// CTypedPtrList: a CObList or CPtrList whose elements are typed pointers.
#pragma once

#include "framework/CObList.h"
#include "framework/CPtrList.h"

template <class BASE_CLASS, class TYPE>
class CTypedPtrList : public BASE_CLASS
{
public:
    explicit CTypedPtrList(INT_PTR nBlockSize = 10) : BASE_CLASS(nBlockSize) {}

    TYPE GetHead() const { return static_cast<TYPE>(BASE_CLASS::GetHead()); }
    TYPE GetTail() const { return static_cast<TYPE>(BASE_CLASS::GetTail()); }
    TYPE RemoveHead() { return static_cast<TYPE>(BASE_CLASS::RemoveHead()); }
    TYPE RemoveTail() { return static_cast<TYPE>(BASE_CLASS::RemoveTail()); }
    TYPE GetNext(POSITION& rPosition) const
    {
        return static_cast<TYPE>(BASE_CLASS::GetNext(rPosition));
    }
    TYPE GetPrev(POSITION& rPosition) const
    {
        return static_cast<TYPE>(BASE_CLASS::GetPrev(rPosition));
    }
    TYPE GetAt(POSITION position) const { return static_cast<TYPE>(BASE_CLASS::GetAt(position)); }
    void SetAt(POSITION pos, TYPE newElement) { BASE_CLASS::SetAt(pos, newElement); }
    POSITION AddHead(TYPE newElement) { return BASE_CLASS::AddHead(newElement); }
    POSITION AddTail(TYPE newElement) { return BASE_CLASS::AddTail(newElement); }
    POSITION InsertBefore(POSITION position, TYPE newElement)
    {
        return BASE_CLASS::InsertBefore(position, newElement);
    }
    POSITION InsertAfter(POSITION position, TYPE newElement)
    {
        return BASE_CLASS::InsertAfter(position, newElement);
    }
};
