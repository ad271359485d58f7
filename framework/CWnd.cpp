#include "framework/CWnd.h"

#include "framework/AfxGlobals.h"
#include "framework/CCmdUI.h"
#include "framework/CException.h"
#include "framework/CHandleMap.h"
#include "framework/CString.h"
#include "framework/CWinApp.h"
#include "framework/Prompt.h"

#include <exception>
#include <utility>

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
    ON_WM_CTLCOLOR()
    ON_WM_DRAWITEM()
    ON_WM_MEASUREITEM()
    ON_WM_DELETEITEM()
    ON_WM_COMPAREITEM()
    ON_WM_VKEYTOITEM()
    ON_WM_CHARTOITEM()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
END_MESSAGE_MAP()

const char AFX_WND_CLASS[] = "AfxWnd";
const char AFX_FRAMEORVIEW_CLASS[] = "AfxFrameOrView";

namespace {

// What each thread keeps while it dispatches: the message in hand (for Default and
// reflection), the object waiting for its window, and the creation hook.
struct WndThreadState
{
    MSG lastMessage = {};
    CWnd* pWndInit = nullptr;
    HHOOK hHookCreate = nullptr;
};

WndThreadState& ThreadState()
{
    static thread_local WndThreadState state;
    return state;
}

CHandleMap<CWnd, HWND>& WndMap()
{
    static thread_local CHandleMap<CWnd, HWND> map([](CWnd& wnd) { wnd.m_hWnd = nullptr; });
    return map;
}

// A message whose handler threw: answered so that the window stays usable.
LRESULT ResultAfterException(HWND hWnd, UINT nMsg)
{
    if (nMsg == WM_CREATE)
        return -1;
    if (nMsg == WM_PAINT)
        ::ValidateRect(hWnd, nullptr);
    return 0;
}

} // namespace

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (pWnd == nullptr)
        return ::DefWindowProcA(hWnd, nMsg, wParam, lParam);
    return AfxCallWndProc(pWnd, hWnd, nMsg, wParam, lParam);
}

LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    WndThreadState& state = ThreadState();
    const MSG saved = state.lastMessage;
    state.lastMessage.hwnd = hWnd;
    state.lastMessage.message = nMsg;
    state.lastMessage.wParam = wParam;
    state.lastMessage.lParam = lParam;

    LRESULT lResult = 0;
    // No exception may cross back into the system's code.
    try {
        lResult = pWnd->WindowProc(nMsg, wParam, lParam);
    } catch (CException* e) {
        e->Delete();
        lResult = ResultAfterException(hWnd, nMsg);
    } catch (const std::exception&) {
        lResult = ResultAfterException(hWnd, nMsg);
    } catch (...) {
        lResult = ResultAfterException(hWnd, nMsg);
    }
    state.lastMessage = saved;
    // The object may be deleted by PostNcDestroy: nothing touches it after this.
    if (nMsg == WM_NCDESTROY && pWnd->m_hWnd == hWnd)
        pWnd->FinishNcDestroy();
    return lResult;
}

LRESULT CALLBACK AfxCbtFilterHook(int code, WPARAM wParam, LPARAM lParam)
{
    WndThreadState& state = ThreadState();
    if (code == HCBT_CREATEWND && state.pWndInit != nullptr) {
        // The first window created after AfxHookWindowCreate is the one being made: bind it
        // before it receives any message, so WM_NCCREATE and WM_CREATE reach the map.
        CWnd* pWnd = std::exchange(state.pWndInit, nullptr);
        const HWND hWnd = reinterpret_cast<HWND>(wParam);
        pWnd->Attach(hWnd);
        pWnd->PreSubclassWindow();
        const auto oldProc = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC));
        if (oldProc != &AfxWndProc) {
            ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc));
            pWnd->m_pfnSuper = oldProc;
        }
    }
    return ::CallNextHookEx(state.hHookCreate, code, wParam, lParam);
}

void AFXAPI AfxHookWindowCreate(CWnd* pWnd)
{
    WndThreadState& state = ThreadState();
    if (state.hHookCreate == nullptr)
        state.hHookCreate = ::SetWindowsHookExA(WH_CBT, &AfxCbtFilterHook, nullptr, ::GetCurrentThreadId());
    state.pWndInit = pWnd;
}

