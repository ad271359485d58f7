#include "ui/CSubclassWnd.h"

#include "framework/CMapPtrToPtr.h"
#include "framework/CWnd.h"

IMPLEMENT_DYNAMIC(CSubclassWnd, CObject)

// The chains of all hooked windows: window -> its newest hook. One per process; windows and
// their hooks belong to the thread that made the window, so it needs no lock.
class CSubclassWndMap
{
public:
    static CSubclassWndMap& Instance()
    {
        static CSubclassWndMap map;
        return map;
    }

    CSubclassWnd* Head(HWND hwnd) const
    {
        void* head = nullptr;
        return m_heads.Lookup(hwnd, head) ? static_cast<CSubclassWnd*>(head) : nullptr;
    }

    void Add(HWND hwnd, CSubclassWnd& hook)
    {
        CSubclassWnd* first = Head(hwnd);
        hook.m_hWnd = hwnd;
        hook.m_next = first;
        m_heads.SetAt(hwnd, &hook);
        hook.m_savedProc = first ? first->m_savedProc
                                 : reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
                                       hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SharedProc)));
    }

    void Remove(CSubclassWnd& hook)
    {
        const HWND hwnd = hook.m_hWnd;
        CSubclassWnd* head = Head(hwnd);
        if (head == &hook) {
            if (hook.m_next) {
                m_heads.SetAt(hwnd, hook.m_next);
            } else {
                m_heads.RemoveKey(hwnd);
                SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hook.m_savedProc));
            }
        } else {
            for (CSubclassWnd* h = head; h; h = h->m_next) {
                if (h->m_next == &hook) {
                    h->m_next = hook.m_next;
                    break;
                }
            }
        }
        hook.m_hWnd = nullptr;
        hook.m_savedProc = nullptr;
        hook.m_next = nullptr;
    }

    void RemoveAll(HWND hwnd)
    {
        while (CSubclassWnd* head = Head(hwnd))
            Remove(*head);
    }

    // The message being dispatched on this thread, read by Default.
    static MSG& Current()
    {
        static thread_local MSG current = {};
        return current;
    }

private:
    static LRESULT CALLBACK SharedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    CMapPtrToPtr m_heads{10};
};

LRESULT CALLBACK CSubclassWndMap::SharedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    MSG& current = Current();
    const MSG saved = current; // a hook's own sends dispatch nested messages
    current.hwnd = hwnd;
    current.message = msg;
    current.wParam = wParam;
    current.lParam = lParam;
    LRESULT result = 0;
    CSubclassWndMap& map = Instance();
    CSubclassWnd* head = map.Head(hwnd);
    try {
        if (!head) {
            result = DefWindowProcA(hwnd, msg, wParam, lParam);
        } else if (msg == WM_NCDESTROY) {
            // The window goes: every hook lets go first and none of them sees the message.
            const WNDPROC proc = head->m_savedProc;
            map.RemoveAll(hwnd);
            result = CallWindowProcA(proc, hwnd, msg, wParam, lParam);
        } else {
            result = head->WindowProc(msg, wParam, lParam);
        }
    } catch (...) {
        result = 0; // nothing may unwind through the system's dispatch
    }
    current = saved;
    return result;
}

CSubclassWnd::~CSubclassWnd()
{
    if (m_hWnd)
        CSubclassWndMap::Instance().Remove(*this);
}

BOOL CSubclassWnd::HookWindow(CWnd* wnd)
{
    return HookWindow(wnd ? wnd->GetSafeHwnd() : nullptr);
}

BOOL CSubclassWnd::HookWindow(HWND hwnd)
{
    CSubclassWndMap& map = CSubclassWndMap::Instance();
    if (hwnd && hwnd == m_hWnd)
        return TRUE;
    // A hook sits in one chain at a time: in two it would be called twice or cut one short.
    if (m_hWnd)
        map.Remove(*this);
    if (hwnd)
        map.Add(hwnd, *this);
    return TRUE;
}

LRESULT CSubclassWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_next)
        return m_next->WindowProc(msg, wParam, lParam);
    if (m_savedProc)
        return CallWindowProcA(m_savedProc, m_hWnd, msg, wParam, lParam);
    return m_hWnd ? DefWindowProcA(m_hWnd, msg, wParam, lParam) : 0;
}

LRESULT CSubclassWnd::Default()
{
    // Passed on, not handed back to this hook's own override.
    const MSG& current = CSubclassWndMap::Current();
    return CSubclassWnd::WindowProc(current.message, current.wParam, current.lParam);
}
