// Static message maps: the map structures, the framework's private messages, and the entry
// macros (ON_WM_*, ON_MESSAGE, ON_COMMAND..., ON_NOTIFY..., reflection). Each entry holds a small
// typed function made by its macro, so a handler's signature is checked by the compiler.
#pragma once

#include <windows.h>

#include <type_traits>

class CCmdTarget;
class CCmdUI;

// The framework's own messages.
#define WM_SIZEPARENT 0x0361       // RepositionBars asks each bar for its place
#define WM_SETMESSAGESTRING 0x0362 // status line prompt: wParam string id, or lParam text
#define WM_IDLEUPDATECMDUI 0x0363  // idle-time update of command UI (wParam: disable if no handler)
#define WM_INITIALUPDATE 0x0364    // a view's first update
#define WM_KICKIDLE 0x036A         // wakes the idle loop of a modal loop
#define WM_CTLCOLOR 0x0019         // stands for every WM_CTLCOLORxxx in reflected maps
#define WM_REFLECT_BASE 0xBC00     // a control's own copy of its parent's notification

// Command codes of OnCmdMsg.
#define CN_COMMAND 0
#define CN_UPDATE_COMMAND_UI (-1)

namespace afx_detail {
// A handler's answer as the message result: handles (brushes, cursors) and numbers alike.
template <class T>
LRESULT ToLResult(T value)
{
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<LRESULT>(value);
    else
        return static_cast<LRESULT>(value);
}
} // namespace afx_detail

// Data of one dispatch, filled by the caller and read by the entry's function.
struct AFX_MSGCALL
{
    WPARAM wParam;
    LPARAM lParam;
    UINT nID;       // command or control id
    void* pExtra;   // CCmdUI* for updates, AFX_NOTIFY* for notifications
    LRESULT lResult;
};

// Returns TRUE when the message counts as handled.
using AFX_PMSGHANDLER = BOOL (*)(CCmdTarget* target, AFX_MSGCALL& call);

struct AFX_MSGMAP_ENTRY
{
    UINT nMessage; // window message, WM_COMMAND, WM_NOTIFY, or WM_REFLECT_BASE + one of them
    UINT nCode;    // control notification code (low word), or CN_UPDATE_COMMAND_UI
    UINT nID;      // first command or control id
    UINT nLastID;  // last id of a range
    AFX_PMSGHANDLER pfn;
};

struct AFX_MSGMAP
{
    const AFX_MSGMAP*(PASCAL* pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// pExtra of a WM_NOTIFY dispatch.
struct AFX_NOTIFY
{
    LRESULT* pResult;
    NMHDR* pNMHDR;
};

// lParam of a reflected WM_CTLCOLOR.
struct AFX_CTLCOLOR
{
    HWND hWnd;
    HDC hDC;
    UINT nCtlType;
};

// Filled instead of calling the handler when OnCmdMsg only asks whether one exists.
struct AFX_CMDHANDLERINFO
{
    CCmdTarget* pTarget;
};

#define DECLARE_MESSAGE_MAP()                                                                     \
protected:                                                                                         \
    static const AFX_MSGMAP* PASCAL GetThisMessageMap();                                           \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                    \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }             \
    const AFX_MSGMAP* PASCAL theClass::GetThisMessageMap()                                         \
    {                                                                                              \
        using ThisClass [[maybe_unused]] = theClass;                                               \
        using TheBaseClass = baseClass;                                                            \
        static const AFX_MSGMAP_ENTRY messageEntries[] = {

#define END_MESSAGE_MAP()                                                                         \
            {0, 0, 0, 0, nullptr}};                                                                \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap,                    \
                                              &messageEntries[0]};                                 \
        return &messageMap;                                                                        \
    }

// One entry; the body sees `afxThis` (the object as ThisClass) and `afxCall`.
#define AFX_MSG_ENTRY(msg, code, id, lastId, ...)                                                 \
    {static_cast<UINT>(msg), static_cast<UINT>(code), static_cast<UINT>(id),                       \
     static_cast<UINT>(lastId),                                                                    \
     [](CCmdTarget* afxTarget, AFX_MSGCALL& afxCall) -> BOOL {                                     \
         ThisClass* const afxThis = static_cast<ThisClass*>(afxTarget);                            \
         (void)afxThis;                                                                            \
         (void)afxCall;                                                                            \
         __VA_ARGS__                                                                               \
     }},

