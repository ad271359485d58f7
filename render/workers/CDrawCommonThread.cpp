#include "render/workers/CDrawCommonThread.h"

#include "framework/CSingleLock.h"

namespace {

const DWORD kResumeSliceMs = 50;

} // namespace

CDrawCommonThread::~CDrawCommonThread()
{
    if (m_thread)
        CloseHandle(m_thread);
}

void CDrawCommonThread::NotifyProgress(int)
{
}

DWORD CDrawCommonThread::Run()
{
    return 0;
}

DWORD WINAPI CDrawCommonThread::ThreadProc(LPVOID parameter)
{
    auto* self = static_cast<CDrawCommonThread*>(parameter);
    self->m_suspended.store(false);
    try {
        self->Run();
    } catch (...) {
        // Nothing may leave a thread procedure; the worker simply ends.
    }
    self->m_suspended.store(true);
    return 0;
}

bool CDrawCommonThread::CreateThread()
{
    if (m_thread)
        return false;
    m_thread = ::CreateThread(nullptr, 0, ThreadProc, this, 0, &m_threadId);
    return m_thread != nullptr;
}

DWORD CDrawCommonThread::SuspendThread()
{
    if (!m_thread || GetCurrentThreadId() != m_threadId)
        return static_cast<DWORD>(-1);
    m_suspended.store(true);
    return ::SuspendThread(m_thread);
}

DWORD CDrawCommonThread::ResumeThread()
{
    if (!m_thread)
        return static_cast<DWORD>(-1);
    // The flag comes down before the thread runs again: cleared after the resume, it could wipe
    // out the flag of a worker that had meanwhile run on and suspended itself once more, and
    // then nobody would resume it to stop it.
    const bool wasSuspended = m_suspended.exchange(false);
    const DWORD previous = ::ResumeThread(m_thread);
    // Not stopped yet, but the worker raised its flag and stops in a moment: it stays up.
    if (previous == 0 && wasSuspended)
        m_suspended.store(true);
    return previous;
}

bool CDrawCommonThread::HasExited() const
{
    return m_thread && WaitForSingleObject(m_thread, 0) == WAIT_OBJECT_0;
}

bool CDrawCommonThread::StopAndWait(DWORD timeoutMs)
{
    if (!m_thread)
        return true;
    SetEnabled(false);
    SetResultFlag(false);
    m_stop.store(true);
    WakeForStop();
    const DWORD start = GetTickCount();
    for (;;) {
        // A self-suspended worker must run again to see the stop flag.
        // (Resuming a running thread does nothing, so the flag is not asked.)
        while (!HasExited() && ::ResumeThread(m_thread) > 1) {
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return HasExited();
        // In short slices: a worker that was about to suspend itself when it was resumed above
        // suspends afterwards and must be resumed once more.
        const DWORD slice = timeoutMs - elapsed < kResumeSliceMs ? timeoutMs - elapsed : kResumeSliceMs;
        const DWORD wait = MsgWaitForMultipleObjects(1, &m_thread, FALSE, slice, QS_SENDMESSAGE);
        if (wait == WAIT_OBJECT_0)
            return true;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // handles the sent messages
    }
}

void CDrawCommonThread::RequestStop()
{
    m_stop.store(true);
    WakeForStop();
}

void CDrawCommonThread::SetNotifyWnd(HWND window)
{
    CSingleLock lock(&m_lock, TRUE);
    m_notifyWnd = window;
}

HWND CDrawCommonThread::GetNotifyWnd() const
{
    CSingleLock lock(&m_lock, TRUE);
    return m_notifyWnd;
}

void CDrawCommonThread::SetEnabled(bool enabled)
{
    CSingleLock lock(&m_lock, TRUE);
    m_enabled.store(enabled);
}

bool CDrawCommonThread::IsEnabled() const
{
    return m_enabled.load();
}

bool CDrawCommonThread::GetResultFlag() const
{
    return m_result.load();
}

void CDrawCommonThread::SetResultFlag(bool flag)
{
    CSingleLock lock(&m_lock, TRUE);
    m_result.store(flag);
}

HWND CDrawCommonThread::GetMainWindow() const
{
    const WorkerAppState* state = m_appState.load();
    return state ? state->mainWindow.load() : nullptr;
}

int CDrawCommonThread::GetAppMode() const
{
    const WorkerAppState* state = m_appState.load();
    return state ? state->mode.load() : 0;
}

bool CDrawCommonThread::IsAppClosing() const
{
    const WorkerAppState* state = m_appState.load();
    return state && state->closing.load();
}

bool CDrawCommonThread::MayReport(HWND target) const
{
    return IsEnabled() && GetAppMode() != 0 && target && IsWindow(target) && !IsAppClosing();
}

bool CDrawCommonThread::PostToWindow(HWND target, UINT message, WPARAM wParam, LPARAM lParam) const
{
    return MayReport(target) && PostMessageA(target, message, wParam, lParam);
}

bool CDrawCommonThread::SendToNotifyWindow(UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT timeoutMs, bool* unanswered, HWND* sentTo) const
{
    if (unanswered)
        *unanswered = false;
    const HWND target = GetNotifyWnd();
    if (sentTo)
        *sentTo = target;
    if (!target || !GetResultFlag() || !MayReport(target))
        return false;
    DWORD_PTR answer = 0;
    const bool answered =
        SendMessageTimeoutA(target, message, wParam, lParam, SMTO_BLOCK, timeoutMs, &answer) != 0;
    if (unanswered)
        *unanswered = !answered;
    return answered;
}

void CDrawCommonThread::SendPictureReady(LPARAM picture) const
{
    SendToNotifyWindow(kMsgPictureReady, 0, picture, 3000);
}
