// Thumbnails made by the thumbnail thread for a hidden window that plays the file list, in three
// folders: generated drawings, 4000 x 3000 photos without an Exif thumbnail, and the same photos
// with one. For each: milliseconds per thumbnail cold (drawn by the engine or decoded and scaled,
// then stored in the folder's cache library) and warm (every one from the cache library), and for
// the photos the codec's own full decode of one photo beside it; then, when the shared sample
// drawings are there, DWG files copied from them, whose thumbnails are their stored previews.
// Prints figures; not a test.
//   ThumbnailCacheBench.exe [drawings] [photos] [stored previews, default 200]
// With --save, the thumbnails of the files in a folder are written as BMP files into another
// (one per file, named after it), to compare the pictures of two builds, at 96 x 72 or the size
// given:
//   ThumbnailCacheBench.exe --save <folder> <output folder> [width height]
#include "bench/BenchDrawingGenerator.h"
#include "engine/rkio/rkio.h"
#include "imaging/CRasterImage.h"
#include "render/cache/CacheFile.h"
#include "render/cache/TDwgCache.h"
#include "render/cache/TLibIndexTree.h"
#include "render/workers/TTaskManageThread.h"
#include "render/workers/WorkerAppState.h"
#include "tests/support/ProgramWindows.h"
#include "tests/support/TestSupport.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int g_thumbWidth = 96;
int g_thumbHeight = 72;
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
    int finished = 0;
    int made = 0;
    int fromCache = 0;
    int stored = 0;
    int queueEnds = 0;
    std::string saveFolder; // with --save: where each picture goes
};

void SavePicture(const ListCounts& counts, const TTask& task, const KBMP* picture)
{
    if (counts.saveFolder.empty() || !picture)
        return;
    const std::string path(static_cast<const char*>(task.m_path));
    const size_t slash = path.find_last_of("\\/");
    picture->SaveToFile((counts.saveFolder + path.substr(slash + 1) + ".bmp").c_str());
}

void TakeJob(ListCounts& counts, WPARAM wParam, TTask& task)
{
    const std::unique_ptr<KBMP> picture(task.DetachBitmap());
    SavePicture(counts, task, picture.get());
    ++counts.finished;
    if (task.m_result == TTask::kFromCacheOrRendered) {
        ++counts.made;
        if (wParam == 0)
            ++counts.fromCache;
    } else if (task.m_result == TTask::kStoredPreview) {
        ++counts.made;
        ++counts.stored;
    }
    task.m_taken = true;
}

LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* counts = reinterpret_cast<ListCounts*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (counts && message == TTaskManageThread::kMsgTaskFinished && lParam) {
        TakeJob(*counts, wParam, *reinterpret_cast<TTask*>(lParam));
    } else if (counts && message == TTaskManageThread::kMsgTasksFinished && lParam) {
        const auto* jobs = reinterpret_cast<const TTaskManageThread::FinishedJob*>(lParam);
        for (WPARAM i = 0; i < wParam; ++i)
            TakeJob(*counts, jobs[i].state, *jobs[i].task);
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

bool HasExtension(const std::string& path, const char* extension)
{
    const size_t length = std::strlen(extension);
    return path.size() > length && _stricmp(path.c_str() + path.size() - length, extension) == 0;
}

// The file-type code the list gives a job: JPEG 5, DWG 0, every other file here a DXF (1).
int FileTypeOf(const std::string& path)
{
    if (HasExtension(path, ".jpg"))
        return 5;
    return HasExtension(path, ".dwg") ? 0 : 1;
}

// One folder's queue through the thread, as the list hands it over; waits for the end of the
// queue and for the cache writer. The seconds it took.
double ServeFolder(TTaskManageThread& thread, const std::string& folder,
                   const std::vector<std::string>& paths, ListCounts& counts)
{
    const std::string saveFolder = counts.saveFolder;
    counts = ListCounts();
    counts.saveFolder = saveFolder;
    const auto start = std::chrono::steady_clock::now();
    for (size_t i = 0; i < paths.size(); ++i)
        thread.AddTask(new TTask(paths[i].c_str(), static_cast<int>(i), true, FileTypeOf(paths[i])));
    thread.SetEnabled(true);
    thread.SetStartIndex(0);
    thread.StartFolder(folder.c_str());
    // The end of the previous queue may still be on its way: wait for every job of this one too.
    const int jobs = static_cast<int>(paths.size());
    while ((counts.queueEnds == 0 || counts.finished < jobs) && !thread.HasExited()) {
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

// The photo with an Exif block whose second directory holds a small JPEG thumbnail, as cameras
// write them: the thumbnail path then decodes 160 x 120 instead of the photo.
bool WritePhotoWithExifThumbnail(const std::string& plainPhoto, const std::string& path)
{
    CRasterImage small;
    if (!small.Create(160, 120, 24, kJpegFormat))
        return false;
    const std::string smallPath = path + ".thumb";
    if (!small.Save(smallPath.c_str(), kJpegFormat))
        return false;
    const std::string thumb = ReadWhole(smallPath);
    DeleteFileA(smallPath.c_str());
    const std::string photo = ReadWhole(plainPhoto);
    if (thumb.empty() || photo.size() < 2)
        return false;
    auto put16 = [](std::string& out, unsigned v) { out += char(v & 0xFF); out += char(v >> 8); };
    auto put32 = [&](std::string& out, unsigned v) { put16(out, v & 0xFFFF); put16(out, v >> 16); };
    auto entry = [&](std::string& out, unsigned tag, unsigned value) {
        put16(out, tag);
        put16(out, 4); // LONG
        put32(out, 1);
        put32(out, value);
    };
    // TIFF header, an empty first directory, then the thumbnail's directory and bytes.
    std::string tiff = "II*";
    tiff += '\0';
    put32(tiff, 8);
    put16(tiff, 0);
    put32(tiff, 14);
    put16(tiff, 2);
    entry(tiff, 513, 14 + 2 + 2 * 12 + 4);
    entry(tiff, 514, unsigned(thumb.size()));
    put32(tiff, 0);
    tiff += thumb;
    std::string app1("Exif\0\0", 6);
    app1 += tiff;
    std::string out = photo.substr(0, 2);
    out += char(0xFF);
    out += char(0xE1);
    out += char((app1.size() + 2) >> 8);
    out += char((app1.size() + 2) & 0xFF);
    out += app1;
    out += photo.substr(2);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && written;
}

std::string Numbered(const std::string& folder, const char* stem, int i, const char* ext)
{
    char name[64];
    std::snprintf(name, sizeof name, "%s%03d.%s", stem, i, ext);
    return folder + name;
}

struct GroupFigures
{
    int made = 0;
    double cold = 0.0;
    int hits = 0;
    double warm = 0.0;
};

// One folder served cold, then warm (unless saving the pictures), by a thumbnail thread of its own.
GroupFigures ServeGroup(WorkerAppState& appState, const std::string& folder,
                        const std::vector<std::string>& paths, const std::string& saveFolder = "")
{
    GroupFigures figures;
    ListCounts counts;
    counts.saveFolder = saveFolder;
    const HWND list = CreateListWindow(counts);
    {
        // ORVO_THUMB_WORKERS sets how many workers make the pictures (else one per spare core).
        const char* workers = std::getenv("ORVO_THUMB_WORKERS");
        TTaskManageThread thread(workers ? std::atoi(workers) : TThumbnailWorkers::DefaultCount());
        thread.SetAppState(&appState);
        thread.SetNotifyWnd(list);
        thread.SetThumbSize(g_thumbWidth, g_thumbHeight);
        if (!list || !thread.CreateThread())
            return figures;
        figures.cold = ServeFolder(thread, folder, paths, counts);
        figures.made = counts.made;
        if (saveFolder.empty()) {
            figures.warm = ServeFolder(thread, folder, paths, counts);
            // Stored previews are read again on every pass: they count as served warm.
            figures.hits = counts.fromCache + counts.stored;
        }
        thread.StopAndWait(20000);
    }
    DestroyWindow(list);
    return figures;
}

// The best of three full decodes of the photo (one decode alone is at the mercy of the machine).
double DecodeSeconds(const std::string& path)
{
    const std::string bytes = ReadWhole(path);
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        CRasterImage image;
        image.Decode(reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size()), kJpegFormat);
        best = std::min(best, Seconds(start));
    }
    return best;
}

void PrintGroup(const char* name, const GroupFigures& f, double fullDecode)
{
    if (f.made == 0 && f.hits == 0)
        return;
    const double coldEach = 1000.0 * f.cold / std::max(f.made, 1);
    std::printf("%-26s cold %3d in %7.3f s, %7.2f ms each", name, f.made, f.cold, coldEach);
    if (fullDecode > 0)
        std::printf(" (full decode %.2f ms, ratio %.2f)", 1000.0 * fullDecode,
                    coldEach / (1000.0 * fullDecode));
    std::printf("; warm %3d in %.3f s, %.3f ms each\n", f.hits, f.warm,
                1000.0 * f.warm / std::max(f.hits, 1));
}

void RemoveFolder(const std::string& folder, const std::vector<std::string>& paths)
{
    CString libPath;
    if (GetLibIndexTree()->FindLib(folder.c_str(), libPath))
        DeleteFileA(libPath);
    for (const std::string& path : paths)
        DeleteFileA(path.c_str());
    RemoveDirectoryA(folder.c_str());
}

// --save: the thumbnails of every file in the folder, cold, into the output folder.
int SaveThumbnails(std::string folder, std::string output, const std::string& cacheFolder)
{
    for (std::string* name : {&folder, &output}) {
        if (!name->empty() && name->back() != '\\' && name->back() != '/')
            *name += '\\';
    }
    std::vector<std::string> paths;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                paths.push_back(folder + found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    CreateDirectoryA(cacheFolder.c_str(), nullptr);
    CreateDirectoryA(output.c_str(), nullptr);
    InitDLL();
    CreateLibIndexTree(cacheFolder.c_str(), false, true);
    CreateDwgCache(true);
    WorkerAppState appState;
    appState.mode.store(1);
    const GroupFigures figures = ServeGroup(appState, folder, paths, output);
    appState.mode.store(0);
    std::printf("%d of %zu files made into thumbnails in %s\n", figures.made, paths.size(),
                output.c_str());
    CString libPath;
    if (GetLibIndexTree()->FindLib(folder.c_str(), libPath))
        DeleteFileA(libPath);
    DeleteDwgCache();
    DeleteLibIndexTree();
    UninitDLL();
    DeleteFileA((cacheFolder + "OrvoKestalLibIndex.opsidx").c_str());
    RemoveDirectoryA(cacheFolder.c_str());
    return figures.made == static_cast<int>(paths.size()) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const int drawings = argc > 1 ? std::atoi(argv[1]) : 200;
    const int photos = argc > 2 ? std::atoi(argv[2]) : 200;
    const std::vector<std::string> samples = orvo::test::SampleDwgNames();
    const int storedPreviews = samples.empty() ? 0 : argc > 3 ? std::atoi(argv[3]) : 200;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string root =
        std::string(temp) + "orvo-thumbbench-" + std::to_string(GetCurrentProcessId()) + "\\";
    const std::string cacheFolder = root + "cache\\";
    if ((argc == 4 || argc == 6) && std::string(argv[1]) == "--save") {
        if (argc == 6) {
            g_thumbWidth = std::max(1, std::atoi(argv[4]));
            g_thumbHeight = std::max(1, std::atoi(argv[5]));
        }
        CreateDirectoryA(root.c_str(), nullptr);
        const int code = SaveThumbnails(argv[2], argv[3], cacheFolder);
        RemoveDirectoryA(root.c_str());
        return code;
    }
    const std::string folders[4] = {root + "drawings\\", root + "photos\\", root + "exif\\",
                                    root + "stored\\"};
    CreateDirectoryA(root.c_str(), nullptr);
    CreateDirectoryA(cacheFolder.c_str(), nullptr);
    for (const std::string& folder : folders)
        CreateDirectoryA(folder.c_str(), nullptr);
    std::vector<std::string> paths[4];
    for (int i = 0; i < drawings; ++i) {
        paths[0].push_back(Numbered(folders[0], "drawing", i, "dxf"));
        bench::WriteBenchDrawing(paths[0].back(), 300 + i, 30);
    }
    const std::string photo = folders[1] + "photo000.jpg";
    const std::string exifPhoto = folders[2] + "photo000.jpg";
    if (photos > 0 && (!WritePhoto(photo) || !WritePhotoWithExifThumbnail(photo, exifPhoto))) {
        std::printf("could not write the photos\n");
        return 1;
    }
    for (int i = 0; i < photos; ++i) {
        for (int k = 1; k < 3; ++k) {
            paths[k].push_back(Numbered(folders[k], "photo", i, "jpg"));
            if (i > 0)
                CopyFileA(paths[k].front().c_str(), paths[k].back().c_str(), FALSE);
        }
    }

    for (int i = 0; i < storedPreviews; ++i) {
        paths[3].push_back(Numbered(folders[3], "drawing", i, "dwg"));
        const std::string source = orvo::test::SamplesDir() + "\\dwg\\" + samples[i % samples.size()];
        CopyFileA(source.c_str(), paths[3].back().c_str(), FALSE);
    }

    InitDLL();
    CreateLibIndexTree(cacheFolder.c_str(), false, true);
    CreateDwgCache(true);
    WorkerAppState appState; // the browser is up
    appState.mode.store(1);
    GroupFigures figures[4];
    for (int k = 0; k < 4; ++k)
        figures[k] = ServeGroup(appState, folders[k], paths[k]);
    appState.mode.store(0);
    const double fullDecode = photos > 0 ? DecodeSeconds(photo) : 0.0;

    std::printf("%d drawings, %d photos 4000x3000 without and %d with an Exif thumbnail; "
                "thumbnails %dx%d\n",
                drawings, photos, photos, g_thumbWidth, g_thumbHeight);
    PrintGroup("drawings:", figures[0], 0.0);
    PrintGroup("photos, no Exif thumbnail:", figures[1], fullDecode);
    PrintGroup("photos, Exif thumbnail:", figures[2], fullDecode);
    PrintGroup("DWG, stored previews:", figures[3], 0.0);

    for (int k = 0; k < 4; ++k)
        RemoveFolder(folders[k], paths[k]);
    DeleteDwgCache();
    DeleteLibIndexTree();
    UninitDLL();
    DeleteFileA((cacheFolder + "OrvoKestalLibIndex.opsidx").c_str());
    RemoveDirectoryA(cacheFolder.c_str());
    RemoveDirectoryA(root.c_str());
    return 0;
}
