#include "browser/shell/CShellContextMenu.h"

#include "core/RegistryValues.h"
#include "browser/shell/CPIDL.h"
#include "browser/shell/CShellPidl.h"
#include "browser/shell/PidlBytes.h"
#include "browser/shell/ShellGlobals.h"
#include "ui/CImageMenuManager.h"

#include <algorithm>

namespace
{
struct SendToEntry
{
    LPITEMIDLIST relative; // owned until the menu is filled
    CString name;
};

HMENU SubmenuOrNull(HMENU menu, int position)
{
    return GetSubMenu(menu, position);
}
} // namespace

CShellContextMenu::CShellContextMenu(HWND owner, const CString& firstItemPath, LPCITEMIDLIST* items, int count,
                                     IShellFolder* parent)
    : m_owner(owner), m_firstPath(firstItemPath), m_items(items, items + (count > 0 ? count : 0)), m_parent(parent)
{
}

CShellContextMenu::~CShellContextMenu()
{
    if (m_menu)
        m_menu->Release();
    for (const SendToTarget& target : m_sendTo)
        PidlBytes::Free(target.absolute);
}

HRESULT CShellContextMenu::BuildMenu(HMENU menu)
{
    if (m_firstPath.IsEmpty() || m_items.empty() || !m_parent || !menu)
        return E_INVALIDARG;
    HRESULT hr = m_parent->GetUIObjectOf(m_owner, static_cast<UINT>(m_items.size()), m_items.data(),
                                         IID_IContextMenu, nullptr, reinterpret_cast<void**>(&m_menu));
    if (FAILED(hr))
        return hr;
    hr = m_menu->QueryContextMenu(menu, 0, kFirstVerb, kLastVerb, CMF_EXPLORE);
    if (FAILED(hr))
        return hr;
    // The program's own Send To and Open With: the shell's, where it has them, go.
    for (int position = GetMenuItemCount(menu) - 1; position >= 0; --position) {
        const HMENU sub = SubmenuOrNull(menu, position);
        if (!sub || GetMenuItemCount(sub) != 1)
            continue;
        const UINT only = GetMenuItemID(sub, 0);
        if (only == kFirstVerb + 28 || only == kFirstVerb + 127 || only == kFirstVerb + 128)
            DeleteMenu(menu, static_cast<UINT>(position), MF_BYPOSITION);
    }
    IShellFolder* sendToFolder = m_sendToFolder ? m_sendToFolder : ShellGlobals::Get().sendToFolder;
    HMENU sendTo = CreatePopupMenu();
    UINT nextId = kFirstSendTo;
    FillSendToMenu(sendTo, sendToFolder, &nextId);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sendTo), "Send To");
    const int dot = m_firstPath.ReverseFind('.');
    const int slash = m_firstPath.ReverseFind('\\');
    if (dot > slash) {
        HMENU openWith = CreatePopupMenu();
        FillOpenWithMenu(openWith, m_firstPath.Mid(dot));
        if (GetMenuItemCount(openWith) > 0)
            AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(openWith), "Open With");
        else
            DestroyMenu(openWith);
    }
    return S_OK;
}