BOOL AFXAPI AfxUnhookWindowCreate()
{
    // The hook stays installed for the thread; only the pending object is dropped.
    return std::exchange(ThreadState().pWndInit, nullptr) == nullptr;
}

LPCSTR AFXAPI AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
    static thread_local char name[96];
    wsprintfA(name, "Afx:%p:%x:%p:%p:%p", static_cast<void*>(AfxGetInstanceHandle()), nClassStyle,
              static_cast<void*>(hCursor), static_cast<void*>(hbrBackground), static_cast<void*>(hIcon));
    WNDCLASSA wc = {};
    if (!::GetClassInfoA(AfxGetInstanceHandle(), name, &wc)) {
        wc.style = nClassStyle;
        wc.lpfnWndProc = &::DefWindowProcA;
        wc.hInstance = AfxGetInstanceHandle();
        wc.hCursor = hCursor;
        wc.hbrBackground = hbrBackground;
        wc.hIcon = hIcon;
        wc.lpszClassName = name;
        if (!::RegisterClassA(&wc))
            return nullptr;
    }
    return name;
}

BOOL AFXAPI AfxRegisterDefaultClasses()
{
    struct ClassSpec
    {
        LPCSTR name;
        UINT style;
    };
    static const ClassSpec specs[] = {
        {AFX_WND_CLASS, CS_DBLCLKS},
        {AFX_FRAMEORVIEW_CLASS, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW},
    };
    for (const ClassSpec& spec : specs) {
        WNDCLASSA wc = {};
        if (::GetClassInfoA(AfxGetInstanceHandle(), spec.name, &wc))
            continue;
        wc.style = spec.style;
        wc.lpfnWndProc = &::DefWindowProcA;
        wc.hInstance = AfxGetInstanceHandle();
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = spec.name;
        if (!::RegisterClassA(&wc))
            return FALSE;
    }
    return TRUE;
}

CWnd::~CWnd()
{
    if (m_hWnd == nullptr)
        return;
    if (m_pfnSuper != nullptr && FromHandlePermanent(m_hWnd) == this)
        ::DestroyWindow(m_hWnd);
    else
        Detach();
}

CWnd* PASCAL CWnd::FromHandle(HWND hWnd)
{
    if (hWnd == nullptr)
        return nullptr;
    return WndMap().FromHandle(hWnd, [](HWND h) { return std::make_unique<CWnd>(h); });
}

CWnd* PASCAL CWnd::FromHandlePermanent(HWND hWnd)
{
    return hWnd == nullptr ? nullptr : WndMap().LookupPermanent(hWnd);
}

void PASCAL CWnd::DeleteTempMap()
{
    WndMap().DeleteTemp();
}

BOOL CWnd::Attach(HWND hWndNew)
{
    if (hWndNew == nullptr || m_hWnd != nullptr)
        return FALSE;
    m_hWnd = hWndNew;
    WndMap().SetPermanent(hWndNew, this);
    return TRUE;
}

HWND CWnd::Detach()
{
    const HWND hWnd = std::exchange(m_hWnd, nullptr);
    if (hWnd != nullptr)
        WndMap().RemovePermanent(hWnd, this);
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    const auto oldProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    if (oldProc != &AfxWndProc)
        m_pfnSuper = oldProc;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    const HWND hWndControl = ::GetDlgItem(pParent->GetSafeHwnd(), static_cast<int>(nID));
    return hWndControl != nullptr && SubclassWindow(hWndControl);
}

HWND CWnd::UnsubclassWindow()
{
    if (m_pfnSuper != nullptr) {
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        m_pfnSuper = nullptr;
    }
    return Detach();
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (cs.lpszClass == nullptr) {
        if (!AfxRegisterDefaultClasses())
            return FALSE;
        cs.lpszClass = AFX_WND_CLASS;
    }
    return TRUE;
}

