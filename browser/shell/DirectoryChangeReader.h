// DirectoryChangeReader: one folder's change records, read with ReadDirectoryChangesW (overlapped)
// into a FolderChangeLog, so the list can look at the items that changed instead of the whole
// folder. Where the folder cannot be read so (a file system without change records), it falls back
// to a plain change notification, whose signals name nothing. Used by one thread only: the thread
// that opens it waits on it, collects and closes it (the system ties the pending read to it).
#pragma once

#include "browser/shell/FolderChangeLog.h"

#include <windows.h>

#include <memory>
#include <string>

class DirectoryChangeReader
{
public:
    // Bytes of change records one read may return: the most a network folder allows.
    static constexpr DWORD kBufferBytes = 64 * 1024;

    DirectoryChangeReader() = default;
    ~DirectoryChangeReader();
    DirectoryChangeReader(const DirectoryChangeReader&) = delete;
    DirectoryChangeReader& operator=(const DirectoryChangeReader&) = delete;

    // Starts watching (filter: FILE_NOTIFY_CHANGE_* bits, the folder alone); false when the
    // folder cannot be watched at all.
    bool Open(const char* folder, DWORD filter);
    void Close();
    bool IsOpen() const { return WaitHandle() != nullptr; }
    // Whether changes come with their names (false on the plain notification).
    bool NamesChanges() const { return m_dir != INVALID_HANDLE_VALUE; }
    // Signalled when changes came; null when not open.
    HANDLE WaitHandle() const;
    // After WaitHandle was signalled: what came, into the log, and the watch armed again. False
    // when the folder can no longer be watched (the log then holds an unknown change).
    bool Collect(FolderChangeLog& log);

private:
    bool Read();
    bool OpenNotification();
    void CancelRead();

    std::string m_folder;
    DWORD m_filter = 0;
    HANDLE m_dir = INVALID_HANDLE_VALUE;
    HANDLE m_event = nullptr;
    OVERLAPPED m_overlapped = {};
    std::unique_ptr<BYTE[]> m_buffer;
    bool m_pending = false;
    HANDLE m_notification = INVALID_HANDLE_VALUE;
};