#define AFX_WM_ENTRY(msg, ...) AFX_MSG_ENTRY(msg, 0, 0, 0, __VA_ARGS__)
#define AFX_WM_VOID(msg, call) AFX_WM_ENTRY(msg, afxThis->call; afxCall.lResult = 0; return TRUE;)
#define AFX_WM_RESULT(msg, call)                                                                  \
    AFX_WM_ENTRY(msg, afxCall.lResult = afx_detail::ToLResult(afxThis->call); return TRUE;)

#define AFX_WP afxCall.wParam
#define AFX_LP afxCall.lParam
#define AFX_PT CPoint(afxCall.lParam)
#define AFX_WND(h) CWnd::FromHandle(reinterpret_cast<HWND>(h))

// Window messages.
#define ON_WM_CREATE() AFX_WM_RESULT(WM_CREATE, OnCreate(reinterpret_cast<LPCREATESTRUCT>(AFX_LP)))
#define ON_WM_DESTROY() AFX_WM_VOID(WM_DESTROY, OnDestroy())
#define ON_WM_NCDESTROY() AFX_WM_VOID(WM_NCDESTROY, OnNcDestroy())
#define ON_WM_CLOSE() AFX_WM_VOID(WM_CLOSE, OnClose())
#define ON_WM_SIZE() AFX_WM_VOID(WM_SIZE, OnSize(static_cast<UINT>(AFX_WP), static_cast<short>(LOWORD(AFX_LP)), static_cast<short>(HIWORD(AFX_LP))))
#define ON_WM_SIZING() AFX_WM_VOID(WM_SIZING, OnSizing(static_cast<UINT>(AFX_WP), reinterpret_cast<LPRECT>(AFX_LP)))
#define ON_WM_MOVE() AFX_WM_VOID(WM_MOVE, OnMove(static_cast<short>(LOWORD(AFX_LP)), static_cast<short>(HIWORD(AFX_LP))))
#define ON_WM_PAINT() AFX_WM_VOID(WM_PAINT, OnPaint())
#define ON_WM_ERASEBKGND() AFX_WM_RESULT(WM_ERASEBKGND, OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(AFX_WP))))
#define ON_WM_TIMER() AFX_WM_VOID(WM_TIMER, OnTimer(static_cast<UINT_PTR>(AFX_WP)))
#define ON_WM_SETCURSOR() AFX_WM_RESULT(WM_SETCURSOR, OnSetCursor(AFX_WND(AFX_WP), LOWORD(AFX_LP), HIWORD(AFX_LP)))
#define ON_WM_MOUSEMOVE() AFX_WM_VOID(WM_MOUSEMOVE, OnMouseMove(static_cast<UINT>(AFX_WP), AFX_PT))
#define ON_WM_LBUTTONDOWN() AFX_WM_VOID(WM_LBUTTONDOWN, OnLButtonDown(static_cast<UINT>(AFX_WP), AFX_PT))
#define ON_WM_LBUTTONUP() AFX_WM_VOID(WM_LBUTTONUP, OnLButtonUp(static_cast<UINT>(AFX_WP), AFX_PT))
#define ON_WM_LBUTTONDBLCLK() AFX_WM_VOID(WM_LBUTTONDBLCLK, OnLButtonDblClk(static_cast<UINT>(AFX_WP), AFX_PT))
#define ON_WM_RBUTTONDOWN() AFX_WM_VOID(WM_RBUTTONDOWN, OnRButtonDown(static_cast<UINT>(AFX_WP), AFX_PT))
#define ON_WM_RBUTTONUP() AFX_WM_VOID(WM_RBUTTONUP, OnRButtonUp(static_cast<UINT>(AFX_WP), AFX_PT))
#define ON_WM_RBUTTONDBLCLK() AFX_WM_VOID(WM_RBUTTONDBLCLK, OnRButtonDblClk(static_cast<UINT>(AFX_WP), AFX_PT))
#define ON_WM_MBUTTONDOWN() AFX_WM_VOID(WM_MBUTTONDOWN, OnMButtonDown(static_cast<UINT>(AFX_WP), AFX_PT))
#define ON_WM_MBUTTONUP() AFX_WM_VOID(WM_MBUTTONUP, OnMButtonUp(static_cast<UINT>(AFX_WP), AFX_PT))
#define ON_WM_MOUSEWHEEL() AFX_WM_RESULT(WM_MOUSEWHEEL, OnMouseWheel(LOWORD(AFX_WP), static_cast<short>(HIWORD(AFX_WP)), AFX_PT))
#define ON_WM_KEYDOWN() AFX_WM_VOID(WM_KEYDOWN, OnKeyDown(static_cast<UINT>(AFX_WP), LOWORD(AFX_LP), HIWORD(AFX_LP)))
#define ON_WM_KEYUP() AFX_WM_VOID(WM_KEYUP, OnKeyUp(static_cast<UINT>(AFX_WP), LOWORD(AFX_LP), HIWORD(AFX_LP)))
#define ON_WM_SYSKEYDOWN() AFX_WM_VOID(WM_SYSKEYDOWN, OnSysKeyDown(static_cast<UINT>(AFX_WP), LOWORD(AFX_LP), HIWORD(AFX_LP)))
#define ON_WM_CHAR() AFX_WM_VOID(WM_CHAR, OnChar(static_cast<UINT>(AFX_WP), LOWORD(AFX_LP), HIWORD(AFX_LP)))
#define ON_WM_GETDLGCODE() AFX_WM_RESULT(WM_GETDLGCODE, OnGetDlgCode())
#define ON_WM_SETFOCUS() AFX_WM_VOID(WM_SETFOCUS, OnSetFocus(AFX_WND(AFX_WP)))
#define ON_WM_KILLFOCUS() AFX_WM_VOID(WM_KILLFOCUS, OnKillFocus(AFX_WND(AFX_WP)))
#define ON_WM_SHOWWINDOW() AFX_WM_VOID(WM_SHOWWINDOW, OnShowWindow(static_cast<BOOL>(AFX_WP), static_cast<UINT>(AFX_LP)))
#define ON_WM_ACTIVATE() AFX_WM_VOID(WM_ACTIVATE, OnActivate(LOWORD(AFX_WP), AFX_WND(AFX_LP), HIWORD(AFX_WP)))
#define ON_WM_ENABLE() AFX_WM_VOID(WM_ENABLE, OnEnable(static_cast<BOOL>(AFX_WP)))
#define ON_WM_CANCELMODE() AFX_WM_VOID(WM_CANCELMODE, OnCancelMode())
#define ON_WM_CAPTURECHANGED() AFX_WM_VOID(WM_CAPTURECHANGED, OnCaptureChanged(AFX_WND(AFX_LP)))
#define ON_WM_CONTEXTMENU() AFX_WM_VOID(WM_CONTEXTMENU, OnContextMenu(AFX_WND(AFX_WP), AFX_PT))
#define ON_WM_NCPAINT() AFX_WM_VOID(WM_NCPAINT, OnNcPaint())
#define ON_WM_NCHITTEST() AFX_WM_RESULT(WM_NCHITTEST, OnNcHitTest(AFX_PT))
#define ON_WM_NCCALCSIZE() AFX_WM_VOID(WM_NCCALCSIZE, OnNcCalcSize(static_cast<BOOL>(AFX_WP), reinterpret_cast<NCCALCSIZE_PARAMS*>(AFX_LP)))
#define ON_WM_NCMOUSEMOVE() AFX_WM_VOID(WM_NCMOUSEMOVE, OnNcMouseMove(static_cast<UINT>(AFX_WP), AFX_PT))
#define ON_WM_NCLBUTTONDOWN() AFX_WM_VOID(WM_NCLBUTTONDOWN, OnNcLButtonDown(static_cast<UINT>(AFX_WP), AFX_PT))
#define ON_WM_NCLBUTTONUP() AFX_WM_VOID(WM_NCLBUTTONUP, OnNcLButtonUp(static_cast<UINT>(AFX_WP), AFX_PT))
#define ON_WM_NCLBUTTONDBLCLK() AFX_WM_VOID(WM_NCLBUTTONDBLCLK, OnNcLButtonDblClk(static_cast<UINT>(AFX_WP), AFX_PT))
#define ON_WM_NCRBUTTONDOWN() AFX_WM_VOID(WM_NCRBUTTONDOWN, OnNcRButtonDown(static_cast<UINT>(AFX_WP), AFX_PT))
#define ON_WM_NCRBUTTONUP() AFX_WM_VOID(WM_NCRBUTTONUP, OnNcRButtonUp(static_cast<UINT>(AFX_WP), AFX_PT))
#define ON_WM_MEASUREITEM() AFX_WM_VOID(WM_MEASUREITEM, OnMeasureItem(static_cast<int>(AFX_WP), reinterpret_cast<LPMEASUREITEMSTRUCT>(AFX_LP)))
#define ON_WM_DRAWITEM() AFX_WM_VOID(WM_DRAWITEM, OnDrawItem(static_cast<int>(AFX_WP), reinterpret_cast<LPDRAWITEMSTRUCT>(AFX_LP)))
#define ON_WM_DELETEITEM() AFX_WM_VOID(WM_DELETEITEM, OnDeleteItem(static_cast<int>(AFX_WP), reinterpret_cast<LPDELETEITEMSTRUCT>(AFX_LP)))
#define ON_WM_COMPAREITEM() AFX_WM_RESULT(WM_COMPAREITEM, OnCompareItem(static_cast<int>(AFX_WP), reinterpret_cast<LPCOMPAREITEMSTRUCT>(AFX_LP)))
#define ON_WM_VKEYTOITEM() AFX_WM_RESULT(WM_VKEYTOITEM, OnVKeyToItem(LOWORD(AFX_WP), reinterpret_cast<CListBox*>(AFX_WND(AFX_LP)), HIWORD(AFX_WP)))
#define ON_WM_CHARTOITEM() AFX_WM_RESULT(WM_CHARTOITEM, OnCharToItem(LOWORD(AFX_WP), reinterpret_cast<CListBox*>(AFX_WND(AFX_LP)), HIWORD(AFX_WP)))
#define ON_WM_HSCROLL() AFX_WM_VOID(WM_HSCROLL, OnHScroll(LOWORD(AFX_WP), static_cast<short>(HIWORD(AFX_WP)), reinterpret_cast<CScrollBar*>(AFX_WND(AFX_LP))))
#define ON_WM_VSCROLL() AFX_WM_VOID(WM_VSCROLL, OnVScroll(LOWORD(AFX_WP), static_cast<short>(HIWORD(AFX_WP)), reinterpret_cast<CScrollBar*>(AFX_WND(AFX_LP))))
#define ON_WM_WINDOWPOSCHANGING() AFX_WM_VOID(WM_WINDOWPOSCHANGING, OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(AFX_LP)))
#define ON_WM_WINDOWPOSCHANGED() AFX_WM_VOID(WM_WINDOWPOSCHANGED, OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(AFX_LP)))
#define ON_WM_GETMINMAXINFO() AFX_WM_VOID(WM_GETMINMAXINFO, OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(AFX_LP)))
#define ON_WM_ENTERSIZEMOVE() AFX_WM_VOID(WM_ENTERSIZEMOVE, OnEnterSizeMove())
#define ON_WM_EXITSIZEMOVE() AFX_WM_VOID(WM_EXITSIZEMOVE, OnExitSizeMove())
#define ON_WM_MENUSELECT() AFX_WM_VOID(WM_MENUSELECT, OnMenuSelect(LOWORD(AFX_WP), HIWORD(AFX_WP), reinterpret_cast<HMENU>(AFX_LP)))
#define ON_WM_MENUCHAR() AFX_WM_RESULT(WM_MENUCHAR, OnMenuChar(LOWORD(AFX_WP), HIWORD(AFX_WP), CMenu::FromHandle(reinterpret_cast<HMENU>(AFX_LP))))
#define ON_WM_INITMENUPOPUP() AFX_WM_VOID(WM_INITMENUPOPUP, OnInitMenuPopup(CMenu::FromHandle(reinterpret_cast<HMENU>(AFX_WP)), LOWORD(AFX_LP), HIWORD(AFX_LP)))
#define ON_WM_SYSCOMMAND() AFX_WM_VOID(WM_SYSCOMMAND, OnSysCommand(static_cast<UINT>(AFX_WP), AFX_LP))
#define ON_WM_SETTINGCHANGE() AFX_WM_VOID(WM_SETTINGCHANGE, OnSettingChange(static_cast<UINT>(AFX_WP), reinterpret_cast<LPCSTR>(AFX_LP)))
#define ON_WM_SYSCOLORCHANGE() AFX_WM_VOID(WM_SYSCOLORCHANGE, OnSysColorChange())
#define ON_WM_DROPFILES() AFX_WM_VOID(WM_DROPFILES, OnDropFiles(reinterpret_cast<HDROP>(AFX_WP)))
#define ON_WM_DEVICECHANGE() AFX_WM_RESULT(WM_DEVICECHANGE, OnDeviceChange(static_cast<UINT>(AFX_WP), static_cast<DWORD_PTR>(AFX_LP)))
#define ON_WM_ACTIVATEAPP() AFX_WM_VOID(WM_ACTIVATEAPP, OnActivateApp(static_cast<BOOL>(AFX_WP), static_cast<DWORD>(AFX_LP)))
#define ON_WM_NCACTIVATE() AFX_WM_RESULT(WM_NCACTIVATE, OnNcActivate(static_cast<BOOL>(AFX_WP)))
#define ON_WM_MOUSEACTIVATE() AFX_WM_RESULT(WM_MOUSEACTIVATE, OnMouseActivate(AFX_WND(AFX_WP), LOWORD(AFX_LP), HIWORD(AFX_LP)))

