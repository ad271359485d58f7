// OList<T>: the linked list of the small class kit: owns its elements by value (see OListBase)
// and can be closed into a ring, which RemoveAll and every append or removal cut open again at
// the ring's anchor (its first node).
#pragma once

#include "kit/OListBase.h"

template <class T>
class OList : public OListBase<T>
{
public:
    OList() = default;
    OList(OList&&) noexcept = default;
    OList& operator=(OList&&) noexcept = default;

    // Joins the last node to the first, for owners that walk the elements round and round.
    void CloseRing() { OListLinks::CloseRing(); }
};
