// CRecentFileList: the most-recently-used file list kept in one profile section
// (entries "File1".."FileN", newest first).
#pragma once

#include "framework/CString.h"

#include <vector>

class CRecentFileList
{
public:
    CRecentFileList(UINT nStart, LPCSTR lpszSection, LPCSTR lpszEntryFormat, int nSize);

    int GetSize() const { return m_nSize; }
    // Empty texts for unused places.
    const CString& operator[](int nIndex) const { return m_arrNames[static_cast<size_t>(nIndex)]; }
    // Puts the path first; a path already listed (compared without case) moves up.
    void Add(LPCSTR lpszPathName);
    void Remove(int nIndex);
    void ReadList();
    void WriteList();

    UINT m_nStart;

private:
    CString EntryName(int nIndex) const;

    CString m_strSectionName;
    CString m_strEntryFormat;
    int m_nSize;
    std::vector<CString> m_arrNames;
};
