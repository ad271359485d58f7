#include "render/cache/TImageLib.h"

#include "core/FileUtils.h"
#include "render/cache/BufferedReadFile.h"
#include "render/cache/CacheFile.h"
#include "render/cache/LibFileHeader.h"
#include "render/cache/TLibIndexTree.h"

IMPLEMENT_DYNCREATE(TImageLib, CObject)

TImageLib::TImageLib() : m_writer(TSaveLibThread::Start())
{
}

TImageLib::~TImageLib()
{
    ForgetRecords();
    // A writer that does not end in time is left running rather than deleted under its feet.
    if (m_writer && !m_writer->Stop(kWriterStopMs))
        (void)m_writer.release();
}

TSingleImage* TImageLib::Find(const char* path, int width, int height)
{
    const auto named = m_byName.find(NameKey(path));
    if (named == m_byName.end())
        return nullptr;
    for (const size_t i : named->second)
        if (m_records[i]->Matches(path, width, height))
            return m_records[i].get();
    return nullptr;
}

std::string TImageLib::NameKey(const char* path)
{
    CString name = CacheFile::FileNamePart(path);
    name.MakeLower();
    return std::string(name.GetString(), static_cast<size_t>(name.GetLength()));
}

void TImageLib::AddRecord(std::unique_ptr<TSingleImage> record)
{
    m_byName[NameKey(record->m_name)].push_back(m_records.size());
    m_records.push_back(std::move(record));
}

void TImageLib::ForgetRecords()
{
    m_records.clear();
    m_byName.clear();
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
    const auto named = m_byName.find(NameKey(path));
    TSingleImage* record = named != m_byName.end() ? m_records[named->second.front()].get() : nullptr;
    if (record) {
        record->Set(path, picture);
    } else {
        auto made = std::make_unique<TSingleImage>();
        made->Set(path, picture);
        record = made.get();
        AddRecord(std::move(made));
    }
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
        BufferedReadFile reader(file);
        if (!ReadHeader(reader))
            return;
        uint64_t firstRecord = 0;
        if (!LibFileHeader::ReadFirstRecord(reader, firstRecord))
            return;
        CacheFile::SeekTo(reader, firstRecord);
        ReadRecords(reader);
    } catch (CException* e) {
        e->Delete();
        m_state = State::LoadFailed;
    }
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
        AddRecord(std::move(record));
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
    ForgetRecords();
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
    ForgetRecords();
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
