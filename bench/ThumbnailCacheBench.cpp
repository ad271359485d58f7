// Thumbnails of a folder of generated drawings and photos (4000 x 3000 JPEG), made by the thumbnail
// thread for a hidden window that plays the file list: how many per second cold (drawn by the
// engine or decoded and scaled, then stored in the folder's cache library) and warm (every one
// from the cache library), the size of the library, and the codec's own decode time of one photo
// for comparison. Prints figures; not a test.
//   ThumbnailCacheBench.exe [drawings] [photos]
#include "bench/BenchDrawingGenerator.h"
#include "engine/rkio/rkio.h"
#include "imaging/CRasterImage.h"
#include "render/cache/CacheFile.h"
#include "render/cache/TDwgCache.h"
#include "render/cache/TLibIndexTree.h"
#include "render/workers/TTaskManageThread.h"
#include "render/workers/WorkerAppState.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const int kThumbWidth = 96;
const int kThumbHeight = 72;
const DWORD kJpegFormat = 3;

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string ReadWhole(const std::string& path)
{
    std::string bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char block[65536];
        size_t got = 0;
        while ((got = std::fread(block, 1, sizeof block, file)) > 0)
            bytes.append(block, got);
        std::fclose(file);
    }
    return bytes;
}

// The file list's part: takes each finished job's picture and counts the end of the queue.
struct ListCounts
{
    int made = 0;
    int fromCache = 0;
    int queueEnds = 0;
};

LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* counts = reinterpret_cast<ListCounts*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (counts && message == TTaskManageThread::kMsgTaskFinished && lParam) {
        auto* task = reinterpret_cast<TTask*>(lParam);
        delete task->DetachBitmap();
        task->m_taken = true;
        if (task->m_result == TTask::kFromCacheOrRendered) {
            ++counts->made;
            if (wParam == 0)
                ++counts->fromCache;
        }
    } else if (counts && message == TTaskManageThread::kMsgQueueFinished) {
        ++counts->queueEnds;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND CreateListWindow(ListCounts& counts)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &ListProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "OrvoThumbnailBenchList";
    RegisterClassA(&wc);
    const HWND window = CreateWindowA(wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                      nullptr, wc.hInstance, nullptr);
    if (window)
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&counts));
    return window;
}

bool IsPhoto(const std::string& path)
{
    return path.size() > 4 && path.compare(path.size() - 4, 4, ".jpg") == 0;
}

// One folder's queue through the thread, as the list hands it over; waits for the end of the
// queue and for the cache writer. The seconds it took.
double ServeFolder(TTaskManageThread& thread, const std::string& folder,
                   const std::vector<std::string>& paths, ListCounts& counts)
{
    counts = ListCounts();
    const auto start = std::chrono::steady_clock::now();
    for (size_t i = 0; i < paths.size(); ++i)
        thread.AddTask(new TTask(paths[i].c_str(), static_cast<int>(i), true, IsPhoto(paths[i]) ? 5 : 1));
    thread.SetEnabled(true);
    thread.SetStartIndex(0);
    thread.StartFolder(folder.c_str());
    while (counts.queueEnds == 0 && !thread.HasExited()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    GetDwgCache()->WaitForWriter(120000);
    return Seconds(start);
}

bool WritePhoto(const std::string& path)
{
    CRasterImage image;
    if (!image.Create(4000, 3000, 24, kJpegFormat))
        return false;
    for (DWORD y = 0; y < 3000; ++y) {
        BYTE* row = image.GetBits(y);
        for (DWORD x = 0; x < 4000; ++x) {
            row[3 * x] = BYTE(x * 255 / 4000);
            row[3 * x + 1] = BYTE(y * 255 / 3000);
            row[3 * x + 2] = BYTE((x ^ y) & 0xFF);
        }
    }
    return image.Save(path.c_str(), kJpegFormat);
}

std::string Numbered(const std::string& folder, const char* stem, int i, const char* ext)
{
    char name[64];
    std::snprintf(name, sizeof name, "%s%03d.%s", stem, i, ext);
    return folder + name;
}

} // namespace

