// The shell's own context menu of one item (the folder tree's right click).
#include "browser/shell/CShellPidl.h"

#include "framework/CMenu.h"
#include "framework/CWnd.h"
#include "framework/Prompt.h"

#include <memory>

namespace
{
// The first command id handed to the shell: 0 is what the menu gives when nothing was chosen.
constexpr UINT kFirstCommand = 1;
constexpr UINT kLastCommand = 32767;

void ShowFailure(const char* format, HRESULT hr)
{
    CString text;
    text.Format(format, static_cast<unsigned long>(hr));
    AfxMessageBox(text);
}

struct ReleaseInterface
{
    void operator()(IUnknown* object) const { object->Release(); }
};

void RunVerb(HWND owner, IContextMenu& menu, UINT command)
{
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.lpVerb = MAKEINTRESOURCEA(command - kFirstCommand);
    info.nShow = SW_SHOWNORMAL;
    const HRESULT hr = menu.InvokeCommand(&info);
    if (FAILED(hr))
        ShowFailure("InvokeCommand failed. hr=%lx", hr);
}
} // namespace

bool CShellPidl::DoContextMenu(HWND owner, IShellFolder* parent, LPCITEMIDLIST child, const POINT* screenPoint) const
{
    if (!parent || !child)
        return false;
    IContextMenu* raw = nullptr;
    const HRESULT hr = parent->GetUIObjectOf(owner, 1, &child, IID_IContextMenu, nullptr, reinterpret_cast<void**>(&raw));
    if (FAILED(hr) || !raw) {
        ShowFailure("GetUIObjectOf failed! hr=%lx", FAILED(hr) ? hr : E_NOINTERFACE);
        return false;
    }
    const std::unique_ptr<IContextMenu, ReleaseInterface> shellMenu(raw);
    CMenu popup;
    if (!popup.CreatePopupMenu())
        return false;
    const HRESULT filled = shellMenu->QueryContextMenu(popup.GetSafeHmenu(), 0, kFirstCommand, kLastCommand, CMF_EXPLORE);
    if (FAILED(filled))
        return false;
    POINT point = {};
    if (screenPoint)
        point = *screenPoint;
    const UINT command = static_cast<UINT>(
        popup.TrackPopupMenu(TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, CWnd::FromHandle(owner)));
    // The shell answers how many ids it gave out: anything else is no verb of this menu.
    const UINT end = kFirstCommand + HRESULT_CODE(filled);
    if (command >= kFirstCommand && command < end)
        RunVerb(owner, *shellMenu, command);
    return true;
}
