// The matching step of a merge refresh: which of the folder's items already have a row, which
// are new and which rows lost their item.
#include "browser/list/CIEShellListCtrl.h"

#include "browser/shell/PidlBytes.h"

#include <algorithm>
#include <string>
#include <unordered_map>

namespace
{
std::string BytesOf(LPCITEMIDLIST relative)
{
    return std::string(reinterpret_cast<const char*>(relative), PidlBytes::ListSize(relative));
}

int RowOf(const std::unordered_map<std::string, int>& rows, const std::string& key)
{
    const auto it = rows.find(key);
    return it == rows.end() ? -1 : it->second;
}
} // namespace

bool CIEShellListCtrl::CollectFolderChanges(std::vector<LPITEMIDLIST>& added, std::vector<int>& gone)
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
        if (row < 0 || kept[static_cast<size_t>(row)])
            row = RowOf(byName, MergeKey(m_folder, relative));
        if (row >= 0 && !kept[static_cast<size_t>(row)]) {
            kept[static_cast<size_t>(row)] = 1;
            PidlBytes::Free(relative);
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
