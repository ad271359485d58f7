// Threads and synchronisation: both forms of AfxBeginThread, suspended starts and priorities,
// the thread class's life cycle, exceptions that would escape a thread, and bounded locks.
#include "framework/CCriticalSection.h"
#include "framework/CEvent.h"
#include "framework/CFileException.h"
#include "framework/CSingleLock.h"
#include "framework/CWinThread.h"

#include "framework/AfxGlobals.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>

namespace {

using orvo::test::WaitFor;

// A thread object that is not deleted when it ends, so the test can wait on its handle.
struct ThreadDeleter
{
    void operator()(CWinThread* p) const { delete p; }
};
using OwnedThread = std::unique_ptr<CWinThread, ThreadDeleter>;

DWORD WaitExitCode(const CWinThread& thread)
{
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.m_hThread, 10000));
    DWORD code = 0;
    GetExitCodeThread(thread.m_hThread, &code);
    return code;
}

std::atomic<int> g_calls{0};
std::atomic<CWinThread*> g_seenThread{nullptr};

UINT AFX_CDECL CountCall(LPVOID pParam)
{
    g_seenThread = AfxGetThread();
    ++g_calls;
    return static_cast<UINT>(reinterpret_cast<UINT_PTR>(pParam));
}

UINT AFX_CDECL ThrowFileException(LPVOID)
{
    AfxThrowFileException(CFileException::diskFull);
}

UINT AFX_CDECL ThrowStandardException(LPVOID)
{
    throw std::runtime_error("escaping");
}

TEST(AfxBeginThread, SuspendedStartWithPriority)
{
    g_calls = 0;
    OwnedThread thread(AfxBeginThread(CountCall, reinterpret_cast<LPVOID>(42),
                                      THREAD_PRIORITY_IDLE, 0, CREATE_SUSPENDED));
    ASSERT_NE(nullptr, thread);
    thread->m_bAutoDelete = FALSE;
    EXPECT_NE(0u, thread->m_nThreadID);
    EXPECT_EQ(THREAD_PRIORITY_IDLE, thread->GetThreadPriority());
    Sleep(50);
    EXPECT_EQ(0, g_calls) << "a suspended thread has not run";
    EXPECT_EQ(1u, thread->ResumeThread());
    EXPECT_EQ(42u, WaitExitCode(*thread));
    EXPECT_EQ(1, g_calls);
    EXPECT_EQ(thread.get(), g_seenThread.load()) << "AfxGetThread inside the thread";
}

TEST(AfxBeginThread, AutoDeletedWorkerRuns)
{
    g_calls = 0;
    ASSERT_NE(nullptr, AfxBeginThread(CountCall, nullptr));
    EXPECT_TRUE(WaitFor([] { return g_calls == 1; }, 10000));
}

TEST(AfxBeginThread, ExceptionsNeverLeaveTheThread)
{
    for (AFX_THREADPROC proc : {ThrowFileException, ThrowStandardException}) {
        OwnedThread thread(AfxBeginThread(proc, nullptr, THREAD_PRIORITY_NORMAL, 0,
                                          CREATE_SUSPENDED));
        ASSERT_NE(nullptr, thread);
        thread->m_bAutoDelete = FALSE;
        thread->ResumeThread();
        EXPECT_EQ(static_cast<DWORD>(-1), WaitExitCode(*thread));
    }
}

// A thread class as the cache writer uses it: it sleeps on an event until told to stop.
class CWorkerThread : public CWinThread
{
    DECLARE_DYNCREATE(CWorkerThread)
public:
    ~CWorkerThread() override { ++s_destroyed; }
    BOOL InitInstance() override
    {
        ++s_initialised;
        return s_initResult;
    }
    int Run() override
    {
        while (!s_stop)
            s_wake.Lock(5000);
        return ExitInstance();
    }
    int ExitInstance() override { return 7; }

    static std::atomic<int> s_initialised;
    static std::atomic<int> s_destroyed;
    static std::atomic<bool> s_stop;
    static BOOL s_initResult;
    static CEvent s_wake;
};
IMPLEMENT_DYNCREATE(CWorkerThread, CWinThread)

std::atomic<int> CWorkerThread::s_initialised{0};
std::atomic<int> CWorkerThread::s_destroyed{0};
std::atomic<bool> CWorkerThread::s_stop{false};
BOOL CWorkerThread::s_initResult = TRUE;
CEvent CWorkerThread::s_wake;

TEST(AfxBeginThread, ThreadClassStartsAndStops)
{
    CWorkerThread::s_initialised = 0;
    CWorkerThread::s_destroyed = 0;
    CWorkerThread::s_stop = false;
    CWorkerThread::s_initResult = TRUE;
    CWinThread* thread = AfxBeginThread(RUNTIME_CLASS(CWorkerThread));
    ASSERT_NE(nullptr, thread);
    EXPECT_TRUE(WaitFor([] { return CWorkerThread::s_initialised == 1; }, 10000));
    EXPECT_EQ(0, CWorkerThread::s_destroyed);
    CWorkerThread::s_stop = true;
    CWorkerThread::s_wake.SetEvent();
    EXPECT_TRUE(WaitFor([] { return CWorkerThread::s_destroyed == 1; }, 10000))
        << "the thread deletes its object when Run returns";
}

