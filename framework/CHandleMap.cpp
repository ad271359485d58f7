#include "framework/CHandleMap.h"

#include <vector>

namespace {

struct TempMapCleaner
{
    void* map;
    void (*clean)(void*);
    size_t (*count)(const void*);
};

std::vector<TempMapCleaner>& ThreadCleaners()
{
    static thread_local std::vector<TempMapCleaner> cleaners;
    return cleaners;
}

} // namespace

namespace afx_detail {

void RegisterTempMapCleaner(void* map, void (*clean)(void*), size_t (*count)(const void*))
{
    ThreadCleaners().push_back({map, clean, count});
}

void UnregisterTempMapCleaner(void* map)
{
    auto& cleaners = ThreadCleaners();
    for (auto it = cleaners.begin(); it != cleaners.end(); ++it) {
        if (it->map == map) {
            cleaners.erase(it);
            return;
        }
    }
}

} // namespace afx_detail

void AfxDeleteTempMaps()
{
    // Copied first: a cleaner may free objects whose destructors touch other maps.
    const std::vector<TempMapCleaner> cleaners = ThreadCleaners();
    for (const TempMapCleaner& cleaner : cleaners)
        cleaner.clean(cleaner.map);
}

size_t AfxGetTempObjectCount()
{
    size_t total = 0;
    for (const TempMapCleaner& cleaner : ThreadCleaners())
        total += cleaner.count(cleaner.map);
    return total;
}
