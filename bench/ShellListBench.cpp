// The shell file list on a generated folder (default 10,000 files: a tenth small DXF drawings, a
// tenth small JPEG photos, the rest other files): fill in the details and the thumbnail view, a
// sort by each column, a merge refresh after one file changed (the watch's refresh of the files it
// named, medians of five, and the merge that reads the whole folder), and the time until every
// thumbnail is shown, cold (rendered) and warm (from the folder's cache). Prints ms per step.
//   ShellListBench [FILES] [--lists: the fills, sorts and merges only, without the thumbnails |
//   --profile: what each shell call costs over the folder's items (a minute under Wine), only]
#include "core/RegistryRoot.h"
#include "browser/list/CIEShellListCtrl.h"
#include "browser/list/FolderFindData.h"
#include "framework/AfxWin.h"
#include "imaging/CJpeg.h"
#include "render/cache/TDwgCache.h"
#include "render/cache/TLibIndexTree.h"
#include "render/workers/TTaskManageThread.h"
#include "render/workers/WorkerAppState.h"

#include <shlwapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

const char kDxf[] =
    "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n62\n1\n10\n0.0\n20\n0.0\n30\n0.0\n11\n100.0\n21\n"
    "50.0\n31\n0.0\n0\nCIRCLE\n8\n0\n62\n3\n10\n50.0\n20\n25.0\n30\n0.0\n40\n20.0\n0\nENDSEC\n"
    "0\nEOF\n";

double NowMs()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Handles messages (the thread's sends and posts) until the condition holds or the limit passes.
// The condition is asked at most every 10 ms: it walks every row of the list, and asked after
// each message the thread sends it would cost the list's thread more than the pictures.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        const double asked = NowMs();
        if (GetTickCount() - start > limitMs)
            return false;
        do {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        } while (NowMs() - asked < 10.0);
    }
    return true;
}

// Handles messages until the list has made one more refresh of the watch's changes; the time its
// refresh timer's handler took (what the user waits for), or a negative figure after the limit.
double TimeWatchRefresh(CIEShellListCtrl& list, DWORD limitMs)
{
    const int before = list.GetRefreshCount();
    const DWORD start = GetTickCount();
    double spent = -1;
    while (list.GetRefreshCount() == before) {
        if (GetTickCount() - start > limitMs)
            return -1;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            const bool refresh = msg.message == WM_TIMER && msg.hwnd == list.GetSafeHwnd() &&
                                 msg.wParam == CIEShellListCtrl::kRefreshTimer;
            const double t = NowMs();
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            if (refresh && list.GetRefreshCount() != before)
                spent = NowMs() - t;
        }
    }
    return spent;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The watch's refresh for each kind of change, five rounds each (medians).
void BenchWatchRefresh(CIEShellListCtrl& list, const std::string& folder)
{
    const std::string added = folder + "\\changed.dxf";
    const std::string renamed = folder + "\\changed2.dxf";
    struct Step
    {
        const char* what;
        std::function<void()> change;
    };
    const Step steps[] = {
        {"one new file", [&] { std::ofstream(added) << kDxf; }},
        {"one file changed size", [&] { std::ofstream(added, std::ios::app) << kDxf; }},
        {"one file renamed", [&] { MoveFileA(added.c_str(), renamed.c_str()); }},
        {"one file deleted", [&] { DeleteFileA(renamed.c_str()); }},
    };
    std::vector<std::vector<double>> times(sizeof(steps) / sizeof(steps[0]));
    const int namedBefore = list.GetNamedRefreshCount();
    for (int round = 0; round < 5; ++round) {
        for (size_t i = 0; i < times.size(); ++i) {
            steps[i].change();
            times[i].push_back(TimeWatchRefresh(list, 10000));
        }
    }
    for (size_t i = 0; i < times.size(); ++i)
        printf("merge refresh by the watch, %s: %.1f ms (median of 5; %d rows)\n", steps[i].what, Median(times[i]),
               list.GetItemCount());
    printf("  (%d of %d refreshes looked at the named files only)\n", list.GetNamedRefreshCount() - namedBefore,
           static_cast<int>(5 * times.size()));
    // The file the user had chosen goes: the list looks for it among the rows before it lets go.
    const std::string current = folder + "\\current.dxf";
    std::vector<double> gone;
    for (int round = 0; round < 3; ++round) {
        std::ofstream(current) << kDxf;
        TimeWatchRefresh(list, 10000);
        list.SelectItemByPath(current.c_str());
        DeleteFileA(current.c_str());
        gone.push_back(TimeWatchRefresh(list, 10000));
    }
    printf("merge refresh by the watch, the current file deleted: %.1f ms (median of 3)\n", Median(gone));
}

