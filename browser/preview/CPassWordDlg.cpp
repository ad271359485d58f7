#include "browser/preview/CPassWordDlg.h"

#include "framework/CDataExchange.h"
#include "res/resource.h"

CPassWordDlg::CPassWordDlg(CWnd* parent) : CDialog(IDD_DRAWING_PASSWORD, parent) {}

void CPassWordDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_PASSWORD_PROMPT, m_prompt);
    DDX_Text(dx, IDC_PASSWORD_EDIT, m_password);
}
