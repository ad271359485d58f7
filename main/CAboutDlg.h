// CAboutDlg: the About box: the product title, the version, and links to the maker's home page
// and support mail box.
#pragma once

#include "framework/Afx.h"
#include "framework/AfxWin.h"
#include "ui/CStaticEx.h"

class CAboutDlg : public CDialog
{
public:
    static constexpr UINT kTemplateId = 101;

    CAboutDlg();

    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnHomePage();
    void OnSupportMail();
    void OnPaint();

    DECLARE_MESSAGE_MAP()

private:
    void StyleLink(CStaticEx& link, const char* text);

    CStaticEx m_authorMail;
    CStaticEx m_website;
    CStaticEx m_supportMail;
    CStaticEx m_version;
    CStaticEx m_banner;
};
