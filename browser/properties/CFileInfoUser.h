// CFileInfoUser: the "User-defined" page: up to ten custom properties of the drawing as name and
// value.
#pragma once

#include "browser/properties/CFileInfoPage.h"

class CFileInfoUser : public CFileInfoPage
{
public:
    static constexpr int kPairs = 10;

    CFileInfoUser(const char* path, const DRAWINGINFO* info);

    BOOL OnInitDialog() override;

    CString m_strNames[kPairs];
    CString m_strValues[kPairs];

protected:
    void DoDataExchange(CDataExchange* dx) override;
};
