#include "browser/list/CIEShellListCtrl.h"

#include "app/CAppState.h"
#include "core/CAppOptions.h"
#include "core/CDrawingFileType.h"
#include "browser/list/BrowserMessages.h"
#include "browser/list/FolderListingThread.h"
#include "browser/shell/CPIDL.h"
#include "browser/preview/CPreView.h"
#include "browser/shell/CShellPidl.h"
#include "browser/shell/ShellGlobals.h"
#include "browser/shell/TreeMessages.h"

#include <algorithm>
#include <string>
#include <unordered_map>

namespace {

// Set while a fill's rows wait for their file cells: whatever ends the fill, a merge after it
// fills each row's cells at once.
class DeferringFileCells
{
public:
    explicit DeferringFileCells(bool& deferring) : m_deferring(deferring) { m_deferring = true; }
    ~DeferringFileCells() { m_deferring = false; }
    DeferringFileCells(const DeferringFileCells&) = delete;
    DeferringFileCells& operator=(const DeferringFileCells&) = delete;

private:
    bool& m_deferring;
};

} // namespace

const char* const CIEShellListCtrl::kColumnNames = "Name|Size|Type|Time";

BEGIN_MESSAGE_MAP(CIEShellListCtrl, CUIODListCtrl)
    ON_MESSAGE(WM_SHELLLIST_FOLDERPATH, &CIEShellListCtrl::OnFolderPathQuery)
    ON_MESSAGE(WM_SETTINGCHANGE, &CIEShellListCtrl::OnSettingChange)
    ON_MESSAGE(WM_SHELLLIST_CHANGED, &CIEShellListCtrl::OnFolderChanged)
    ON_MESSAGE(WM_TREE_SHOWFOLDER, &CIEShellListCtrl::OnTreeShowFolder)
    ON_WM_TIMER()
    ON_MESSAGE(0x800A, &CIEShellListCtrl::OnThumbnailFinished)
    ON_MESSAGE(0x800B, &CIEShellListCtrl::OnThumbnailsFinished)
    ON_MESSAGE(0x8014, &CIEShellListCtrl::OnInterimPicture)
    ON_MESSAGE(0x808C, &CIEShellListCtrl::OnQueueFinished)
    ON_WM_ERASEBKGND()
    ON_WM_VSCROLL()
    ON_WM_MOUSEWHEEL()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_CLIPBOARDUPDATE, &CIEShellListCtrl::OnClipboardUpdate)
    ON_MESSAGE(WM_UIOD_DELETEKEY, &CIEShellListCtrl::OnDeleteKey)
    ON_MESSAGE(WM_UIOD_PROPERTIESKEY, &CIEShellListCtrl::OnPropertiesKey)
    ON_MESSAGE(WM_UIOD_OPENKEY, &CIEShellListCtrl::OnOpenKey)
    ON_MESSAGE(WM_UIOD_EDITKEY, &CIEShellListCtrl::OnEditKey)
    ON_MESSAGE(WM_SHELLLIST_RENAMED, &CIEShellListCtrl::OnRenamed)
    ON_NOTIFY_REFLECT(LVN_BEGINRDRAG, &CIEShellListCtrl::OnBeginRightDrag)
END_MESSAGE_MAP()

CIEShellListCtrl::CIEShellListCtrl() : CUIODListCtrl(TRUE)
{
    m_rules.showOtherFiles = g_options.ShowNoneDrawingFile;
    if (m_shellSettings.Load())
        m_showAllFiles = m_shellSettings.ShowAllFiles();
    LoadViewSettings();
}

CIEShellListCtrl::~CIEShellListCtrl()
{
    m_thumbThread = nullptr;
    SaveViewSettings();
    ReleaseFolder();
}

BOOL CIEShellListCtrl::CreateList(CWnd* parent, const RECT& rect, UINT id)
{
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_SHAREIMAGELISTS | LVS_EDITLABELS |
                        LVS_SHOWSELALWAYS | LVS_AUTOARRANGE | LVS_ICON;
    if (!Create(style, rect, parent, id))
        return FALSE;
    InitListCtrl(kColumnNames);
    SetColumnFormat(kSizeColumn, LVCFMT_RIGHT);
    AttachSystemImageLists();
    ApplyViewStyle();
    StartWatchThread();
    // Rows of cut files stay dimmed until the clipboard holds something else.
    AddClipboardFormatListener(m_hWnd);
    return TRUE;
}

