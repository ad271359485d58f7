// CWinThread (a thread of the program, the base of the application object) and
// AfxBeginThread.
#pragma once

#include "framework/CCmdTarget.h"

class CWnd;

class CWinThread : public CCmdTarget
{
    DECLARE_DYNAMIC(CWinThread)
public:
    // For a thread class of its own: InitInstance, then Run, then ExitInstance.
    CWinThread();
    // For a worker function: the thread runs pfnThreadProc(pParam).
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    // Closes the thread handle; the thread itself is not stopped.
    ~CWinThread() override;

    // Starts the thread (suspended when dwCreateFlags has CREATE_SUSPENDED). m_hThread and
    // m_nThreadID are set before the thread runs.
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0,
                      LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);

    operator HANDLE() const { return m_hThread; }
    int GetThreadPriority() const { return ::GetThreadPriority(m_hThread); }
    BOOL SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }
    DWORD SuspendThread() { return ::SuspendThread(m_hThread); }
    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }
    BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam);

    virtual CWnd* GetMainWnd() { return m_pMainWnd; }

    // False (the default) skips Run and goes to ExitInstance.
    virtual BOOL InitInstance();
    // The message loop with idle processing; ends at WM_QUIT with ExitInstance's result.
    virtual int Run();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // False when the loop must end (WM_QUIT or a failed GetMessage).
    virtual BOOL PumpMessage();
    // True while more idle work is wanted.
    virtual BOOL OnIdle(LONG lCount);
    virtual BOOL IsIdleMessage(MSG* pMsg);
    // The thread's exit code: the WM_QUIT code that ended the loop.
    virtual int ExitInstance();
    // Called when the thread ends: deletes the object when m_bAutoDelete is set.
    virtual void Delete();

    CWnd* m_pMainWnd;
    CWnd* m_pActiveWnd;
    BOOL m_bAutoDelete;
    HANDLE m_hThread;
    DWORD m_nThreadID;
    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
    MSG m_msgCur;

private:
    static unsigned __stdcall ThreadEntry(void* pParam);
    UINT RunThread();

    POINT m_ptCursorLast; // for IsIdleMessage: a mouse move that did not move is no input
    UINT m_nMsgLast;
};

// Starts pfnThreadProc(pParam) on a new thread object (deleted when the thread ends unless
// m_bAutoDelete is cleared while the thread is still suspended). Null when the thread cannot
// be started.
CWinThread* AFXAPI AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam,
                                  int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                                  DWORD dwCreateFlags = 0,
                                  LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
// Creates an object of the thread class (which must derive from CWinThread and be
// DYNCREATE) and starts it. Null when the thread cannot be started.
CWinThread* AFXAPI AfxBeginThread(CRuntimeClass* pThreadClass,
                                  int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                                  DWORD dwCreateFlags = 0,
                                  LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
