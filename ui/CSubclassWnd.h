// CSubclassWnd: a hook that sees, and may answer, the messages of a window another object owns.
// Several hooks may sit on one window; the newest sees a message first and passes it on to the
// older ones, and the window's own procedure comes last.
#pragma once

#include "framework/CObject.h"

#include <windows.h>

class CWnd;

class CSubclassWnd : public CObject
{
    DECLARE_DYNAMIC(CSubclassWnd)
public:
    CSubclassWnd() = default;
    CSubclassWnd(const CSubclassWnd&) = delete;
    CSubclassWnd& operator=(const CSubclassWnd&) = delete;
    ~CSubclassWnd() override;

    virtual BOOL HookWindow(CWnd* wnd);
    // A window puts this hook at the head of its chain (a hook still on another window leaves it
    // first; hooking the same window again changes nothing); null takes the hook off its window.
    virtual BOOL HookWindow(HWND hwnd);
    virtual BOOL IsAttached() const { return m_hWnd != nullptr; }
    // Passes the message on: to the older hook of the window, or to its own procedure.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Passes on the message being dispatched now (as the base WindowProc does).
    virtual LRESULT Default();

    HWND GetHookedWindow() const { return m_hWnd; }

private:
    friend class CSubclassWndMap;

    HWND m_hWnd = nullptr;
    WNDPROC m_savedProc = nullptr;
    CSubclassWnd* m_next = nullptr;
};
