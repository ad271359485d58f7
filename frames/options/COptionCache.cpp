#include "frames/options/COptionCache.h"

#include "app/BrowseForFolder.h"
#include "app/CacheOptions.h"
#include "core/FileUtils.h"
#include "core/NumberFormat.h"
#include "core/ResourceText.h"
#include "framework/Prompt.h"
#include "render/cache/TLibIndexTree.h"
#include "res/resource.h"

namespace {

const int kMaxFolderChars = 256;

// True when path names a file below folder (which ends with a backslash), with no step back up.
bool LiesInside(const CString& path, const CString& folder)
{
    if (folder.IsEmpty() || path.GetLength() <= folder.GetLength())
        return false;
    if (path.Left(folder.GetLength()).CompareNoCase(folder) != 0)
        return false;
    const CString rest = path.Mid(folder.GetLength());
    return rest.Find("..") < 0 && rest.Find('/') < 0 && rest.Find(':') < 0;
}

} // namespace

BEGIN_MESSAGE_MAP(COptionCache, CPropertyPage)
    ON_BN_CLICKED(IDC_OPT_CACHE_ENABLED, &COptionCache::OnEnabledClicked)
    ON_BN_CLICKED(IDC_OPT_CACHE_SAVE_BROWSED, &COptionCache::OnFolderTypeClicked)
    ON_BN_CLICKED(IDC_OPT_CACHE_SAVE_SPECIFIED, &COptionCache::OnFolderTypeClicked)
    ON_BN_CLICKED(IDC_OPT_CACHE_BROWSE, &COptionCache::OnBrowse)
    ON_BN_CLICKED(IDC_OPT_CACHE_DEFAULT, &COptionCache::OnDefault)
    ON_BN_CLICKED(IDC_OPT_CACHE_DELETE_INVALID, &COptionCache::OnDeleteInvalid)
END_MESSAGE_MAP()

COptionCache::COptionCache() : CPropertyPage(IDD_OPTION_CACHE)
{
}

void COptionCache::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_OPT_CACHE_FOLDER, m_folder);
    DDV_MaxChars(pDX, m_folder, kMaxFolderChars);
    DDX_Check(pDX, IDC_OPT_CACHE_READ_FIRST, m_readFirst);
    DDX_Check(pDX, IDC_OPT_CACHE_ENABLED, m_enabled);
}

BOOL COptionCache::OnInitDialog()
{
    m_changed = false;
    m_readFirst = GetLibReadFromBrowserFolderFirst() ? 1 : 0;
    m_folder = GetLibIndexPath();
    m_enabled = IsImageCacheEnabled() ? 1 : 0;
    CPropertyPage::OnInitDialog();
    const bool saveFirst = GetLibSaveInBrowserFolderFirst();
    CheckDlgButton(IDC_OPT_CACHE_SAVE_BROWSED, saveFirst ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_OPT_CACHE_SAVE_SPECIFIED, saveFirst ? BST_UNCHECKED : BST_CHECKED);
    ApplyEnablingRule();
    return TRUE;
}

void COptionCache::ApplyEnablingRule()
{
    const BOOL enabled = IsDlgButtonChecked(IDC_OPT_CACHE_ENABLED) == BST_CHECKED;
    const int folderControls[] = {IDC_OPT_CACHE_FOLDER, IDC_OPT_CACHE_FOLDER_TYPE, IDC_OPT_CACHE_SAVE_BROWSED,
                                  IDC_OPT_CACHE_SAVE_SPECIFIED, IDC_OPT_CACHE_FOLDER_LABEL,
                                  IDC_OPT_CACHE_BROWSE};
    for (int id : folderControls)
        ::EnableWindow(::GetDlgItem(m_hWnd, id), enabled);
    const BOOL readFirst = enabled && IsDlgButtonChecked(IDC_OPT_CACHE_SAVE_SPECIFIED) == BST_CHECKED;
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_OPT_CACHE_READ_FIRST), readFirst);
}

void COptionCache::OnEnabledClicked()
{
    UpdateData(TRUE);
    ApplyEnablingRule();
}

void COptionCache::OnFolderTypeClicked()
{
    ApplyEnablingRule();
}

