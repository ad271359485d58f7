// CSyncObject: the base of the synchronisation objects that CSingleLock locks.
#pragma once

#include "framework/CObject.h"

class CSyncObject : public CObject
{
    DECLARE_DYNAMIC(CSyncObject)
public:
    // Closes m_hObject when there is one.
    ~CSyncObject() override;

    operator HANDLE() const { return m_hObject; }

    // True when the object was acquired within the time-out (an abandoned mutex counts).
    virtual BOOL Lock(DWORD dwTimeout = INFINITE);
    virtual BOOL Unlock() = 0;

    HANDLE m_hObject;

protected:
    explicit CSyncObject(LPCTSTR pstrName);
};
