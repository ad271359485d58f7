// CCriticalSection: a Win32 critical section as a lockable object.
#pragma once

#include "framework/CSyncObject.h"

class CCriticalSection : public CSyncObject
{
    DECLARE_DYNAMIC(CCriticalSection)
public:
    CCriticalSection();
    ~CCriticalSection() override;

    operator CRITICAL_SECTION*() { return &m_sect; }

    BOOL Lock();
    // A finite time-out is honoured (the section is tried until it passes), so that a bounded
    // wait stays bounded.
    BOOL Lock(DWORD dwTimeout) override;
    BOOL Unlock() override;

    CRITICAL_SECTION m_sect;
};
