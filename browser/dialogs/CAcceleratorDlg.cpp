#include "browser/dialogs/CAcceleratorDlg.h"

#include "browser/dialogs/AcceleratorKeys.h"
#include "browser/dialogs/InfoList.h"
#include "framework/CDataExchange.h"
#include "res/resource.h"

namespace {

const int kListMargin = 8;

} // namespace

BEGIN_MESSAGE_MAP(CAcceleratorDlg, CDialog)
    ON_WM_SIZE()
END_MESSAGE_MAP()

CAcceleratorDlg::CAcceleratorDlg(CWnd* parent) : CDialog(IDD_ACCELERATOR_KEYS, parent)
{
}

void CAcceleratorDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_ACCEL_LIST, m_list);
}

BOOL CAcceleratorDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    PrepareInfoList(m_list, {{"Window", 115}, {"Keys", 120}, {"Functions", 500}});
    for (const AcceleratorRow& row : AcceleratorRows())
        AddInfoListRow(m_list, {row.window, row.keys, row.function});
    return TRUE;
}

void CAcceleratorDlg::OnSize(UINT type, int cx, int cy)
{
    CDialog::OnSize(type, cx, cy);
    if (m_list.GetSafeHwnd())
        m_list.MoveWindow(kListMargin, kListMargin, cx - 2 * kListMargin, cy - 2 * kListMargin);
}

INT_PTR ShowAcceleratorKeys(CWnd* parent)
{
    CAcceleratorDlg dialog(parent);
    return dialog.DoModal();
}
