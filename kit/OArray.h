// OArray<T>: the growable array of the small class kit; in fact a doubly linked list that owns its
// elements by value (see OListBase). It never forms a ring.
#pragma once

#include "kit/OListBase.h"

template <class T>
class OArray : public OListBase<T>
{
public:
    OArray() = default;
    OArray(OArray&&) noexcept = default;
    OArray& operator=(OArray&&) noexcept = default;
};
