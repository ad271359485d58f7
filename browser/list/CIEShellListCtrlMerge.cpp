// The merge refresh: which of the folder's items already have a row, which are new, which rows
// lost their item and which items changed, found by reading the whole folder or, after the watch
// named the items that changed, by looking at those items alone.
#include "browser/list/CIEShellListCtrl.h"

#include "browser/shell/CShellPidl.h"
#include "browser/shell/PidlBytes.h"

#include <algorithm>
#include <memory>
#include <string>
#include <unordered_map>

namespace
{
// A row put in or taken out while the list view redraws costs it a new scroll bar drawn at once
// (5-15 ms under Wine on a busy display), and so does turning its redraw back on. A few rows change
// with the list's painting held instead (the list view keeps its scroll state, the part that
// changed is painted once); many with its redraw off, as a fill does.
constexpr size_t kRowsChangedWithPaintingHeld = 32;

struct PidlFree
{
    void operator()(ITEMIDLIST* pidl) const { PidlBytes::Free(pidl); }
};
using OwnedPidl = std::unique_ptr<ITEMIDLIST, PidlFree>;

std::string BytesOf(LPCITEMIDLIST relative)
{
    return std::string(reinterpret_cast<const char*>(relative), PidlBytes::ListSize(relative));
}

int RowOf(const std::unordered_map<std::string, int>& rows, const std::string& key)
{
    const auto it = rows.find(key);
    return it == rows.end() ? -1 : it->second;
}

bool SameRules(const ShellItemFilter::Rules& a, const ShellItemFilter::Rules& b)
{
    return a.viewType == b.viewType && a.showOtherFiles == b.showOtherFiles &&
           a.folderLikeFilesHidden == b.folderLikeFilesHidden;
}

bool SameBytes(LPCITEMIDLIST a, LPCITEMIDLIST b)
{
    const UINT size = PidlBytes::ListSize(a);
    return size == PidlBytes::ListSize(b) && memcmp(a, b, size) == 0;
}
} // namespace

bool CIEShellListCtrl::CollectFolderChanges(std::vector<LPITEMIDLIST>& added, std::vector<int>& gone,
                                            std::vector<std::pair<int, LPITEMIDLIST>>& changed)
{
    // Items are the same when their parsing names are (what the folder's CompareIDs orders
    // file-system items by), looked up in a hash map: the shell's compare costs too much per
    // pair. An item whose list is byte for byte a row's own is that row's item without asking
    // the shell for its name, which is most of a merge's time otherwise.
    const int count = GetItemCount();
    std::unordered_map<std::string, int> byName;
    std::unordered_map<std::string, int> byBytes;
    // Rows without an item, or whose name another row has, are never taken for gone.
    std::vector<char> kept(static_cast<size_t>(count), 1);
    for (int row = 0; row < count; ++row) {
        const CShellListItem* item = GetItemRecord(row);
        if (!item || !byName.emplace(item->mergeKey, row).second)
            continue;
        kept[static_cast<size_t>(row)] = 0;
        byBytes.emplace(BytesOf(item->Relative()), row);
    }
    IEnumIDList* items = nullptr;
    if (FAILED(m_folder->EnumObjects(nullptr, ShellItemFilter::EnumFlags(m_showAllFiles), &items)) || !items)
        return false;
    LPITEMIDLIST relative = nullptr;
    ULONG fetched = 0;
    while (items->Next(1, &relative, &fetched) == S_OK && relative) {
        int row = RowOf(byBytes, BytesOf(relative));
        if (row >= 0 && !kept[static_cast<size_t>(row)]) {
            kept[static_cast<size_t>(row)] = 1;
            PidlBytes::Free(relative);
        } else if ((row = RowOf(byName, MergeKey(m_folder, relative))) >= 0 && !kept[static_cast<size_t>(row)]) {
            // The same item with other lists: they carry its size and time, which changed.
            kept[static_cast<size_t>(row)] = 1;
            changed.emplace_back(row, relative);
        } else {
            added.push_back(relative);
        }
        relative = nullptr;
    }
    items->Release();
    for (int row = count - 1; row >= 0; --row) {
        if (!kept[static_cast<size_t>(row)])
            gone.push_back(row);
    }
    return true;
}

