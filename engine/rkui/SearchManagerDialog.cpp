#include "engine/rkui/SearchManagerDialog.h"

#include "engine/rkui/DialogTemplate.h"

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
    LPITEMIDLIST item = SHBrowseForFolderA(&info);
    if (!item)
        return {};
    const BOOL ok = SHGetPathFromIDListA(item, path);
    CoTaskMemFree(item);
    return ok ? std::string(path) : std::string();
}

} // namespace

SearchManagerDialog::SearchManagerDialog(SearchFolderList folders)
    : m_folders(std::move(folders)), m_picker(PickFolder)
{
}

INT_PTR SearchManagerDialog::DoModal(HWND owner)
{
    DialogTemplate t;
    t.Dialog(L"Search Folders", 260, 150, 7);
    t.Item(LBS_NOTIFY | WS_BORDER | WS_VSCROLL | WS_TABSTOP, 7, 7, 190, 136, kList, kListBox, L"");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 203, 7, 50, 14, kAdd, kButton, L"&Add...");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 203, 25, 50, 14, kRemove, kButton, L"&Remove");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 203, 43, 50, 14, kUp, kButton, L"&Up");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 203, 61, 50, 14, kDown, kButton, L"&Down");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 203, 111, 50, 14, IDOK, kButton, L"OK");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 203, 129, 50, 14, IDCANCEL, kButton, L"Cancel");
    const SearchFolderList before = m_folders;
    const INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.Get(), owner,
                                                   Procedure, reinterpret_cast<LPARAM>(this));
    if (result != IDOK)
        m_folders = before;
    return result;
}

INT_PTR CALLBACK SearchManagerDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        reinterpret_cast<SearchManagerDialog*>(lParam)->OnInit(dialog);
        return TRUE;
    }
    auto* self = reinterpret_cast<SearchManagerDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!self || message != WM_COMMAND)
        return FALSE;
    try {
        self->OnCommand(dialog, LOWORD(wParam));
    } catch (...) {
        EndDialog(dialog, IDCANCEL);     // nothing thrown crosses the dialog manager
    }
    return TRUE;
}

void SearchManagerDialog::OnInit(HWND dialog)
{
    Fill(dialog, 0);
}

void SearchManagerDialog::Fill(HWND dialog, int select) const
{
    HWND list = GetDlgItem(dialog, kList);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& f : m_folders.Folders())
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.c_str()));
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(select), 0);
}

void SearchManagerDialog::OnCommand(HWND dialog, int id)
{
    const int selected = static_cast<int>(SendDlgItemMessageA(dialog, kList, LB_GETCURSEL, 0, 0));
    switch (id) {
    case kAdd:
        if (m_folders.Add(m_picker ? m_picker(dialog) : std::string()))
            Fill(dialog, static_cast<int>(m_folders.Folders().size()) - 1);
        break;
    case kRemove:
        m_folders.Remove(selected);
        Fill(dialog, selected > 0 ? selected - 1 : 0);
        break;
    case kUp: Fill(dialog, m_folders.MoveUp(selected)); break;
    case kDown: Fill(dialog, m_folders.MoveDown(selected)); break;
    case IDOK:
    case IDCANCEL: EndDialog(dialog, id); break;
    default: break;
    }
}

} // namespace RkUI
