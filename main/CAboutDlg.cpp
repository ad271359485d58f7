#include "main/CAboutDlg.h"

#include "app/CAppState.h"
#include "core/CProgramInfo.h"
#include "core/ShellOpen.h"
#include "engine/rkui/RkUI.h"
#include "res/resource.h"

namespace {

const COLORREF kBannerText = 0xFAFAFA;
const COLORREF kBannerBack = 0xA35A05;
const COLORREF kLinkText = 0x801C00;
const UINT kCentred = 5;
const UINT kRightAligned = 6;
// The band under the version text, in dialog units: the text is white on it.
const RECT kVersionBand = {0, 16, 260, 46};

} // namespace

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
    ON_STN_CLICKED(IDC_ABOUT_BANNER, &CAboutDlg::OnHomePage)
    ON_STN_CLICKED(IDC_ABOUT_WEBSITE, &CAboutDlg::OnHomePage)
    ON_STN_CLICKED(IDC_ABOUT_SUPPORT_MAIL, &CAboutDlg::OnSupportMail)
    ON_STN_CLICKED(IDC_ABOUT_AUTHOR_MAIL, &CAboutDlg::OnSupportMail)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg() : CDialog(kTemplateId)
{
}

void CAboutDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ABOUT_AUTHOR_MAIL, m_authorMail);
    DDX_Control(pDX, IDC_ABOUT_WEBSITE, m_website);
    DDX_Control(pDX, IDC_ABOUT_SUPPORT_MAIL, m_supportMail);
    DDX_Control(pDX, IDC_ABOUT_VERSION, m_version);
    DDX_Control(pDX, IDC_ABOUT_BANNER, m_banner);
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(g_programInfo.productTitle);

    m_banner.SetTextColor(kBannerText);
    m_banner.SetBkColor(kBannerBack);
    m_banner.SetLinkCursor(g_cursor[RkUI::Cursor::kLink]);
    m_banner.SetTextAlign(kCentred);
    m_banner.m_bUnderline = 1;

    m_version.SetTransparent(TRUE);
    m_version.SetBold(TRUE);
    m_version.SetTextColor(RGB(255, 255, 255));
    m_version.SetTextAlign(kRightAligned);
    m_version.SetWindowText("Version 5.9.1");

    StyleLink(m_website, g_programInfo.homePageText);
    StyleLink(m_supportMail, g_programInfo.supportMailText);
    return TRUE;
}

void CAboutDlg::StyleLink(CStaticEx& link, const char* text)
{
    link.SetWindowText(text);
    link.SetLinkCursor(g_cursor[RkUI::Cursor::kLink]);
    link.SetTextColor(kLinkText);
    link.SetTransparent(TRUE);
    link.m_bUnderline = 1;
}

// The version text is transparent: the dialog paints the band it stands on first.
void CAboutDlg::OnPaint()
{
    CPaintDC dc(this);
    RECT band = kVersionBand;
    ::MapDialogRect(GetSafeHwnd(), &band);
    dc.FillSolidRect(&band, kBannerBack);
}

void CAboutDlg::OnHomePage()
{
    ShellOpen(g_appState.GetMainWindowHandle(), g_programInfo.homePage);
}

void CAboutDlg::OnSupportMail()
{
    ShellOpen(g_appState.GetMainWindowHandle(), g_programInfo.supportMail);
}
