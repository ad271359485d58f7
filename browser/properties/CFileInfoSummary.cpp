#include "browser/properties/CFileInfoSummary.h"

#include "browser/properties/FileInfoText.h"
#include "framework/CDataExchange.h"
#include "render/workers/DRAWINGINFO.h"
#include "res/resource.h"

#include <utility>

CFileInfoSummary::CFileInfoSummary(const char* path, const DRAWINGINFO* info)
    : CFileInfoPage(IDD_FILEINFO_SUMMARY, path, info)
{
}

void CFileInfoSummary::DoDataExchange(CDataExchange* dx)
{
    CFileInfoPage::DoDataExchange(dx);
    DDX_Text(dx, IDC_FILEINFO_TITLE, m_strTitle);
    DDX_Text(dx, IDC_FILEINFO_SUBJECT, m_strSubject);
    DDX_Text(dx, IDC_FILEINFO_AUTHOR, m_strAuthor);
    DDX_Text(dx, IDC_FILEINFO_KEYWORDS, m_strKeywords);
    DDX_Text(dx, IDC_FILEINFO_COMMENT, m_strComment);
    DDX_Text(dx, IDC_FILEINFO_HYPERLINK, m_strHyperlinkBase);
}

BOOL CFileInfoSummary::OnInitDialog()
{
    if (const DRAWINGINFO* info = FilledInfo()) {
        m_strTitle = info->m_strTitle;
        m_strSubject = info->m_strSubject;
        m_strAuthor = info->m_strAuthor;
        m_strKeywords = info->m_strText0;
        m_strComment = JoinLines(info->m_pStrings.get());
        m_strHyperlinkBase = info->m_strText6;
    }
    const BOOL result = CFileInfoPage::OnInitDialog();
    const std::pair<int, const CString*> fields[] = {
        {IDC_FILEINFO_TITLE, &m_strTitle},       {IDC_FILEINFO_SUBJECT, &m_strSubject},
        {IDC_FILEINFO_AUTHOR, &m_strAuthor},     {IDC_FILEINFO_KEYWORDS, &m_strKeywords},
        {IDC_FILEINFO_COMMENT, &m_strComment},   {IDC_FILEINFO_HYPERLINK, &m_strHyperlinkBase},
    };
    for (const auto& field : fields)
        ShowDrawingText(field.first, *field.second);
    return result;
}
