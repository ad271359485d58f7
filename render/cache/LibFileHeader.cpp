#include "render/cache/LibFileHeader.h"

#include "render/cache/CacheFile.h"

#include <cstring>

namespace LibFileHeader {

bool Check(CFile& file)
{
    char magic[kMagicBytes];
    uint32_t version = 0;
    file.Seek(0, CFile::begin);
    return file.Read(magic, kMagicBytes) == kMagicBytes && CacheFile::ReadU32(file, version) &&
           static_cast<int32_t>(version) > 10 && std::memcmp(magic, kMagic, kMagicBytes) == 0;
}

bool ReadFolder(CFile& file, uint64_t& firstRecord, CString& folder)
{
    CacheFile::SeekTo(file, kFirstRecordField);
    if (!CacheFile::ReadU64(file, firstRecord) || firstRecord > file.GetLength() ||
        !CacheFile::ReadText(file, folder, kMaxText))
        return false;
    return file.GetPosition() <= firstRecord;
}

} // namespace LibFileHeader

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
