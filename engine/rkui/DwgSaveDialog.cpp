#include "engine/rkui/DwgSaveDialog.h"

#include <dlgs.h>

namespace RkUI {

DwgSaveDialog::DwgSaveDialog(const char* initialName, const char* filter, CWnd* owner,
                             SaveTypeCallback callback, int initialIndex)
    : CFileDialog(FALSE, nullptr, initialName,
                  OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOREADONLYRETURN | OFN_PATHMUSTEXIST |
                      OFN_ENABLEHOOK,
                  filter, owner),
      m_callback(std::move(callback)), m_initialIndex(initialIndex > 0 ? initialIndex : 1)
{
    m_ofn.nFilterIndex = static_cast<DWORD>(m_initialIndex);
    m_ofn.lpfnHook = &DwgSaveDialog::HookProc;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
}

int DwgSaveDialog::ChosenIndex() const
{
    return m_ofn.nFilterIndex > 0 ? static_cast<int>(m_ofn.nFilterIndex) : m_initialIndex;
}

CString DwgSaveDialog::NameForType(int index, const CString& name) const
{
    return m_callback ? m_callback(index, name) : name;
}

// The explorer dialog makes the hook a child of itself: the name box belongs to the parent.
void DwgSaveDialog::OnTypeChange(HWND dialog, int index) const
{
    const HWND explorer = ::GetParent(dialog);
    char name[MAX_PATH] = {};
    if (::SendMessageA(explorer, CDM_GETSPEC, sizeof name, reinterpret_cast<LPARAM>(name)) < 0)
        return;
    const CString changed = NameForType(index, name);
    if (!::SendMessageA(explorer, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(static_cast<LPCSTR>(changed))))
        ::SendMessageA(explorer, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(static_cast<LPCSTR>(changed)));
}

UINT_PTR CALLBACK DwgSaveDialog::HookProc(HWND dialog, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        const auto* ofn = reinterpret_cast<const OPENFILENAMEA*>(lParam);
        ::SetWindowLongPtrA(dialog, GWLP_USERDATA, ofn->lCustData);
        return 0;
    }
    if (message != WM_NOTIFY)
        return 0;
    const auto* notify = reinterpret_cast<const OFNOTIFYA*>(lParam);
    const auto* self = reinterpret_cast<const DwgSaveDialog*>(::GetWindowLongPtrA(dialog, GWLP_USERDATA));
    if (self && notify->hdr.code == CDN_TYPECHANGE)
        self->OnTypeChange(dialog, static_cast<int>(notify->lpOFN->nFilterIndex));
    return 0;
}

} // namespace RkUI
