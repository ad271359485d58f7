#include "browser/shell/CFolderWatchThread.h"

#include "browser/shell/DirectoryChangeReader.h"
#include "render/cache/TSaveLibThread.h"

namespace
{
// How long one wait lasts before the stop flag is looked at again.
constexpr DWORD kPollMs = 250;
} // namespace

CFolderWatchThread::~CFolderWatchThread()
{
    Stop();
    if (m_stopEvent)
        CloseHandle(m_stopEvent);
    if (m_changedEvent)
        CloseHandle(m_changedEvent);
}

bool CFolderWatchThread::Start(HWND list)
{
    if (m_thread)
        return true;
    m_list = list;
    m_stop = false;
    if (!m_stopEvent)
        m_stopEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!m_changedEvent)
        m_changedEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!m_stopEvent || !m_changedEvent)
        return false;
    m_thread = CreateThread(nullptr, 0, &CFolderWatchThread::ThreadProc, this, 0, nullptr);
    if (!m_thread)
        return false;
    SetThreadPriority(m_thread, THREAD_PRIORITY_IDLE);
    return true;
}

void CFolderWatchThread::WatchFolder(const CString& folder, bool withSizes)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_folder = folder;
        m_withSizes = withSizes;
        ++m_generation;
        m_log.Clear();
    }
    if (m_changedEvent)
        SetEvent(m_changedEvent);
}

bool CFolderWatchThread::Stop()
{
    if (!m_thread)
        return true;
    m_stop = true;
    SetEvent(m_stopEvent);
    if (WaitForSingleObject(m_thread, kStopWaitMs) != WAIT_OBJECT_0)
        return false;
    CloseHandle(m_thread);
    m_thread = nullptr;
    return true;
}

DWORD WINAPI CFolderWatchThread::ThreadProc(void* self)
{
    try {
        static_cast<CFolderWatchThread*>(self)->Run();
    } catch (...) {
        // Nothing leaves the thread: the folder is simply no longer watched.
    }
    return 0;
}

bool CFolderWatchThread::TakeChanges(std::vector<std::string>& names, std::vector<char>& gone)
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_log.Take(names, gone);
}

bool CFolderWatchThread::Arm(DirectoryChangeReader& reader, unsigned& generation) const
{
    CString folder;
    bool withSizes = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        folder = m_folder;
        withSizes = m_withSizes;
        generation = m_generation;
    }
    reader.Close();
    if (folder.IsEmpty())
        return false;
    DWORD filter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;
    if (withSizes)
        filter |= FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;
    return reader.Open(folder, filter);
}

void CFolderWatchThread::Run()
{
    DirectoryChangeReader reader;
    unsigned generation = 0;
    while (!m_stop.load()) {
        HANDLE handles[3] = {m_stopEvent, m_changedEvent, reader.WaitHandle()};
        const DWORD count = reader.IsOpen() ? 3 : 2;
        const DWORD result = WaitForMultipleObjects(count, handles, FALSE, kPollMs);
        if (m_stop.load() || result == WAIT_OBJECT_0 || result == WAIT_FAILED ||
            (result >= WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + count))
            break;
        if (result == WAIT_OBJECT_0 + 1) {
            Arm(reader, generation);
        } else if (result == WAIT_OBJECT_0 + 2) {
            FolderChangeLog seen;
            if (!reader.Collect(seen))
                reader.Close();
            bool current = false;
            {
                std::lock_guard<std::mutex> guard(m_lock);
                current = generation == m_generation;
                if (current)
                    m_log.Absorb(seen);
            }
            // The cache writer saving its library into the folder is no change to show (what it
            // changed stays in the log, looked at with the next change).
            if (current && g_bSavingLib.load() == 0 && PostMessageA(m_list, WM_SHELLLIST_CHANGED, kChangesLogged, 1))
                ++m_reports;
        }
    }
}

void StopAndRelease(std::unique_ptr<CFolderWatchThread>& watch)
{
    if (watch && !watch->Stop())
        static_cast<void>(watch.release()); // still running: its object must stay valid
    watch.reset();
}
