#include "render/cache/LibFileHeader.h"

#include "render/cache/CacheFile.h"

#include <cstring>

bool LibFileHeader::Check(CFile& file)
{
    char magic[kMagicBytes];
    uint32_t version = 0;
    file.Seek(0, CFile::begin);
    return file.Read(magic, kMagicBytes) == kMagicBytes && CacheFile::ReadU32(file, version) &&
           static_cast<int32_t>(version) > 10 && std::memcmp(magic, kMagic, kMagicBytes) == 0;
}

bool LibFileHeader::ReadFirstRecord(CFile& file, uint64_t& firstRecord)
{
    CacheFile::SeekTo(file, kFirstRecordField);
    return CacheFile::ReadU64(file, firstRecord) && firstRecord <= file.GetLength();
}

bool LibFileHeader::ReadFolder(CFile& file, uint64_t& firstRecord, CString& folder)
{
    if (!ReadFirstRecord(file, firstRecord) || !CacheFile::ReadText(file, folder, kMaxText))
        return false;
    return file.GetPosition() <= firstRecord;
}

bool LibFileHeader::ReadThumbSize(CFile& file, uint64_t firstRecord, uint32_t& width, uint32_t& height)
{
    return file.GetPosition() + 8 <= firstRecord && CacheFile::ReadU32(file, width) &&
           CacheFile::ReadU32(file, height) && width != 0 && height != 0;
}

void LibFileHeader::Write(CFile& file, const char* folder, uint32_t width, uint32_t height)
{
    file.SeekToBegin();
    file.Write(kMagic, kMagicBytes);
    CacheFile::WriteU32(file, kVersion);
    CacheFile::WriteU64(file, 0);
    CacheFile::WriteText(file, folder);
    CacheFile::WriteU32(file, width);
    CacheFile::WriteU32(file, height);
    const ULONGLONG firstRecord = file.GetPosition();
    CacheFile::SeekTo(file, kFirstRecordField);
    CacheFile::WriteU64(file, firstRecord);
    CacheFile::SeekTo(file, firstRecord);
}

bool ReadLibFolder(const char* libPath, CString& folder)
{
    folder.Empty();
    try {
        CFile file;
        if (!CacheFile::OpenForRead(file, libPath) || !LibFileHeader::Check(file))
            return false;
        uint64_t firstRecord = 0;
        if (!LibFileHeader::ReadFolder(file, firstRecord, folder))
            folder.Empty();
    } catch (CException* e) {
        e->Delete();
        folder.Empty();
    }
    return !folder.IsEmpty();
}
