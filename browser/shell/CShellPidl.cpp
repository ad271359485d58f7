#include "browser/shell/CShellPidl.h"

#include "browser/shell/PidlBytes.h"
#include "browser/shell/ShellStrRet.h"

#include <cstring>

CShellPidl::CShellPidl()
{
    if (FAILED(SHGetDesktopFolder(&m_desktop)))
        m_desktop = nullptr;
    if (FAILED(SHGetMalloc(&m_malloc)))
        m_malloc = nullptr;
}

CShellPidl::~CShellPidl()
{
    if (m_desktop)
        m_desktop->Release();
    if (m_malloc)
        m_malloc->Release();
}

HRESULT CShellPidl::StrRetToStr(STRRET strret, char** out, LPCITEMIDLIST item)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    CString text;
    if (!ShellStrRet::ToString(&strret, item, text))
        return E_FAIL;
    auto* copy = static_cast<char*>(CoTaskMemAlloc(text.GetLength() + 1));
    if (!copy)
        return E_FAIL;
    std::memcpy(copy, text.GetString(), text.GetLength() + 1);
    *out = copy;
    return S_OK;
}

HRESULT CShellPidl::PathToPidl(const char* path, LPITEMIDLIST* out, IShellFolder* folder)
{
    if (!out || !path)
        return E_POINTER;
    *out = nullptr;
    WCHAR wide[MAX_PATH] = {};
    if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, path, -1, wide, MAX_PATH) == 0)
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    IShellFolder* own = nullptr;
    if (!folder) {
        if (FAILED(SHGetDesktopFolder(&own)))
            return E_FAIL;
        folder = own;
    }
    const HRESULT hr = folder->ParseDisplayName(nullptr, nullptr, wide, nullptr, out, nullptr);
    if (own)
        own->Release();
    return hr;
}

HRESULT CShellPidl::GetDisplayName(LPCITEMIDLIST pidl, CString& out, IShellFolder* folder, DWORD flags)
{
    if (!folder)
        folder = m_desktop;
    if (!folder)
        return E_FAIL;
    STRRET strret = {};
    HRESULT hr = folder->GetDisplayNameOf(pidl, flags, &strret);
    if (FAILED(hr))
        return hr;
    return ShellStrRet::ToString(&strret, pidl, out) ? S_OK : E_FAIL;
}

void* CShellPidl::Alloc(UINT size)
{
    void* block = CoTaskMemAlloc(size);
    if (block)
        std::memset(block, 0, size);
    return block;
}

LPITEMIDLIST CShellPidl::ConcatPidls(LPCITEMIDLIST first, LPCITEMIDLIST second)
{
    return PidlBytes::Concat(first, second);
}

LPITEMIDLIST CShellPidl::CopyItemID(LPCITEMIDLIST pidl) const
{
    return PidlBytes::CopyOneItem(pidl);
}

int CShellPidl::GetName(IShellFolder* folder, LPCITEMIDLIST pidl, DWORD flags, char name[MAX_PATH])
{
    if (!folder || !name)
        return 0;
    name[0] = '\0';
    STRRET strret = {};
    if (FAILED(folder->GetDisplayNameOf(pidl, flags, &strret)))
        return 0;
    return ShellStrRet::ToBuffer(&strret, pidl, name, MAX_PATH) ? 1 : 0;
}

int CShellPidl::GetIcon(LPCITEMIDLIST pidl, UINT flags)
{
    SHFILEINFOA info = {};
    SHGetFileInfoA(reinterpret_cast<LPCSTR>(pidl), 0, &info, sizeof(info), flags | SHGFI_PIDL);
    return info.iIcon;
}

int CShellPidl::GetIcon(const char* path, UINT flags)
{
    SHFILEINFOA info = {};
    SHGetFileInfoA(path, 0, &info, sizeof(info), flags & ~SHGFI_PIDL);
    return info.iIcon;
}

bool CShellPidl::ComparePidls(IShellFolder* folder, LPCITEMIDLIST a, LPCITEMIDLIST b) const
{
    if (!a || !b)
        return false;
    if (!folder)
        folder = m_desktop;
    if (!folder)
        return false;
    const HRESULT hr = folder->CompareIDs(0, a, b);
    return SUCCEEDED(hr) && HRESULT_CODE(hr) == 0;
}

void CShellPidl::FreePidl(LPITEMIDLIST pidl) const
{
    if (m_malloc && pidl)
        m_malloc->Free(pidl);
}

LPITEMIDLIST CShellPidl::CopyPidl(LPCITEMIDLIST pidl) const
{
    return PidlBytes::CopyList(pidl);
}

UINT CShellPidl::GetItemCount(LPCITEMIDLIST pidl) const
{
    return PidlBytes::ItemCount(pidl);
}

LPITEMIDLIST CShellPidl::CopyItemAt(LPCITEMIDLIST pidl, int n) const
{
    if (n < 0 || !pidl)
        return nullptr;
    const UINT count = PidlBytes::ItemCount(pidl);
    if (count == 0)
        return nullptr;
    UINT index = n == 0 ? 0 : static_cast<UINT>(n) - 1;
    if (index >= count)
        index = count - 1;
    return PidlBytes::CopyOneItem(PidlBytes::ItemAt(pidl, index));
}
