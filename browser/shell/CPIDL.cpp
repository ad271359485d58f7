#include "browser/shell/CPIDL.h"

#include "browser/shell/PidlBytes.h"
#include "browser/shell/ShellGlobals.h"
#include "browser/shell/ShellStrRet.h"

CPIDL::CPIDL(const char* path, IShellFolder* folder)
{
    SetFromPath(path, folder);
}

CPIDL::~CPIDL()
{
    Free();
}

void CPIDL::Free()
{
    PidlBytes::Free(m_pidl);
    m_pidl = nullptr;
}

void CPIDL::Attach(LPITEMIDLIST pidl)
{
    if (pidl != m_pidl)
        Free();
    m_pidl = pidl;
}

LPITEMIDLIST CPIDL::Detach()
{
    LPITEMIDLIST pidl = m_pidl;
    m_pidl = nullptr;
    return pidl;
}

HRESULT CPIDL::SetFromPath(const char* path, IShellFolder* folder)
{
    Free();
    if (!path)
        return E_INVALIDARG;
    if (!folder)
        folder = ShellGlobals::Get().desktop;
    if (!folder)
        return E_FAIL;
    WCHAR wide[MAX_PATH] = {};
    if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, path, -1, wide, MAX_PATH) == 0)
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    return folder->ParseDisplayName(nullptr, nullptr, wide, nullptr, &m_pidl, nullptr);
}

HRESULT CPIDL::SetFromFolderItem(IShellFolder* folder, LPCITEMIDLIST child)
{
    Free();
    if (!folder || !child)
        return E_INVALIDARG;
    STRRET name = {};
    HRESULT hr = folder->GetDisplayNameOf(child, SHGDN_FORPARSING, &name);
    if (FAILED(hr))
        return hr;
    char path[MAX_PATH] = {};
    if (!ShellStrRet::ToBuffer(&name, child, path, sizeof(path)))
        return E_FAIL;
    return SetFromPath(path, nullptr);
}

void CPIDL::Split(CPIDL& parent, CPIDL& child) const
{
    parent.Free();
    child.Free();
    const UINT count = PidlBytes::ItemCount(m_pidl);
    if (count == 0)
        return;
    if (count > 1)
        parent.Attach(PidlBytes::CopyFirstItems(m_pidl, count - 1));
    child.Attach(PidlBytes::CopyOneItem(PidlBytes::LastItem(m_pidl)));
}

HRESULT CPIDL::GetUIObjectOf(REFIID riid, void** out, HWND owner) const
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!m_pidl)
        return E_INVALIDARG;
    // The desktop answers a multi-level list for its first element on some shells: bind to the
    // parent folder and ask it for its own child.
    IShellFolder* parent = nullptr;
    LPCITEMIDLIST child = nullptr;
    HRESULT hr = SHBindToParent(m_pidl, IID_IShellFolder, reinterpret_cast<void**>(&parent), &child);
    if (FAILED(hr))
        return hr;
    hr = parent->GetUIObjectOf(owner, 1, &child, riid, nullptr, out);
    parent->Release();
    return hr;
}
