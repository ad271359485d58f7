#include "browser/dialogs/CNewFolderDlg.h"

#include "core/FileUtils.h"
#include "browser/dialogs/NewFolderName.h"
#include "framework/CDataExchange.h"
#include "framework/Prompt.h"
#include "res/resource.h"

namespace {

const int kMaxNameChars = 256;

void SayAboutName(const char* text, const CString& name)
{
    CString message(text);
    message += name;
    AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
}

} // namespace

CNewFolderDlg::CNewFolderDlg(const char* parentFolder, const char* baseName, CWnd* parent)
    : CDialog(IDD_NEW_FOLDER, parent), m_strParent(WithTrailingBackslash(parentFolder)),
      m_strName(MakeUniqueFolderName(m_strParent, baseName))
{
}

void CNewFolderDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_NEWFOLDER_NAME, m_strName);
    DDV_MaxChars(dx, m_strName, kMaxNameChars);
}

bool CNewFolderDlg::AcceptName()
{
    switch (CheckNewFolderName(m_strParent, m_strName)) {
    case NewFolderNameCheck::Valid:
        return true;
    case NewFolderNameCheck::Empty:
        AfxMessageBox("Please enter the new folder name.", MB_OK | MB_ICONEXCLAMATION);
        return false;
    case NewFolderNameCheck::Invalid:
        SayAboutName("A folder name cannot contain \\ / : * ? \" < > | or \"..\":\n   ", m_strName);
        return false;
    case NewFolderNameCheck::Exists:
        SayAboutName("The folder already exists:\n   ", m_strName);
        return false;
    }
    return false;
}

void CNewFolderDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    m_strName.TrimLeft();
    m_strName.TrimRight();
    if (!AcceptName())
        return;
    if (!CreateFolderPath(m_strParent + m_strName)) {
        SayAboutName("Cann't create folder: \n   ", m_strName);
        return;
    }
    EndDialog(IDOK);
}