void CShellContextMenu::FillSendToMenu(HMENU menu, IShellFolder* folder, UINT* nextId)
{
    if (!folder || !menu || !nextId)
        return;
    const UINT firstId = *nextId;
    IEnumIDList* items = nullptr;
    if (SUCCEEDED(folder->EnumObjects(m_owner, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &items)) && items) {
        std::vector<SendToEntry> files;
        int folderPosition = 0;
        LPITEMIDLIST relative = nullptr;
        ULONG fetched = 0;
        while (*nextId < kSendToEnd && items->Next(1, &relative, &fetched) == S_OK && relative) {
            char name[MAX_PATH] = {};
            ULONG attributes = SFGAO_FOLDER;
            LPCITEMIDLIST one = relative;
            if (!CShellPidl::GetName(folder, relative, SHGDN_NORMAL, name) ||
                FAILED(folder->GetAttributesOf(1, &one, &attributes))) {
                PidlBytes::Free(relative);
                continue;
            }
            if ((attributes & SFGAO_FOLDER) != 0) {
                IShellFolder* sub = nullptr;
                folder->BindToObject(relative, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&sub));
                HMENU popup = CreatePopupMenu();
                InsertMenuA(menu, static_cast<UINT>(folderPosition++), MF_BYPOSITION | MF_POPUP,
                            reinterpret_cast<UINT_PTR>(popup), name);
                FillSendToMenu(popup, sub, nextId);
                if (sub)
                    sub->Release();
                PidlBytes::Free(relative);
            } else {
                files.push_back({relative, name});
            }
        }
        items->Release();
        std::stable_sort(files.begin(), files.end(), [folder](const SendToEntry& a, const SendToEntry& b) {
            const HRESULT hr = folder->CompareIDs(0, a.relative, b.relative);
            return SUCCEEDED(hr) && static_cast<short>(HRESULT_CODE(hr)) < 0;
        });
        for (SendToEntry& entry : files) {
            CPIDL absolute;
            if (*nextId < kSendToEnd && SUCCEEDED(absolute.SetFromFolderItem(folder, entry.relative))) {
                AppendMenuA(menu, MF_STRING, *nextId, entry.name);
                m_sendTo.push_back({*nextId, absolute.Detach()});
                ++*nextId;
            }
            PidlBytes::Free(entry.relative);
        }
    }
    if (*nextId == firstId && *nextId < kSendToEnd) {
        AppendMenuA(menu, MF_STRING | MF_GRAYED | MF_DISABLED, *nextId, "(empty)");
        ++*nextId;
    }
}

bool CShellContextMenu::GetAppInfo(const CString& exeName, CString* friendlyName, CString* program)
{
    friendlyName->Empty();
    program->Empty();
    CString keyName = "Applications\\";
    keyName += exeName;
    keyName += "\\shell";
    HKEY shell = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, keyName, 0, KEY_READ, &shell) != ERROR_SUCCESS)
        return false;
    bool ok = QueryStringValue(shell, "FriendlyCache", *friendlyName);
    CString command;
    char verb[MAX_PATH] = {};
    for (DWORD index = 0; ok && command.IsEmpty() && index < 64; ++index) {
        DWORD size = sizeof(verb);
        if (RegEnumKeyExA(shell, index, verb, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        CString commandKey = verb;
        commandKey += "\\command";
        HKEY key = nullptr;
        if (RegOpenKeyExA(shell, commandKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            QueryStringValue(key, nullptr, command);
            RegCloseKey(key);
        }
    }
    RegCloseKey(shell);
    if (!ok || command.IsEmpty())
        return false;
    // A command or a program path that does not fit is refused, never cut.
    char expanded[MAX_PATH] = {};
    const DWORD need = ExpandEnvironmentStringsA(command, expanded, MAX_PATH);
    if (need == 0 || need > MAX_PATH)
        return false;
    CString text = expanded;
    CString lower = text;
    lower.MakeLower();
    const int exe = lower.Find(".exe");
    if (exe < 0)
        return false;
    CString path = text.Left(exe + 4);
    path.TrimLeft('"');
    path.TrimRight('"');
    if (path.GetLength() >= MAX_PATH)
        return false;
    *program = path;
    return true;
}

void CShellContextMenu::FillOpenWithMenu(HMENU menu, const CString& extension)
{
    CString keyName = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
    keyName += extension;
    keyName += "\\OpenWithList";
    HKEY list = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyName, 0, KEY_READ, &list) != ERROR_SUCCESS)
        return;
    CString order;
    QueryStringValue(list, "MRUList", order);
    UINT nextId = kFirstOpenWith;
    for (int i = 0; i < order.GetLength() && nextId < kOpenWithEnd; ++i) {
        const char valueName[2] = {order[i], '\0'};
        CString exeName, friendly, program;
        if (!QueryStringValue(list, valueName, exeName) || !GetAppInfo(exeName, &friendly, &program) ||
            friendly.IsEmpty())
            continue;
        AppendMenuA(menu, MF_STRING, nextId, friendly);
        m_openWith.push_back({nextId, program});
        ++nextId;
    }
    RegCloseKey(list);
}