// Every WM_CTLCOLORxxx message to OnCtlColor(CDC*, CWnd*, UINT nCtlColor).
#define AFX_CTLCOLOR_ENTRY(msg)                                                                   \
    AFX_WM_RESULT(msg, OnCtlColor(CDC::FromHandle(reinterpret_cast<HDC>(AFX_WP)), AFX_WND(AFX_LP), (msg) - WM_CTLCOLORMSGBOX))
#define ON_WM_CTLCOLOR()                                                                          \
    AFX_CTLCOLOR_ENTRY(WM_CTLCOLORMSGBOX) AFX_CTLCOLOR_ENTRY(WM_CTLCOLOREDIT)                     \
    AFX_CTLCOLOR_ENTRY(WM_CTLCOLORLISTBOX) AFX_CTLCOLOR_ENTRY(WM_CTLCOLORBTN)                     \
    AFX_CTLCOLOR_ENTRY(WM_CTLCOLORDLG) AFX_CTLCOLOR_ENTRY(WM_CTLCOLORSCROLLBAR)                   \
    AFX_CTLCOLOR_ENTRY(WM_CTLCOLORSTATIC)

// User messages: LRESULT handler(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn)                                                            \
    AFX_WM_ENTRY(message, afxCall.lResult = (afxThis->*(memberFxn))(AFX_WP, AFX_LP); return TRUE;)
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn) ON_MESSAGE(nMessageVariable, memberFxn)

