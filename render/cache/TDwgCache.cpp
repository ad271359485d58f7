#include "render/cache/TDwgCache.h"

#include "core/FileUtils.h"
#include "render/cache/CacheFile.h"
#include "render/cache/TImageLib.h"

#include <chrono>
#include <new>
#include <system_error>

namespace {

// A plain pointer, not an object with a destructor: the settings delete the instance at exit,
// and no static destructor may run before them and free it a second time.
TDwgCache* s_holder = nullptr;

std::unique_ptr<TImageLib> NewLib()
{
    return std::unique_ptr<TImageLib>(new (std::nothrow) TImageLib);
}

} // namespace

TDwgCache::TDwgCache(bool enabled)
{
    if (enabled)
        m_lib = NewLib();
}

TDwgCache::~TDwgCache()
{
    if (m_loader.joinable())
        m_loader.join();
}

void TDwgCache::EnableLib(bool on)
{
    std::unique_ptr<TImageLib> old;
    {
        CSingleLock lock(&m_lock, TRUE);
        if (on && !m_lib)
            m_lib = NewLib();
        else if (!on)
            old = std::move(m_lib);
    }
    // Deleted outside the lock: stopping its writer may take a while.
}

bool TDwgCache::IsLibEnabled() const
{
    CSingleLock lock(&m_lock, TRUE);
    return m_lib != nullptr;
}

void TDwgCache::SetFolder(const char* folder)
{
    CSingleLock lock(&m_lock, TRUE);
    const CString next = CacheFile::WithBackslash(folder);
    if (next.CompareNoCase(m_folder) != 0)
        m_folder = next;
}

CString TDwgCache::GetFolder() const
{
    CSingleLock lock(&m_lock, TRUE);
    return m_folder;
}

void TDwgCache::PrepareLoad()
{
    CSingleLock lock(&m_lock, TRUE);
    if (!m_lib)
        return;
    m_lib->Clear();
    m_loadPending = true;
}

void TDwgCache::LoadPending()
{
    CSingleLock lock(&m_lock, TRUE);
    LoadIfPending();
}

void TDwgCache::LoadIfPending()
{
    if (!m_loadPending)
        return;
    m_loadPending = false;
    if (m_lib && !m_folder.IsEmpty() && IsExistingFolder(m_folder))
        m_lib->Load(m_folder);
}

void TDwgCache::BeginLoad()
{
    if (m_loading.load())
        return;
    {
        CSingleLock lock(&m_lock, TRUE);
        if (!m_loadPending)
            return;
    }
    // The loader before is over (it cleared the flag as its last step but one).
    if (m_loader.joinable())
        m_loader.join();
    m_loading.store(true);
    try {
        m_loader = std::thread([this] {
            try {
                LoadPending();
            } catch (...) {
                // What the library could not read is made again; the waiters must go on.
            }
            {
                const std::lock_guard<std::mutex> guard(m_loadedLock);
                m_loading.store(false);
            }
            m_loaded.notify_all();
        });
    } catch (const std::system_error&) {
        // No thread to spare: the first lookup loads the library itself.
        m_loading.store(false);
    }
}

void TDwgCache::WaitForLoad(DWORD timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_loadedLock);
    m_loaded.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !m_loading.load(); });
}

bool TDwgCache::Lookup(const char* path, KBMP* picture)
{
    CSingleLock lock(&m_lock, TRUE);
    LoadIfPending();
    if (!m_lib || !picture)
        return false;
    return m_lib->Lookup(path, picture->GetWidth(), picture->GetHeight(), picture);
}

void TDwgCache::Store(const char* path, const KBMP* picture, int width, int height)
{
    CSingleLock lock(&m_lock, TRUE);
    // A store before the load would be lost when the load empties the library first.
    LoadIfPending();
    if (!m_lib || !picture)
        return;
    try {
        m_lib->Store(path, picture, width, height);
    } catch (CException* e) {
        e->Delete();
    } catch (const std::bad_alloc&) {
    }
}

bool TDwgCache::GetLibThumbSize(const char* folder, int* width, int* height) const
{
    CSingleLock lock(&m_lock, TRUE);
    return m_lib && m_lib->GetThumbSize(folder, width, height);
}

void TDwgCache::Flush(bool keepAll, int width, int height)
{
    CSingleLock lock(&m_lock, TRUE);
    if (!m_lib)
        return;
    try {
        if (!m_loadPending && !m_folder.IsEmpty() && IsExistingFolder(m_folder))
            m_lib->Flush(m_folder, keepAll, width, height);
        m_lib->Clear();
    } catch (CException* e) {
        e->Delete();
    } catch (const std::bad_alloc&) {
    }
    m_loadPending = false;
    m_folder.Empty();
}

bool TDwgCache::WaitForWriter(DWORD timeoutMs) const
{
    CSingleLock lock(&m_lock, TRUE);
    return !m_lib || m_lib->WaitForWriter(timeoutMs);
}

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
