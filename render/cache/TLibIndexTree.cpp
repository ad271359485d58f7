#include "render/cache/TLibIndexTree.h"

#include "core/FileUtils.h"
#include "render/cache/CacheFile.h"
#include "render/cache/LibFileHeader.h"
#include "render/cache/TLibDriveIndex.h"

#include <cstring>
#include <new>

namespace {

// A plain pointer, not an object with a destructor: the settings delete the instance at exit,
// and no static destructor may run before them and free it a second time.
TLibIndexTree* s_instance = nullptr;

const char kBrowserLibName[] = "OrvoKestalImageCache.opslib";
const char kFlatIndexName[] = "OrvoKestalLibIndex.opsidx";
const char kIndexPrefix[] = "OrvoKestalLibIndex";
const char kIndexSuffix[] = ".opsidx";
const char kLibPrefix[] = "OrvoKestalLib";
const char kLibSuffix[] = ".opslib";
const char kFlatMagic[] = "OrvoKestalNewImageCacheLibIndexFile"; // written with its NUL
const UINT kFlatMagicBytes = sizeof kFlatMagic;
const int kMaxNumberedLibs = 1000000;
// Per-drive index files looked at in one search; a folder full of them is not walked forever.
const int kMaxDriveIndexFiles = 256;

bool HasPrefixAndSuffix(const char* name, const char* prefix, const char* suffix)
{
    const size_t length = std::strlen(name);
    const size_t prefixLength = std::strlen(prefix);
    const size_t suffixLength = std::strlen(suffix);
    return length >= prefixLength + suffixLength && _strnicmp(name, prefix, prefixLength) == 0 &&
           _stricmp(name + length - suffixLength, suffix) == 0;
}

// Calls visit(name) for each file (not folder) in folder whose name has prefix and suffix.
template <typename Visit>
void ForEachFile(const CString& folder, const char* prefix, const char* suffix, int limit,
                 Visit visit)
{
    WIN32_FIND_DATAA data;
    const HANDLE find = FindFirstFileA(folder + prefix + "*" + suffix, &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    int seen = 0;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            !HasPrefixAndSuffix(data.cFileName, prefix, suffix))
            continue;
        if (++seen > limit || !visit(CString(data.cFileName)))
            break;
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

// The folder's components after the drive component; the drive component itself in drive.
std::vector<CString> SplitFolder(const CString& folder, CString& drive)
{
    std::vector<CString> parts;
    const CString text = CacheFile::WithoutBackslash(folder);
    int start = 0;
    bool first = true;
    while (start <= text.GetLength()) {
        int end = text.Find('\\', start);
        if (end < 0)
            end = text.GetLength();
        const CString part = text.Mid(start, end - start);
        if (first)
            drive = part;
        else if (!part.IsEmpty())
            parts.push_back(part);
        first = false;
        start = end + 1;
    }
    return parts;
}

// The drive's type and volume serial; false when the drive is not usable. Critical-error boxes
// are off only for the query: the process's own error mode is put back.
bool GetDriveIdentity(const CString& drive, uint32_t& type, uint32_t& serial)
{
    const CString root = drive + "\\";
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    DWORD volumeSerial = 0;
    const BOOL gotVolume =
        GetVolumeInformationA(root, nullptr, 0, &volumeSerial, nullptr, nullptr, nullptr, 0);
    const UINT driveType = GetDriveTypeA(root);
    SetErrorMode(oldMode);
    type = driveType;
    serial = volumeSerial;
    return gotVolume && driveType > 1;
}

bool GetLocalWriteTime(const CString& path, FILETIME& time)
{
    return CacheFile::FindFileInfo(path, &time, nullptr);
}

bool HasReadWriteAccess(const CString& path)
{
    const HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

} // namespace

TLibIndexTree::TLibIndexTree(const CString& folder, bool saveInBrowserFolderFirst,
                             bool readFromBrowserFolderFirst)
    : m_libFolder(CacheFile::WithBackslash(folder.IsEmpty() ? ".\\" : folder)),
      m_saveInBrowserFolderFirst(saveInBrowserFolderFirst),
      m_readFromBrowserFolderFirst(readFromBrowserFolderFirst)
{
    LoadFlatIndex();
}

TLibIndexTree::~TLibIndexTree()
{
    Save();
}

void TLibIndexTree::SetLibFolder(const char* folder)
{
    const CString candidate = CacheFile::WithBackslash(folder);
    if (candidate.IsEmpty())
        return;
    if (IsExistingFolder(candidate) || CreateDirectoryA(candidate, nullptr)) {
        CSingleLock lock(&m_lock, TRUE);
        m_libFolder = candidate;
    }
}

CString TLibIndexTree::GetPath() const
{
    CSingleLock lock(&m_lock, TRUE);
    return m_libFolder;
}

void TLibIndexTree::SetSaveInBrowserFolderFirst(bool on)
{
    CSingleLock lock(&m_lock, TRUE);
    m_saveInBrowserFolderFirst = on;
}

bool TLibIndexTree::GetSaveInBrowserFolderFirst() const
{
    CSingleLock lock(&m_lock, TRUE);
    return m_saveInBrowserFolderFirst;
}

void TLibIndexTree::SetReadFromBrowserFolderFirst(bool on)
{
    CSingleLock lock(&m_lock, TRUE);
    m_readFromBrowserFolderFirst = on;
}

bool TLibIndexTree::GetReadFromBrowserFolderFirst() const
{
    CSingleLock lock(&m_lock, TRUE);
    return m_readFromBrowserFolderFirst;
}

CString TLibIndexTree::NumberedLibName(int number)
{
    CString name;
    name.Format("%s%06d%s", kLibPrefix, number, kLibSuffix);
    return name;
}

CString TLibIndexTree::GetBrowserFolderLib(const CString& folder, bool mustExist)
{
    const CString path = CacheFile::WithBackslash(folder) + kBrowserLibName;
    if (mustExist && !IsExistingFile(path))
        return CString();
    return path;
}

int TLibIndexTree::LocateForRead(const CString& folder, CString& libPath)
{
    CSingleLock lock(&m_lock, TRUE);
    libPath.Empty();
    CString browserLib;
    if (m_saveInBrowserFolderFirst || m_readFromBrowserFolderFirst)
        browserLib = GetBrowserFolderLib(folder, true);
    CString cacheLib;
    if (FindLibLocked(folder, cacheLib) && !IsExistingFile(cacheLib)) {
        const CString moved = m_libFolder + CacheFile::FileNamePart(cacheLib);
        cacheLib = IsExistingFile(moved) ? moved : CString();
    }
    if (!browserLib.IsEmpty() && !cacheLib.IsEmpty()) {
        FILETIME browserTime{};
        FILETIME cacheTime{};
        GetLocalWriteTime(browserLib, browserTime);
        GetLocalWriteTime(cacheLib, cacheTime);
        if (CompareFileTime(&browserTime, &cacheTime) > 0)
            cacheLib.Empty();
        else
            browserLib.Empty();
    }
    if (!browserLib.IsEmpty()) {
        libPath = browserLib;
        return kReadBrowserFolder;
    }
    if (!cacheLib.IsEmpty()) {
        libPath = cacheLib;
        return kReadCacheFolder;
    }
    return kReadNone;
}

int TLibIndexTree::LocateForWrite(const CString& folder, CString& libPath, bool inCacheFolder)
{
    CSingleLock lock(&m_lock, TRUE);
    if (m_saveInBrowserFolderFirst && !inCacheFolder) {
        libPath = GetBrowserFolderLib(folder, false);
        // A library that cannot be replaced would keep every thumbnail from being kept.
        const DWORD attributes = GetFileAttributesA(libPath);
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == 0)
            return kWriteBrowserFolder;
    }
    libPath.Empty();
    if (CacheFile::WithoutBackslash(folder).GetLength() > kMaxSlotText)
        return kWriteNowhere;
    CString known;
    if (FindLibLocked(folder, known)) {
        libPath = HasReadWriteAccess(known) ? known
                                            : m_libFolder + CacheFile::FileNamePart(known);
        if (libPath.GetLength() <= kMaxSlotText)
            return kWriteCacheFolder;
    }
    for (int number = 0; number < kMaxNumberedLibs; ++number) {
        const CString candidate = m_libFolder + NumberedLibName(number);
        if (candidate.GetLength() > kMaxSlotText)
            break;
        if (!IsExistingFile(candidate) && !IsNumberInUse(candidate)) {
            libPath = candidate;
            return kWriteCacheFolder;
        }
    }
    libPath.Empty();
    return kWriteNowhere;
}

// A name that the index gives to another folder is not free even while its file is missing:
// the other folder's next write would otherwise land on this folder's library.
bool TLibIndexTree::IsNumberInUse(const CString& path) const
{
    const CString name = CacheFile::FileNamePart(path);
    for (const TLibIndexEntry& entry : m_entries)
        if (CacheFile::FileNamePart(entry.lib).CompareNoCase(name) == 0)
            return true;
    return false;
}

bool TLibIndexTree::AddFolder(const CString& folder, const CString& libPath)
{
    CSingleLock lock(&m_lock, TRUE);
    return AddFolderLocked(folder, libPath);
}

bool TLibIndexTree::AddFolderLocked(const CString& folder, const CString& libPath)
{
    const CString key = CacheFile::WithoutBackslash(folder);
    if (key.IsEmpty() || libPath.IsEmpty() || key.GetLength() > kMaxSlotText ||
        libPath.GetLength() > kMaxSlotText)
        return false;
    size_t index = 0;
    if (FindInFlatIndex(key, index)) {
        TLibIndexEntry& entry = m_entries[index];
        if (entry.lib.CompareNoCase(libPath) != 0) {
            if (IsExistingFile(entry.lib))
                DeleteFileA(entry.lib);
            entry.lib = libPath;
        }
        return true;
    }
    m_entries.insert(m_entries.begin() + static_cast<std::ptrdiff_t>(index),
                     TLibIndexEntry{key, libPath});
    return true;
}

// Binary search; on a miss index is the sorted place for key.
bool TLibIndexTree::FindInFlatIndex(const CString& key, size_t& index) const
{
    size_t low = 0;
    size_t high = m_entries.size();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        const int order = m_entries[middle].folder.CompareNoCase(key);
        if (order == 0) {
            index = middle;
            return true;
        }
        if (order < 0)
            low = middle + 1;
        else
            high = middle;
    }
    index = low;
    return false;
}