std::string MakeFolder(const std::string& root, int files)
{
    const std::string folder = root + "\\orvo-shelllist-bench";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::vector<uint8_t> rgb(96 * 72 * 3);
    CJpeg jpeg;
    for (int i = 0; i < files; ++i) {
        char name[64];
        if (i % 10 == 0) {
            snprintf(name, sizeof(name), "\\drawing%05d.dxf", i);
            std::ofstream(folder + name) << kDxf << std::string(static_cast<size_t>(i % 7), '\n');
        } else if (i % 10 == 1) {
            snprintf(name, sizeof(name), "\\photo%05d.jpg", i);
            for (size_t p = 0; p < rgb.size(); ++p)
                rgb[p] = static_cast<uint8_t>((p * 7 + static_cast<size_t>(i) * 13) & 0xFF);
            jpeg.WriteJpeg((folder + name).c_str(), rgb.data(), 96, 72, true, 85, 72);
        } else {
            snprintf(name, sizeof(name), "\\note%05d.txt", i);
            std::ofstream(folder + name) << "note " << i;
        }
    }
    return folder;
}

bool AllPictures(const CIEShellListCtrl& list)
{
    for (int row = 0; row < list.GetItemCount(); ++row) {
        const CShellListItem* item = list.GetItemRecord(row);
        if (item && item->fileType >= 0 && !item->thumbnail)
            return false;
    }
    return true;
}

// What each shell call of a fill costs on this folder, summed over every item.
void ProfileShellCalls(const std::string& folder)
{
    IShellFolder* desktop = nullptr;
    SHGetDesktopFolder(&desktop);
    std::wstring wide(folder.begin(), folder.end());
    LPITEMIDLIST folderPidl = nullptr;
    desktop->ParseDisplayName(nullptr, nullptr, &wide[0], nullptr, &folderPidl, nullptr);
    IShellFolder* shellFolder = nullptr;
    desktop->BindToObject(folderPidl, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&shellFolder));
    double times[6] = {};
    IEnumIDList* items = nullptr;
    double t = NowMs();
    shellFolder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &items);
    LPITEMIDLIST item = nullptr;
    ULONG fetched = 0;
    std::vector<LPITEMIDLIST> all;
    while (items->Next(1, &item, &fetched) == S_OK)
        all.push_back(item);
    items->Release();
    times[0] = NowMs() - t;
    for (LPITEMIDLIST id : all) {
        LPCITEMIDLIST one = id;
        ULONG attributes = SFGAO_FOLDER | SFGAO_FILESYSTEM;
        t = NowMs();
        shellFolder->GetAttributesOf(1, &one, &attributes);
        times[1] += NowMs() - t;
        STRRET name = {};
        t = NowMs();
        shellFolder->GetDisplayNameOf(id, SHGDN_INFOLDER | SHGDN_FORPARSING, &name);
        times[2] += NowMs() - t;
        if (name.uType == STRRET_WSTR)
            CoTaskMemFree(name.pOleStr);
        LPITEMIDLIST absolute = ILCombine(folderPidl, id);
        SHFILEINFOA info = {};
        t = NowMs();
        SHGetFileInfoA(reinterpret_cast<LPCSTR>(absolute), 0, &info, sizeof(info), SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
        times[3] += NowMs() - t;
        char path[MAX_PATH] = {};
        t = NowMs();
        SHGetPathFromIDListA(absolute, path);
        times[4] += NowMs() - t;
        t = NowMs();
        SHGetFileInfoA(path, FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
        times[5] += NowMs() - t;
        ILFree(absolute);
        CoTaskMemFree(id);
    }
    t = NowMs();
    const FolderFindData listing(folder.c_str());
    const double listed = NowMs() - t;
    printf("shell calls over %zu items: enumerate %.0f, attributes %.0f, parsing name %.0f, icon %.0f, path %.0f, type name %.0f ms; one directory listing %.0f ms (%zu entries)\n",
           all.size(), times[0], times[1], times[2], times[3], times[4], times[5], listed, listing.Size());
    shellFolder->Release();
    CoTaskMemFree(folderPidl);
    desktop->Release();
}

// The thumbnail view: every picture made (cold), then every picture from the cache (warm). The
// thread is asked first: the walk over every row is left for its idle moments.
void BenchThumbnails(CIEShellListCtrl& list, TTaskManageThread& thread)
{
    double t = NowMs();
    list.SetViewType(CIEShellListCtrl::kThumbnails);
    printf("switch to thumbnails (merge): %.0f ms (%d rows)\n", NowMs() - t, list.GetItemCount());
    const bool cold = PumpUntil([&] { return thread.IsIdle() && AllPictures(list); }, 600000);
    printf("every thumbnail shown, cold: %.0f ms%s\n", NowMs() - t, cold ? "" : " (not all within 600 s)");
    GetDwgCache()->WaitForWriter(60000);

    t = NowMs();
    list.Refresh(TRUE, TRUE);
    printf("fill, thumbnail view: %.0f ms\n", NowMs() - t);
    const bool warm = PumpUntil([&] { return thread.IsIdle() && AllPictures(list); }, 600000);
    printf("every thumbnail shown, warm: %.0f ms%s\n", NowMs() - t, warm ? "" : " (not all within 600 s)");
    t = NowMs();
    list.Refresh(TRUE, FALSE);
    printf("merge refresh, thumbnail view, nothing changed: %.0f ms\n", NowMs() - t);
}

struct BenchState : WorkerAppState
{
    BenchState() { mode.store(TTaskManageThread::kBrowseMode); }
};

} // namespace

