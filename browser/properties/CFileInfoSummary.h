// CFileInfoSummary: the "Summary" page: title, subject, author, keywords, comment and hyperlink
// base of the drawing.
#pragma once

#include "browser/properties/CFileInfoPage.h"

class CFileInfoSummary : public CFileInfoPage
{
public:
    CFileInfoSummary(const char* path, const DRAWINGINFO* info);

    BOOL OnInitDialog() override;

    CString m_strTitle;
    CString m_strSubject;
    CString m_strAuthor;
    CString m_strKeywords;
    CString m_strComment;
    CString m_strHyperlinkBase;

protected:
    void DoDataExchange(CDataExchange* dx) override;
};
