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

BOOL CWnd::PreTranslateMessage(MSG* pMsg)
{
    if (m_bToolTips)
        FilterToolTipMessage(pMsg);
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