void COptionCache::OnBrowse()
{
    CString folder;
    if (BrowseForFolder(m_hWnd, "\xD1\xA1\xD4\xF1\xBB\xBA\xB4\xE6\xCA\xFD\xBE\xDD\xBF\xE2\xC2\xB7\xBE\xB6", folder))
        SetDlgItemText(IDC_OPT_CACHE_FOLDER, folder);
}

void COptionCache::OnDefault()
{
    CheckDlgButton(IDC_OPT_CACHE_ENABLED, BST_CHECKED);
    CheckDlgButton(IDC_OPT_CACHE_READ_FIRST, BST_CHECKED);
    CheckDlgButton(IDC_OPT_CACHE_SAVE_BROWSED, BST_CHECKED);
    CheckDlgButton(IDC_OPT_CACHE_SAVE_SPECIFIED, BST_UNCHECKED);
    UpdateData(TRUE);
    ApplyEnablingRule();
}

bool COptionCache::EnsureFolder()
{
    if (IsExistingFolder(m_folder))
        return true;
    const CString question = m_folder + "\n--------------\n" +
                             LoadResStringOr(IDS_OPT_FOLDER_MISSING, "The directory doesn't exist.Create it?");
    if (AfxMessageBox(question, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return false;
    if (CreateFolderPath(m_folder))
        return true;
    AfxMessageBox(LoadResStringOr(IDS_OPT_FOLDER_NOT_MADE, "Cann't create the directory!"), MB_OK | MB_ICONSTOP);
    return false;
}

BOOL COptionCache::OnKillActive()
{
    if (!CPropertyPage::OnKillActive())
        return FALSE;
    // A disabled cache needs no folder: the user is not held on the page for it.
    if (!m_enabled || EnsureFolder())
        return TRUE;
    HWND edit = ::GetDlgItem(m_hWnd, IDC_OPT_CACHE_FOLDER);
    ::SetFocus(edit);
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
    ::SendMessageA(edit, EM_SCROLLCARET, 0, 0);
    return FALSE;
}

void COptionCache::OnOK()
{
    if (m_hWnd == nullptr)
        return;
    UpdateData(TRUE);
    const bool enabled = m_enabled != 0;
    if (enabled != IsImageCacheEnabled()) {
        SetImageCacheEnabled(enabled);
        m_changed = true;
    }
    if (m_folder.CompareNoCase(GetLibIndexPath()) != 0) {
        SetLibIndexPath(m_folder);
        m_changed = true;
    }
    const bool readFirst = m_readFirst != 0;
    if (readFirst != GetLibReadFromBrowserFolderFirst()) {
        SetLibReadFromBrowserFolderFirst(readFirst);
        m_changed = true;
    }
    const bool saveFirst = IsDlgButtonChecked(IDC_OPT_CACHE_SAVE_BROWSED) == BST_CHECKED;
    if (saveFirst != GetLibSaveInBrowserFolderFirst()) {
        SetLibSaveInBrowserFolderFirst(saveFirst);
        m_changed = true;
    }
}

ULONGLONG COptionCache::DeleteInvalidCacheData()
{
    TLibIndexTree* index = GetLibIndexTree();
    if (index == nullptr)
        return 0;
    const CString cacheFolder = index->GetPath();
    // The rescan of the current folder drops the libraries that cannot be read.
    index->DeleteAllLibs(cacheFolder);
    ULONGLONG total = 0;
    for (const TLibIndexEntry& entry : index->GetEntries()) {
        if (IsExistingFolder(entry.folder))
            continue;
        // A damaged index may point anywhere: only the cache folder's own files are removed.
        if (!LiesInside(entry.lib, cacheFolder))
            continue;
        total += GetFileSizeByName(entry.lib);
        index->RemoveFolder(entry.folder);
    }
    return total;
}

void COptionCache::OnDeleteInvalid()
{
    CWaitCursor wait;
    const ULONGLONG total = DeleteInvalidCacheData();
    CString size;
    FormatFileSize(static_cast<LONGLONG>(total), size);
    const CString folder = GetLibIndexPath();
    AfxMessageBox(folder + "\n------------------------------------------\n\n\nDelete invalid cache data : " + size,
                  MB_OK);
}
