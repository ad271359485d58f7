// CEvent: a Win32 event. Locking waits until it is signalled (and resets an auto-reset event).
#pragma once

#include "framework/CSyncObject.h"

class CEvent : public CSyncObject
{
    DECLARE_DYNAMIC(CEvent)
public:
    // Throws CResourceException when the event cannot be created.
    explicit CEvent(BOOL bInitiallyOwn = FALSE, BOOL bManualReset = FALSE,
                    LPCTSTR lpszName = nullptr, LPSECURITY_ATTRIBUTES lpsaAttribute = nullptr);

    BOOL SetEvent() { return ::SetEvent(m_hObject); }
    BOOL PulseEvent() { return ::PulseEvent(m_hObject); }
    BOOL ResetEvent() { return ::ResetEvent(m_hObject); }
    BOOL Unlock() override { return TRUE; }
};
