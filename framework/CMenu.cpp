#include "framework/CMenu.h"

#include "framework/AfxGlobals.h"
#include "framework/CHandleMap.h"
#include "framework/CString.h"
#include "framework/CWnd.h"
#include "framework/ModalSeam.h"

namespace {

CHandleMap<CMenu, HMENU>& MenuMap()
{
    static thread_local CHandleMap<CMenu, HMENU> map([](CMenu& menu) { menu.m_hMenu = nullptr; });
    return map;
}

} // namespace

BOOL CMenu::Attach(HMENU hMenu)
{
    if (hMenu == nullptr)
        return FALSE;
    DestroyMenu();
    m_hMenu = hMenu;
    MenuMap().SetPermanent(hMenu, this);
    return TRUE;
}

HMENU CMenu::Detach()
{
    const HMENU hMenu = std::exchange(m_hMenu, nullptr);
    if (hMenu != nullptr)
        MenuMap().RemovePermanent(hMenu, this);
    return hMenu;
}

CMenu* PASCAL CMenu::FromHandle(HMENU hMenu)
{
    if (hMenu == nullptr)
        return nullptr;
    return MenuMap().FromHandle(hMenu, [](HMENU h) {
        auto menu = std::make_unique<CMenu>();
        menu->m_hMenu = h;
        return menu;
    });
}

BOOL CMenu::LoadMenu(UINT nIDResource)
{
    return LoadMenu(MAKEINTRESOURCEA(nIDResource));
}

BOOL CMenu::LoadMenu(LPCSTR lpszResourceName)
{
    return Attach(::LoadMenuA(AfxFindResourceHandle(lpszResourceName, MAKEINTRESOURCEA(4)),
                              lpszResourceName));
}

BOOL CMenu::DestroyMenu()
{
    const HMENU hMenu = Detach();
    return hMenu != nullptr && ::DestroyMenu(hMenu);
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const
{
    const int length = ::GetMenuStringA(m_hMenu, nIDItem, nullptr, 0, nFlags);
    if (length <= 0) {
        rString.Empty();
        return 0;
    }
    const int copied = ::GetMenuStringA(m_hMenu, nIDItem, rString.GetBuffer(length + 1), length + 1, nFlags);
    rString.ReleaseBuffer(copied);
    return copied;
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, const RECT* lpRect)
{
    const HWND hWndOwner = pWnd != nullptr ? pWnd->GetSafeHwnd() : nullptr;
    ModalRequest request;
    request.kind = ModalKind::PopupMenu;
    request.pWnd = pWnd;
    request.pMenu = this;
    INT_PTR nAnswer = 0;
    if (!AskModal(request, nAnswer))
        return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, hWndOwner, lpRect);
    const UINT nCommand = static_cast<UINT>(nAnswer);
    if ((nFlags & TPM_RETURNCMD) != 0)
        return static_cast<BOOL>(nCommand);
    // A chosen item reaches the owner as the real menu would send it.
    if (nCommand != 0 && hWndOwner != nullptr)
        ::PostMessageA(hWndOwner, WM_COMMAND, MAKEWPARAM(nCommand, 0), 0);
    return TRUE;
}
