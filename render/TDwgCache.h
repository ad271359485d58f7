// STAND-IN for the thumbnail cache holder until the thumbnail cache work lands: only the
// interface the settings use (create, delete, reach the one instance, enable or disable its
// library). The real holder replaces this header and TDwgCache.cpp with the same calls.
#pragma once

class TDwgCache
{
public:
    explicit TDwgCache(bool enabled) : m_libEnabled(enabled) {}
    virtual ~TDwgCache() = default;
    TDwgCache(const TDwgCache&) = delete;
    TDwgCache& operator=(const TDwgCache&) = delete;

    // On creates the folder's cache library, off deletes it.
    void EnableLib(bool on) { m_libEnabled = on; }
    bool IsLibEnabled() const { return m_libEnabled; }

private:
    bool m_libEnabled;
};

// The process-wide holder; null before CreateDwgCache and after DeleteDwgCache.
TDwgCache* GetDwgCache();
// Creates the holder (replacing one that exists), with a library when enabled.
void CreateDwgCache(bool enabled);
void DeleteDwgCache();