int main(int argc, char** argv)
{
    const int drawings = argc > 1 ? std::atoi(argv[1]) : 200;
    const int photos = argc > 2 ? std::atoi(argv[2]) : 200;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder =
        std::string(temp) + "orvo-thumbbench-" + std::to_string(GetCurrentProcessId()) + "\\";
    const std::string cacheFolder = folder + "cache\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA(cacheFolder.c_str(), nullptr);
    std::vector<std::string> paths;
    for (int i = 0; i < drawings; ++i) {
        paths.push_back(Numbered(folder, "drawing", i, "dxf"));
        bench::WriteBenchDrawing(paths.back(), 300 + i, 30);
    }
    const std::string photo = folder + "photo000.jpg";
    if (photos > 0 && !WritePhoto(photo)) {
        std::printf("could not write the photo\n");
        return 1;
    }
    for (int i = 0; i < photos; ++i) {
        paths.push_back(Numbered(folder, "photo", i, "jpg"));
        if (i > 0)
            CopyFileA(photo.c_str(), paths.back().c_str(), FALSE);
    }

    InitDLL();
    CreateLibIndexTree(cacheFolder.c_str(), false, true);
    CreateDwgCache(true);
    WorkerAppState appState; // the browser is up
    appState.mode.store(1);
    ListCounts counts;
    const HWND list = CreateListWindow(counts);
    double cold = 0.0;
    double warm = 0.0;
    int made = 0;
    int hits = 0;
    {
        TTaskManageThread thread;
        thread.SetAppState(&appState);
        thread.SetNotifyWnd(list);
        thread.SetThumbSize(kThumbWidth, kThumbHeight);
        if (!list || !thread.CreateThread()) {
            std::printf("could not start the thumbnail thread\n");
            return 1;
        }
        cold = ServeFolder(thread, folder, paths, counts);
        made = counts.made;
        warm = ServeFolder(thread, folder, paths, counts);
        hits = counts.fromCache;
        thread.StopAndWait(20000);
    }
    DestroyWindow(list);

    double decode = 0.0;
    if (photos > 0) {
        const std::string bytes = ReadWhole(photo);
        const auto start = std::chrono::steady_clock::now();
        CRasterImage image;
        image.Decode(reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size()), kJpegFormat);
        decode = Seconds(start);
    }
    CString libPath;
    DWORD libSize = 0;
    if (GetLibIndexTree()->FindLib(folder.c_str(), libPath))
        CacheFile::FindFileInfo(libPath, nullptr, reinterpret_cast<uint32_t*>(&libSize));

    std::printf("files %zu (%d drawings, %d photos 4000x3000), thumbnails %dx%d\n", paths.size(),
                drawings, photos, kThumbWidth, kThumbHeight);
    std::printf("cold: %d made in %.3f s, %.1f per second, %.2f ms each\n", made, cold,
                made / cold, 1000.0 * cold / std::max(made, 1));
    std::printf("warm: %d from the cache in %.3f s, %.1f per second, %.3f ms each\n", hits, warm,
                hits / std::max(warm, 1e-9), 1000.0 * warm / std::max(hits, 1));
    std::printf("codec alone: one photo decoded in %.2f ms\n", 1000.0 * decode);
    std::printf("cache library: %lu bytes\n", static_cast<unsigned long>(libSize));

    DeleteDwgCache();
    DeleteLibIndexTree();
    UninitDLL();
    for (const std::string& path : paths)
        DeleteFileA(path.c_str());
    DeleteFileA(libPath);
    DeleteFileA((cacheFolder + "OrvoKestalLibIndex.opsidx").c_str());
    RemoveDirectoryA(cacheFolder.c_str());
    RemoveDirectoryA(folder.c_str());
    return 0;
}
