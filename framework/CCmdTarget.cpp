#include "framework/CCmdTarget.h"

#include "framework/CCmdUI.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

namespace {

const AFX_MSGMAP_ENTRY kNoEntries[] = {{0, 0, 0, 0, nullptr}};

// Wait cursors nest: the count and the cursor to go back to belong to the thread.
struct WaitCursorState
{
    int nCount = 0;
    HCURSOR hRestore = nullptr;
};

WaitCursorState& WaitState()
{
    static thread_local WaitCursorState state;
    return state;
}

void ChangeWaitCursor(int delta)
{
    WaitCursorState& state = WaitState();
    state.nCount += delta;
    if (state.nCount < 0)
        state.nCount = 0;
    if (delta > 0 && state.nCount == 1)
        state.hRestore = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    else if (delta > 0)
        ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    else if (state.nCount == 0)
        ::SetCursor(state.hRestore != nullptr ? state.hRestore : ::LoadCursor(nullptr, IDC_ARROW));
}

} // namespace

const AFX_MSGMAP* PASCAL CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP messageMap = {nullptr, kNoEntries};
    return &messageMap;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->pfn != nullptr; ++entry) {
            if (entry->nMessage == nMessage && entry->nCode == nCode && nID >= entry->nID &&
                nID <= entry->nLastID)
                return entry;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    UINT nMessage = WM_COMMAND;
    UINT nEntryCode = static_cast<UINT>(nCode);
    if (nCode != CN_UPDATE_COMMAND_UI) {
        const UINT packed = static_cast<UINT>(nCode);
        nEntryCode = LOWORD(packed);
        if (HIWORD(packed) != 0)
            nMessage = HIWORD(packed);
    }
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(nMessage, nEntryCode, nID);
    if (entry == nullptr)
        return FALSE;
    if (pHandlerInfo != nullptr) {
        pHandlerInfo->pTarget = this;
        return TRUE;
    }
    AFX_MSGCALL call = {0, 0, nID, pExtra, 0};
    return entry->pfn(this, call);
}

void CCmdTarget::BeginWaitCursor()
{
    ChangeWaitCursor(1);
}

void CCmdTarget::EndWaitCursor()
{
    ChangeWaitCursor(-1);
}

void CCmdTarget::RestoreWaitCursor()
{
    // After a message box or a dialog has put its own cursor up.
    if (WaitState().nCount > 0)
        ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
}

CWaitCursor::CWaitCursor()
{
    ChangeWaitCursor(1);
}

CWaitCursor::~CWaitCursor()
{
    ChangeWaitCursor(-1);
}

void CWaitCursor::Restore()
{
    CCmdTarget().RestoreWaitCursor();
}