BOOL CWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, CCreateContext* pContext)
{
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID,
                    pContext);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam)
{
    // CW_USEDEFAULT corners stand for a default size too (and must not be subtracted).
    const bool bDefault = rect.left == CW_USEDEFAULT;
    const int cx = bDefault ? CW_USEDEFAULT : rect.right - rect.left;
    const int cy = bDefault ? CW_USEDEFAULT : rect.bottom - rect.top;
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, cx, cy,
                    pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                    int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                    LPVOID lpParam)
{
    if (m_hWnd != nullptr)
        return FALSE;
    CREATESTRUCTA cs = {};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = static_cast<LONG>(dwStyle);
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    cs.hMenu = nIDorHMenu;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs)) {
        PostNcDestroy();
        return FALSE;
    }
    AfxHookWindowCreate(this);
    const HWND hWnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style),
                                        cs.x, cs.y, cs.cx, cs.cy, cs.hwndParent, cs.hMenu,
                                        cs.hInstance, cs.lpCreateParams);
    AfxUnhookWindowCreate();
    return hWnd != nullptr;
}

BOOL CWnd::DestroyWindow()
{
    if (m_hWnd == nullptr)
        return FALSE;
    const HWND hWnd = m_hWnd;
    const BOOL bBound = FromHandlePermanent(hWnd) == this && m_pfnSuper != nullptr;
    const BOOL bResult = ::DestroyWindow(hWnd);
    // A window that did not run through AfxWndProc never saw its WM_NCDESTROY bookkeeping.
    if (!bBound && m_hWnd == hWnd)
        Detach();
    return bResult;
}

void CWnd::FinishNcDestroy()
{
    // The main window of a thread ends that thread's message loop with it.
    CWinThread* pThread = AfxGetThread();
    if (pThread != nullptr && pThread->m_pMainWnd == this) {
        pThread->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
    if (m_pfnSuper != nullptr) {
        const auto current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC));
        if (current == &AfxWndProc)
            ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        m_pfnSuper = nullptr;
    }
    Detach();
    PostNcDestroy();
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT lResult = 0;
    if (!OnWndMsg(message, wParam, lParam, &lResult))
        lResult = DefWindowProc(message, wParam, lParam);
    return lResult;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper != nullptr)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    const MSG& msg = ThreadState().lastMessage;
    return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