int main(int argc, char** argv)
{
    // The count may be left out before a switch ("ShellListBench --lists").
    const bool counted = argc > 1 && argv[1][0] != '-';
    const int files = counted ? atoi(argv[1]) : 10000;
    const char* const mode = argc > (counted ? 2 : 1) ? argv[counted ? 2 : 1] : "";
    OleInitialize(nullptr);
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string root = temp;
    if (!root.empty() && root.back() == '\\')
        root.pop_back();
    g_strRegistryRoot = "Software\\OrvoKestalBench\\";
    const double t0 = NowMs();
    const std::string folder = MakeFolder(root, files);
    printf("files: %d in %s (made in %.0f ms)\n", files, folder.c_str(), NowMs() - t0);
    const bool listsOnly = strcmp(mode, "--lists") == 0;
    if (strcmp(mode, "--profile") == 0) {
        ProfileShellCalls(folder);
        return 0;
    }
    const std::string cache = root + "\\orvo-shelllist-bench-cache";
    CreateDirectoryA(cache.c_str(), nullptr);
    CreateLibIndexTree(cache.c_str(), false, true);
    CreateDwgCache(true);
    BenchState state;
    // ORVO_THUMB_WORKERS sets how many workers make the pictures (else one per spare core).
    const char* workers = std::getenv("ORVO_THUMB_WORKERS");
    TTaskManageThread thread(workers ? std::atoi(workers) : TThumbnailWorkers::DefaultCount());
    thread.SetAppState(&state);
    thread.CreateThread();
    thread.WaitUntilIdle(10000);

    CWnd owner;
    owner.CreateEx(0, AfxRegisterWndClass(0, ::LoadCursor(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)),
                   "Shell list bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1000, 740, nullptr, nullptr);
    {
        CIEShellListCtrl list;
        list.SetViewType(CIEShellListCtrl::kDetails);
        list.CreateList(&owner, CRect(0, 0, 980, 700), 112);
        list.SetThumbnailThread(&thread);

        double t = NowMs();
        list.SetFolderPath(folder.c_str());
        printf("fill, details view: %.0f ms (%d rows)\n", NowMs() - t, list.GetItemCount());
        // The same fill again, five times: on a loaded machine the least of them moves less
        // from run to run than a single figure.
        std::vector<double> fills;
        for (int round = 0; round < 5; ++round) {
            t = NowMs();
            list.SetFolderPath(folder.c_str());
            fills.push_back(NowMs() - t);
        }
        printf("fill, details view, again: least %.0f ms, median %.0f ms (of 5)\n",
               *std::min_element(fills.begin(), fills.end()), Median(fills));
        for (int column = 0; column < 4; ++column) {
            t = NowMs();
            list.SetSort(column, column % 2 == 0);
            list.Sort();
            printf("sort by column %d: %.0f ms\n", column, NowMs() - t);
        }
        // Let the watch arm on the folder first.
        PumpUntil([] { return false; }, 300);
        BenchWatchRefresh(list, folder);
        std::vector<double> merges;
        for (int round = 0; round < 3; ++round) {
            std::ofstream(folder + "\\changed.dxf") << kDxf;
            t = NowMs();
            list.Refresh(TRUE, FALSE);
            merges.push_back(NowMs() - t);
            DeleteFileA((folder + "\\changed.dxf").c_str());
            list.Refresh(TRUE, FALSE);
        }
        printf("merge refresh reading the whole folder, after one new file: %.0f ms (median of 3; %d rows)\n",
               Median(merges), list.GetItemCount());
        // What the watch saw of the bench's own changes is taken before the thumbnails.
        PumpUntil([] { return false; }, 300);
        if (!listsOnly)
            BenchThumbnails(list, thread);
        list.DestroyWindow();
    }
    owner.DestroyWindow();
    thread.StopAndWait(20000);
    DeleteDwgCache();
    DeleteLibIndexTree();
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\OrvoKestalBench");
    OleUninitialize();
    return 0;
}
