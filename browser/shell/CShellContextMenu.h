// CShellContextMenu: the shell's context menu for the selected items of the file list, with the
// program's own Send To submenu (the Send To folder's items, folders first, files in the folder's
// order) and Open With submenu (the applications the user opened the extension with). Commands:
// shell verbs 20000..29999, Send To 30000..31999, Open With 32000..32099; anything else is
// refused. Built on the caller's stack; the items and the folder are borrowed.
#pragma once

#include "framework/CString.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

class CMenu;
class CWnd;

class CShellContextMenu
{
public:
    static constexpr UINT kFirstVerb = 20000;
    static constexpr UINT kLastVerb = 29999;
    static constexpr UINT kFirstSendTo = 30000;
    static constexpr UINT kSendToEnd = 32000;
    static constexpr UINT kFirstOpenWith = 32000;
    static constexpr UINT kOpenWithEnd = 32100;

    CShellContextMenu(HWND owner, const CString& firstItemPath, LPCITEMIDLIST* items, int count, IShellFolder* parent);
    ~CShellContextMenu();
    CShellContextMenu(const CShellContextMenu&) = delete;
    CShellContextMenu& operator=(const CShellContextMenu&) = delete;

    // The Send To folder to list (null: the shell's own). For callers that keep their own.
    void SetSendToFolder(IShellFolder* folder) { m_sendToFolder = folder; }
    // Fills an empty pop-up menu; S_OK, or the shell's failure (nothing is added then).
    HRESULT BuildMenu(HMENU menu);
    // Runs one command of the built menu; false for an id of no range or a failed command.
    bool InvokeCommand(UINT id);
    // Tracks the built menu at a screen point for the owner and returns the chosen id (0 for
    // none). Items that shell extensions draw themselves are drawn by them meanwhile.
    UINT Track(CMenu& popup, POINT screen, CWnd* owner);
    // Offers every selected item to a drop target, as Send To does.
    HRESULT SendItemsTo(IDropTarget* target) const;

    // Steps of BuildMenu, open for tests.
    void FillSendToMenu(HMENU menu, IShellFolder* folder, UINT* nextId);
    void FillOpenWithMenu(HMENU menu, const CString& extension);
    // The application's friendly name and program path, from its registration; false when it
    // has none, or when a path or expanded command would not fit 260 characters.
    static bool GetAppInfo(const CString& exeName, CString* friendlyName, CString* program);

private:
    struct SendToTarget
    {
        UINT id;
        LPITEMIDLIST absolute; // owned
    };
    struct OpenWithApp
    {
        UINT id;
        CString program;
    };

    HWND m_owner;
    CString m_firstPath;
    std::vector<LPCITEMIDLIST> m_items;
    IShellFolder* m_parent;
    IShellFolder* m_sendToFolder = nullptr;
    IContextMenu* m_menu = nullptr;
    std::vector<SendToTarget> m_sendTo;
    std::vector<OpenWithApp> m_openWith;
};
