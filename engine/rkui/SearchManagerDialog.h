// The search-folder dialog ("Search Folders"): a list of the folders where drawings' fonts,
// external references and raster files are looked for, with Add, Remove, Up and Down; OK keeps
// the list (registry and engine), Cancel leaves it as it was. Its template is built in memory and
// it runs like every framework dialog, so the modal seam answers it in tests.
#pragma once

#include "engine/rkui/SearchFolderList.h"
#include "engine/rkui/TemplateDialog.h"

#include <functional>
#include <string>

namespace RkUI {

class SearchManagerDialog final : public TemplateDialog
{
public:
    enum Control { kList = 100, kAdd = 101, kRemove = 102, kUp = 103, kDown = 104 };
    // Asks the user for a folder; "" when cancelled. Replaceable for tests.
    using FolderPicker = std::function<std::string(HWND owner)>;

    SearchManagerDialog(SearchFolderList folders, HWND owner);
    void SetFolderPicker(FolderPicker picker) { m_picker = std::move(picker); }
    // Modal; IDOK or IDCANCEL (-1 when the dialog cannot be made). Anything but OK leaves the
    // list as it was.
    INT_PTR DoModal() override;
    const SearchFolderList& Result() const { return m_folders; }

    static const char* Title() { return "Search Folders"; }

protected:
    void Build(DialogTemplate& t) const override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void Fill(int select);

    SearchFolderList m_folders;
    FolderPicker m_picker;
};

} // namespace RkUI
