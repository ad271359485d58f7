// Starts the real program in view mode with the benchmark drawing (written first when missing)
// and prints the milliseconds from the start of the open (the view frame's title names the file)
// to the first full picture (the status bar names the drawing, set once the picture is taken),
// with the view sized 1600 x 1000 through the remembered window position.
//   ViewOpenBench <program.exe> <drawing.dxf> [runs]
#include "BenchDrawingGenerator.h"

#include <windows.h>

#include <shlwapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char kRootVariable[] = "ORVO_KESTAL_REGISTRY_ROOT";
const char kKey[] = "Software\\OrvoKestalBench\\Orvo DWG Viewer";
constexpr int kWantedWidth = 1600;
constexpr int kWantedHeight = 1000;

struct Search
{
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindView(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    if (pid == search->pid && std::string(name) == "OrvoKestalViewFrame" && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

std::string TextOf(HWND window)
{
    char text[1024] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                        &ignored);
    return text;
}

void SeedPosition(int width, int height)
{
    const std::string key = std::string(kKey) + "\\ViewWindow";
    const DWORD values[4] = {0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height)};
    const char* names[4] = {"Left", "Top", "Right", "Bottom"};
    for (int i = 0; i < 4; ++i)
        SHSetValueA(HKEY_CURRENT_USER, key.c_str(), names[i], REG_DWORD, &values[i], sizeof(DWORD));
}

// One run: the open's milliseconds, the view's client size found; -1 when it did not finish in 120 s.
double Run(const std::string& program, const std::string& drawing, SIZE& viewSize)
{
    std::string command = "\"" + program + "\" \"" + drawing + "\"";
    STARTUPINFOA si = {sizeof(si)};
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &info))
        return -1;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    Search search = {info.dwProcessId, nullptr};
    const std::string name = drawing.substr(drawing.rfind('\\') + 1);
    double result = -1;
    std::chrono::steady_clock::time_point opened;
    bool open = false;
    while (std::chrono::steady_clock::now() < limit) {
        if (!search.found)
            EnumWindows(FindView, reinterpret_cast<LPARAM>(&search));
        if (search.found && !open && TextOf(search.found).find(drawing) != std::string::npos) {
            opened = std::chrono::steady_clock::now();
            open = true;
        }
        if (open && TextOf(GetDlgItem(search.found, 0xE801)).find(name) != std::string::npos) {
            result = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - opened).count();
            RECT client = {};
            GetClientRect(GetDlgItem(search.found, 0xE900), &client);
            viewSize = {client.right, client.bottom};
            break;
        }
        Sleep(2);
    }
    if (search.found)
        PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(info.hProcess, 30000) != WAIT_OBJECT_0)
        TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: ViewOpenBench <program.exe> <drawing.dxf> [runs]\n");
        return 2;
    }
    const std::string program = argv[1];
    const std::string drawing = argv[2];
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    if (GetFileAttributesA(drawing.c_str()) == INVALID_FILE_ATTRIBUTES &&
        !bench::WriteBenchDrawing(drawing, 100000, 20000)) {
        std::fprintf(stderr, "cannot write %s\n", drawing.c_str());
        return 1;
    }
    SetEnvironmentVariableA(kRootVariable, (std::string(kKey) + "\\").c_str());
    // The first run finds what the frame's edges and bars take; the others open at 1600 x 1000.
    SIZE view = {0, 0};
    int width = kWantedWidth + 40;
    int height = kWantedHeight + 140;
    SeedPosition(width, height);
    int status = 0;
    for (int i = 0; i <= runs; ++i) {
        const double ms = Run(program, drawing, view);
        if (ms < 0) {
            std::printf("run %d: no picture within 120 s\n", i);
            status = 1;
            break;
        }
        if (i == 0) {
            width += kWantedWidth - view.cx;
            height += kWantedHeight - view.cy;
            SeedPosition(width, height);
            continue;
        }
        std::printf("run %d: open to first full picture %.0f ms at %ldx%ld\n", i, ms, view.cx, view.cy);
    }
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\OrvoKestalBench");
    return status;
}
