// The header of a cache library file (".opslib"): the magic and version every reader checks, and
// the two header readers the index and the file list need without loading the records.
#pragma once

#include "framework/Afx.h"

#include <cstdint>

namespace LibFileHeader {

constexpr const char* kMagic = "OrvoKestalImageCacheLib";
constexpr UINT kMagicBytes = 23;
constexpr uint32_t kVersion = 11;
// Offset of the u64 first-record offset.
constexpr uint64_t kFirstRecordField = 27;
// Longest folder and file name a reader takes from a library file.
constexpr int kMaxText = 1024;

// Seeks to 0 and checks the magic and a version above 10; the position is then at 27.
bool Check(CFile& file);
// Reads the u64 first-record offset at 27 and the folder behind it; false when the offset lies
// outside the file or before the folder's end.
bool ReadFolder(CFile& file, uint64_t& firstRecord, CString& folder);

} // namespace LibFileHeader

// The folder stored in a library file's header; false when the file cannot be read, its header
// is not valid, or the folder is empty.
bool ReadLibFolder(const char* libPath, CString& folder);
