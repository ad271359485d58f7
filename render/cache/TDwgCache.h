// TDwgCache: the thumbnail cache holder. It holds the folder the browser shows and that folder's
// cache library, and answers lookups, stores, loads and flushes for the thumbnail thread; a
// disabled holder has no library and behaves as a cache that never hits. The library is used
// under the holder's lock, so the settings can turn the cache off while the thumbnail thread is
// using it.
#pragma once

#include "framework/Afx.h"
#include "render/cache/KBMP.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

class TImageLib;

class TDwgCache
{
public:
    explicit TDwgCache(bool enabled);
    virtual ~TDwgCache();
    TDwgCache(const TDwgCache&) = delete;
    TDwgCache& operator=(const TDwgCache&) = delete;

    // On creates the folder's cache library, off deletes it (records not yet flushed are lost).
    void EnableLib(bool on);
    bool IsLibEnabled() const;

    // Takes folder (with a trailing backslash) unless it names the folder already held.
    void SetFolder(const char* folder);
    CString GetFolder() const;
    // Empties the library and marks it to be loaded for the folder.
    void PrepareLoad();
    // Loads the folder's library when a load is pending and the folder exists.
    void LoadPending();
    // The same on a thread of its own: the caller goes on meanwhile (a library of a big folder
    // takes a while to read). Whatever needs the library (a lookup, a store) waits for the load,
    // or makes it when it has not begun yet.
    void BeginLoad();
    // A load begun is not over yet: a lookup now would wait for it.
    bool IsLoading() const { return m_loading.load(); }
    // Waits up to timeoutMs for the load begun to end.
    void WaitForLoad(DWORD timeoutMs) const;
    // Looks path up at the nominal size set on picture; on a hit picture holds the thumbnail.
    bool Lookup(const char* path, KBMP* picture);
    void Store(const char* path, const KBMP* picture, int width, int height);
    bool GetLibThumbSize(const char* folder, int* width, int* height) const;
    // Hands the library to its writer and empties the folder. A flush while a load is still
    // pending writes nothing: the library does not yet hold what the file holds.
    void Flush(bool keepAll, int width, int height);
    // Waits until the library's writer has written everything queued.
    bool WaitForWriter(DWORD timeoutMs) const;

private:
    // Under the lock.
    void LoadIfPending();

    mutable CCriticalSection m_lock;
    CString m_folder;
    std::unique_ptr<TImageLib> m_lib;
    bool m_loadPending = false;
    std::atomic<bool> m_loading{false};
    mutable std::mutex m_loadedLock;
    mutable std::condition_variable m_loaded;
    // Last: it ends before anything it uses goes.
    std::thread m_loader;
};

// The process-wide holder; null before CreateDwgCache and after DeleteDwgCache.
TDwgCache* GetDwgCache();
// Creates the holder (replacing one that exists), with a library when enabled.
void CreateDwgCache(bool enabled);
void DeleteDwgCache();
