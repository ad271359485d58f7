#include "frames/options/COptionBrowse.h"

#include "core/CAppOptions.h"
#include "core/CDrawingFileType.h"
#include "res/resource.h"

#include <iterator>

namespace {

struct CheckField
{
    int id;
    bool CAppOptions::*field;
    int defaultValue; // what "Default" sets; -1 leaves the box as it is
};

const CheckField kCheckFields[COptionBrowse::kCheckCount] = {
    {IDC_OPT_SHOW_PATHBOX, &CAppOptions::ShowPathBox, 1},
    {IDC_OPT_SHOW_TOOLBAR, &CAppOptions::ShowToolBar, 1},
    {IDC_OPT_SHOW_STATUS, &CAppOptions::ShowStatus, 1},
    {IDC_OPT_SHOW_FULLPATH, &CAppOptions::ShowFullPath, 1},
    {IDC_OPT_SHOW_NONE_DRAWING, &CAppOptions::ShowNoneDrawingFile, 1},
    {IDC_OPT_READ_DWG_PREVIEW, &CAppOptions::ReadBitmapFromDwg, 0},
    {IDC_OPT_READ_JPEG_PREVIEW, &CAppOptions::ReadBitmapFromRaster, 1},
    {IDC_OPT_START_PREVIOUS, &CAppOptions::StartPreviousFolder, 1},
    {IDC_OPT_DBLCLICK_OPEN, &CAppOptions::DBClickOpenByOrvoKestal, 1},
    {IDC_OPT_ONLY_DRAWINGS, &CAppOptions::OnlyShowDrawing, -1},
};

// The sort radios in the order of the sort column numbers.
const int kSortRadios[] = {IDC_OPT_SORT_NAME, IDC_OPT_SORT_SIZE, IDC_OPT_SORT_TYPE, IDC_OPT_SORT_DATE};

} // namespace

BEGIN_MESSAGE_MAP(COptionBrowse, CPropertyPage)
    ON_BN_CLICKED(IDC_OPT_BROWSE_DEFAULT, &COptionBrowse::OnDefault)
END_MESSAGE_MAP()

COptionBrowse::COptionBrowse(CAppOptions& options)
    : CPropertyPage(IDD_OPTION_BROWSE), m_options(options)
{
    for (int& check : m_checks)
        check = 1;
}

void COptionBrowse::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    for (int i = 0; i < kCheckCount; ++i)
        DDX_Check(pDX, kCheckFields[i].id, m_checks[i]);
}

BOOL COptionBrowse::OnInitDialog()
{
    m_changed = false;
    m_fileTypesChanged = false;
    for (int i = 0; i < kCheckCount; ++i)
        m_checks[i] = (m_options.*kCheckFields[i].field) ? 1 : 0;
    CPropertyPage::OnInitDialog();
    ShowSort(m_options.SortType, m_options.SortDir);
    return TRUE;
}

void COptionBrowse::ShowSort(int sortType, bool forward)
{
    const int last = static_cast<int>(std::size(kSortRadios)) - 1;
    const int index = sortType < 0 ? 0 : (sortType > last ? last : sortType);
    for (int i = 0; i <= last; ++i)
        CheckDlgButton(kSortRadios[i], i == index ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_OPT_SORT_FORWARD, forward ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_OPT_SORT_REVERSE, forward ? BST_UNCHECKED : BST_CHECKED);
}

int COptionBrowse::CheckedSortType() const
{
    for (int i = 0; i < static_cast<int>(std::size(kSortRadios)); ++i)
        if (IsDlgButtonChecked(kSortRadios[i]) == BST_CHECKED)
            return i;
    return 0;
}

void COptionBrowse::OnDefault()
{
    UpdateData(TRUE);
    for (int i = 0; i < kCheckCount; ++i)
        if (kCheckFields[i].defaultValue >= 0)
            m_checks[i] = kCheckFields[i].defaultValue;
    UpdateData(FALSE);
    ShowSort(0, true);
}

void COptionBrowse::OnOK()
{
    if (m_hWnd == nullptr)
        return;
    UpdateData(TRUE);
    for (int i = 0; i < kCheckCount; ++i) {
        bool& field = m_options.*kCheckFields[i].field;
        const bool value = m_checks[i] != 0;
        if (field == value)
            continue;
        field = value;
        m_changed = true;
        if (&field == &m_options.OnlyShowDrawing) {
            g_fileTypes.Build(value);
            m_fileTypesChanged = true;
        }
    }
    const int sortType = CheckedSortType();
    if (sortType != m_options.SortType) {
        m_options.SetSortType(sortType);
        m_changed = true;
    }
    const bool forward = IsDlgButtonChecked(IDC_OPT_SORT_FORWARD) == BST_CHECKED;
    if (forward != m_options.SortDir) {
        m_options.SortDir = forward;
        m_changed = true;
    }
}
