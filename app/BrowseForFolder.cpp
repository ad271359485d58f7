#include "app/BrowseForFolder.h"

#include "core/FileUtils.h"
#include "framework/FolderPicker.h"

#include <memory>
#include <utility>

namespace {

BrowseFolderDialog g_dialog;

// Frees memory from the shell's allocator at the end of its scope.
template <class T>
class ShellMemory
{
public:
    ShellMemory(IMalloc* allocator, T* memory) : m_allocator(allocator), m_memory(memory) {}
    ~ShellMemory()
    {
        if (m_memory)
            m_allocator->Free(m_memory);
    }
    ShellMemory(const ShellMemory&) = delete;
    ShellMemory& operator=(const ShellMemory&) = delete;
    T* Get() const { return m_memory; }

private:
    IMalloc* m_allocator;
    T* m_memory;
};

struct ReleaseInterface
{
    void operator()(IUnknown* object) const { object->Release(); }
};
using MallocPtr = std::unique_ptr<IMalloc, ReleaseInterface>;

class ScopedErrorMode
{
public:
    explicit ScopedErrorMode(UINT mode) : m_previous(SetErrorMode(mode)) {}
    ~ScopedErrorMode() { SetErrorMode(m_previous); }
    ScopedErrorMode(const ScopedErrorMode&) = delete;
    ScopedErrorMode& operator=(const ScopedErrorMode&) = delete;

private:
    UINT m_previous;
};

LPITEMIDLIST ShowDialog(BROWSEINFOA& info)
{
    return g_dialog ? g_dialog(info) : AfxBrowseForFolder(info);
}

} // namespace

bool BrowseForFolder(HWND owner, const char* title, CString& path)
{
    if (!IsExistingFolder(path))
        path.Empty();
    IMalloc* rawAllocator = nullptr;
    if (FAILED(SHGetMalloc(&rawAllocator)) || !rawAllocator)
        return false;
    const MallocPtr allocator(rawAllocator);
    ShellMemory<char> display(allocator.get(), static_cast<char*>(allocator->Alloc(MAX_PATH)));
    if (!display.Get())
        return false;
    display.Get()[0] = '\0';
    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.pszDisplayName = display.Get();
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    info.lpfn = BrowseFolderCallback;
    info.lParam = path.IsEmpty() ? 0 : reinterpret_cast<LPARAM>(static_cast<const char*>(path));
    const ScopedErrorMode errorMode(SEM_FAILCRITICALERRORS);
    const ShellMemory<ITEMIDLIST> chosen(allocator.get(), ShowDialog(info));
    if (!chosen.Get() || !SHGetPathFromIDListA(chosen.Get(), display.Get()))
        return false;
    path = display.Get();
    return true;
}

int CALLBACK BrowseFolderCallback(HWND hWnd, UINT message, LPARAM lParam, LPARAM data)
{
    if (message == BFFM_INITIALIZED && data) {
        SendMessageA(hWnd, BFFM_SETSELECTIONA, TRUE, data);
        SendMessageA(hWnd, BFFM_SETSTATUSTEXTA, 0, data);
    } else if (message == BFFM_SELCHANGED) {
        char folder[MAX_PATH] = {};
        if (SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(lParam), folder))
            SendMessageA(hWnd, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(folder));
    }
    return 0;
}

BrowseFolderDialog SetBrowseFolderDialog(BrowseFolderDialog dialog)
{
    std::swap(g_dialog, dialog);
    return dialog;
}
