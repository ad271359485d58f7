#include "tests/support/ProgramWindows.h"

#include "tests/support/TestSupport.h"

#include <commctrl.h>

namespace orvo::test {

namespace {

struct TopLevelSearch {
    DWORD processId;
    const char* className;
    HWND hWnd;
};

BOOL CALLBACK MatchTopLevel(HWND hWnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<TopLevelSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    char name[128] = {};
    GetClassNameA(hWnd, name, sizeof(name));
    if (pid == search->processId && std::string(name) == search->className) {
        search->hWnd = hWnd;
        return FALSE;
    }
    return TRUE;
}

struct ChildSearch {
    UINT id;
    HWND hWnd;
};

BOOL CALLBACK MatchChild(HWND hWnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<ChildSearch*>(lParam);
    if (static_cast<UINT>(GetDlgCtrlID(hWnd)) == search->id) {
        search->hWnd = hWnd;
        return FALSE;
    }
    return TRUE;
}

constexpr size_t kTextLimit = 1000;
constexpr int kPaneLimit = 16;

} // namespace

ProgramProcess::~ProgramProcess()
{
    if (info.hProcess) {
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(info.hProcess, 99);
        CloseHandle(info.hProcess);
    }
    if (info.hThread)
        CloseHandle(info.hThread);
}

std::string BmpFileBytes(int width, int height, int seed)
{
    const int row = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biSizeImage = row * height;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + header.biSizeImage;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < row; ++x)
            bytes.push_back(static_cast<char>((x * 5 + y * 3 + seed * 17) & 0xFF));
    return bytes;
}

std::vector<std::string> SampleDwgNames()
{
    std::vector<std::string> names;
    const std::string samples = SamplesDir();
    if (samples.empty())
        return names;
    WIN32_FIND_DATAA found = {};
    const HANDLE find = FindFirstFileA((samples + "\\dwg\\*.dwg").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        names.push_back(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}

HWND FindTopLevelOf(DWORD processId, const char* className)
{
    TopLevelSearch search = {processId, className, nullptr};
    EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.hWnd;
}

HWND FindDescendant(HWND parent, UINT id)
{
    ChildSearch search = {id, nullptr};
    EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.hWnd;
}

RemoteBuffer::RemoteBuffer(HANDLE process, size_t size)
    : m_process(process), m_size(size),
      m_address(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))
{
}

RemoteBuffer::~RemoteBuffer()
{
    if (m_address)
        VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
}

bool RemoteBuffer::Write(const void* data, size_t size, size_t offset) const
{
    return m_address && size + offset <= m_size && WriteProcessMemory(m_process, At(offset), data, size, nullptr);
}

std::string RemoteBuffer::ReadText(size_t offset) const
{
    if (!m_address || offset >= m_size)
        return "<unreadable>";
    std::vector<char> text(m_size - offset + 1, '\0');
    if (!ReadProcessMemory(m_process, At(offset), text.data(), m_size - offset, nullptr))
        return "<unreadable>";
    return text.data();
}

std::vector<std::string> StatusPaneTexts(HANDLE process, HWND statusBar)
{
    std::vector<std::string> texts;
    const int parts = static_cast<int>(SendMessageA(statusBar, SB_GETPARTS, 0, 0));
    RemoteBuffer buffer(process, kTextLimit + 24);
    for (int i = 0; i < parts && i < kPaneLimit; ++i) {
        if (LOWORD(SendMessageA(statusBar, SB_GETTEXTLENGTHA, i, 0)) >= kTextLimit) {
            texts.push_back("<long>");
            continue;
        }
        SendMessageA(statusBar, SB_GETTEXTA, i, buffer.Address());
        texts.push_back(buffer.ReadText());
    }
    return texts;
}

std::string ListItemText(HANDLE process, HWND list, int row)
{
    RemoteBuffer buffer(process, sizeof(LVITEMA) + 512);
    LVITEMA item = {};
    item.cchTextMax = 500;
    item.pszText = buffer.At(sizeof(LVITEMA));
    buffer.Write(&item, sizeof(item));
    SendMessageA(list, LVM_GETITEMTEXTA, row, buffer.Address());
    return buffer.ReadText(sizeof(LVITEMA));
}

void SelectListRow(HANDLE process, HWND list, int row)
{
    RemoteBuffer buffer(process, sizeof(LVITEMA));
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    buffer.Write(&item, sizeof(item));
    SendMessageA(list, LVM_SETITEMSTATE, row, buffer.Address());
}

std::string SelectedTreeItemText(HANDLE process, HWND tree)
{
    const HTREEITEM selected = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (selected == nullptr)
        return std::string();
    RemoteBuffer buffer(process, sizeof(TVITEMA) + 512);
    TVITEMA item = {};
    item.mask = TVIF_TEXT;
    item.hItem = selected;
    item.cchTextMax = 500;
    item.pszText = buffer.At(sizeof(TVITEMA));
    buffer.Write(&item, sizeof(item));
    SendMessageA(tree, TVM_GETITEMA, 0, buffer.Address());
    return buffer.ReadText(sizeof(TVITEMA));
}

} // namespace orvo::test