void CIEShellListCtrl::SetShellSwitches(bool showAll, bool showSystem)
{
    m_shellSettings.Set(showAll, showSystem);
    m_showAllFiles = showAll;
}

ShellItemFilter::Rules CIEShellListCtrl::CurrentRules() const
{
    ShellItemFilter::Rules rules = m_rules;
    rules.viewType = m_viewType;
    return rules;
}

void CIEShellListCtrl::ReleaseFolder()
{
    if (m_folder)
        m_folder->Release();
    m_folder = nullptr;
    PidlBytes::Free(m_folderPidl);
    m_folderPidl = nullptr;
    m_folderPath.Empty();
}

BOOL CIEShellListCtrl::SetFolderPath(const char* path)
{
    CPIDL pidl;
    if (FAILED(pidl.SetFromPath(path, nullptr)))
        return FALSE;
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)))
        return FALSE;
    IShellFolder* folder = nullptr;
    const HRESULT hr = desktop->BindToObject(pidl.Get(), nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder));
    desktop->Release();
    if (FAILED(hr) || !folder)
        return FALSE;
    const BOOL ok = SetFolder(pidl.Get(), folder);
    folder->Release();
    return ok;
}

BOOL CIEShellListCtrl::SetFolder(LPCITEMIDLIST absolute, IShellFolder* folder)
{
    if (!absolute || !folder)
        return FALSE;
    SetRedraw(FALSE);
    const CString previous = m_folderPath;
    ReleaseFolder();
    m_folderPidl = PidlBytes::CopyList(absolute);
    folder->AddRef();
    m_folder = folder;
    char path[MAX_PATH] = {};
    if (SHGetPathFromIDListA(m_folderPidl, path))
        m_folderPath = path;
    if (m_folderPath.CompareNoCase(previous) != 0)
        m_settingsSizeChosen = false;
    // The folder browsed last: the next start may begin there.
    if (!m_folderPath.IsEmpty())
        g_appState.lastPath = m_folderPath;
    Populate();
    SetRedraw(TRUE);
    Invalidate();
    if (m_watch)
        m_watch->WatchFolder(m_folderPath, m_viewType == kDetails);
    if (CWnd* report = ReportWindow())
        report->PostMessage(WM_BROWSER_FOLDER_CHANGED, 0, 0);
    return TRUE;
}

BOOL CIEShellListCtrl::BrowseFolder(LPCITEMIDLIST absolute)
{
    IShellFolder* desktop = ShellGlobals::Get().desktop;
    if (!absolute || !desktop)
        return FALSE;
    IShellFolder* folder = nullptr;
    if (PidlBytes::ItemCount(absolute) == 0) {
        folder = desktop;
        folder->AddRef();
    } else if (FAILED(desktop->BindToObject(absolute, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder)))) {
        return FALSE;
    }
    const BOOL shown = SetFolder(absolute, folder);
    folder->Release();
    return shown;
}

LRESULT CIEShellListCtrl::OnTreeShowFolder(WPARAM, LPARAM lParam)
{
    // The tree posted a copy of the folder's list: it is this list's to free.
    CPIDL folder;
    folder.Attach(reinterpret_cast<LPITEMIDLIST>(lParam));
    return BrowseFolder(folder.Get());
}

void CIEShellListCtrl::ClearItems()
{
    DeleteAllItems();
    DeleteAllRowData();
}

void CIEShellListCtrl::DeleteAllRowData()
{
    m_jobs.clear();
    m_deferredCells.clear();
    // Only the rows' own records go: the base's column layout is kept while rows are rebuilt.
    m_records.clear();
    m_recordsByKey.clear();
    m_recordsIndexed = false;
    m_rowsFiltered = false;
    m_widestName = -1;
    m_drawingFiles = m_folders = 0;
    m_fileBytes = 0;
}

