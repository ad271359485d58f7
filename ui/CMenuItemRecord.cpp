#include "ui/CMenuItemRecord.h"

#include <mutex>
#include <set>
#include <unknwn.h>

namespace {

// Menus are used by several threads' windows; the set is shared by all of them.
std::mutex& LiveLock()
{
    static std::mutex lock;
    return lock;
}

std::set<const CMenuItemRecord*>& Live()
{
    static std::set<const CMenuItemRecord*> live;
    return live;
}

} // namespace

CMenuItemRecord::CMenuItemRecord()
{
    const std::lock_guard<std::mutex> guard(LiveLock());
    Live().insert(this);
}

CMenuItemRecord::~CMenuItemRecord()
{
    {
        const std::lock_guard<std::mutex> guard(LiveLock());
        Live().erase(this);
    }
    SetIcon(nullptr);
    if (m_pShellObject)
        m_pShellObject->Release();
}

CMenuItemRecord* CMenuItemRecord::FromItemData(ULONG_PTR data)
{
    if (data == 0)
        return nullptr;
    const auto* candidate = reinterpret_cast<const CMenuItemRecord*>(data);
    const std::lock_guard<std::mutex> guard(LiveLock());
    // Membership first: only a live record may be read, and only then its signature.
    if (Live().count(candidate) == 0 || candidate->m_signature != kSignature)
        return nullptr;
    return const_cast<CMenuItemRecord*>(candidate);
}

void CMenuItemRecord::SetIcon(HICON icon)
{
    if (m_hIcon && m_hIcon != icon)
        ::DestroyIcon(m_hIcon);
    m_hIcon = icon;
}