const MSG* PASCAL CWnd::GetCurrentMessage()
{
    return &ThreadState().lastMessage;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        *pResult = 1;
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        const NMHDR* pNMHDR = reinterpret_cast<const NMHDR*>(lParam);
        LRESULT lResult = 0;
        if (pNMHDR == nullptr || pNMHDR->hwndFrom == nullptr || !OnNotify(wParam, lParam, &lResult))
            return FALSE;
        *pResult = lResult;
        return TRUE;
    }
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message, 0, 0);
    if (entry == nullptr)
        return FALSE;
    AFX_MSGCALL call = {wParam, lParam, 0, nullptr, 0};
    const BOOL bHandled = entry->pfn(this, call);
    if (bHandled)
        *pResult = call.lResult;
    return bHandled;
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL PASCAL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg)
{
    for (HWND hWnd = pMsg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
        CWnd* pWnd = FromHandlePermanent(hWnd);
        if (pWnd != nullptr && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
        if (hWnd == hWndStop)
            break;
    }
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT nID = LOWORD(wParam);
    const HWND hWndCtrl = reinterpret_cast<HWND>(lParam);
    int nCode = HIWORD(wParam);
    if (hWndCtrl == nullptr) {
        // A menu item or an accelerator: a command whose update handler disables it is
        // refused here, whatever state the item itself shows.
        if (nID == 0)
            return FALSE;
        CTestCmdUI state;
        state.m_nID = nID;
        OnCmdMsg(nID, CN_UPDATE_COMMAND_UI, &state, nullptr);
        if (!state.m_bEnabled)
            return TRUE;
        nCode = CN_COMMAND;
    } else {
        if (ReflectLastMsg(hWndCtrl))
            return TRUE;
        // Tool-bar buttons are commands too: the same refusal applies.
        CWnd* pSender = FromHandlePermanent(hWndCtrl);
        if (pSender != nullptr && pSender->IsCommandBar()) {
            CTestCmdUI state;
            state.m_nID = nID;
            OnCmdMsg(nID, CN_UPDATE_COMMAND_UI, &state, nullptr);
            if (!state.m_bEnabled)
                return TRUE;
        }
    }
    return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult)
{
    NMHDR* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
    const HWND hWndCtrl = pNMHDR->hwndFrom;
    if (ReflectLastMsg(hWndCtrl, pResult))
        return TRUE;
    const UINT nID = static_cast<UINT>(::GetDlgCtrlID(hWndCtrl));
    AFX_NOTIFY notify = {pResult, pNMHDR};
    return OnCmdMsg(nID, static_cast<int>(MAKELONG(pNMHDR->code, WM_NOTIFY)), &notify, nullptr);
}

BOOL PASCAL CWnd::ReflectLastMsg(HWND hWndChild, LRESULT* pResult)
{
    CWnd* pWnd = FromHandlePermanent(hWndChild);
    return pWnd != nullptr && pWnd->SendChildNotifyLastMsg(pResult);
}

BOOL CWnd::SendChildNotifyLastMsg(LRESULT* pResult)
{
    const MSG& msg = ThreadState().lastMessage;
    return OnChildNotify(msg.message, msg.wParam, msg.lParam, pResult);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    switch (message) {
    case WM_COMMAND: {
        const int nCode = HIWORD(wParam);
        return OnCmdMsg(0, static_cast<int>(MAKELONG(nCode, WM_REFLECT_BASE + WM_COMMAND)), nullptr, nullptr);
    }
    case WM_NOTIFY: {
        NMHDR* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
        LRESULT lDummy = 0;
        AFX_NOTIFY notify = {pResult != nullptr ? pResult : &lDummy, pNMHDR};
        return OnCmdMsg(0, static_cast<int>(MAKELONG(pNMHDR->code, WM_REFLECT_BASE + WM_NOTIFY)), &notify, nullptr);
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        AFX_CTLCOLOR ctl = {m_hWnd, reinterpret_cast<HDC>(wParam), message - WM_CTLCOLORMSGBOX};
        LRESULT lResult = 0;
        if (!OnWndMsg(WM_REFLECT_BASE + WM_CTLCOLOR, 0, reinterpret_cast<LPARAM>(&ctl), &lResult))
            return FALSE;
        if (pResult != nullptr)
            *pResult = lResult;
        return lResult != 0;
    }
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL: {
        LRESULT lResult = 0;
        if (!OnWndMsg(WM_REFLECT_BASE + message, wParam, lParam, &lResult))
            return FALSE;
        if (pResult != nullptr)
            *pResult = lResult;
        return TRUE;
    }
    default:
        return FALSE;
    }
}

HBRUSH CWnd::OnCtlColor(CDC*, CWnd* pWnd, UINT)
{
    LRESULT lResult = 0;
    if (pWnd != nullptr && ReflectLastMsg(pWnd->m_hWnd, &lResult))
        return reinterpret_cast<HBRUSH>(lResult);
    return reinterpret_cast<HBRUSH>(Default());
}

namespace {

// The control that sent an owner-draw message: a menu's items have none.
HWND OwnerDrawSender(HWND hWndParent, UINT nCtlType, int nIDCtl)
{
    return nCtlType == ODT_MENU ? nullptr : ::GetDlgItem(hWndParent, nIDCtl);
}

} // namespace

void CWnd::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (lpDrawItemStruct->CtlType != ODT_MENU && ReflectLastMsg(lpDrawItemStruct->hwndItem))
        return;
    (void)nIDCtl;
    Default();
}

void CWnd::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    const HWND hWndCtrl = OwnerDrawSender(m_hWnd, lpMeasureItemStruct->CtlType, nIDCtl);
    if (hWndCtrl != nullptr && ReflectLastMsg(hWndCtrl))
        return;
    Default();
}

void CWnd::OnDeleteItem(int, LPDELETEITEMSTRUCT lpDeleteItemStruct)
{
    if (ReflectLastMsg(lpDeleteItemStruct->hwndItem))
        return;
    Default();
}

int CWnd::OnCompareItem(int, LPCOMPAREITEMSTRUCT lpCompareItemStruct)
{
    LRESULT lResult = 0;
    if (ReflectLastMsg(lpCompareItemStruct->hwndItem, &lResult))
        return static_cast<int>(lResult);
    return static_cast<int>(Default());
}

