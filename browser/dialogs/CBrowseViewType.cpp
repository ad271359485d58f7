#include "browser/dialogs/CBrowseViewType.h"

#include "framework/CDataExchange.h"
#include "res/resource.h"

namespace {

struct ModeSwatch
{
    int control;
    int picture;
};

const ModeSwatch kSwatches[CBrowseViewType::kModeCount] = {
    {IDC_VIEWTYPE_1, IDB_VIEWTYPE_1}, {IDC_VIEWTYPE_2, IDB_VIEWTYPE_2}, {IDC_VIEWTYPE_3, IDB_VIEWTYPE_3},
    {IDC_VIEWTYPE_4, IDB_VIEWTYPE_4}, {IDC_VIEWTYPE_5, IDB_VIEWTYPE_5}, {IDC_VIEWTYPE_6, IDB_VIEWTYPE_6},
};

} // namespace

BEGIN_MESSAGE_MAP(CBrowseViewType, CDialog)
    ON_MESSAGE(WM_CAVUS_DBLCLK, &CBrowseViewType::OnSwatchDoubleClick)
END_MESSAGE_MAP()

CBrowseViewType::CBrowseViewType(CWnd* parent) : CDialog(IDD_BROWSE_VIEW_TYPE, parent)
{
}

void CBrowseViewType::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    for (int i = 0; i < kModeCount; ++i)
        DDX_Control(dx, kSwatches[i].control, m_swatches[i]);
}

BOOL CBrowseViewType::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (int i = 0; i < kModeCount; ++i) {
        m_swatches[i].LoadDib(kSwatches[i].picture, "ADDBITMAP");
        m_swatches[i].SetSelectable(TRUE);
    }
    m_swatches[0].Choose();
    return TRUE;
}

void CBrowseViewType::OnOK()
{
    m_nMode = 0;
    for (int i = 0; i < kModeCount; ++i) {
        if (CCavus::GetChosen() == &m_swatches[i])
            m_nMode = i + 1;
    }
    EndDialog(IDOK);
}

LRESULT CBrowseViewType::OnSwatchDoubleClick(WPARAM, LPARAM)
{
    OnOK();
    return 0;
}

int ChooseBrowserMode(CWnd* parent)
{
    CBrowseViewType dialog(parent);
    return dialog.DoModal() == IDOK ? dialog.m_nMode : 0;
}