TEST(AfxBeginThread, FailedInitInstanceSkipsRun)
{
    CWorkerThread::s_initialised = 0;
    CWorkerThread::s_stop = false;
    CWorkerThread::s_initResult = FALSE;
    OwnedThread thread(AfxBeginThread(RUNTIME_CLASS(CWorkerThread), THREAD_PRIORITY_NORMAL, 0,
                                      CREATE_SUSPENDED));
    ASSERT_NE(nullptr, thread);
    thread->m_bAutoDelete = FALSE;
    thread->ResumeThread();
    EXPECT_EQ(7u, WaitExitCode(*thread)) << "ExitInstance gives the exit code, Run never waits";
    EXPECT_EQ(1, CWorkerThread::s_initialised);
}

TEST(AfxBeginThread, RefusesClassesThatAreNoThreads)
{
    EXPECT_THROW(AfxBeginThread(RUNTIME_CLASS(CEvent)), CInvalidArgException*);
}

class CLoopThread : public CWinThread
{
    DECLARE_DYNCREATE(CLoopThread)
public:
    BOOL InitInstance() override { return TRUE; }
};
IMPLEMENT_DYNCREATE(CLoopThread, CWinThread)

TEST(CWinThread, MessageLoopEndsWithTheQuitCode)
{
    OwnedThread thread(AfxBeginThread(RUNTIME_CLASS(CLoopThread), THREAD_PRIORITY_NORMAL, 0,
                                      CREATE_SUSPENDED));
    ASSERT_NE(nullptr, thread);
    thread->m_bAutoDelete = FALSE;
    thread->ResumeThread();
    // The thread's queue exists once its loop has started: post until it is accepted.
    CWinThread* p = thread.get();
    EXPECT_TRUE(WaitFor([p] { return p->PostThreadMessage(WM_QUIT, 3, 0) != FALSE; }, 10000));
    EXPECT_EQ(3u, WaitExitCode(*thread));
}

TEST(CCriticalSection, GuardsACounterAcrossThreads)
{
    struct Shared
    {
        CCriticalSection lock;
        long counter = 0;
    } shared;
    auto work = [](LPVOID p) -> UINT {
        auto* s = static_cast<Shared*>(p);
        for (int i = 0; i < 20000; ++i) {
            CSingleLock guard(&s->lock, TRUE);
            s->counter = s->counter + 1;
        }
        return 0;
    };
    std::unique_ptr<CWinThread, ThreadDeleter> threads[4];
    for (auto& t : threads) {
        t.reset(AfxBeginThread(work, &shared, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED));
        ASSERT_NE(nullptr, t);
        t->m_bAutoDelete = FALSE;
        t->ResumeThread();
    }
    for (auto& t : threads)
        WaitExitCode(*t);
    EXPECT_EQ(80000, shared.counter);
}

TEST(CCriticalSection, TimedLockGivesUp)
{
    struct Shared
    {
        CCriticalSection lock;
        CEvent taken{FALSE, TRUE};
        CEvent release{FALSE, TRUE};
    } shared;
    auto holder = [](LPVOID p) -> UINT {
        auto* s = static_cast<Shared*>(p);
        CSingleLock guard(&s->lock, TRUE);
        s->taken.SetEvent();
        s->release.Lock(10000);
        return 0;
    };
    OwnedThread thread(AfxBeginThread(holder, &shared, THREAD_PRIORITY_NORMAL, 0,
                                      CREATE_SUSPENDED));
    ASSERT_NE(nullptr, thread);
    thread->m_bAutoDelete = FALSE;
    thread->ResumeThread();
    ASSERT_TRUE(shared.taken.Lock(10000));

    CSingleLock attempt(&shared.lock);
    const DWORD start = GetTickCount();
    EXPECT_FALSE(attempt.Lock(100));
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_FALSE(attempt.IsLocked());

    shared.release.SetEvent();
    EXPECT_TRUE(attempt.Lock(10000));
    EXPECT_TRUE(attempt.IsLocked());
    EXPECT_TRUE(attempt.Unlock());
    EXPECT_FALSE(attempt.IsLocked());
    WaitExitCode(*thread);
}

TEST(CEvent, AutoAndManualReset)
{
    CEvent autoReset;
    EXPECT_FALSE(autoReset.Lock(0));
    autoReset.SetEvent();
    EXPECT_TRUE(autoReset.Lock(0));
    EXPECT_FALSE(autoReset.Lock(0)) << "an auto-reset event is taken by one wait";

    CEvent manual(TRUE, TRUE);
    EXPECT_TRUE(manual.Lock(0));
    EXPECT_TRUE(manual.Lock(0)) << "a manual-reset event stays set";
    manual.ResetEvent();
    EXPECT_FALSE(manual.Lock(0));
}

} // namespace