void TLibIndexTree::RemoveFolder(const CString& folder)
{
    CSingleLock lock(&m_lock, TRUE);
    size_t index = 0;
    if (FindInFlatIndex(CacheFile::WithoutBackslash(folder), index)) {
        if (IsExistingFile(m_entries[index].lib))
            DeleteFileA(m_entries[index].lib);
        m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(index));
    }
    RemoveFromDriveIndex(folder);
}

bool TLibIndexTree::FindLib(const CString& folder, CString& libPath)
{
    CSingleLock lock(&m_lock, TRUE);
    return FindLibLocked(folder, libPath);
}

bool TLibIndexTree::FindLibLocked(const CString& folder, CString& libPath)
{
    size_t index = 0;
    if (FindInFlatIndex(CacheFile::WithoutBackslash(folder), index)) {
        libPath = m_entries[index].lib;
        return true;
    }
    return TakeOverDriveIndex(folder, libPath);
}

CString TLibIndexTree::FindDriveIndexFile(const CString& folder) const
{
    CString drive;
    SplitFolder(folder, drive);
    uint32_t type = 0;
    uint32_t serial = 0;
    if (drive.IsEmpty() || !GetDriveIdentity(drive, type, serial))
        return CString();
    CString found;
    ForEachFile(m_libFolder, kIndexPrefix, kIndexSuffix, kMaxDriveIndexFiles,
                [&](const CString& name) {
                    const CString path = m_libFolder + name;
                    try {
                        CFile file;
                        uint32_t fileType = 0;
                        uint32_t fileSerial = 0;
                        uint64_t remainder = 0;
                        if (CacheFile::OpenForRead(file, path) &&
                            TLibDriveIndex::ReadIdentity(file, fileType, fileSerial, remainder) &&
                            fileType == type && fileSerial == serial)
                            found = path;
                    } catch (CException* e) {
                        e->Delete();
                    }
                    return found.IsEmpty();
                });
    return found;
}

