// CHandleMap: the per-thread map from Win32 handles to the framework objects that wrap them.
// Permanent entries are objects the program owns (created, attached or subclassed); temporary
// entries are wrappers made on demand by FromHandle and freed at idle time (AfxDeleteTempMaps).
#pragma once

#include <windows.h>

#include <memory>
#include <map>

// Frees every temporary wrapper of the calling thread (all handle maps).
void AfxDeleteTempMaps();
// How many temporary wrappers the calling thread holds (all handle maps).
size_t AfxGetTempObjectCount();

namespace afx_detail {
// Each thread's maps register their temporary-object cleaners here when first used.
void RegisterTempMapCleaner(void* map, void (*clean)(void*), size_t (*count)(const void*));
void UnregisterTempMapCleaner(void* map);
} // namespace afx_detail

template <class T, class H>
class CHandleMap
{
public:
    // Makes a temporary object forget its handle before it is deleted, so that deleting it
    // never destroys what it only wrapped.
    using Detacher = void (*)(T&);

    explicit CHandleMap(Detacher detach) : m_detach(detach)
    {
        afx_detail::RegisterTempMapCleaner(this, &CHandleMap::CleanThunk, &CHandleMap::CountThunk);
    }
    ~CHandleMap()
    {
        afx_detail::UnregisterTempMapCleaner(this);
        DeleteTemp();
    }
    CHandleMap(const CHandleMap&) = delete;
    CHandleMap& operator=(const CHandleMap&) = delete;

    T* LookupPermanent(H h) const
    {
        const auto it = m_permanent.find(h);
        return it == m_permanent.end() ? nullptr : it->second;
    }
    T* LookupTemporary(H h) const
    {
        const auto it = m_temporary.find(h);
        return it == m_temporary.end() ? nullptr : it->second.get();
    }
    void SetPermanent(H h, T* object) { m_permanent[h] = object; }
    void RemovePermanent(H h, const T* object)
    {
        const auto it = m_permanent.find(h);
        if (it != m_permanent.end() && it->second == object)
            m_permanent.erase(it);
    }
    // The permanent object, else a temporary one made by `make` (which receives the handle).
    // Callers deal with null handles themselves.
    template <class Make>
    T* FromHandle(H h, Make make)
    {
        if (T* object = LookupPermanent(h))
            return object;
        if (T* object = LookupTemporary(h))
            return object;
        std::unique_ptr<T> created = make(h);
        T* result = created.get();
        m_temporary.emplace(h, std::move(created));
        return result;
    }
    void DeleteTemp()
    {
        for (auto& entry : m_temporary)
            m_detach(*entry.second);
        m_temporary.clear();
    }
    size_t TemporaryCount() const { return m_temporary.size(); }

private:
    static void CleanThunk(void* map) { static_cast<CHandleMap*>(map)->DeleteTemp(); }
    static size_t CountThunk(const void* map) { return static_cast<const CHandleMap*>(map)->TemporaryCount(); }

    Detacher m_detach;
    std::map<H, T*> m_permanent;
    std::map<H, std::unique_ptr<T>> m_temporary;
};
