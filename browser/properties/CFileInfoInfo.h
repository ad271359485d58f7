// CFileInfoInfo: the "Statistics info" page: the drawing's dates, last editor and total editing
// time.
#pragma once

#include "browser/properties/CFileInfoPage.h"

class CFileInfoInfo : public CFileInfoPage
{
public:
    CFileInfoInfo(const char* path, const DRAWINGINFO* info);

    BOOL OnInitDialog() override;

    CString m_strCreated;
    CString m_strUpdated;
    CString m_strEditor;
    CString m_strEditTime;

protected:
    void DoDataExchange(CDataExchange* dx) override;
};