// When the drive's older index knows folder, the whole drive moves into the flat index (the
// libraries that still exist) and the older file is deleted.
bool TLibIndexTree::TakeOverDriveIndex(const CString& folder, CString& libPath)
{
    const CString indexFile = FindDriveIndexFile(folder);
    if (indexFile.IsEmpty())
        return false;
    CString drive;
    const std::vector<CString> components = SplitFolder(folder, drive);
    TLibDriveIndex driveIndex;
    try {
        CFile file;
        if (!CacheFile::OpenForRead(file, indexFile) || !driveIndex.Read(file))
            return false;
    } catch (CException* e) {
        e->Delete();
        return false;
    }
    CString lib;
    if (!driveIndex.Find(components, lib))
        return false;
    for (const auto& [entryFolder, entryLib] : driveIndex.Collect(drive))
        if (IsExistingFile(entryLib))
            AddFolderLocked(entryFolder, entryLib);
    DeleteFileA(indexFile);
    size_t index = 0;
    if (!FindInFlatIndex(CacheFile::WithoutBackslash(folder), index))
        return false;
    libPath = m_entries[index].lib;
    return true;
}

// The older file is rewritten while it still records anything, and deleted once it is empty.
void TLibIndexTree::RemoveFromDriveIndex(const CString& folder)
{
    const CString indexFile = FindDriveIndexFile(folder);
    if (indexFile.IsEmpty())
        return;
    CString drive;
    const std::vector<CString> components = SplitFolder(folder, drive);
    TLibDriveIndex driveIndex;
    try {
        CFile file;
        if (!CacheFile::OpenWithRetry(file, indexFile,
                                      CFile::modeReadWrite | CFile::shareExclusive |
                                          CFile::typeBinary) ||
            !driveIndex.Read(file))
            return;
    } catch (CException* e) {
        e->Delete();
        return;
    }
    if (!driveIndex.Remove(components))
        return;
    if (driveIndex.IsEmpty()) {
        DeleteFileA(indexFile);
        return;
    }
    const CString temp = CacheFile::MakeTempPathBeside(indexFile);
    if (temp.IsEmpty())
        return;
    try {
        CFile file(temp, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive |
                             CFile::typeBinary);
        driveIndex.Write(file);
        file.Close();
    } catch (CException* e) {
        e->Delete();
        DeleteFileA(temp);
        return;
    }
    CacheFile::ReplaceWithTemp(temp, indexFile);
}

