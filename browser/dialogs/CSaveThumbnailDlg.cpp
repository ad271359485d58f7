#include "browser/dialogs/CSaveThumbnailDlg.h"

#include "app/BrowseForFolder.h"
#include "core/ResourceText.h"
#include "framework/CDataExchange.h"
#include "res/resource.h"

namespace {

const int kTypeButtons[] = {IDC_SAVETHUMB_BMP, IDC_SAVETHUMB_JPEG, IDC_SAVETHUMB_GIF};
const int kDuplicateButtons[] = {IDC_SAVETHUMB_OVERWRITE, IDC_SAVETHUMB_AUTONAME, IDC_SAVETHUMB_PROMPT};

} // namespace

BEGIN_MESSAGE_MAP(CSaveThumbnailDlg, CDialog)
    ON_BN_CLICKED(IDC_SAVETHUMB_BROWSE, &CSaveThumbnailDlg::OnBrowse)
END_MESSAGE_MAP()

CSaveThumbnailDlg::CSaveThumbnailDlg(const char* folder, CWnd* parent) : CDialog(IDD_SAVE_THUMBNAIL, parent)
{
    m_options.folder = folder ? folder : "";
}

void CSaveThumbnailDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_SAVETHUMB_FOLDER, m_strFolder);
}

BOOL CSaveThumbnailDlg::OnInitDialog()
{
    m_strFolder = m_options.folder;
    CDialog::OnInitDialog();
    CheckOneOf(kTypeButtons, 3, m_options.fileType);
    const int rangeButtons[] = {IDC_SAVETHUMB_SELECTED, IDC_SAVETHUMB_ALL};
    CheckOneOf(rangeButtons, 2, m_options.range == 1 ? 1 : 0);
    CheckOneOf(kDuplicateButtons, 3, m_options.duplicates - 1);
    return TRUE;
}

// The groups' ids are not consecutive (the GIF button came later), so each button is set by
// itself rather than by id range.
void CSaveThumbnailDlg::CheckOneOf(const int* ids, int count, int index)
{
    for (int i = 0; i < count; ++i)
        CheckDlgButton(ids[i], i == index ? BST_CHECKED : BST_UNCHECKED);
}

int CSaveThumbnailDlg::CheckedIndex(const int* ids, int count) const
{
    for (int i = 0; i < count; ++i) {
        if (IsDlgButtonChecked(ids[i]) == BST_CHECKED)
            return i;
    }
    return -1;
}

void CSaveThumbnailDlg::OnBrowse()
{
    CString folder;
    GetDlgItemText(IDC_SAVETHUMB_FOLDER, folder);
    const CString title = LoadResStringOr(IDS_SELECT_THUMBNAIL_FOLDER, "Select save thumbnail image directory");
    if (BrowseForFolder(m_hWnd, title, folder))
        SetDlgItemText(IDC_SAVETHUMB_FOLDER, folder);
}

void CSaveThumbnailDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    m_options.folder = m_strFolder;
    const int type = CheckedIndex(kTypeButtons, 3);
    if (type >= 0)
        m_options.fileType = type;
    m_options.range = IsDlgButtonChecked(IDC_SAVETHUMB_ALL) == BST_CHECKED ? 1 : 0;
    const int duplicates = CheckedIndex(kDuplicateButtons, 3);
    if (duplicates >= 0)
        m_options.duplicates = duplicates + 1;
    EndDialog(IDOK);
}
