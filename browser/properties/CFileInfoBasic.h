// CFileInfoBasic: the "Basic" page: icon, type, folder, size, short name, times and attributes,
// from the file system and the shell.
#pragma once

#include "browser/properties/CFileInfoPage.h"

class CFileInfoBasic : public CFileInfoPage
{
public:
    CFileInfoBasic(const char* path, const DRAWINGINFO* info);
    ~CFileInfoBasic() override;
    CFileInfoBasic(const CFileInfoBasic&) = delete;
    CFileInfoBasic& operator=(const CFileInfoBasic&) = delete;

    BOOL OnInitDialog() override;

    CString m_strName;
    CString m_strType;
    CString m_strFolder;
    CString m_strSize;
    CString m_strShortName;
    CString m_strCreated;
    CString m_strModified;
    CString m_strAccessed;
    int m_nReadOnly = 0;
    int m_nHidden = 0;
    int m_nArchive = 0;
    int m_nSystem = 0;

protected:
    void DoDataExchange(CDataExchange* dx) override;

private:
    void ReadShellInfo();
    void ReadFileSystemInfo();

    HICON m_hIcon = nullptr; // owned
};
