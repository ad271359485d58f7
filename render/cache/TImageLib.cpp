#include "render/cache/TImageLib.h"

#include "core/FileUtils.h"
#include "render/cache/CacheFile.h"
#include "render/cache/LibFileHeader.h"
#include "render/cache/TLibIndexTree.h"

IMPLEMENT_DYNCREATE(TImageLib, CObject)

TImageLib::TImageLib() : m_writer(TSaveLibThread::Start())
{
}

TImageLib::~TImageLib()
{
    m_records.clear();
    // A writer that does not end in time is left running rather than deleted under its feet.
    if (m_writer && !m_writer->Stop(kWriterStopMs))
        (void)m_writer.release();
}

TSingleImage* TImageLib::Find(const char* path, int width, int height)
{
    const int count = GetCount();
    if (count == 0)
        return nullptr;
    const int start = m_cursor < 0 || m_cursor >= count ? 0 : m_cursor;
    const CString name = CacheFile::FileNamePart(path);
    for (int step = 0; step < count; ++step) {
        // Outward from the cursor, each record once: thumbnails made side by side are stored a
        // few places from the order they are asked for in, before the cursor as often as after.
        const int offset = step % 2 == 0 ? step / 2 : -(step + 1) / 2;
        const int i = ((start + offset) % count + count) % count;
        if (m_records[static_cast<size_t>(i)]->Matches(path, name, width, height)) {
            m_cursor = i + 1 == count ? 0 : i + 1;
            return m_records[static_cast<size_t>(i)].get();
        }
    }
    return nullptr;
}

bool TImageLib::Lookup(const char* path, int width, int height, KBMP* out)
{
    if (m_records.empty() || !out)
        return false;
    try {
        TSingleImage* record = Find(path, width, height);
        if (!record || !out->Copy(*record->m_picture))
            return false;
        record->m_used = true;
        ++m_hits;
        return true;
    } catch (CException* e) {
        e->Delete();
        return false;
    }
}

void TImageLib::Store(const char* path, const KBMP* picture, int width, int height)
{
    m_modified = true;
    const CString name = CacheFile::FileNamePart(path);
    TSingleImage* record = nullptr;
    for (const auto& candidate : m_records)
        if (candidate->m_name.CompareNoCase(name) == 0) {
            record = candidate.get();
            break;
        }
    if (!record) {
        m_records.push_back(std::make_unique<TSingleImage>());
        record = m_records.back().get();
    }
    record->Set(path, picture);
    record->m_width = static_cast<uint32_t>(width);
    record->m_height = static_cast<uint32_t>(height);
    record->m_picture->SetSize(width, height);
    record->m_used = true;
}

void TImageLib::Load(const char* folder)
{
    Clear();
    m_modified = false;
    m_state = State::Loaded;
    TLibIndexTree* index = GetLibIndexTree();
    CString libPath;
    if (!index || index->LocateForRead(folder, libPath) == TLibIndexTree::kReadNone)
        return;
    try {
        CFile file;
        if (!CacheFile::OpenForRead(file, libPath)) {
            // Still busy after every retry: what is on disk is unknown, so it must be kept.
            m_state = IsExistingFile(libPath) ? State::LoadFailed : State::Loaded;
            return;
        }
        if (!ReadHeader(file))
            return;
        uint64_t firstRecord = 0;
        if (!LibFileHeader::ReadFirstRecord(file, firstRecord))
            return;
        CacheFile::SeekTo(file, firstRecord);
        ReadRecords(file);
    } catch (CException* e) {
        e->Delete();
        m_state = State::LoadFailed;
    }
    m_cursor = 0;
}

bool TImageLib::ReadHeader(CFile& file) const
{
    return LibFileHeader::Check(file);
}

void TImageLib::ReadRecords(CFile& file)
{
    for (;;) {
        auto record = std::make_unique<TSingleImage>();
        if (!record->Read(file))
            break;
        m_records.push_back(std::move(record));
    }
}

void TImageLib::Flush(const char* folder, bool keepAll, int width, int height)
{
    if (m_state != State::Loaded) {
        Clear();
        return;
    }
    if (!m_modified && GetCount() == m_hits && !m_records.empty())
        return;
    if (m_records.empty() && (!folder || !*folder))
        return;
    QueueFlush(folder, keepAll, width, height);
}

// An empty library is queued as well: its file is deleted by the writer, after any write of
// the same folder queued before it.
void TImageLib::QueueFlush(const char* folder, bool keepAll, int width, int height)
{
    if (!m_writer || !m_writer->AddTask(folder, m_records, keepAll, width, height)) {
        Clear();
        return;
    }
    m_records.clear();
    m_cursor = 0;
    m_hits = 0;
    m_modified = false;
    m_state = State::NotLoaded;
}

bool TImageLib::GetThumbSize(const char* folder, int* width, int* height) const
{
    TLibIndexTree* index = GetLibIndexTree();
    CString libPath;
    if (!index || index->LocateForRead(folder, libPath) == TLibIndexTree::kReadNone)
        return false;
    try {
        CFile file;
        uint64_t firstRecord = 0;
        CString libFolder;
        uint32_t w = 0;
        uint32_t h = 0;
        if (!CacheFile::OpenForRead(file, libPath) || !ReadHeader(file) ||
            !LibFileHeader::ReadFolder(file, firstRecord, libFolder) ||
            !LibFileHeader::ReadThumbSize(file, firstRecord, w, h))
            return false;
        if (width)
            *width = static_cast<int>(w);
        if (height)
            *height = static_cast<int>(h);
        return true;
    } catch (CException* e) {
        e->Delete();
        return false;
    }
}

void TImageLib::Clear()
{
    m_records.clear();
    m_cursor = 0;
    m_hits = 0;
    m_state = State::NotLoaded;
}

bool TImageLib::WaitForWriter(DWORD timeoutMs) const
{
    const DWORD start = GetTickCount();
    while (m_writer && !m_writer->IsIdle()) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(5);
    }
    return true;
}