int CWnd::OnVKeyToItem(UINT, CListBox* pListBox, UINT)
{
    LRESULT lResult = 0;
    if (pListBox != nullptr && ReflectLastMsg(reinterpret_cast<CWnd*>(pListBox)->m_hWnd, &lResult))
        return static_cast<int>(lResult);
    return static_cast<int>(Default());
}

int CWnd::OnCharToItem(UINT, CListBox* pListBox, UINT)
{
    LRESULT lResult = 0;
    if (pListBox != nullptr && ReflectLastMsg(reinterpret_cast<CWnd*>(pListBox)->m_hWnd, &lResult))
        return static_cast<int>(lResult);
    return static_cast<int>(Default());
}

void CWnd::OnHScroll(UINT, UINT, CScrollBar* pScrollBar)
{
    if (pScrollBar != nullptr && ReflectLastMsg(reinterpret_cast<CWnd*>(pScrollBar)->m_hWnd))
        return;
    Default();
}

void CWnd::OnVScroll(UINT, UINT, CScrollBar* pScrollBar)
{
    if (pScrollBar != nullptr && ReflectLastMsg(reinterpret_cast<CWnd*>(pScrollBar)->m_hWnd))
        return;
    Default();
}

CFrameWnd* CWnd::GetParentFrame() const
{
    for (HWND hWnd = ::GetParent(m_hWnd); hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
        CWnd* pWnd = FromHandlePermanent(hWnd);
        if (pWnd != nullptr && pWnd->IsFrameWnd())
            return reinterpret_cast<CFrameWnd*>(pWnd);
    }
    return nullptr;
}

CFrameWnd* CWnd::GetTopLevelFrame() const
{
    CWnd* pFrame = IsFrameWnd() ? const_cast<CWnd*>(this) : reinterpret_cast<CWnd*>(GetParentFrame());
    while (pFrame != nullptr) {
        CWnd* pParent = reinterpret_cast<CWnd*>(pFrame->GetParentFrame());
        if (pParent == nullptr)
            break;
        pFrame = pParent;
    }
    return reinterpret_cast<CFrameWnd*>(pFrame);
}

CWnd* CWnd::GetTopLevelParent() const
{
    HWND hWndTop = m_hWnd;
    for (HWND hWnd = m_hWnd; hWnd != nullptr; hWnd = ::GetParent(hWnd))
        hWndTop = hWnd;
    return FromHandle(hWndTop);
}

CWnd* CWnd::GetOwner() const
{
    return m_hWndOwner != nullptr ? FromHandle(m_hWndOwner) : GetParent();
}

CWnd* CWnd::GetDescendantWindow(int nID, BOOL bOnlyPerm) const
{
    for (HWND hChild = ::GetTopWindow(m_hWnd); hChild != nullptr; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        if (::GetDlgCtrlID(hChild) == nID) {
            CWnd* pWnd = bOnlyPerm ? FromHandlePermanent(hChild) : FromHandle(hChild);
            if (pWnd != nullptr)
                return pWnd;
        }
        CWnd child(hChild);
        CWnd* pFound = child.GetDescendantWindow(nID, bOnlyPerm);
        child.m_hWnd = nullptr;
        if (pFound != nullptr)
            return pFound;
    }
    return nullptr;
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep,
                                    BOOL bOnlyPerm) const
{
    for (HWND hChild = ::GetTopWindow(m_hWnd); hChild != nullptr; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        if (!bOnlyPerm) {
            ::SendMessageA(hChild, message, wParam, lParam);
        } else if (CWnd* pWnd = FromHandlePermanent(hChild)) {
            // Straight to the object: framework messages need no trip through the system.
            AfxCallWndProc(pWnd, hChild, message, wParam, lParam);
        }
        if (bDeep && ::GetTopWindow(hChild) != nullptr) {
            CWnd child(hChild);
            child.SendMessageToDescendants(message, wParam, lParam, bDeep, bOnlyPerm);
            child.m_hWnd = nullptr;
        }
    }
}