HRESULT CShellContextMenu::SendItemsTo(IDropTarget* target) const
{
    if (!target || !m_parent || m_items.empty())
        return E_INVALIDARG;
    // Every selected item goes, not only the first.
    IDataObject* data = nullptr;
    std::vector<LPCITEMIDLIST> items = m_items;
    HRESULT hr = m_parent->GetUIObjectOf(m_owner, static_cast<UINT>(items.size()), items.data(),
                                         IID_IDataObject, nullptr, reinterpret_cast<void**>(&data));
    if (FAILED(hr) || !data)
        return FAILED(hr) ? hr : E_FAIL;
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    const POINTL point = {0, 0};
    hr = target->DragEnter(data, MK_LBUTTON, point, &effect);
    if (FAILED(hr) || effect == DROPEFFECT_NONE) {
        target->DragLeave();
        hr = FAILED(hr) ? hr : E_FAIL;
    } else {
        hr = target->Drop(data, MK_LBUTTON, point, &effect);
    }
    data->Release();
    return hr;
}

UINT CShellContextMenu::Track(CMenu& popup, POINT screen, CWnd* owner)
{
    const HMENU menu = popup.GetSafeHmenu();
    CImageMenuManager& manager = CImageMenuManager::ForContextMenus();
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count && m_menu; ++position) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        if (GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info) && (info.fType & MFT_OWNERDRAW))
            manager.SetItemInterface(menu, m_menu, static_cast<UINT>(position));
    }
    manager.SetShellContextMenu(m_menu, kFirstVerb, kLastVerb);
    const bool hooked = owner && !manager.IsAttached() && manager.HookWindow(owner);
    const UINT id = static_cast<UINT>(
        popup.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, screen.x, screen.y, owner));
    manager.RestoreMenu(menu);
    manager.SetShellContextMenu(nullptr, 0, 0);
    if (hooked)
        manager.HookWindow(static_cast<HWND>(nullptr));
    return id;
}

bool CShellContextMenu::InvokeCommand(UINT id)
{
    if (id == 0)
        return false;
    if (id >= kFirstSendTo && id < kSendToEnd) {
        const auto it = std::find_if(m_sendTo.begin(), m_sendTo.end(), [id](const SendToTarget& t) { return t.id == id; });
        if (it == m_sendTo.end())
            return false;
        CPIDL targetPidl;
        targetPidl.Attach(PidlBytes::CopyList(it->absolute));
        IDropTarget* target = nullptr;
        if (FAILED(targetPidl.GetUIObjectOf(IID_IDropTarget, reinterpret_cast<void**>(&target), m_owner)) || !target)
            return false;
        const HRESULT hr = SendItemsTo(target);
        target->Release();
        return SUCCEEDED(hr);
    }
    if (id >= kFirstOpenWith && id < kOpenWithEnd) {
        const auto it = std::find_if(m_openWith.begin(), m_openWith.end(), [id](const OpenWithApp& a) { return a.id == id; });
        if (it == m_openWith.end())
            return false;
        CString quoted = "\"";
        quoted += m_firstPath;
        quoted += "\"";
        return reinterpret_cast<INT_PTR>(ShellExecuteA(m_owner, nullptr, it->program, quoted, nullptr, SW_SHOWNORMAL)) > 32;
    }
    // Only ids the shell's menu gave out are its verbs.
    if (!m_menu || id < kFirstVerb || id > kLastVerb)
        return false;
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof(info);
    info.hwnd = m_owner;
    info.lpVerb = MAKEINTRESOURCEA(id - kFirstVerb);
    info.nShow = SW_SHOWNORMAL;
    const HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    const HRESULT hr = m_menu->InvokeCommand(&info);
    SetCursor(old);
    return SUCCEEDED(hr);
}
