#include "framework/CWinThread.h"

#include "framework/AfxGlobals.h"
#include "framework/CException.h"

#include <process.h>

#include <memory>

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

namespace {

const UINT kSysTimer = 0x0118; // the caret blink timer: not user input

// Sets the priority and lets the thread run, as the creation flags ask.
CWinThread* StartThread(std::unique_ptr<CWinThread> pThread, int nPriority, UINT nStackSize,
                        DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    if (!pThread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs))
        return nullptr;
    pThread->SetThreadPriority(nPriority);
    CWinThread* p = pThread.release(); // from here on the thread owns itself (m_bAutoDelete)
    if ((dwCreateFlags & CREATE_SUSPENDED) == 0)
        p->ResumeThread();
    return p;
}

} // namespace

CWinThread::CWinThread() : CWinThread(nullptr, nullptr)
{
}

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pMainWnd(nullptr),
      m_pActiveWnd(nullptr),
      m_bAutoDelete(TRUE),
      m_hThread(nullptr),
      m_nThreadID(0),
      m_pfnThreadProc(pfnThreadProc),
      m_pThreadParams(pParam),
      m_msgCur(),
      m_ptCursorLast{-1, -1},
      m_nMsgLast(0)
{
}

CWinThread::~CWinThread()
{
    if (m_hThread != nullptr)
        CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize,
                              LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    // Created suspended so that the handle and id are stored before the thread can end and
    // delete this object.
    unsigned threadId = 0;
    const uintptr_t handle = _beginthreadex(lpSecurityAttrs, nStackSize, ThreadEntry, this,
                                            dwCreateFlags | CREATE_SUSPENDED, &threadId);
    if (handle == 0)
        return FALSE;
    m_hThread = reinterpret_cast<HANDLE>(handle);
    m_nThreadID = threadId;
    if ((dwCreateFlags & CREATE_SUSPENDED) == 0)
        ::ResumeThread(m_hThread);
    return TRUE;
}

unsigned __stdcall CWinThread::ThreadEntry(void* pParam)
{
    auto* pThread = static_cast<CWinThread*>(pParam);
    AfxGetModuleThreadState()->m_pCurrentWinThread = pThread;
    const UINT nResult = pThread->RunThread();
    AfxGetModuleThreadState()->m_pCurrentWinThread = nullptr;
    try {
        pThread->Delete();
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
    }
    return nResult;
}

// No exception may leave a thread procedure: one that escapes the thread's code ends the
// thread with exit code -1 instead of ending the process.
UINT CWinThread::RunThread()
{
    try {
        if (m_pfnThreadProc != nullptr)
            return m_pfnThreadProc(m_pThreadParams);
        if (InitInstance())
            return static_cast<UINT>(Run());
        return static_cast<UINT>(ExitInstance());
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
    }
    return static_cast<UINT>(-1);
}

BOOL CWinThread::PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::PostThreadMessageA(m_nThreadID, message, wParam, lParam);
}

BOOL CWinThread::InitInstance()
{
    return FALSE;
}

int CWinThread::Run()
{
    BOOL bIdle = TRUE;
    LONG lIdleCount = 0;
    for (;;) {
        while (bIdle && !PeekMessageA(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(lIdleCount++))
                bIdle = FALSE;
        }
        do {
            if (!PumpMessage())
                return ExitInstance();
            if (IsIdleMessage(&m_msgCur)) {
                bIdle = TRUE;
                lIdleCount = 0;
            }
        } while (PeekMessageA(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE));
    }
}

BOOL CWinThread::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL CWinThread::PumpMessage()
{
    if (GetMessageA(&m_msgCur, nullptr, 0, 0) <= 0)
        return FALSE;
    if (!PreTranslateMessage(&m_msgCur)) {
        TranslateMessage(&m_msgCur);
        DispatchMessageA(&m_msgCur);
    }
    return TRUE;
}

BOOL CWinThread::OnIdle(LONG)
{
    return FALSE;
}

BOOL CWinThread::IsIdleMessage(MSG* pMsg)
{
    if (pMsg->message == WM_MOUSEMOVE || pMsg->message == WM_NCMOUSEMOVE) {
        const bool same = m_nMsgLast == pMsg->message && m_ptCursorLast.x == pMsg->pt.x &&
                          m_ptCursorLast.y == pMsg->pt.y;
        m_ptCursorLast = pMsg->pt;
        m_nMsgLast = pMsg->message;
        return !same;
    }
    m_nMsgLast = pMsg->message;
    return pMsg->message != WM_PAINT && pMsg->message != kSysTimer;
}

int CWinThread::ExitInstance()
{
    return static_cast<int>(m_msgCur.wParam);
}

void CWinThread::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

CWinThread* AFXAPI AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority,
                                  UINT nStackSize, DWORD dwCreateFlags,
                                  LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    if (pfnThreadProc == nullptr)
        AfxThrowInvalidArgException();
    return StartThread(std::make_unique<CWinThread>(pfnThreadProc, pParam), nPriority,
                       nStackSize, dwCreateFlags, lpSecurityAttrs);
}

CWinThread* AFXAPI AfxBeginThread(CRuntimeClass* pThreadClass, int nPriority, UINT nStackSize,
                                  DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    if (pThreadClass == nullptr || !pThreadClass->IsDerivedFrom(RUNTIME_CLASS(CWinThread)))
        AfxThrowInvalidArgException();
    CObject* pObject = pThreadClass->CreateObject();
    if (pObject == nullptr)
        AfxThrowMemoryException();
    return StartThread(std::unique_ptr<CWinThread>(static_cast<CWinThread*>(pObject)),
                       nPriority, nStackSize, dwCreateFlags, lpSecurityAttrs);
}
