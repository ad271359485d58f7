// Starts the real program in browse mode on a folder of many drawings and pictures and prints
// how long it takes to the first filled list and to the end of the thumbnail work, cold (empty
// thumbnail cache, in a cache folder of the bench's own) and warm (the second start on the same
// folder).
//   BrowseStartBench [count]   (default 1000 files, half drawings, half pictures)
#include "tests/support/ProgramWindows.h"
#include "tests/support/TestSupport.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char kRootVariable[] = "ORVO_KESTAL_REGISTRY_ROOT";
const char kSmallDxf[] = "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0.0\n20\n0.0\n30\n0.0\n11\n100.0\n21\n50.0\n31\n"
                         "0.0\n0\nCIRCLE\n8\n0\n10\n50.0\n20\n25.0\n30\n0.0\n40\n20.0\n0\nENDSEC\n0\nEOF\n";
const DWORD kLimitMs = 600000;
// The centre pane holds the file list control; the count is asked of the list, not of the pane.
const UINT kCentrePaneId = 0xE900;
const UINT kListId = 112;
// How long a summary without the progress pane must stay before it counts as the end when the
// pane was never seen.
const double kSettledSeconds = 0.5;

// The sample drawings when present (copied round), else a small generated one.
std::vector<std::string> DrawingSources()
{
    std::vector<std::string> sources;
    for (const std::string& name : orvo::test::SampleDwgNames())
        sources.push_back(orvo::test::SamplesDir() + "\\dwg\\" + name);
    return sources;
}

bool MakeFolder(const orvo::test::TempDir& folder, int count)
{
    const std::vector<std::string> drawings = DrawingSources();
    for (int i = 0; i < count; ++i) {
        char name[64];
        if (i % 2 == 0) {
            const bool copy = !drawings.empty();
            snprintf(name, sizeof(name), copy ? "drawing%04d.dwg" : "drawing%04d.dxf", i);
            const bool ok = copy ? CopyFileA(drawings[(i / 2) % drawings.size()].c_str(), (folder / name).c_str(), FALSE)
                                 : orvo::test::WriteFileBytes(folder / name, kSmallDxf, sizeof(kSmallDxf) - 1);
            if (!ok)
                return false;
        } else {
            snprintf(name, sizeof(name), "photo%04d.bmp", i);
            const std::string bytes = orvo::test::BmpFileBytes(320, 240, i);
            if (!orvo::test::WriteFileBytes(folder / name, bytes.data(), bytes.size()))
                return false;
        }
    }
    return true;
}

struct Times {
    double list = -1;
    double thumbnails = -1;
};

double Seconds(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

Times RunOnce(const std::string& folder, int count)
{
    Times times;
    std::string command = "\"" + orvo::test::ProgramPath("OrvoKestal.exe") + "\" \"" + folder + "\"";
    STARTUPINFOA si = {sizeof(si)};
    orvo::test::ProgramProcess program;
    PROCESS_INFORMATION& info = program.info;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &info))
        return times;
    HWND frame = nullptr;
    HWND list = nullptr;
    HWND status = nullptr;
    if (orvo::test::WaitFor(
            [&] {
                frame = orvo::test::FindTopLevelOf(info.dwProcessId, "OrvoKestalBrowseFrame");
                const HWND pane = frame ? orvo::test::FindDescendant(frame, kCentrePaneId) : nullptr;
                list = pane ? orvo::test::FindDescendant(pane, kListId) : nullptr;
                return list && IsWindowVisible(frame) && SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == count;
            },
            kLimitMs)) {
        times.list = Seconds(start);
        status = orvo::test::FindDescendant(frame, 0xE801);
        // The folder's size joins the summary when the thumbnail work starts: without it the list
        // filled before its first thumbnail (no pane yet) would pass for the end of the work. A
        // refresh of the summary may still come just before the one that shows the progress pane
        // (the two are handled one after the other, and this process may look in between): the
        // end is the pane gone after it was seen, or a summary without it that stays so.
        const std::string summary =
            std::to_string(count) + " objects " + std::to_string(count) + " drawing files / display files size: ";
        bool seenProgress = false;
        double endSeen = -1;
        if (orvo::test::WaitFor(
                [&] {
                    const std::vector<std::string> texts = orvo::test::StatusPaneTexts(info.hProcess, status);
                    bool progress = false;
                    for (const std::string& text : texts)
                        progress = progress || text == std::string(46, ' ');
                    const bool sized = !texts.empty() && texts.front().rfind(summary, 0) == 0;
                    seenProgress = seenProgress || (sized && progress);
                    if (!sized || progress) {
                        endSeen = -1;
                        return false;
                    }
                    const double now = Seconds(start);
                    if (endSeen < 0)
                        endSeen = now;
                    return seenProgress || now - endSeen >= kSettledSeconds;
                },
                kLimitMs))
            times.thumbnails = endSeen;
    }
    if (frame)
        PostMessageA(frame, WM_CLOSE, 0, 0);
    WaitForSingleObject(info.hProcess, 60000);
    return times;
}

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 1000;
    const std::string key = "Software\\OrvoKestalBench\\browse-" + std::to_string(GetCurrentProcessId());
    SetEnvironmentVariableA(kRootVariable, (key + "\\Orvo DWG Viewer\\").c_str());
    // A thumbnail cache folder of the bench's own: the first start is cold whatever ran before
    // (a folder of the same name from an earlier run left its library in the shared one), and
    // the libraries go with the folder.
    orvo::test::TempDir cacheFolder;
    HKEY options = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, (key + "\\Orvo DWG Viewer\\Option\\LibIndex").c_str(), 0, nullptr, 0,
                        KEY_WRITE, nullptr, &options, nullptr) != ERROR_SUCCESS ||
        RegSetValueExA(options, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(cacheFolder.Path().c_str()),
                       static_cast<DWORD>(cacheFolder.Path().size() + 1)) != ERROR_SUCCESS) {
        printf("could not set the cache folder\n");
        return 1;
    }
    RegCloseKey(options);
    orvo::test::TempDir folder;
    if (!MakeFolder(folder, count)) {
        printf("could not make the folder\n");
        return 1;
    }
    for (const char* run : {"cold", "warm"}) {
        const Times times = RunOnce(folder.Path(), count);
        printf("%s: %d files, list filled %.3f s, thumbnail work ended %.3f s after start\n", run, count, times.list,
               times.thumbnails);
        fflush(stdout);
    }
    SHDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    return 0;
}
