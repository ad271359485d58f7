// The preview pane's menus: the Layouts popup of the Preview menu (in the main window's menu bar
// and in the pane's own context menu) and the context menu itself. The context menu's items are
// enabled and checked by the pane's own update rule before it shows, and the chosen command runs
// on the pane at once.
#include "browser/preview/CPreView.h"

#include "app/CAppState.h"
#include "framework/CStringList.h"
#include "framework/WideText.h"
#include "render/workers/TDwgDrawThread.h"
#include "res/resource.h"

namespace {

// The position of an item in a popup, -1 when the popup holds no item with the id.
int ItemPosition(const CMenu& popup, UINT id)
{
    const int count = popup.GetMenuItemCount();
    for (int i = 0; i < count; ++i) {
        if (popup.GetMenuItemID(i) == id)
            return i;
    }
    return -1;
}

} // namespace

CMenu* CPreView::FindPreviewPopup(CMenu& menu)
{
    const int count = menu.GetMenuItemCount();
    for (int i = 0; i < count; ++i) {
        CMenu* popup = menu.GetSubMenu(i);
        if (popup && ItemPosition(*popup, kCmdLayers) >= 0)
            return popup;
    }
    return nullptr;
}

bool CPreView::BuildLayoutMenu(CMenu& menu, const CStringList& names)
{
    CMenu* preview = FindPreviewPopup(menu);
    const int layers = preview ? ItemPosition(*preview, kCmdLayers) : -1;
    // The Layouts item follows the Layers item, first as a plain item, later as the popup.
    if (layers < 0 || layers + 1 >= preview->GetMenuItemCount())
        return false;
    const UINT position = static_cast<UINT>(layers + 1);
    CString text;
    preview->GetMenuString(position, text, MF_BYPOSITION);
    CMenu layouts;
    if (!layouts.CreatePopupMenu())
        return false;
    UINT id = kCmdLayoutFirst;
    // Layout names are UTF-8 from the drawing: wide items show them in any script.
    for (POSITION at = names.GetHeadPosition(); at && id <= kCmdLayoutLast; ++id) {
        const CString& name = names.GetNext(at);
        ::AppendMenuW(layouts.GetSafeHmenu(), MF_STRING, id, orvo::WideText(name, name.GetLength()).c_str());
    }
    // The item takes the new popup (and frees the one it had).
    if (!preview->ModifyMenu(position, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(layouts.GetSafeHmenu()),
                             text))
        return false;
    layouts.Detach();
    return true;
}

void CPreView::RebuildLayoutMenus(bool askThread)
{
    CStringList names;
    if (askThread && IsRunning() && IsIdle() && IsDrawingShown())
        Thread()->GetLayoutNames(names);
    const HWND main = g_appState.GetMainWindowHandle();
    CMenu* bar = main ? CMenu::FromHandle(::GetMenu(main)) : nullptr;
    if (bar && bar->GetSafeHmenu())
        BuildLayoutMenu(*bar, names);
    if (m_contextMenu.GetSafeHmenu())
        BuildLayoutMenu(m_contextMenu, names);
    m_layoutsStale = !askThread;
}

void CPreView::UpdateMenuItems(CMenu& popup) const
{
    const int count = popup.GetMenuItemCount();
    for (int i = 0; i < count; ++i) {
        if (CMenu* sub = popup.GetSubMenu(i)) {
            UpdateMenuItems(*sub);
            continue;
        }
        const UINT id = popup.GetMenuItemID(i);
        if (!IsPaneCommand(id))
            continue;
        bool check = false;
        const bool enabled = IsCommandEnabled(id, check);
        popup.EnableMenuItem(static_cast<UINT>(i), MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
        popup.CheckMenuItem(static_cast<UINT>(i), MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
    }
}

void CPreView::OnContextMenu(CWnd*, CPoint point)
{
    KillHoverTimers();
    CMenu* popup = m_contextMenu.GetSafeHmenu() ? FindPreviewPopup(m_contextMenu) : nullptr;
    if (!popup)
        return;
    if (point.x == -1 && point.y == -1) {
        // From the keyboard: at the pane's centre.
        CRect client;
        GetClientRect(&client);
        point = client.CenterPoint();
        ClientToScreen(&point);
    }
    UpdateMenuItems(*popup);
    const UINT chosen = static_cast<UINT>(
        popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, point.x, point.y, this));
    if (chosen != 0)
        RunCommand(chosen);
}

void CPreView::LoadContextMenu()
{
    if (!m_contextMenu.GetSafeHmenu())
        m_contextMenu.LoadMenu(IDR_BROWSEFRAME);
}