void CWnd::ScreenToClient(LPRECT lpRect) const
{
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(lpRect));
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(lpRect) + 1);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    // The special positions (wndTop, wndBottom...) arrive as handle values.
    const HWND hWndAfter = reinterpret_cast<HWND>(const_cast<CWnd*>(pWndInsertAfter));
    const bool bSpecial = hWndAfter == HWND_TOP || hWndAfter == HWND_BOTTOM ||
                          hWndAfter == HWND_TOPMOST || hWndAfter == HWND_NOTOPMOST;
    return ::SetWindowPos(m_hWnd, bSpecial ? hWndAfter : pWndInsertAfter->GetSafeHwnd(), x, y, cx, cy, nFlags);
}

void CWnd::CalcWindowRect(LPRECT lpClientRect, UINT)
{
    ::AdjustWindowRectEx(lpClientRect, GetStyle(), FALSE, GetExStyle());
}

void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    HWND hWndCenter = pAlternateOwner != nullptr ? pAlternateOwner->m_hWnd
                                                 : ((GetStyle() & WS_CHILD) ? ::GetParent(m_hWnd)
                                                                            : ::GetWindow(m_hWnd, GW_OWNER));
    CRect rcArea;
    if ((GetStyle() & WS_CHILD) != 0) {
        ::GetClientRect(hWndCenter, &rcArea);
    } else {
        MONITORINFO mi = {sizeof(mi)};
        ::GetMonitorInfoA(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &mi);
        rcArea = mi.rcWork;
        if (hWndCenter == nullptr || !::IsWindowVisible(hWndCenter) || ::IsIconic(hWndCenter))
            hWndCenter = nullptr;
    }
    CRect rcCenter = rcArea;
    if (hWndCenter != nullptr && (GetStyle() & WS_CHILD) == 0)
        ::GetWindowRect(hWndCenter, &rcCenter);
    CRect rcWindow;
    GetWindowRect(&rcWindow);
    if ((GetStyle() & WS_CHILD) != 0)
        ::MapWindowPoints(nullptr, hWndCenter, reinterpret_cast<LPPOINT>(&rcWindow), 2);
    int x = rcCenter.CenterPoint().x - rcWindow.Width() / 2;
    int y = rcCenter.CenterPoint().y - rcWindow.Height() / 2;
    // Keep the window inside the area.
    if (x + rcWindow.Width() > rcArea.right)
        x = rcArea.right - rcWindow.Width();
    if (x < rcArea.left)
        x = rcArea.left;
    if (y + rcWindow.Height() > rcArea.bottom)
        y = rcArea.bottom - rcWindow.Height();
    if (y < rcArea.top)
        y = rcArea.top;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::RepositionBars(UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver, UINT nFlag,
                          LPRECT lpRectParam, LPCRECT lpRectClient, BOOL bStretch)
{
    AFX_SIZEPARENTPARAMS layout = {};
    layout.bStretch = bStretch;
    if (lpRectClient != nullptr)
        layout.rect = *lpRectClient;
    else
        ::GetClientRect(m_hWnd, &layout.rect);
    if ((nFlag & reposQuery) == 0)
        layout.hDWP = ::BeginDeferWindowPos(8);

    HWND hWndLeftOver = nullptr;
    for (HWND hChild = ::GetTopWindow(m_hWnd); hChild != nullptr; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        const UINT nIDC = static_cast<UINT>(::GetDlgCtrlID(hChild));
        if (nIDC == nIDLeftOver)
            hWndLeftOver = hChild;
        else if (nIDC >= nIDFirst && nIDC <= nIDLast && FromHandlePermanent(hChild) != nullptr)
            ::SendMessageA(hChild, WM_SIZEPARENT, 0, reinterpret_cast<LPARAM>(&layout));
    }

    if ((nFlag & reposQuery) != 0) {
        if (bStretch)
            ::CopyRect(lpRectParam, &layout.rect);
        else
            ::SetRect(lpRectParam, 0, 0, layout.sizeTotal.cx, layout.sizeTotal.cy);
        return;
    }
    if (nIDLeftOver != 0 && hWndLeftOver != nullptr) {
        CRect rect = layout.rect;
        if ((nFlag & reposExtra) != 0 && lpRectParam != nullptr)
            rect.DeflateRect(lpRectParam->left, lpRectParam->top, lpRectParam->right, lpRectParam->bottom);
        if (layout.hDWP != nullptr)
            layout.hDWP = ::DeferWindowPos(layout.hDWP, hWndLeftOver, nullptr, rect.left, rect.top,
                                           rect.Width(), rect.Height(), SWP_NOACTIVATE | SWP_NOZORDER);
    }
    if (layout.hDWP != nullptr)
        ::EndDeferWindowPos(layout.hDWP);
}

