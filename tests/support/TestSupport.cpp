#include "tests/support/TestSupport.h"

#include <shlwapi.h>

#include <atomic>
#include <fstream>
#include <iterator>

namespace orvo::test {
namespace {

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = path + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}

} // namespace

TempDir::TempDir()
{
    static std::atomic<unsigned> counter{0};
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    for (;;) {
        char name[64];
        wsprintfA(name, "orvo-test-%lu-%u", GetCurrentProcessId(), counter++);
        m_path = std::string(base) + name;
        if (CreateDirectoryA(m_path.c_str(), nullptr))
            break;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
}

TempDir::~TempDir()
{
    RemoveTree(m_path);
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return condition();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(timeoutMs - elapsed, 10),
                                  QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

std::string ProgramPath(const std::string& exeName)
{
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path = self;
    const size_t slash = path.find_last_of('\\');
    return path.substr(0, slash + 1) + exeName;
}

bool WriteFileBytes(const std::string& path, const void* data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {

struct TopWindowSearch
{
    DWORD processId;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<TopWindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char name[128] = {};
    GetClassNameA(window, name, sizeof(name));
    if (pid == search->processId && lstrcmpA(name, search->className) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

std::vector<COLORREF> PrintClientPixels(HWND window, int step, int* width, int* height)
{
    RECT client = {};
    GetClientRect(window, &client);
    const int w = client.right;
    const int h = client.bottom;
    if (width)
        *width = w;
    if (height)
        *height = h;
    std::vector<COLORREF> out;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    for (int y = 0; y < h; y += step) {
        for (int x = 0; x < w; x += step)
            out.push_back(GetPixel(dc, x, y));
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return out;
}

std::string TestNameOf(const std::string& text)
{
    std::string name = text;
    for (char& c : name)
        c = IsCharAlphaNumericA(c) && static_cast<unsigned char>(c) < 128 ? c : '_';
    return name;
}

HWND FindTopWindowOf(DWORD processId, const char* className)
{
    TopWindowSearch search = {processId, className, nullptr};
    EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace orvo::test
