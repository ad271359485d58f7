// STAND-IN: see TDwgCache.h.
#include "render/TDwgCache.h"

#include <new>

namespace {

// A plain pointer, not an object with a destructor: the settings delete the instance at exit,
// and no static destructor may run before them and free it a second time.
TDwgCache* s_holder = nullptr;

} // namespace

TDwgCache* GetDwgCache()
{
    return s_holder;
}

void CreateDwgCache(bool enabled)
{
    delete s_holder;
    s_holder = new (std::nothrow) TDwgCache(enabled);
}

void DeleteDwgCache()
{
    delete s_holder;
    s_holder = nullptr;
}
