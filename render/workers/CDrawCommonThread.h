// CDrawCommonThread: the base of the long-lived workers (drawing thread, thumbnail thread): one
// Win32 thread, its shared flags, the lock that guards the notify window and the result flag, and
// the guarded ways of reporting to windows (a post, and a blocking send with a time-out). Nothing
// is reported while the worker is disabled, the application's mode is none or it is closing.
#pragma once

#include "framework/CCriticalSection.h"
#include "render/workers/WorkerAppState.h"

#include <windows.h>

#include <atomic>

class CDrawCommonThread
{
public:
    static constexpr UINT kMsgPictureReady = 0x8014;

    CDrawCommonThread() = default;
    // The owner destroys the object only after the thread has ended (StopAndWait).
    virtual ~CDrawCommonThread();
    CDrawCommonThread(const CDrawCommonThread&) = delete;
    CDrawCommonThread& operator=(const CDrawCommonThread&) = delete;

    virtual void NotifyProgress(int value);
    virtual DWORD Run();

    bool CreateThread();
    // Only the worker itself may suspend its thread (so it never stops while holding a lock);
    // from any other thread the call is refused with (DWORD)-1.
    DWORD SuspendThread();
    DWORD ResumeThread();
    bool HasExited() const;
    // Cooperative stop: disables reporting, clears the result flag, raises the stop flag, wakes
    // the worker (and resumes it when it suspended itself), then waits up to timeoutMs for it to
    // end while handling this thread's messages. True when it ended.
    bool StopAndWait(DWORD timeoutMs);
    // Raises the stop flag and wakes the worker without waiting for it (the application pauses
    // its workers when its main window closes; StopAndWait ends them later).
    void RequestStop();

    // The application's state the worker reads before it reports (not owned; it outlives the
    // worker). Handed in before the thread starts.
    void SetAppState(const WorkerAppState* state) { m_appState.store(state); }
    // The main window of the state handed in (none without one).
    HWND GetMainWindow() const;

    void SetNotifyWnd(HWND window);
    HWND GetNotifyWnd() const;
    void SetEnabled(bool enabled);
    bool IsEnabled() const;
    bool GetResultFlag() const;
    void SetResultFlag(bool flag);
    bool IsSuspended() const { return m_suspended.load(); }
    bool IsStopRequested() const { return m_stop.load(); }
    void SetSkipFlag(bool skip) { m_skip.store(skip); }
    bool GetSkipFlag() const { return m_skip.load(); }
    DWORD GetThreadId() const { return m_threadId; }
    // The thread's handle, for a last-resort TerminateThread; the object keeps owning it.
    HANDLE GetThreadHandle() const { return m_thread; }

    // PostMessageA when the worker is enabled, the mode is not none, the target is a window and
    // the application is not closing; otherwise dropped. True when posted.
    bool PostToWindow(HWND target, UINT message, WPARAM wParam, LPARAM lParam) const;
    // The blocking send of 0x8014 (3000 ms) to the notify window, only for wanted work.
    void SendPictureReady(LPARAM picture) const;

protected:
    // The guarded blocking send to the notify window (SMTO_BLOCK): needs a notify window, the
    // result flag and everything PostToWindow needs. unanswered (when given) tells whether the
    // message went out without an answer (timed out, or the window went away meanwhile): the
    // window may still be handling it, so what lParam points at must stay alive. sentTo (when
    // given) receives the window the message went to: the notify window may change meanwhile.
    bool SendToNotifyWindow(UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs,
                            bool* unanswered = nullptr, HWND* sentTo = nullptr) const;
    // What the state handed in says: mode none and not closing without one.
    int GetAppMode() const;
    bool IsAppClosing() const;
    // Wakes a worker that sleeps on something of its own (the drawing thread's event).
    virtual void WakeForStop() {}
    CCriticalSection& Lock() const { return m_lock; }

private:
    static DWORD WINAPI ThreadProc(LPVOID parameter);
    bool MayReport(HWND target) const;

    std::atomic<const WorkerAppState*> m_appState{nullptr};
    std::atomic<bool> m_enabled{true};
    HWND m_notifyWnd = nullptr; // under the lock
    mutable CCriticalSection m_lock;
    HANDLE m_thread = nullptr;
    DWORD m_threadId = 0;
    std::atomic<bool> m_suspended{true};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_result{true}; // changed under the lock
    std::atomic<bool> m_skip{false};
};
