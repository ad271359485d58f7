// The browser's preview pane at 400 x 300 with the real drawing thread: prints the milliseconds
// from a selection change (CPreView::ShowFile) to the first picture painted in the pane (a large
// JPEG's reduced first picture, its report handled) and to the finished open (the thread's report
// of it handled, the pane painted), median and range of several runs, for the benchmark drawing
// (written when missing), a 12-megapixel JPEG with an Exif thumbnail made at run time, and any
// further files named; for the photograph also the times of the open's steps and of its scene's
// redraws at the pane's size.
//   PreviewBench <folder> [runs] [file...]
#include "BenchDrawingGenerator.h"

#include "app/CAppState.h"
#include "core/CAppOptions.h"
#include "core/RegistryRoot.h"
#include "browser/preview/CPreView.h"
#include "imaging/ExifOrientation.h"
#include "imaging/KImage.h"
#include "render/workers/TDwgDrawThread.h"
#include "tests/imaging/ExifTestData.h"

#include <windows.h>

#include <shlwapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 300;
constexpr DWORD kLimitMs = 60000;

double NowMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

class HostWindow : public CWnd
{
public:
    BOOL CreateHost()
    {
        return CreateEx(0, AfxRegisterWndClass(0, ::LoadCursor(nullptr, IDC_ARROW), nullptr), "Preview bench",
                        WS_POPUP | WS_CLIPCHILDREN, 0, 0, kWidth + 100, kHeight + 100, nullptr, nullptr);
    }
};

bool IsOpenDone(const MSG& msg)
{
    return msg.message == TDwgDrawThread::kMsgRequestDone && msg.wParam == 1 &&
           (msg.lParam == TDwgDrawThread::kRequestOpen || msg.lParam == TDwgDrawThread::kRequestOpenFit);
}

// Handles messages until the thread's report of a finished open for the pane has been handled
// (the pane copies and paints the picture then); false after the limit. firstMs gets the time of
// the first picture painted: the reduced first picture of a large JPEG when the pane had one
// (handled with its report), else the finished one.
bool PumpUntilOpenDone(HWND pane, double start, double& firstMs)
{
    firstMs = -1.0;
    const double end = NowMs() + kLimitMs;
    while (NowMs() < end) {
        MSG msg;
        if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
        if (msg.hwnd != pane)
            continue;
        const bool first = msg.message == TDwgDrawThread::kMsgOpenStage &&
                           msg.wParam == TDwgDrawThread::kStageFirstPicture;
        if ((first || IsOpenDone(msg)) && firstMs < 0.0)
            firstMs = NowMs() - start;
        if (IsOpenDone(msg))
            return true;
    }
    return false;
}

// Handles messages until the thread has nothing in hand and, when a path is given, no longer
// holds that file (a close it has not taken yet would make the next show of it do nothing).
void Settle(TDwgDrawThread& thread, const char* closedPath = nullptr)
{
    const double end = NowMs() + kLimitMs;
    while (NowMs() < end &&
           (thread.IsBusy() || thread.IsOpening() || (closedPath && thread.IsCurrentFile(closedPath)))) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(2);
    }
}

struct ShowTimes
{
    std::vector<double> first;    // to the first picture painted
    std::vector<double> finished; // to the finished open handled
};

// Shows the file runs times (the pane emptied before each, so every run opens it afresh).
ShowTimes TimeShow(CPreView& pane, TDwgDrawThread& thread, const std::string& path, int runs)
{
    ShowTimes times;
    for (int run = 0; run < runs; ++run) {
        pane.Reset();
        Settle(thread, path.c_str());
        const double start = NowMs();
        pane.ShowFile(nullptr, path.c_str(), "", -1);
        double first = 0.0;
        if (!PumpUntilOpenDone(pane.GetSafeHwnd(), start, first)) {
            std::printf("  %s: no finished open (busy %d, opening %d, image held %d)\n", path.c_str(),
                        thread.IsBusy() ? 1 : 0, thread.IsOpening() ? 1 : 0, thread.IsRasterHeld() ? 1 : 0);
            return {};
        }
        times.finished.push_back(NowMs() - start);
        times.first.push_back(first);
        Settle(thread);
    }
    return times;
}

void Print(const char* what, std::vector<double> times)
{
    if (times.empty()) {
        std::printf("%-40s did not finish\n", what);
        return;
    }
    std::sort(times.begin(), times.end());
    std::printf("%-40s median %7.1f ms  (min %7.1f, max %7.1f, %zu runs)\n", what, times[times.size() / 2],
                times.front(), times.back(), times.size());
}