// Commands: void handler() or, for ranges, void handler(UINT id).
#define ON_COMMAND(id, memberFxn)                                                                 \
    AFX_MSG_ENTRY(WM_COMMAND, CN_COMMAND, id, id, (afxThis->*(memberFxn))(); return TRUE;)
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                                   \
    AFX_MSG_ENTRY(WM_COMMAND, CN_COMMAND, id, idLast, (afxThis->*(memberFxn))(afxCall.nID); return TRUE;)
#define ON_COMMAND_EX(id, memberFxn)                                                              \
    AFX_MSG_ENTRY(WM_COMMAND, CN_COMMAND, id, id, return (afxThis->*(memberFxn))(afxCall.nID);)

// Update handlers: void handler(CCmdUI*). A handler that calls ContinueRouting passes it on.
#define AFX_UPDATE_BODY(memberFxn)                                                                \
    CCmdUI* const afxUI = static_cast<CCmdUI*>(afxCall.pExtra);                                   \
    (afxThis->*(memberFxn))(afxUI);                                                               \
    return afxUI->TakeRoutingResult();
#define ON_UPDATE_COMMAND_UI(id, memberFxn)                                                       \
    AFX_MSG_ENTRY(WM_COMMAND, CN_UPDATE_COMMAND_UI, id, id, AFX_UPDATE_BODY(memberFxn))
