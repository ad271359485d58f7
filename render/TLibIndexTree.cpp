// STAND-IN: see TLibIndexTree.h.
#include "render/TLibIndexTree.h"

#include <new>

namespace {

// A plain pointer, not an object with a destructor: the settings delete the instance at exit,
// and no static destructor may run before them and free it a second time.
TLibIndexTree* s_instance = nullptr;

CString WithBackslash(const char* folder)
{
    CString text = folder ? folder : "";
    if (text.IsEmpty() || text[text.GetLength() - 1] != '\\')
        text += '\\';
    return text;
}

bool IsDirectory(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

TLibIndexTree::TLibIndexTree(const CString& folder, bool saveInBrowserFolderFirst,
                             bool readFromBrowserFolderFirst)
    : m_libFolder(WithBackslash(folder)),
      m_saveInBrowserFolderFirst(saveInBrowserFolderFirst),
      m_readFromBrowserFolderFirst(readFromBrowserFolderFirst)
{
}

void TLibIndexTree::SetLibFolder(const char* folder)
{
    const CString candidate = WithBackslash(folder);
    if (IsDirectory(candidate) || CreateDirectoryA(candidate, nullptr))
        m_libFolder = candidate;
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