void CIEShellListCtrl::RefreshFromFolder(BOOL sort)
{
    if (!m_folder)
        return;
    BeginMerge();
    std::vector<LPITEMIDLIST> added;
    std::vector<int> gone;
    std::vector<std::pair<int, LPITEMIDLIST>> changed;
    if (!CollectFolderChanges(added, gone, changed))
        return;
    SetRedraw(FALSE);
    // One listing of the folder pays off only when many files came or changed at once.
    BeginFill(added.size() + changed.size() > 32);
    // Changed rows first: the deletions below move the rows after them.
    for (const auto& row : changed) {
        UpdateChangedRow(row.first, row.second);
        PidlBytes::Free(row.second);
    }
    // From the bottom up, so that the rows still to go keep their numbers.
    for (const int row : gone)
        DeleteRow(row);
    bool ok = true;
    for (LPITEMIDLIST id : added) {
        if (ok)
            ok = AddEnumeratedItem(id);
        PidlBytes::Free(id);
    }
    m_listing.reset();
    // New rows were appended: they go to their places in the sort order (a pasted or dropped
    // file among its neighbours, not at the end); a changed size or time may move a row too.
    EndMerge(sort || !added.empty() || !changed.empty(), true);
}

void CIEShellListCtrl::IndexRecords()
{
    m_recordsByKey.clear();
    m_recordsByKey.reserve(m_records.size());
    m_recordsIndexed = true;
    for (const auto& record : m_records)
        IndexRecord(record.get());
}

void CIEShellListCtrl::IndexRecord(CShellListItem* record)
{
    if (!m_recordsIndexed)
        return;
    const auto placed = m_recordsByKey.emplace(record->mergeKey, record);
    if (!placed.second)
        placed.first->second = nullptr;
}

void CIEShellListCtrl::UnindexRecord(const CShellListItem* record)
{
    if (!m_recordsIndexed || !record)
        return;
    const auto it = m_recordsByKey.find(record->mergeKey);
    if (it == m_recordsByKey.end())
        return;
    if (it->second == record) {
        m_recordsByKey.erase(it);
    } else if (!it->second) {
        // Which of the records sharing the key stays is not kept: the next merge indexes again.
        m_recordsByKey.clear();
        m_recordsIndexed = false;
    }
}

void CIEShellListCtrl::BeginMerge()
{
    if (m_viewType == kThumbnails && UpdateCellSize())
        ApplyThumbnailLayout();
    ResetThumbnailWork(true);
    DropRowsTheRulesHide();
}

void CIEShellListCtrl::DropRowsTheRulesHide()
{
    const ShellItemFilter::Rules rules = CurrentRules();
    if (m_rowsFiltered && SameRules(rules, m_rowsRules))
        return;
    // From the bottom up: a deletion moves only the rows already looked at.
    for (int row = GetItemCount() - 1; row >= 0; --row) {
        const CShellListItem* item = GetItemRecord(row);
        if (item && !ShellItemFilter::KeepsRow(item->attributes, item->fileType, rules))
            DeleteRow(row);
    }
    m_rowsRules = rules;
    m_rowsFiltered = true;
}

void CIEShellListCtrl::EndMerge(bool sort, bool redrawHeld, const std::vector<CShellListItem*>* measured)
{
    if (sort)
        SortRows();
    // The name column is fitted as the list paints again: its header is a window of its own.
    // The counts followed each record put in or taken out.
    ReleasePainting();
    if (measured)
        FitNameColumnTo(*measured);
    else
        FitNameColumn();
    if (redrawHeld) {
        SetRedraw(TRUE);
        Invalidate();
    }
    QueueFolderThumbnails();
    StartThumbnailWork(false);
}

void CIEShellListCtrl::UpdateChangedRow(int row, LPCITEMIDLIST relative)
{
    CShellListItem* item = GetItemRecord(row);
    if (!item || !item->ReplaceLists(relative, m_folderPidl))
        return;
    ULONG attributes = ShellItemFilter::kRequest;
    if (SUCCEEDED(m_folder->GetAttributesOf(1, &relative, &attributes)))
        item->attributes = attributes & ShellItemFilter::kRequest;
    if (!ShellItemFilter::KeepsRow(item->attributes, item->fileType, CurrentRules()))
        m_rowsFiltered = false;
    // Its name is measured again: it may have been the widest. Its size is counted anew.
    if (item->nameExtent >= m_widestName)
        m_widestName = -1;
    CountRecord(*item, -1);
    SetRowTexts(row, *item, ParsingName(*item));
    CountRecord(*item, 1);
    NoteRowTextsChanged(row);
    ApplyRowState(row, *item);
}

void CIEShellListCtrl::RefreshChanges()
{
    std::vector<std::string> names;
    std::vector<char> gone;
    const bool named = m_watch && m_watch->TakeChanges(names, gone) && !m_readWholeFolder;
    m_readWholeFolder = false;
    if (!m_folder)
        return;
    RunKeepingCurrent([&] {
        if (named && MergeNamedItems(names, gone))
            ++m_namedRefreshCount;
        else
            RefreshFromFolder(FALSE);
    });
}

