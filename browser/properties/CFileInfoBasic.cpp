#include "browser/properties/CFileInfoBasic.h"

#include "browser/shell/CFileName.h"
#include "browser/properties/FileInfoText.h"
#include "framework/CDataExchange.h"
#include "res/resource.h"
#include "ui/CLocaleInfo.h"

#include <shellapi.h>

CFileInfoBasic::CFileInfoBasic(const char* path, const DRAWINGINFO* info)
    : CFileInfoPage(IDD_FILEINFO_BASIC, path, info)
{
}

CFileInfoBasic::~CFileInfoBasic()
{
    if (m_hIcon)
        ::DestroyIcon(m_hIcon);
}

void CFileInfoBasic::DoDataExchange(CDataExchange* dx)
{
    CFileInfoPage::DoDataExchange(dx);
    DDX_Text(dx, IDC_FILEINFO_NAME, m_strName);
    DDX_Text(dx, IDC_FILEINFO_TYPE, m_strType);
    DDX_Text(dx, IDC_FILEINFO_FOLDER, m_strFolder);
    DDX_Text(dx, IDC_FILEINFO_SIZE, m_strSize);
    DDX_Text(dx, IDC_FILEINFO_SHORTNAME, m_strShortName);
    DDX_Text(dx, IDC_FILEINFO_CREATED, m_strCreated);
    DDX_Text(dx, IDC_FILEINFO_MODIFIED, m_strModified);
    DDX_Text(dx, IDC_FILEINFO_ACCESSED, m_strAccessed);
    DDX_Check(dx, IDC_FILEINFO_READONLY, m_nReadOnly);
    DDX_Check(dx, IDC_FILEINFO_HIDDEN, m_nHidden);
    DDX_Check(dx, IDC_FILEINFO_ARCHIVE, m_nArchive);
    DDX_Check(dx, IDC_FILEINFO_SYSTEM, m_nSystem);
}

void CFileInfoBasic::ReadShellInfo()
{
    SHFILEINFOA shell = {};
    if (!::SHGetFileInfoA(m_strPath, 0, &shell, sizeof(shell), SHGFI_ICON | SHGFI_TYPENAME))
        return;
    m_hIcon = shell.hIcon;
    m_strType = shell.szTypeName;
}

void CFileInfoBasic::ReadFileSystemInfo()
{
    // A wildcard would describe whichever file matches first.
    if (m_strPath.FindOneOf("*?") >= 0)
        return;
    WIN32_FIND_DATAA data = {};
    const HANDLE search = ::FindFirstFileA(m_strPath, &data);
    if (search == INVALID_HANDLE_VALUE)
        return;
    ::FindClose(search);
    m_strShortName = data.cAlternateFileName[0] ? data.cAlternateFileName : data.cFileName;
    const ULONGLONG size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    m_strSize = FormatSizeWithBytes(size);
    m_nArchive = (data.dwFileAttributes & FILE_ATTRIBUTE_ARCHIVE) ? 1 : 0;
    m_nReadOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 1 : 0;
    m_nSystem = (data.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) ? 1 : 0;
    m_nHidden = (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) ? 1 : 0;
    const CLocaleInfo& locale = CLocaleInfo::GetLocaleInfoObject();
    m_strCreated = locale.FormatFileTime(&data.ftCreationTime);
    m_strModified = locale.FormatFileTime(&data.ftLastWriteTime);
    m_strAccessed = locale.FormatFileTime(&data.ftLastAccessTime);
}

BOOL CFileInfoBasic::OnInitDialog()
{
    const CFileName name(m_strPath);
    m_strName = name.GetFileNameExt();
    m_strFolder = FolderOfPath(m_strPath);
    ReadShellInfo();
    ReadFileSystemInfo();
    CFileInfoPage::OnInitDialog();
    if (m_hIcon)
        SendDlgItemMessage(IDC_FILEINFO_ICON, STM_SETICON, reinterpret_cast<WPARAM>(m_hIcon), 0);
    return TRUE;
}
