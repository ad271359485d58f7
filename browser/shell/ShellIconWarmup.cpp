#include "browser/shell/ShellIconWarmup.h"

#include "browser/shell/PidlBytes.h"

#include <utility>
#include <vector>

namespace
{
// Children looked at in one folder: the icons of a folder of many subfolders are the tree's to
// load when the user opens it; the start folder's first ones are enough to warm the common icons.
constexpr int kMaxChildren = 500;
// How long the destructor lets a thread stuck in the shell (a slow network folder) run on.
constexpr DWORD kStopWaitMs = 2000;

IShellFolder* BindFolder(IShellFolder* desktop, LPCITEMIDLIST absolute)
{
    IShellFolder* folder = nullptr;
    if (PidlBytes::ItemCount(absolute) == 0) {
        desktop->AddRef();
        return desktop;
    }
    if (FAILED(desktop->BindToObject(absolute, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder))))
        return nullptr;
    return folder;
}
} // namespace

ShellIconWarmup::~ShellIconWarmup()
{
    m_stop.store(true);
    if (m_thread) {
        // A thread still in the shell at exit is ended with the process.
        WaitForSingleObject(m_thread, kStopWaitMs);
        CloseHandle(m_thread);
    }
}

bool ShellIconWarmup::Start(const std::string& startFolder, bool treeLevels)
{
    if (m_thread)
        return false;
    m_startFolder = startFolder;
    m_treeLevels = treeLevels;
    m_ended = false;
    m_answers = ShellIconAnswers();
    m_stop.store(false);
    m_thread = CreateThread(nullptr, 0, &ThreadMain, this, 0, nullptr);
    return m_thread != nullptr;
}

bool ShellIconWarmup::Finish(DWORD timeoutMs)
{
    if (!m_thread)
        return true;
    if (WaitForSingleObject(m_thread, timeoutMs) != WAIT_OBJECT_0) {
        // What it has not reached, the windows load themselves.
        m_stop.store(true);
        return false;
    }
    CloseHandle(m_thread);
    m_thread = nullptr;
    m_ended = true;
    return true;
}

ShellIconAnswers ShellIconWarmup::TakeAnswers()
{
    // Only a thread that has ended leaves its answers whole and no longer written.
    if (!m_ended)
        return ShellIconAnswers();
    m_ended = false;
    return std::move(m_answers);
}

DWORD WINAPI ShellIconWarmup::ThreadMain(void* self)
{
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    static_cast<ShellIconWarmup*>(self)->Run();
    if (SUCCEEDED(com))
        CoUninitialize();
    return 0;
}

void ShellIconWarmup::Run()
{
    // The file list asks for these when it is made; the first request builds the lists.
    SHFILEINFOA info = {};
    SHGetFileInfoA("C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    SHGetFileInfoA("C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_LARGEICON);
    if (!m_treeLevels || m_stop.load())
        return;
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)) || !desktop)
        return;
    WarmChildren(desktop, nullptr);
    if (!m_startFolder.empty())
        WarmStartPath(desktop);
    desktop->Release();
}

void ShellIconWarmup::WarmStartPath(IShellFolder* desktop)
{
    std::vector<wchar_t> wide(m_startFolder.size() + 1);
    if (MultiByteToWideChar(CP_ACP, 0, m_startFolder.c_str(), -1, wide.data(), static_cast<int>(wide.size())) == 0)
        return;
    LPITEMIDLIST absolute = nullptr;
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &absolute, nullptr)) || !absolute)
        return;
    // The tree opens every folder on the way, the start folder too.
    const UINT count = PidlBytes::ItemCount(absolute);
    for (UINT level = 1; level <= count && !m_stop.load(); ++level) {
        LPITEMIDLIST prefix = PidlBytes::CopyFirstItems(absolute, level);
        if (prefix)
            WarmChildren(desktop, prefix);
        PidlBytes::Free(prefix);
    }
    PidlBytes::Free(absolute);
}

void ShellIconWarmup::WarmChildren(IShellFolder* desktop, LPCITEMIDLIST absolute)
{
    IShellFolder* folder = BindFolder(desktop, absolute);
    if (!folder)
        return;
    IEnumIDList* items = nullptr;
    if (SUCCEEDED(folder->EnumObjects(nullptr, SHCONTF_FOLDERS, &items)) && items) {
        LPITEMIDLIST relative = nullptr;
        ULONG fetched = 0;
        for (int n = 0; n < kMaxChildren && !m_stop.load() && items->Next(1, &relative, &fetched) == S_OK &&
                        fetched == 1;
             ++n) {
            LPITEMIDLIST child = PidlBytes::Concat(absolute, relative);
            if (child)
                m_answers.Add(child, ShellIconAnswers::Ask(child));
            PidlBytes::Free(child);
            PidlBytes::Free(relative);
        }
        items->Release();
    }
    folder->Release();
}