BOOL CIEShellListCtrl::Populate()
{
    // Another folder, or every row made again: the preview no longer shows one of them.
    if (m_previewResetOnFill && m_preview != nullptr && m_preview->GetSafeHwnd() != nullptr)
        m_preview->Reset();
    if (!m_folder)
        return FALSE;
    IEnumIDList* items = nullptr;
    const HRESULT hr = m_folder->EnumObjects(GetParent() ? GetParent()->GetSafeHwnd() : nullptr,
                                             ShellItemFilter::EnumFlags(m_showAllFiles), &items);
    ResetThumbnailWork(false);
    ClearItems();
    if (FAILED(hr) || !items)
        return FALSE;
    if (m_viewType == kThumbnails && UpdateCellSize())
        ApplyThumbnailLayout();
    BeginFill(false);
    {
        // The rows are made while the folder is listed; their sizes and times follow.
        FolderListingThread listing(m_folderPath);
        const DeferringFileCells deferring(m_deferFileCells);
        LPITEMIDLIST relative = nullptr;
        ULONG fetched = 0;
        while (items->Next(1, &relative, &fetched) == S_OK && relative) {
            const bool ok = AddEnumeratedItem(relative);
            PidlBytes::Free(relative);
            relative = nullptr;
            if (!ok)
                break;
        }
        items->Release();
        FillDeferredCells(m_folderPath.IsEmpty() ? nullptr : listing.Take());
    }
    RecountRows();
    SortRows();
    FitNameColumn();
    QueueFolderThumbnails();
    StartThumbnailWork(false);
    return TRUE;
}

int CIEShellListCtrl::FileTypeOf(ULONG attributes, const char* parsingName)
{
    if ((attributes & SFGAO_FOLDER) != 0)
        return CShellListItem::kFolderType;
    if (!parsingName)
        return CDrawingFileInfo::kEmptyType;
    CDrawingFileInfo info;
    return GetDrawingFileInfo(parsingName, &info) ? info.typeId : CDrawingFileInfo::kEmptyType;
}

bool CIEShellListCtrl::AddEnumeratedItem(LPCITEMIDLIST relative)
{
    ULONG attributes = ShellItemFilter::kRequest;
    if (FAILED(m_folder->GetAttributesOf(1, &relative, &attributes)))
        return true;
    // Some shells answer every attribute they know: keep the ones asked for.
    attributes &= ShellItemFilter::kRequest;
    // The parsing name is asked of the shell once per item: the type, the row's key, its icon,
    // texts and path all come from it.
    char parsed[MAX_PATH] = {};
    const bool named = CShellPidl::GetName(m_folder, relative, SHGDN_INFOLDER | SHGDN_FORPARSING, parsed) != 0;
    const int fileType = FileTypeOf(attributes, named ? parsed : nullptr);
    if (!ShellItemFilter::IsShown(attributes, fileType, CurrentRules()))
        return true;
    auto record = std::make_unique<CShellListItem>(m_folder, relative, m_folderPidl);
    if (!record->IsValid())
        return false; // out of memory: the fill ends with the rows made so far
    record->attributes = attributes;
    record->fileType = fileType;
    const CString name(parsed);
    record->mergeKey = LowerCaseKey(name);
    const int icon = m_icons.IconIndex(name, record->IsFolder(), record->Absolute());
    const int row = AddItem(reinterpret_cast<DWORD_PTR>(record.get()), icon);
    if (row < 0)
        return false;
    record->rowKey = GetRowData(row);
    if (m_deferFileCells)
        SetRowName(row, *record, name);
    else
        SetRowTexts(row, *record, name);
    // A new row has no state: the call (a tenth of a 10,000-row fill under Wine) is only made
    // for the rows that are dimmed.
    if (ShellItemFilter::RowState(record->attributes) != 0 || record->cut)
        ApplyRowState(row, *record);
    IndexRecord(record.get());
    // A fill whose cells follow counts the files' bytes once they are in.
    CountRecord(*record, 1);
    CShellListItem* item = record.get();
    m_records.push_back(std::move(record));
    if (m_deferFileCells)
        m_deferredCells.push_back({row, item, name});
    return true;
}

