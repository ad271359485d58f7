// TLibIndexTree: where each folder's thumbnail cache library lives. A library lies either in the
// browsed folder ("OrvoKestalImageCache.opslib") or in the cache folder under a numbered name; the
// flat index (file "OrvoKestalLibIndex.opsidx" in the cache folder) maps folders to numbered
// libraries. Older per-drive index files are taken over into it when a folder of their drive is
// looked up. One instance; its operations are serialised by its own lock, because the thumbnail
// thread, the writer threads and the user-interface thread all use it.
#pragma once

#include "framework/Afx.h"

#include <vector>

struct TLibIndexEntry
{
    CString folder; // without trailing backslash
    CString lib;    // full path of the library file
};

class TLibIndexTree
{
public:
    // Longest folder or library path an index slot holds; longer ones are never indexed.
    static constexpr int kMaxSlotText = 511;

    enum ReadPlace { kReadNone = 0, kReadBrowserFolder = 1, kReadCacheFolder = 2 };
    enum WritePlace { kWriteNowhere = -1, kWriteBrowserFolder = 0, kWriteCacheFolder = 1 };

    // Loads the flat index file of the cache folder (a backslash is appended when missing).
    TLibIndexTree(const CString& folder, bool saveInBrowserFolderFirst,
                  bool readFromBrowserFolderFirst);
    // Writes the flat index file.
    virtual ~TLibIndexTree();
    TLibIndexTree(const TLibIndexTree&) = delete;
    TLibIndexTree& operator=(const TLibIndexTree&) = delete;

    // Takes the folder (a backslash is appended when missing) when it exists or can be created;
    // otherwise the old folder stays.
    void SetLibFolder(const char* folder);
    // The cache folder, with its trailing backslash.
    CString GetPath() const;

    void SetSaveInBrowserFolderFirst(bool on);
    bool GetSaveInBrowserFolderFirst() const;
    void SetReadFromBrowserFolderFirst(bool on);
    bool GetReadFromBrowserFolderFirst() const;

    // The library to read for folder (ReadPlace) and its path.
    int LocateForRead(const CString& folder, CString& libPath);
    // Where folder's library is to be written (WritePlace) and its path. kWriteNowhere when the
    // folder is too long to be indexed or no numbered name is free. With "save in the browser
    // folder first" the browsed folder, unless its library is there read-only (or is no file),
    // or inCacheFolder says a write there has just failed: then the cache folder, as without it.
    int LocateForWrite(const CString& folder, CString& libPath, bool inCacheFolder = false);
    // Records folder's cache-folder library; a library recorded before under another path is
    // deleted. False when either text is too long for a slot.
    bool AddFolder(const CString& folder, const CString& libPath);
    // Forgets folder (flat and per-drive index) and deletes its cache-folder library.
    void RemoveFolder(const CString& folder);
    // folder's library in the cache folder, from the flat index or a per-drive index file.
    bool FindLib(const CString& folder, CString& libPath);
    // Clean-up: the cache folder becomes folder, the index is rebuilt from the headers of the
    // numbered libraries there, and every library that names no folder is deleted.
    void DeleteAllLibs(const char* folder);
    // The slots in sorted order (a copy: the index may change meanwhile).
    std::vector<TLibIndexEntry> GetEntries() const;
    // Writes the flat index file (through a temporary file). False when it could not be written.
    bool Save() const;

    // "OrvoKestalLib" + six-digit number + ".opslib".
    static CString NumberedLibName(int number);
    // folder + "OrvoKestalImageCache.opslib"; with mustExist, empty when there is no such file.
    static CString GetBrowserFolderLib(const CString& folder, bool mustExist);

private:
    bool FindLibLocked(const CString& folder, CString& libPath);
    bool FindInFlatIndex(const CString& key, size_t& index) const;
    bool AddFolderLocked(const CString& folder, const CString& libPath);
    bool TakeOverDriveIndex(const CString& folder, CString& libPath);
    CString FindDriveIndexFile(const CString& folder) const;
    void RemoveFromDriveIndex(const CString& folder);
    bool IsNumberInUse(const CString& path) const;
    void LoadFlatIndex();

    mutable CCriticalSection m_lock;
    CString m_libFolder;
    std::vector<TLibIndexEntry> m_entries;
    bool m_saveInBrowserFolderFirst;
    bool m_readFromBrowserFolderFirst;
};

// The process-wide index; null before CreateLibIndexTree and after DeleteLibIndexTree.
TLibIndexTree* GetLibIndexTree();
// Creates the index (replacing one that exists) for the cache folder and the two options.
void CreateLibIndexTree(const CString& folder, bool saveInBrowserFolderFirst,
                        bool readFromBrowserFolderFirst);
void DeleteLibIndexTree();