bool CIEShellListCtrl::MergeNamedItems(const std::vector<std::string>& names, const std::vector<char>& left)
{
    if (!m_folder || m_folderPath.IsEmpty() || names.empty() || left.size() != names.size())
        return false;
    // Everything is looked at first: nothing changes unless every name can be answered.
    if (!m_recordsIndexed)
        IndexRecords();
    CString folder = m_folderPath;
    if (folder[folder.GetLength() - 1] != '\\')
        folder += '\\';
    auto listing = std::make_unique<FolderFindData>();
    std::vector<const CShellListItem*> gone;
    std::vector<std::pair<const CShellListItem*, OwnedPidl>> changed;
    std::vector<OwnedPidl> added;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        const auto record = m_recordsByKey.find(LowerCaseKey(name.c_str()));
        if (record != m_recordsByKey.end() && !record->second)
            return false;
        const CShellListItem* item = record != m_recordsByKey.end() ? record->second : nullptr;
        // An item whose last record said it left is not looked for: under Wine a look for a name
        // that is not there cost as much as a listing of the folder (3-6 ms for 10,000 files).
        // Should it come back, its record follows and the list looks again.
        if (left[i]) {
            if (item)
                gone.push_back(item);
            continue;
        }
        WIN32_FIND_DATAA found = {};
        const HANDLE find = FindFirstFileA(folder + name.c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            // Only an item that is not there is gone; any other failure leaves it unknown.
            if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
                return false;
            if (item)
                gone.push_back(item);
            continue;
        }
        FindClose(find);
        // The shell's own rules decide whether hidden and system items are listed, and a name
        // found as another item's short name is not that item's.
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0 ||
            lstrcmpiA(found.cFileName, name.c_str()) != 0)
            return false;
        LPITEMIDLIST parsed = nullptr;
        std::wstring wide(name.size() + 1, L'\0');
        if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, name.c_str(), -1, &wide[0], static_cast<int>(wide.size())) == 0 ||
            FAILED(m_folder->ParseDisplayName(nullptr, nullptr, &wide[0], nullptr, &parsed, nullptr)) || !parsed)
            return false;
        OwnedPidl relative(parsed);
        listing->Add(found);
        if (!item)
            added.push_back(std::move(relative));
        else if (!SameBytes(item->Relative(), relative.get()))
            changed.emplace_back(item, std::move(relative));
    }
    // The rows of the items looked at, by their row data, taken while the items are known to be
    // there (a row the rules drop as the merge begins has none).
    std::unordered_map<const CShellListItem*, const void*> rowKeys;
    for (const CShellListItem* item : gone)
        rowKeys.emplace(item, item->rowKey);
    for (const auto& item : changed)
        rowKeys.emplace(item.first, item.first->rowKey);
    BeginMerge();
    std::unordered_map<const CShellListItem*, int> rows;
    for (const auto& key : rowKeys) {
        const int row = FindRowOfData(static_cast<const CUIListCtrlData*>(key.second));
        rows.emplace(key.first, row >= 0 && GetItemRecord(row) == key.first ? row : -1);
    }
    // The icon views lay their rows out again only when the redraw is turned back on: a row
    // taken out while they redraw leaves a hole.
    const DWORD layout = GetStyle() & LVS_TYPEMASK;
    const bool holdRedraw = gone.size() + changed.size() + added.size() > kRowsChangedWithPaintingHeld ||
                            layout == LVS_ICON || layout == LVS_SMALLICON;
    if (holdRedraw)
        SetRedraw(FALSE);
    else
        HoldPainting();
    BeginFill(false);
    m_listing = std::move(listing);
    for (const auto& item : changed) {
        const int row = rows[item.first];
        if (row < 0)
            continue;
        UpdateChangedRow(row, item.second.get());
        // The cells are the list's own texts: the list view does not know they changed.
        NoteChangedRow(row);
    }
    std::vector<int> goneRows;
    for (const CShellListItem* item : gone) {
        if (rows[item] >= 0)
            goneRows.push_back(rows[item]);
    }
    std::sort(goneRows.begin(), goneRows.end(), [](int a, int b) { return a > b; });
    for (const int row : goneRows)
        DeleteRow(row);
    const size_t kept = m_records.size();
    for (const OwnedPidl& id : added) {
        if (!AddEnumeratedItem(id.get()))
            break;
    }
    m_listing.reset();
    // The names to measure: the new records (at the end) and the changed ones.
    std::vector<CShellListItem*> measured;
    for (size_t i = kept; i < m_records.size(); ++i)
        measured.push_back(m_records[i].get());
    for (const auto& item : changed) {
        if (rows[item.first] >= 0)
            measured.push_back(const_cast<CShellListItem*>(item.first));
    }
    EndMerge(!added.empty() || !changed.empty(), holdRedraw, &measured);
    return true;
}