namespace {

// Style and extended style change the same way: only a real change is written and redrawn.
BOOL ModifyWindowLong(HWND hWnd, int nIndex, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    const DWORD dwStyle = static_cast<DWORD>(::GetWindowLongPtrA(hWnd, nIndex));
    const DWORD dwNew = (dwStyle & ~dwRemove) | dwAdd;
    if (dwStyle == dwNew)
        return FALSE;
    ::SetWindowLongPtrA(hWnd, nIndex, static_cast<LONG_PTR>(dwNew));
    if (nFlags != 0)
        ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

} // namespace

BOOL PASCAL CWnd::ModifyStyle(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyWindowLong(hWnd, GWL_STYLE, dwRemove, dwAdd, nFlags);
}

BOOL PASCAL CWnd::ModifyStyleEx(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyWindowLong(hWnd, GWL_EXSTYLE, dwRemove, dwAdd, nFlags);
}

BOOL CWnd::RedrawWindow(LPCRECT lpRectUpdate, CRgn* prgnUpdate, UINT flags)
{
    return ::RedrawWindow(m_hWnd, lpRectUpdate, prgnUpdate != nullptr ? static_cast<HRGN>(*prgnUpdate) : nullptr, flags);
}

int CWnd::ReleaseDC(CDC* pDC)
{
    if (pDC == nullptr)
        return 0;
    const HDC hDC = pDC->m_hDC;
    return ::ReleaseDC(m_hWnd, hDC);
}

void CWnd::GetWindowText(CString& rString) const
{
    const int nLength = ::GetWindowTextLengthA(m_hWnd);
    const int nCopied = ::GetWindowTextA(m_hWnd, rString.GetBuffer(nLength + 1), nLength + 1);
    rString.ReleaseBuffer(nCopied);
}

int CWnd::GetDlgItemText(int nID, CString& rString) const
{
    rString.Empty();
    const HWND hWndItem = ::GetDlgItem(m_hWnd, nID);
    if (hWndItem == nullptr)
        return 0;
    const int nLength = ::GetWindowTextLengthA(hWndItem);
    const int nCopied = ::GetWindowTextA(hWndItem, rString.GetBuffer(nLength + 1), nLength + 1);
    rString.ReleaseBuffer(nCopied);
    return nCopied;
}

int CWnd::GetCheckedRadioButton(int nIDFirst, int nIDLast) const
{
    for (int nID = nIDFirst; nID <= nIDLast; ++nID) {
        if (::IsDlgButtonChecked(m_hWnd, nID) == BST_CHECKED)
            return nID;
    }
    return 0;
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw)
{
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(pFont->GetSafeHandle()), bRedraw);
}

CFont* CWnd::GetFont() const
{
    return CFont::FromHandle(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
}

int CWnd::MessageBox(LPCSTR lpszText, LPCSTR lpszCaption, UINT nType)
{
    const PromptRequest request = {m_hWnd, lpszText, lpszCaption != nullptr ? lpszCaption : AfxGetAppName(),
                                   nType, 0};
    return ShowPrompt(request);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL,
                                               reinterpret_cast<LPARAM>(hIcon)));
}

HICON CWnd::GetIcon(BOOL bBigIcon) const
{
    return reinterpret_cast<HICON>(SendMessage(WM_GETICON, bBigIcon ? ICON_BIG : ICON_SMALL, 0));
}

void CWnd::DragAcceptFiles(BOOL bAccept)
{
    ModifyStyleEx(bAccept ? 0 : WS_EX_ACCEPTFILES, bAccept ? WS_EX_ACCEPTFILES : 0);
}