#define ON_UPDATE_COMMAND_UI_RANGE(id, idLast, memberFxn)                                         \
    AFX_MSG_ENTRY(WM_COMMAND, CN_UPDATE_COMMAND_UI, id, idLast, AFX_UPDATE_BODY(memberFxn))

// Control notifications through WM_COMMAND: void handler().
#define ON_CONTROL(code, id, memberFxn)                                                           \
    AFX_MSG_ENTRY(WM_COMMAND, static_cast<WORD>(code), id, id, (afxThis->*(memberFxn))(); return TRUE;)
#define ON_CONTROL_RANGE(code, id, idLast, memberFxn)                                             \
    AFX_MSG_ENTRY(WM_COMMAND, static_cast<WORD>(code), id, idLast, (afxThis->*(memberFxn))(afxCall.nID); return TRUE;)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(CBN_EDITCHANGE, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)

// WM_NOTIFY: void handler(NMHDR*, LRESULT*); ranges get the id first; _EX handlers return
// FALSE to let the notification go on to the next command target.
#define AFX_NOTIFY_ARGS                                                                           \
    AFX_NOTIFY* const afxNotify = static_cast<AFX_NOTIFY*>(afxCall.pExtra);
#define ON_NOTIFY(code, id, memberFxn)                                                            \
    AFX_MSG_ENTRY(WM_NOTIFY, static_cast<WORD>(code), id, id, AFX_NOTIFY_ARGS                     \
                  (afxThis->*(memberFxn))(afxNotify->pNMHDR, afxNotify->pResult); return TRUE;)
