// TSaveLibTask: one flush of a cache library, handed to the library's writer thread: the folder,
// the records (owned from the hand-over on), and the thumbnail size of the header. A task
// without records stands for "the folder's library is to go".
#pragma once

#include "framework/Afx.h"
#include "render/cache/TSingleImage.h"

class TSaveLibTask : public CObject
{
    DECLARE_DYNCREATE(TSaveLibTask)
public:
    enum class Result { Written, Empty, Failed };

    TSaveLibTask() = default;
    TSaveLibTask(const char* folder, TSingleImageArray records, bool keepAll, int width,
                 int height);
    ~TSaveLibTask() override;
    TSaveLibTask(const TSaveLibTask&) = delete;
    TSaveLibTask& operator=(const TSaveLibTask&) = delete;

    // Writes the library file through a temporary file beside libPath that replaces it only when
    // complete. Written: at least one record is in the new file. Empty: no record qualified, and
    // nothing was replaced. Failed: the file could not be written; the old one is untouched.
    Result WriteLib(const char* libPath) const;
    // Writes the records in order; the number written.
    int WriteRecords(CFile& file) const;
    // Places the library through the index, writes it and brings the index up to date. A browsed
    // folder that takes no library (read-only) leaves it to the cache folder.
    void Save() const;

    bool IsRemoval() const { return m_records.empty(); }
    const CString& GetFolder() const { return m_folder; }

private:
    void Remove() const;
    // Writes the library placed at libPath and brings the index up to date; false when the
    // write failed.
    bool SaveAt(int place, const CString& libPath) const;

    CString m_folder;
    TSingleImageArray m_records;
    bool m_keepAll = false;
    uint32_t m_width = 0;
    uint32_t m_height = 0;
};
