#include "browser/properties/CFileInfoInfo.h"

#include "browser/properties/FileInfoText.h"
#include "framework/CDataExchange.h"
#include "render/workers/DRAWINGINFO.h"
#include "res/resource.h"

CFileInfoInfo::CFileInfoInfo(const char* path, const DRAWINGINFO* info)
    : CFileInfoPage(IDD_FILEINFO_INFO, path, info)
{
}

void CFileInfoInfo::DoDataExchange(CDataExchange* dx)
{
    CFileInfoPage::DoDataExchange(dx);
    DDX_Text(dx, IDC_FILEINFO_CREATE_DATE, m_strCreated);
    DDX_Text(dx, IDC_FILEINFO_UPDATE_DATE, m_strUpdated);
    DDX_Text(dx, IDC_FILEINFO_EDITOR, m_strEditor);
    DDX_Text(dx, IDC_FILEINFO_EDIT_TIME, m_strEditTime);
}

BOOL CFileInfoInfo::OnInitDialog()
{
    if (const DRAWINGINFO* info = FilledInfo()) {
        m_strCreated = FormatUnixDate(info->m_tCreation);
        m_strUpdated = FormatUnixDate(info->m_tModification);
        m_strEditor = info->m_strText5;
        m_strEditTime = FormatEditingTime(info->m_nEditHours, info->m_nEditMinutes);
    }
    return CFileInfoPage::OnInitDialog();
}