#define ON_NOTIFY_RANGE(code, id, idLast, memberFxn)                                              \
    AFX_MSG_ENTRY(WM_NOTIFY, static_cast<WORD>(code), id, idLast, AFX_NOTIFY_ARGS                 \
                  (afxThis->*(memberFxn))(afxCall.nID, afxNotify->pNMHDR, afxNotify->pResult);    \
                  return TRUE;)
#define ON_NOTIFY_EX(code, id, memberFxn)                                                         \
    AFX_MSG_ENTRY(WM_NOTIFY, static_cast<WORD>(code), id, id, AFX_NOTIFY_ARGS                     \
                  return (afxThis->*(memberFxn))(afxCall.nID, afxNotify->pNMHDR, afxNotify->pResult);)
#define ON_NOTIFY_EX_RANGE(code, id, idLast, memberFxn)                                           \
    AFX_MSG_ENTRY(WM_NOTIFY, static_cast<WORD>(code), id, idLast, AFX_NOTIFY_ARGS                 \
                  return (afxThis->*(memberFxn))(afxCall.nID, afxNotify->pNMHDR, afxNotify->pResult);)

// Reflected to the control itself (see CWnd::OnChildNotify).
#define ON_NOTIFY_REFLECT(code, memberFxn)                                                        \
    AFX_MSG_ENTRY(WM_REFLECT_BASE + WM_NOTIFY, static_cast<WORD>(code), 0, 0, AFX_NOTIFY_ARGS     \
                  (afxThis->*(memberFxn))(afxNotify->pNMHDR, afxNotify->pResult); return TRUE;)
#define ON_NOTIFY_REFLECT_EX(code, memberFxn)                                                     \
    AFX_MSG_ENTRY(WM_REFLECT_BASE + WM_NOTIFY, static_cast<WORD>(code), 0, 0, AFX_NOTIFY_ARGS     \
                  return (afxThis->*(memberFxn))(afxNotify->pNMHDR, afxNotify->pResult);)
#define ON_CONTROL_REFLECT(code, memberFxn)                                                       \
    AFX_MSG_ENTRY(WM_REFLECT_BASE + WM_COMMAND, static_cast<WORD>(code), 0, 0,                    \
                  (afxThis->*(memberFxn))(); return TRUE;)
#define ON_CONTROL_REFLECT_EX(code, memberFxn)                                                    \
    AFX_MSG_ENTRY(WM_REFLECT_BASE + WM_COMMAND, static_cast<WORD>(code), 0, 0,                    \
                  return (afxThis->*(memberFxn))();)
// HBRUSH CtlColor(CDC*, UINT nCtlColor); a null brush lets the parent decide.
#define ON_WM_CTLCOLOR_REFLECT()                                                                  \
    AFX_WM_ENTRY(WM_REFLECT_BASE + WM_CTLCOLOR,                                                   \
                 const AFX_CTLCOLOR* const afxCtl = reinterpret_cast<const AFX_CTLCOLOR*>(AFX_LP); \
                 const HBRUSH afxBrush = afxThis->CtlColor(CDC::FromHandle(afxCtl->hDC), afxCtl->nCtlType); \
                 afxCall.lResult = reinterpret_cast<LRESULT>(afxBrush); return afxBrush != nullptr;)
#define ON_WM_DRAWITEM_REFLECT()                                                                  \
    AFX_WM_VOID(WM_REFLECT_BASE + WM_DRAWITEM, DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(AFX_LP)))
#define ON_WM_MEASUREITEM_REFLECT()                                                               \
    AFX_WM_VOID(WM_REFLECT_BASE + WM_MEASUREITEM, MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(AFX_LP)))
#define ON_WM_HSCROLL_REFLECT()                                                                   \
    AFX_WM_VOID(WM_REFLECT_BASE + WM_HSCROLL, HScroll(LOWORD(AFX_WP), static_cast<short>(HIWORD(AFX_WP))))
#define ON_WM_VSCROLL_REFLECT()                                                                   \
    AFX_WM_VOID(WM_REFLECT_BASE + WM_VSCROLL, VScroll(LOWORD(AFX_WP), static_cast<short>(HIWORD(AFX_WP))))
