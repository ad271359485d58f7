// TImageLib: the thumbnail cache library of one folder in memory: its records, found by file
// name, loaded from the folder's ".opslib" file and flushed to the library's own
// writer thread.
#pragma once

#include "framework/Afx.h"
#include "render/cache/KBMP.h"
#include "render/cache/TSaveLibThread.h"
#include "render/cache/TSingleImage.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class TImageLib : public CObject
{
    DECLARE_DYNCREATE(TImageLib)
public:
    // How long destruction waits for the writer to finish the library it is writing.
    static constexpr DWORD kWriterStopMs = 60000;

    TImageLib();
    // Deletes the records unwritten and stops the writer; tasks still queued are dropped.
    ~TImageLib() override;
    TImageLib(const TImageLib&) = delete;
    TImageLib& operator=(const TImageLib&) = delete;

    TSingleImage* Find(const char* path, int width, int height);
    // On a hit the record's picture is copied into out.
    bool Lookup(const char* path, int width, int height, KBMP* out);
    void Store(const char* path, const KBMP* picture, int width, int height);
    void Load(const char* folder);
    // Hands the records to the writer. After a load that failed, or without a load since the
    // last clear or flush, the records do not stand for the file, so nothing is written or
    // deleted.
    void Flush(const char* folder, bool keepAll, int width, int height);
    bool GetThumbSize(const char* folder, int* width, int* height) const;
    void Clear();
    bool ReadHeader(CFile& file) const;
    void ReadRecords(CFile& file);

    int GetCount() const { return static_cast<int>(m_records.size()); }
    int GetHits() const { return m_hits; }
    bool IsLoaded() const { return m_state == State::Loaded; }
    // Waits until the writer has written everything queued (tests and shut-down).
    bool WaitForWriter(DWORD timeoutMs) const;

private:
    enum class State { NotLoaded, Loaded, LoadFailed };

    void QueueFlush(const char* folder, bool keepAll, int width, int height);
    // The records' file names folded to one case: a folder of thousands of files was looked up
    // and stored record by record, which grew with the square of the folder.
    static std::string NameKey(const char* path);
    void AddRecord(std::unique_ptr<TSingleImage> record);
    void ForgetRecords();

    TSingleImageArray m_records;
    std::unordered_map<std::string, std::vector<size_t>> m_byName;
    int m_hits = 0;
    bool m_modified = false;
    State m_state = State::NotLoaded;
    std::unique_ptr<TSaveLibThread> m_writer;
};