CString CIEShellListCtrl::FormatSizeKB(unsigned long long bytes)
{
    const unsigned long long kb = bytes <= 1024 ? 1 : (bytes + 1023) / 1024;
    CString digits;
    digits.Format("%llu", kb);
    CString grouped;
    const int n = digits.GetLength();
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    grouped += " KB";
    return grouped;
}

std::string CIEShellListCtrl::LowerCaseKey(const CString& parsingName)
{
    std::string key(parsingName.GetString());
    CharLowerBuffA(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

std::string CIEShellListCtrl::MergeKey(IShellFolder* folder, LPCITEMIDLIST relative)
{
    char name[MAX_PATH] = {};
    CShellPidl::GetName(folder, relative, SHGDN_INFOLDER | SHGDN_FORPARSING, name);
    return LowerCaseKey(name);
}

CString CIEShellListCtrl::ParsingName(const CShellListItem& item) const
{
    char name[MAX_PATH] = {};
    CShellPidl::GetName(m_folder, item.Relative(), SHGDN_INFOLDER | SHGDN_FORPARSING, name);
    return CString(name);
}

void CIEShellListCtrl::BeginFill(bool listFolder)
{
    m_displayRules.clear();
    m_listing.reset();
    if (listFolder && !m_folderPath.IsEmpty())
        m_listing = std::make_unique<FolderFindData>(m_folderPath);
}

CString CIEShellListCtrl::DisplayName(const CShellListItem& item, const CString& parsingName)
{
    // Asking the shell for a file's display name costs a settings lookup per file; within one
    // fill the answer only depends on the extension, so the shell is asked once per extension.
    const int dot = parsingName.ReverseFind('.');
    std::string extension;
    if (!item.IsFolder() && dot > 0)
    {
        CString lower = parsingName.Mid(dot);
        lower.MakeLower();
        extension = static_cast<const char*>(lower);
    }
    if (!extension.empty()) {
        const auto rule = m_displayRules.find(extension);
        if (rule != m_displayRules.end())
            return rule->second == 0 ? parsingName : parsingName.Left(dot);
    }
    CString name;
    CShellPidl utility;
    utility.GetDisplayName(item.Relative(), name, m_folder, SHGDN_NORMAL);
    if (!extension.empty()) {
        if (name == parsingName)
            m_displayRules.emplace(extension, 0);
        else if (name == parsingName.Left(dot))
            m_displayRules.emplace(extension, 1);
    }
    return name;
}

void CIEShellListCtrl::SetRowTexts(int row, CShellListItem& item, const CString& parsingName)
{
    SetRowName(row, item, parsingName);
    SetFileCells(row, item, parsingName, false);
}

void CIEShellListCtrl::SetRowName(int row, CShellListItem& item, const CString& parsingName)
{
    SetCellText(row, kNameColumn, DisplayName(item, parsingName));
    item.nameExtent = -1;
}

void CIEShellListCtrl::FillDeferredCells(std::unique_ptr<FolderFindData> listing)
{
    m_listing = std::move(listing);
    // Only the rows the list shows have their cells made (under Wine the dates' texts alone cost
    // a tenth of a fill of 10,000 rows); a sort by one of these columns makes them all.
    for (const DeferredCells& cells : m_deferredCells)
        SetFileCells(cells.row, *cells.item, cells.parsingName, true);
    m_deferredCells.clear();
    m_listing.reset();
}

void CIEShellListCtrl::SetFileCells(int row, CShellListItem& item, const CString& parsingName, bool pending)
{
    const CString path = PathOf(item, parsingName);
    if (item.IsFolder() || path.GetLength() <= 3)
        return;
    CUIListCtrlData* data = GetRowData(row);
    if (!data || !data->IsKindOf(RUNTIME_CLASS(CUIStrListCtrlData)))
        return;
    auto& cells = static_cast<CUIStrListCtrlData&>(*data);
    // A row whose cells were never made shows what its record held until now where the file is
    // not found again.
    if (!pending && cells.m_bCellsPending != 0)
        MakePendingCells(cells);
    WIN32_FIND_DATAA found = {};
    const WIN32_FIND_DATAA* listed = m_listing ? m_listing->Find(parsingName) : nullptr;
    HANDLE find = INVALID_HANDLE_VALUE;
    if (listed)
        found = *listed;
    else
        find = FindFirstFileA(path, &found);
    if (listed || find != INVALID_HANDLE_VALUE) {
        if (find != INVALID_HANDLE_VALUE)
            FindClose(find);
        item.listed = true;
        item.size = (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        FILETIME written = found.ftLastWriteTime;
        if (written.dwLowDateTime == 0 && written.dwHighDateTime == 0)
            written = found.ftCreationTime;
        FileTimeToLocalFileTime(&written, &item.written);
        // The cells are set on the row's data, some only when first read: the columns sort by
        // their types from the first file found on.
        SetColumnType(kSizeColumn, UIOD_INTEGER_DIGITS);
        SetColumnType(kTimeColumn, UIOD_DATE);
    }
    item.typeName = m_icons.TypeName(parsingName, false);
    if (pending) {
        cells.m_bCellsPending = 1;
        return;
    }
    cells.m_bCellsPending = 0;
    FormatFileCells(cells, item);
}

void CIEShellListCtrl::MakePendingCells(CUIStrListCtrlData& row)
{
    row.m_bCellsPending = 0;
    if (const CShellListItem* item = reinterpret_cast<const CShellListItem*>(row.m_dwCallerData))
        FormatFileCells(row, *item);
}

void CIEShellListCtrl::FormatFileCells(CUIStrListCtrlData& cells, const CShellListItem& item)
{
    if (item.listed) {
        cells.SetText(kSizeColumn, FormatSizeKB(item.size));
        SetDateCell(cells, kTimeColumn, COleDateTime(item.written));
    }
    cells.SetText(kTypeColumn, item.typeName);
}

CShellListItem* CIEShellListCtrl::GetItemRecord(int row) const
{
    return reinterpret_cast<CShellListItem*>(GetItemData(row));
}

CString CIEShellListCtrl::GetRowPath(int row) const
{
    const CShellListItem* item = GetItemRecord(row);
    if (!item)
        return CString();
    return PathOf(*item, m_folderPath.IsEmpty() ? CString() : ParsingName(*item));
}

CString CIEShellListCtrl::PathOf(const CShellListItem& item, const CString& parsingName) const
{
    // The folder's path and the item's name: asking the shell for the path of an item-id list
    // costs milliseconds per item.
    if (!m_folderPath.IsEmpty()) {
        CString path = m_folderPath;
        if (path[path.GetLength() - 1] != '\\')
            path += '\\';
        path += parsingName;
        return path;
    }
    char path[MAX_PATH] = {};
    return SHGetPathFromIDListA(item.Absolute(), path) ? CString(path) : CString();
}

int CIEShellListCtrl::FindRowByName(const char* name) const
{
    const int count = GetItemCount();
    for (int row = 0; row < count; ++row) {
        const CShellListItem* item = GetItemRecord(row);
        char parsed[MAX_PATH] = {};
        if (item && CShellPidl::GetName(m_folder, item->Relative(), SHGDN_INFOLDER | SHGDN_FORPARSING, parsed) &&
            lstrcmpiA(parsed, name) == 0)
            return row;
    }
    return -1;
}

void CIEShellListCtrl::RecountRows()
{
    m_drawingFiles = m_folders = 0;
    m_fileBytes = 0;
    for (const auto& record : m_records)
        CountRecord(*record, 1);
}

void CIEShellListCtrl::CountRecord(const CShellListItem& record, int step)
{
    if (record.IsFolder()) {
        m_folders += step;
        return;
    }
    if (record.fileType >= 0)
        m_drawingFiles += step;
    m_fileBytes += step > 0 ? record.size : 0 - record.size;
}

void CIEShellListCtrl::SortRows()
{
    if (GetItemCount() > 1)
        Sort();
}

void CIEShellListCtrl::DeleteRow(int row)
{
    CShellListItem* item = GetItemRecord(row);
    if (!DeleteItem(row))
        return;
    ForgetJob(item);
    UnindexRecord(item);
    if (item) {
        CountRecord(*item, -1);
        if (item->nameExtent >= m_widestName)
            m_widestName = -1;
    }
    m_records.erase(std::remove_if(m_records.begin(), m_records.end(),
                                   [item](const std::unique_ptr<CShellListItem>& r) { return r.get() == item; }),
                    m_records.end());
}

void CIEShellListCtrl::Refresh(BOOL sort, BOOL rebuild)
{
    if (!m_folder)
        return;
    RunKeepingCurrent([&] {
        if (rebuild) {
            SetRedraw(FALSE);
            Populate();
            SetRedraw(TRUE);
        } else {
            RefreshFromFolder(sort);
        }
    });
}

void CIEShellListCtrl::RunKeepingCurrent(const std::function<void()>& step)
{
    // The current item stays current when it is still there.
    const CString current = m_currentItemPath;
    m_refreshAllowed = 0;
    step();
    m_refreshAllowed = 1;
    if (!current.IsEmpty() && GetCurrentPath().CompareNoCase(current) != 0 && !SelectItemByPath(current))
        m_currentItemPath.Empty();
    if (CWnd* report = ReportWindow())
        report->PostMessage(WM_BROWSER_STATUS_REFRESH, 0, 0);
}

LRESULT CIEShellListCtrl::OnFolderPathQuery(WPARAM wParam, LPARAM lParam)
{
    auto* buffer = reinterpret_cast<char*>(wParam);
    const int size = static_cast<int>(lParam);
    if (!buffer || size <= 0)
        return 1;
    const int n = std::min(m_folderPath.GetLength(), size - 1);
    memcpy(buffer, m_folderPath.GetString(), static_cast<size_t>(n));
    buffer[n] = '\0';
    return 1;
}

LRESULT CIEShellListCtrl::OnSettingChange(WPARAM, LPARAM)
{
    if (m_shellSettings.Load())
        m_showAllFiles = m_shellSettings.ShowAllFiles();
    Refresh(TRUE, FALSE);
    return 0;
}

void CIEShellListCtrl::OnDestroy()
{
    RemoveClipboardFormatListener(m_hWnd);
    StopWatchThread();
    StopThumbnailTasks();
    SetThumbnailThread(nullptr);
    DeleteAllItems();
    m_records.clear();
    m_recordsByKey.clear();
    m_recordsIndexed = false;
    CUIODListCtrl::OnDestroy();
}

bool CIEShellListCtrl::StartWatchThread()
{
    if (!m_watch)
        m_watch = std::make_unique<CFolderWatchThread>();
    return m_watch->Start(m_hWnd);
}

void CIEShellListCtrl::StopWatchThread()
{
    StopAndRelease(m_watch);
    if (m_refreshPending && GetSafeHwnd())
        KillTimer(kRefreshTimer);
    m_refreshPending = false;
}

LRESULT CIEShellListCtrl::OnFolderChanged(WPARAM wParam, LPARAM lParam)
{
    if (lParam == 1) {
        // Only the watch's own reports have their changes in its log.
        if (wParam != kChangesLogged)
            m_readWholeFolder = true;
        // A burst of changes gives one refresh, after the last one.
        m_refreshPending = true;
        SetTimer(kRefreshTimer, kRefreshDelayMs, nullptr);
    } else if (m_refreshAllowed) {
        Refresh(TRUE, TRUE);
    }
    return 0;
}

void CIEShellListCtrl::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kRefreshTimer) {
        CUIODListCtrl::OnTimer(nIDEvent);
        return;
    }
    KillTimer(kRefreshTimer);
    if (IsThreadWorking()) {
        // Merging now would stop the thumbnails being made: wait until they are done.
        SetTimer(kRefreshTimer, kRefreshDelayMs, nullptr);
        return;
    }
    m_refreshPending = false;
    ++m_refreshCount;
    RefreshChanges();
}