// A 4000 x 3000 photograph-like JPEG with a 160 x 120 Exif thumbnail.
bool WritePhoto(const std::string& path)
{
    using orvo::test::Bytes;
    const Bytes photo = orvo::test::EncodeJpegSamples(
        4000, 3000, 3, 2 /* JCS_RGB */,
        [](int x, int y, int k) {
            return static_cast<unsigned char>(k == 0 ? (x * 7 + y) & 0xFF : k == 1 ? (y * 5 - x) & 0xFF : (x ^ y) & 0xFF);
        },
        85);
    const Bytes thumbnail = orvo::test::EncodeTestJpeg(160, 120, 3, 80);
    orvo::test::ExifBuilder exif(false);
    exif.Ascii(orvo::test::ExifBuilder::Ifd0, 0x010F, "Bench").Ascii(orvo::test::ExifBuilder::Ifd0, 0x0110, "Camera");
    exif.Long(orvo::test::ExifBuilder::ExifIfd, 0xA002, 4000).Long(orvo::test::ExifBuilder::ExifIfd, 0xA003, 3000);
    exif.Thumbnail(thumbnail);
    const Bytes file = orvo::test::InsertApp1(photo, exif.Build());
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}

double TimeOnce(const std::function<void()>& work)
{
    const double start = NowMs();
    work();
    return NowMs() - start;
}

// Where a photograph's time goes: the steps of the thread's open, one by one, and the redraws of
// its scene at the pane's size (fast and smooth stretch).
void PrintPhotoSteps(TDwgDrawThread& thread, const std::string& photo)
{
    std::printf("  steps: Exif summary %.1f ms", TimeOnce([&] { GetExifSummary(photo.c_str()); }));
    std::printf(", orientation %.1f ms", TimeOnce([&] { ReadExifOrientation(photo.c_str()); }));
    KImage image;
    std::printf(", load and decode %.1f ms", TimeOnce([&] { image.Load(photo.c_str(), 0.0f, 0.0f); }));
    KImage reduced;
    std::printf(", reduced to the pane %.1f ms",
                TimeOnce([&] { reduced.LoadReduced(photo.c_str(), kWidth, kHeight); }));
    std::printf(", then full %.1f ms", TimeOnce([&] { reduced.LoadFull(0.0f, 0.0f); }));
    JGraphics& scene = thread.GetRasterScene();
    std::printf(", scene redraw fast %.1f ms", TimeOnce([&] { scene.Redraw(false); }));
    scene.SetImageFlag(false);
    std::printf(", smooth %.1f ms\n", TimeOnce([&] { scene.Redraw(false); }));
    scene.SetImageFlag(true);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: PreviewBench <folder> [runs] [file...]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string drawing = folder + "\\bench-drawing.dxf";
    const std::string photo = folder + "\\bench-photo-12mp.jpg";
    if (GetFileAttributesA(drawing.c_str()) == INVALID_FILE_ATTRIBUTES &&
        !bench::WriteBenchDrawing(drawing, 100000, 20000)) {
        std::fprintf(stderr, "cannot write %s\n", drawing.c_str());
        return 1;
    }
    if (!WritePhoto(photo)) {
        std::fprintf(stderr, "cannot write %s\n", photo.c_str());
        return 1;
    }
    g_strRegistryRoot = "Software\\OrvoKestalBench\\";
    g_appState.mode.store(CAppState::kModeBrowse);
    HostWindow host;
    if (!host.CreateHost())
        return 1;
    g_appState.mainWindow.store(host.GetSafeHwnd());
    g_appState.drawThread = std::make_unique<TDwgDrawThread>();
    TDwgDrawThread& thread = *g_appState.drawThread;
    thread.SetAppState(&g_appState);
    CPreView pane;
    if (!pane.CreatePane(&host, CPreView::kControlId))
        return 1;
    pane.MoveWindow(0, 0, kWidth, kHeight);
    host.ShowWindow(SW_SHOWNOACTIVATE);
    thread.SetNotifyWnd(pane.GetSafeHwnd());
    if (!thread.CreateThread())
        return 1;
    std::printf("selection change to finished preview picture at %d x %d\n", kWidth, kHeight);
    Print("benchmark drawing (27 MB DXF)", TimeShow(pane, thread, drawing, runs).finished);
    const ShowTimes shown = TimeShow(pane, thread, photo, runs);
    Print("12-megapixel JPEG with Exif thumbnail", shown.first);
    Print("  the same, full picture in place", shown.finished);
    PrintPhotoSteps(thread, photo);
    // "Display image by smooth": the pictures are stretched smoothly, the first one included.
    TDwgDrawThread::DisplaySettings settings = thread.GetDisplaySettings();
    settings.previewHalfTone = true;
    thread.SetDisplaySettings(settings);
    g_options.PreviewHalfTone = true;
    const ShowTimes smooth = TimeShow(pane, thread, photo, runs);
    Print("  the same, smooth display: first picture", smooth.first);
    Print("  the same, smooth display: full picture", smooth.finished);
    settings.previewHalfTone = false;
    thread.SetDisplaySettings(settings);
    g_options.PreviewHalfTone = false;
    for (int i = 3; i < argc; ++i) {
        const ShowTimes file = TimeShow(pane, thread, argv[i], runs);
        Print(PathFindFileNameA(argv[i]), file.first);
        Print("  the same, finished", file.finished);
    }
    thread.StopAndWait(5000);
    pane.DestroyWindow();
    g_appState.drawThread.reset();
    host.DestroyWindow();
    g_appState.mode.store(CAppState::kModeNone);
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\OrvoKestalBench");
    return 0;
}
