// LibFileHeader: the header of a cache library file (".opslib"), read and written here only: the
// magic and version every reader checks, the first record's offset, the folder the library
// belongs to and the thumbnail size. Layout: magic (23 bytes), u32 version, u64 first-record
// offset (at 27), the folder as a NUL-ended text, u32 width, u32 height, then the records.
#pragma once

#include "framework/Afx.h"

#include <cstdint>

class LibFileHeader
{
public:
    static constexpr const char* kMagic = "OrvoKestalImageCacheLib";
    static constexpr UINT kMagicBytes = 23;
    static constexpr uint32_t kVersion = 11;
    // Offset of the u64 first-record offset.
    static constexpr uint64_t kFirstRecordField = 27;
    // Longest folder and file name a reader takes from a library file.
    static constexpr int kMaxText = 1024;

    LibFileHeader() = delete;

    // Seeks to 0 and checks the magic and a version above 10; the position is then at 27.
    static bool Check(CFile& file);
    // Reads the u64 first-record offset at 27; false when it lies outside the file.
    static bool ReadFirstRecord(CFile& file, uint64_t& firstRecord);
    // Reads the u64 first-record offset at 27 and the folder behind it; false when the offset lies
    // outside the file or before the folder's end.
    static bool ReadFolder(CFile& file, uint64_t& firstRecord, CString& folder);
    // After ReadFolder: the thumbnail size behind the folder; false when it does not fit before
    // the first record or either side is 0.
    static bool ReadThumbSize(CFile& file, uint64_t firstRecord, uint32_t& width, uint32_t& height);
    // Writes the whole header at the file's start; the position is then at the first record.
    // Throws the file's exceptions.
    static void Write(CFile& file, const char* folder, uint32_t width, uint32_t height);
};

// The folder stored in a library file's header; false when the file cannot be read, its header
// is not valid, or the folder is empty.
bool ReadLibFolder(const char* libPath, CString& folder);
