#include "framework/CRecentFileList.h"

#include "framework/AfxGlobals.h"
#include "framework/CWinApp.h"

CRecentFileList::CRecentFileList(UINT nStart, LPCSTR lpszSection, LPCSTR lpszEntryFormat, int nSize)
    : m_nStart(nStart), m_strSectionName(lpszSection), m_strEntryFormat(lpszEntryFormat),
      m_nSize(nSize > 0 ? nSize : 0), m_arrNames(static_cast<size_t>(m_nSize))
{
}

void CRecentFileList::Add(LPCSTR lpszPathName)
{
    if (m_nSize == 0 || lpszPathName == nullptr || *lpszPathName == '\0')
        return;
    int nFound = m_nSize - 1;
    for (int i = 0; i < m_nSize; ++i) {
        if (m_arrNames[static_cast<size_t>(i)].CompareNoCase(lpszPathName) == 0) {
            nFound = i;
            break;
        }
    }
    for (int i = nFound; i > 0; --i)
        m_arrNames[static_cast<size_t>(i)] = m_arrNames[static_cast<size_t>(i - 1)];
    m_arrNames[0] = lpszPathName;
}

void CRecentFileList::Remove(int nIndex)
{
    if (nIndex < 0 || nIndex >= m_nSize)
        return;
    for (int i = nIndex; i < m_nSize - 1; ++i)
        m_arrNames[static_cast<size_t>(i)] = m_arrNames[static_cast<size_t>(i + 1)];
    m_arrNames[static_cast<size_t>(m_nSize - 1)].Empty();
}

CString CRecentFileList::EntryName(int nIndex) const
{
    CString strEntry;
    strEntry.Format(m_strEntryFormat, nIndex + 1);
    return strEntry;
}

void CRecentFileList::ReadList()
{
    CWinApp* pApp = AfxGetApp();
    for (int i = 0; i < m_nSize; ++i)
        m_arrNames[static_cast<size_t>(i)] = pApp->GetProfileString(m_strSectionName, EntryName(i), "");
}

void CRecentFileList::WriteList()
{
    CWinApp* pApp = AfxGetApp();
    // The section is written whole, so entries of a longer old list do not linger.
    pApp->WriteProfileString(m_strSectionName, nullptr, nullptr);
    for (int i = 0; i < m_nSize; ++i) {
        const CString& strName = m_arrNames[static_cast<size_t>(i)];
        if (!strName.IsEmpty())
            pApp->WriteProfileString(m_strSectionName, EntryName(i), strName);
    }
}