void TLibIndexTree::DeleteAllLibs(const char* folder)
{
    CSingleLock lock(&m_lock, TRUE);
    const CString cacheFolder = CacheFile::WithBackslash(folder);
    if (cacheFolder.IsEmpty())
        return;
    m_libFolder = cacheFolder;
    m_entries.clear();
    ForEachFile(m_libFolder, kLibPrefix, kLibSuffix, kMaxNumberedLibs, [&](const CString& name) {
        const CString path = m_libFolder + name;
        CString libFolder;
        if (!ReadLibFolder(path, libFolder) || !AddFolderLocked(libFolder, path))
            DeleteFileA(path);
        return true;
    });
}

std::vector<TLibIndexEntry> TLibIndexTree::GetEntries() const
{
    CSingleLock lock(&m_lock, TRUE);
    return m_entries;
}

void TLibIndexTree::LoadFlatIndex()
{
    try {
        CFile file;
        if (!file.Open(m_libFolder + kFlatIndexName,
                       CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary))
            return;
        char magic[kFlatMagicBytes];
        uint32_t version = 0;
        if (file.Read(magic, kFlatMagicBytes) != kFlatMagicBytes ||
            std::memcmp(magic, kFlatMagic, kFlatMagicBytes) != 0 ||
            !CacheFile::ReadU32(file, version) || static_cast<int32_t>(version) > 1)
            return;
        const ULONGLONG length = file.GetLength();
        while (file.GetPosition() < length) {
            CString folder;
            CString lib;
            if (!CacheFile::ReadText(file, folder, kMaxSlotText) ||
                !CacheFile::ReadText(file, lib, kMaxSlotText))
                break;
            if (!folder.IsEmpty() && !lib.IsEmpty())
                AddFolderLocked(folder, lib);
        }
    } catch (CException* e) {
        e->Delete();
    }
}

bool TLibIndexTree::Save() const
{
    CSingleLock lock(&m_lock, TRUE);
    const CString path = m_libFolder + kFlatIndexName;
    const CString temp = CacheFile::MakeTempPathBeside(path);
    if (temp.IsEmpty())
        return false;
    try {
        CFile file(temp, CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite |
                             CFile::typeBinary);
        file.Write(kFlatMagic, kFlatMagicBytes);
        CacheFile::WriteU32(file, 1);
        for (const TLibIndexEntry& entry : m_entries) {
            CacheFile::WriteText(file, entry.folder);
            CacheFile::WriteText(file, entry.lib);
        }
        file.Close();
    } catch (CException* e) {
        e->Delete();
        DeleteFileA(temp);
        return false;
    }
    return CacheFile::ReplaceWithTemp(temp, path);
}

TLibIndexTree* GetLibIndexTree()
{
    return s_instance;
}

void CreateLibIndexTree(const CString& folder, bool saveInBrowserFolderFirst,
                        bool readFromBrowserFolderFirst)
{
    delete s_instance;
    s_instance = new (std::nothrow)
        TLibIndexTree(folder, saveInBrowserFolderFirst, readFromBrowserFolderFirst);
}

void DeleteLibIndexTree()
{
    delete s_instance;
    s_instance = nullptr;
}