BOOL CWnd::GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask) const
{
    lpScrollInfo->cbSize = sizeof(SCROLLINFO);
    lpScrollInfo->fMask = nMask;
    return ::GetScrollInfo(m_hWnd, nBar, lpScrollInfo);
}

int CWnd::GetScrollLimit(int nBar) const
{
    SCROLLINFO info = {};
    if (!GetScrollInfo(nBar, &info, SIF_RANGE | SIF_PAGE))
        return 0;
    const int nLimit = info.nMax - (info.nPage > 0 ? static_cast<int>(info.nPage) - 1 : 0);
    return nLimit > info.nMin ? nLimit : info.nMin;
}

INT_PTR CWnd::OnToolHitTest(CPoint point, TOOLINFOA* pTI) const
{
    // Child windows are the default tools: the tool is the child's handle, its id the answer.
    const HWND hWndChild = ::ChildWindowFromPointEx(m_hWnd, point, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (hWndChild == nullptr || hWndChild == m_hWnd)
        return -1;
    const int nID = ::GetDlgCtrlID(hWndChild);
    if (pTI != nullptr) {
        pTI->hwnd = m_hWnd;
        pTI->uId = reinterpret_cast<UINT_PTR>(hWndChild);
        pTI->uFlags |= TTF_IDISHWND;
        pTI->lpszText = LPSTR_TEXTCALLBACKA;
    }
    return nID != 0 ? nID : -1;
}

BOOL CWnd::EnableToolTips(BOOL bEnable)
{
    const BOOL bOld = m_bToolTips;
    m_bToolTips = bEnable;
    return bOld;
}

namespace {

// Command UI of a child control for UpdateDialogControls.
class CControlCmdUI : public CCmdUI
{
public:
    void Enable(BOOL bOn) override
    {
        const HWND hWnd = m_pOther->m_hWnd;
        // A control about to be disabled must not keep the focus.
        if (!bOn && ::GetFocus() == hWnd)
            ::SendMessageA(::GetParent(hWnd), WM_NEXTDLGCTL, 0, FALSE);
        ::EnableWindow(hWnd, bOn);
        m_bEnableChanged = TRUE;
    }
    void SetCheck(int nCheck) override
    {
        if ((::SendMessageA(m_pOther->m_hWnd, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON) != 0)
            ::SendMessageA(m_pOther->m_hWnd, BM_SETCHECK, static_cast<WPARAM>(nCheck), 0);
    }
    void SetRadio(BOOL bOn) override { SetCheck(bOn ? 1 : 0); }
    void SetText(LPCSTR lpszText) override { ::SetWindowTextA(m_pOther->m_hWnd, lpszText); }
};

} // namespace

void CWnd::UpdateDialogControls(CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    CControlCmdUI state;
    CWnd wndTemp;
    for (HWND hChild = ::GetTopWindow(m_hWnd); hChild != nullptr; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        const int nID = ::GetDlgCtrlID(hChild);
        if (nID == 0 || nID == 0xFFFF)
            continue;
        CWnd* pChild = FromHandlePermanent(hChild);
        wndTemp.m_hWnd = hChild;
        state.m_pOther = pChild != nullptr ? pChild : &wndTemp;
        state.m_nID = static_cast<UINT>(nID);
        // Only push buttons are disabled for want of a handler; other controls keep their state.
        const BOOL bButton = (::SendMessageA(hChild, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON) != 0;
        state.DoUpdate(pTarget, bDisableIfNoHndler && bButton);
    }
    wndTemp.m_hWnd = nullptr;
}

CWnd* AFXAPI AfxGetMainWnd()
{
    // The calling thread's main window; threads without a thread object see the application's.
    CWinThread* pThread = AfxGetThread();
    if (pThread == nullptr)
        pThread = AfxGetApp();
    return pThread != nullptr ? pThread->GetMainWnd() : nullptr;
}

BOOL AFXAPI AfxInitCommonControls(DWORD dwFlags)
{
    INITCOMMONCONTROLSEX init = {sizeof(init), dwFlags};
    return ::InitCommonControlsEx(&init);
}
