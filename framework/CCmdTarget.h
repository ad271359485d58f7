// CCmdTarget (the base of every class with a message map) and CWaitCursor (the hourglass for a
// scope). OnCmdMsg looks a command, an update request or a notification up in the class's map
// and its bases' maps and calls the handler.
#pragma once

#include "framework/AfxMsgMap.h"
#include "framework/CObject.h"

class CCmdTarget : public CObject
{
    DECLARE_DYNAMIC(CCmdTarget)

public:
    CCmdTarget() = default;

    // nCode: CN_COMMAND, CN_UPDATE_COMMAND_UI (pExtra the CCmdUI), or MAKELONG(notification
    // code, WM_NOTIFY or WM_REFLECT_BASE + message) with pExtra an AFX_NOTIFY for WM_NOTIFY.
    // With pHandlerInfo only reports whether a handler exists. TRUE when handled.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

    // The hourglass while a long operation runs (counted; the last End restores the arrow).
    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor();

protected:
    static const AFX_MSGMAP* PASCAL GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // The first entry of the map chain with that message, code and an id range holding nID.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const;
};

// Shows the hourglass for its lifetime.
class CWaitCursor
{
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    void Restore();
};
