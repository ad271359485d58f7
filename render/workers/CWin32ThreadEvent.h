// CWin32ThreadEvent: the auto-reset event a worker sleeps on between requests.
#pragma once

#include <windows.h>

class CWin32ThreadEvent
{
public:
    CWin32ThreadEvent() : m_event(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
    virtual ~CWin32ThreadEvent()
    {
        if (m_event)
            CloseHandle(m_event);
    }
    CWin32ThreadEvent(const CWin32ThreadEvent&) = delete;
    CWin32ThreadEvent& operator=(const CWin32ThreadEvent&) = delete;

    HANDLE GetHandle() const { return m_event; }
    bool Signal() const { return m_event && SetEvent(m_event); }
    // True when the event was signalled within the time (which resets it).
    bool Wait(DWORD timeoutMs) const { return m_event && WaitForSingleObject(m_event, timeoutMs) == WAIT_OBJECT_0; }

private:
    HANDLE m_event;
};
