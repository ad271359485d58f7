#include "browser/dialogs/CEditPathBoxDlg.h"

#include "core/FileUtils.h"
#include "framework/CDataExchange.h"
#include "framework/Prompt.h"
#include "res/resource.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CEditPathBoxDlg, CDialog)
    ON_BN_CLICKED(IDC_PATHBOX_DELETE_ALL, &CEditPathBoxDlg::OnDeleteAll)
    ON_BN_CLICKED(IDC_PATHBOX_DELETE, &CEditPathBoxDlg::OnDeleteSelected)
    ON_BN_CLICKED(IDC_PATHBOX_PURGE, &CEditPathBoxDlg::OnPurge)
    ON_LBN_SELCHANGE(IDC_PATHBOX_LIST, &CEditPathBoxDlg::OnSelectionChange)
END_MESSAGE_MAP()

CEditPathBoxDlg::CEditPathBoxDlg(const std::vector<CString>& folders, CWnd* parent)
    : CDialog(IDD_EDIT_PATHBOX, parent), m_original(folders), m_folders(folders)
{
}

void CEditPathBoxDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_PATHBOX_LIST, m_list);
}

BOOL CEditPathBoxDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_bChanged = false;
    m_folders = m_original;
    FillList();
    return TRUE;
}

void CEditPathBoxDlg::FillList()
{
    m_list.ResetContent();
    for (const CString& folder : m_folders)
        m_list.AddString(folder);
    m_list.SetCurSel(0);
    UpdateButtons();
}

void CEditPathBoxDlg::UpdateButtons()
{
    const BOOL hasEntries = !m_folders.empty();
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_PATHBOX_DELETE), m_list.GetCurSel() != LB_ERR);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_PATHBOX_PURGE), hasEntries);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_PATHBOX_DELETE_ALL), hasEntries);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), m_bChanged);
}

void CEditPathBoxDlg::SetChanged()
{
    m_bChanged = true;
    UpdateButtons();
}

void CEditPathBoxDlg::OnDeleteAll()
{
    if (AfxMessageBox("Are you delete all item ?", MB_YESNO) != IDYES)
        return;
    m_folders.clear();
    m_list.ResetContent();
    SetChanged();
}

void CEditPathBoxDlg::OnDeleteSelected()
{
    const int selected = m_list.GetCurSel();
    if (selected < 0 || selected >= static_cast<int>(m_folders.size()))
        return;
    if (AfxMessageBox("Are you delete the item ?", MB_YESNO) != IDYES)
        return;
    // The list box and the entries are in the same order: the selected row is the entry removed.
    m_folders.erase(m_folders.begin() + selected);
    m_list.DeleteString(static_cast<UINT>(selected));
    m_list.SetCurSel(selected < m_list.GetCount() ? selected : 0);
    SetChanged();
}

void CEditPathBoxDlg::OnPurge()
{
    const size_t before = m_folders.size();
    m_folders.erase(std::remove_if(m_folders.begin(), m_folders.end(),
                                   [](const CString& folder) { return !IsExistingFolder(folder); }),
                    m_folders.end());
    if (m_folders.size() != before) {
        m_bChanged = true;
        FillList();
    }
    AfxMessageBox("Auto check path finished !", MB_OK | MB_ICONINFORMATION);
}

void CEditPathBoxDlg::OnSelectionChange()
{
    UpdateButtons();
}

void CEditPathBoxDlg::OnOK()
{
    // OK is enabled only after a change; a scripted or keyboard OK before that saves nothing.
    if (!m_bChanged) {
        OnCancel();
        return;
    }
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (HWND frame = owner ? ::GetAncestor(owner, GA_ROOT) : nullptr)
        ::PostMessageA(frame, WM_PATHBOX_RELOAD, 0, 0);
    EndDialog(IDOK);
}

void CEditPathBoxDlg::OnCancel()
{
    m_folders = m_original;
    m_bChanged = false;
    CDialog::OnCancel();
}

bool EditBookmarkFolders(CWnd* parent, std::vector<CString>& folders)
{
    CEditPathBoxDlg dialog(folders, parent);
    if (dialog.DoModal() != IDOK)
        return false;
    folders = dialog.GetFolders();
    return true;
}
