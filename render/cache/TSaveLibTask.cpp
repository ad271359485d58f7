#include "render/cache/TSaveLibTask.h"

#include "render/cache/CacheFile.h"
#include "render/cache/LibFileHeader.h"
#include "render/cache/TLibIndexTree.h"

IMPLEMENT_DYNCREATE(TSaveLibTask, CObject)

namespace {

// Writers of all libraries place, write and index one library at a time, so two of them never
// pick the same free numbered name.
CCriticalSection& WriteSequenceLock()
{
    static CCriticalSection lock;
    return lock;
}

} // namespace

TSaveLibTask::TSaveLibTask(const char* folder, TSingleImageArray records, bool keepAll,
                           int width, int height)
    : m_folder(CacheFile::WithBackslash(folder)),
      m_records(std::move(records)),
      m_keepAll(keepAll),
      m_width(static_cast<uint32_t>(width)),
      m_height(static_cast<uint32_t>(height))
{
}

TSaveLibTask::~TSaveLibTask() = default;

int TSaveLibTask::WriteRecords(CFile& file) const
{
    int written = 0;
    for (const auto& record : m_records)
        if (record->Write(file, m_keepAll, m_folder))
            ++written;
    return written;
}

TSaveLibTask::Result TSaveLibTask::WriteLib(const char* libPath) const
{
    const CString temp = CacheFile::MakeTempPathBeside(libPath);
    if (temp.IsEmpty())
        return Result::Failed;
    int written = 0;
    try {
        CFile file;
        if (!CacheFile::OpenWithRetry(file, temp,
                                      CFile::modeCreate | CFile::modeWrite |
                                          CFile::shareExclusive | CFile::typeBinary)) {
            DeleteFileA(temp);
            return Result::Failed;
        }
        LibFileHeader::Write(file, m_folder, m_width, m_height);
        written = WriteRecords(file);
        file.Close();
    } catch (CException* e) {
        e->Delete();
        DeleteFileA(temp);
        return Result::Failed;
    }
    if (written == 0) {
        DeleteFileA(temp);
        return Result::Empty;
    }
    return CacheFile::ReplaceWithTemp(temp, libPath) ? Result::Written : Result::Failed;
}

void TSaveLibTask::Save() const
{
    TLibIndexTree* index = GetLibIndexTree();
    if (!index)
        return;
    CSingleLock sequence(&WriteSequenceLock(), TRUE);
    if (IsRemoval()) {
        Remove();
        return;
    }
    CString libPath;
    const int place = index->LocateForWrite(m_folder, libPath);
    if (place == TLibIndexTree::kWriteNowhere || SaveAt(place, libPath))
        return;
    if (place == TLibIndexTree::kWriteBrowserFolder &&
        index->LocateForWrite(m_folder, libPath, true) == TLibIndexTree::kWriteCacheFolder)
        SaveAt(TLibIndexTree::kWriteCacheFolder, libPath);
}

bool TSaveLibTask::SaveAt(int place, const CString& libPath) const
{
    TLibIndexTree* index = GetLibIndexTree();
    switch (WriteLib(libPath)) {
    case Result::Written:
        if (place == TLibIndexTree::kWriteCacheFolder)
            index->AddFolder(m_folder, libPath);
        else
            index->RemoveFolder(m_folder);
        return true;
    case Result::Empty:
        DeleteFileA(libPath);
        if (place == TLibIndexTree::kWriteCacheFolder)
            index->RemoveFolder(m_folder);
        return true;
    case Result::Failed:
        break;
    }
    return false;
}

// The library that a reader would find goes, and with it the folder's index entry when it lay
// in the cache folder.
void TSaveLibTask::Remove() const
{
    TLibIndexTree* index = GetLibIndexTree();
    CString libPath;
    const int place = index->LocateForRead(m_folder, libPath);
    if (place == TLibIndexTree::kReadNone)
        return;
    DeleteFileA(libPath);
    if (place == TLibIndexTree::kReadCacheFolder)
        index->RemoveFolder(m_folder);
}
