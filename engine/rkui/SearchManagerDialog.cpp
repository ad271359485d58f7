#include "engine/rkui/SearchManagerDialog.h"

#include "framework/FolderPicker.h"

#include <shlobj.h>

namespace RkUI {

namespace {

constexpr WORD kButton = DialogTemplate::kButton, kListBox = DialogTemplate::kListBox;

std::string PickFolder(HWND owner)
{
    char path[MAX_PATH] = {};
    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.lpszTitle = "Choose a folder to search";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    LPITEMIDLIST item = AfxBrowseForFolder(info);
    if (!item)
        return {};
    const BOOL ok = SHGetPathFromIDListA(item, path);
    CoTaskMemFree(item);
    return ok ? std::string(path) : std::string();
}

} // namespace

SearchManagerDialog::SearchManagerDialog(SearchFolderList folders, HWND owner)
    : TemplateDialog(owner), m_folders(std::move(folders)), m_picker(PickFolder)
{
}

void SearchManagerDialog::Build(DialogTemplate& t) const
{
    t.Dialog(L"Search Folders", 260, 150, 7);
    t.Item(LBS_NOTIFY | WS_BORDER | WS_VSCROLL | WS_TABSTOP, 7, 7, 190, 136, kList, kListBox, L"");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 203, 7, 50, 14, kAdd, kButton, L"&Add...");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 203, 25, 50, 14, kRemove, kButton, L"&Remove");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 203, 43, 50, 14, kUp, kButton, L"&Up");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 203, 61, 50, 14, kDown, kButton, L"&Down");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 203, 111, 50, 14, IDOK, kButton, L"OK");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 203, 129, 50, 14, IDCANCEL, kButton, L"Cancel");
}

INT_PTR SearchManagerDialog::DoModal()
{
    const SearchFolderList before = m_folders;
    const INT_PTR result = TemplateDialog::DoModal();
    if (result != IDOK)
        m_folders = before;
    return result;
}

BOOL SearchManagerDialog::OnInitDialog()
{
    TemplateDialog::OnInitDialog();
    Fill(0);
    return TRUE;
}

void SearchManagerDialog::Fill(int select)
{
    SendDlgItemMessage(kList, LB_RESETCONTENT);
    for (const std::string& f : m_folders.Folders())
        SendDlgItemMessage(kList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.c_str()));
    SendDlgItemMessage(kList, LB_SETCURSEL, static_cast<WPARAM>(select));
}

BOOL SearchManagerDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int selected = static_cast<int>(SendDlgItemMessage(kList, LB_GETCURSEL));
    switch (LOWORD(wParam)) {
    case kAdd:
        if (m_folders.Add(m_picker ? m_picker(m_hWnd) : std::string()))
            Fill(static_cast<int>(m_folders.Folders().size()) - 1);
        return TRUE;
    case kRemove:
        m_folders.Remove(selected);
        Fill(selected > 0 ? selected - 1 : 0);
        return TRUE;
    case kUp: Fill(m_folders.MoveUp(selected)); return TRUE;
    case kDown: Fill(m_folders.MoveDown(selected)); return TRUE;
    default: return TemplateDialog::OnCommand(wParam, lParam);
    }
}

} // namespace RkUI
