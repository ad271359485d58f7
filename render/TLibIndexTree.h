// STAND-IN for the cache index until the thumbnail cache work lands: only the interface the
// settings use (the cache folder and the two placement options). It reads and writes no index
// file. The real index replaces this header and TLibIndexTree.cpp with the same calls.
#pragma once

#include "framework/Afx.h"

class TLibIndexTree
{
public:
    TLibIndexTree(const CString& folder, bool saveInBrowserFolderFirst,
                  bool readFromBrowserFolderFirst);
    virtual ~TLibIndexTree() = default;
    TLibIndexTree(const TLibIndexTree&) = delete;
    TLibIndexTree& operator=(const TLibIndexTree&) = delete;

    // Takes the folder (a backslash is appended when missing) when it exists or can be created;
    // otherwise the old folder stays.
    void SetLibFolder(const char* folder);
    // The cache folder, with its trailing backslash.
    CString GetPath() const { return m_libFolder; }

    void SetSaveInBrowserFolderFirst(bool on) { m_saveInBrowserFolderFirst = on; }
    bool GetSaveInBrowserFolderFirst() const { return m_saveInBrowserFolderFirst; }
    void SetReadFromBrowserFolderFirst(bool on) { m_readFromBrowserFolderFirst = on; }
    bool GetReadFromBrowserFolderFirst() const { return m_readFromBrowserFolderFirst; }

private:
    CString m_libFolder;
    bool m_saveInBrowserFolderFirst;
    bool m_readFromBrowserFolderFirst;
};

// The process-wide index; null before CreateLibIndexTree and after DeleteLibIndexTree.
TLibIndexTree* GetLibIndexTree();
// Creates the index (replacing one that exists) for the cache folder and the two options.
void CreateLibIndexTree(const CString& folder, bool saveInBrowserFolderFirst,
                        bool readFromBrowserFolderFirst);
void DeleteLibIndexTree();
