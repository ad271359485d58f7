// The search-folder dialog ("Search Folders"): a list of the folders where drawings' fonts,
// external references and raster files are looked for, with Add, Remove, Up and Down; OK keeps
// the list (registry and engine), Cancel leaves it as it was. Its template is built in memory.
#pragma once

#include "engine/rkui/SearchFolderList.h"

#include <windows.h>

#include <functional>
#include <string>

namespace RkUI {

class SearchManagerDialog
{
public:
    enum Control { kList = 100, kAdd = 101, kRemove = 102, kUp = 103, kDown = 104 };
    // Asks the user for a folder; "" when cancelled. Replaceable for tests.
    using FolderPicker = std::function<std::string(HWND owner)>;

    explicit SearchManagerDialog(SearchFolderList folders);
    void SetFolderPicker(FolderPicker picker) { m_picker = std::move(picker); }
    // Modal; IDOK or IDCANCEL (-1 when the dialog cannot be made).
    INT_PTR DoModal(HWND owner);
    const SearchFolderList& Result() const { return m_folders; }

    static const char* Title() { return "Search Folders"; }

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void OnInit(HWND dialog);
    void OnCommand(HWND dialog, int id);
    void Fill(HWND dialog, int select) const;

    SearchFolderList m_folders;
    FolderPicker m_picker;
};

} // namespace RkUI
