#include "browser/shell/DirectoryChangeReader.h"

namespace
{
// How long a cancelled read may take to give its buffer back.
constexpr DWORD kCancelWaitMs = 5000;
} // namespace

DirectoryChangeReader::~DirectoryChangeReader()
{
    Close();
}

bool DirectoryChangeReader::Open(const char* folder, DWORD filter)
{
    Close();
    if (!folder || !*folder)
        return false;
    m_folder = folder;
    m_filter = filter;
    m_dir = CreateFileA(folder, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    if (m_dir != INVALID_HANDLE_VALUE) {
        // Manual reset: the result of an overlapped read is taken after its event was seen.
        m_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_buffer.reset(new (std::nothrow) BYTE[kBufferBytes]);
        if (m_event && m_buffer && Read())
            return true;
        CancelRead();
    }
    return OpenNotification();
}

bool DirectoryChangeReader::OpenNotification()
{
    CancelRead();
    m_notification = FindFirstChangeNotificationA(m_folder.c_str(), FALSE, m_filter);
    return m_notification != INVALID_HANDLE_VALUE;
}

void DirectoryChangeReader::Close()
{
    CancelRead();
    if (m_notification != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(m_notification);
    m_notification = INVALID_HANDLE_VALUE;
}

void DirectoryChangeReader::CancelRead()
{
    if (m_dir != INVALID_HANDLE_VALUE) {
        if (m_pending) {
            CancelIo(m_dir);
            // The system writes into the buffer until the cancelled read has ended; one that has
            // not ended in time keeps its buffer (given up rather than freed under it).
            if (WaitForSingleObject(m_event, kCancelWaitMs) != WAIT_OBJECT_0)
                static_cast<void>(m_buffer.release());
        }
        CloseHandle(m_dir);
    }
    m_dir = INVALID_HANDLE_VALUE;
    m_pending = false;
    if (m_event)
        CloseHandle(m_event);
    m_event = nullptr;
    m_buffer.reset();
}

HANDLE DirectoryChangeReader::WaitHandle() const
{
    if (m_dir != INVALID_HANDLE_VALUE)
        return m_event;
    return m_notification != INVALID_HANDLE_VALUE ? m_notification : nullptr;
}

bool DirectoryChangeReader::Read()
{
    ResetEvent(m_event);
    m_overlapped = OVERLAPPED();
    m_overlapped.hEvent = m_event;
    m_pending = ReadDirectoryChangesW(m_dir, m_buffer.get(), kBufferBytes, FALSE, m_filter, nullptr, &m_overlapped,
                                      nullptr) != FALSE;
    return m_pending;
}

bool DirectoryChangeReader::Collect(FolderChangeLog& log)
{
    if (m_dir == INVALID_HANDLE_VALUE) {
        if (m_notification == INVALID_HANDLE_VALUE)
            return false;
        log.MarkUnknown();
        return FindNextChangeNotification(m_notification) != FALSE;
    }
    DWORD bytes = 0;
    if (!m_pending || !GetOverlappedResult(m_dir, &m_overlapped, &bytes, FALSE)) {
        if (m_pending && GetLastError() == ERROR_IO_INCOMPLETE)
            return true; // its event came before its result: taken at the next signal
        // ERROR_NOTIFY_ENUM_DIR among others: the records were dropped.
        log.MarkUnknown();
    } else {
        // No bytes: more changed than the buffer held.
        log.AddRecords(m_buffer.get(), bytes);
    }
    m_pending = false;
    if (Read())
        return true;
    log.MarkUnknown();
    return OpenNotification();
}
