// The view frame in this process with the real drawing thread, the view sized 1600 x 1000, on a
// drawing (default: the largest drawing of ../shared/samples; "--generate" writes the 27 MB
// benchmark drawing to the temporary folder and uses it): prints the milliseconds from one input
// message to the finished picture taken by the frame for a wheel-zoom step, a pan step (a drag
// move of 20 pixels) and an orbit step (a drag move of 20 pixels on the guide). The display must
// be larger than 1600 x 1000 for the view to have that size; the size it got is printed.
//   ViewInteractionBench [drawing | --generate] [steps]
#include "BenchDrawingGenerator.h"
#include "app/CAppState.h"
#include "frames/view/CViewFrame.h"
#include "render/workers/TDwgDrawThread.h"
#include "res/resource.h"
#include "tests/support/TestSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1600;
constexpr int kHeight = 1000;
constexpr DWORD kWaitMs = 60000;

using Clock = std::chrono::steady_clock;

std::string DefaultDrawing()
{
    const std::string samples = orvo::test::SamplesDir();
    return samples.empty() ? std::string() : samples + "\\dwg\\example_2000.dxf";
}

std::string GeneratedDrawing()
{
    char folder[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "OrvoViewInteractionBench.dxf";
    if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        bench::WriteBenchDrawing(path, 100000, 20000);
    return path;
}

// Sends the message and waits until the frame has taken the picture it asked for (ms; -1 when
// none came).
double TimeToPicture(CViewFrame& frame, CWnd& target, UINT message, WPARAM wParam, LPARAM lParam)
{
    TDwgDrawThread& thread = *g_appState.drawThread;
    const int renders = frame.GetRenderCount();
    const auto start = Clock::now();
    target.SendMessage(message, wParam, lParam);
    const bool done = orvo::test::WaitFor([&] { return frame.GetRenderCount() > renders && !thread.IsBusy(); }, kWaitMs);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    return done ? ms : -1.0;
}

void Print(const char* name, std::vector<double> ms)
{
    if (ms.empty())
        return;
    std::sort(ms.begin(), ms.end());
    std::printf("%-6s steps %zu  median %.1f ms  min %.1f ms  max %.1f ms\n", name, ms.size(), ms[ms.size() / 2],
                ms.front(), ms.back());
}

// The frame sized so that the view's client area is width x height.
CSize SizeView(CViewFrame& frame)
{
    for (int i = 0; i < 3; ++i) {
        CRect outer;
        frame.GetWindowRect(&outer);
        CRect client;
        frame.GetView().GetClientRect(&client);
        frame.MoveWindow(0, 0, outer.Width() + kWidth - client.Width(), outer.Height() + kHeight - client.Height());
    }
    CRect client;
    frame.GetView().GetClientRect(&client);
    return client.Size();
}

} // namespace

int main(int argc, char** argv)
{
    const std::string argument = argc > 1 ? argv[1] : "";
    std::string path = argument.empty() ? DefaultDrawing() : argument == "--generate" ? GeneratedDrawing() : argument;
    if (path.empty()) // no shared samples here
        path = GeneratedDrawing();
    const int steps = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    g_appState.mode.store(CAppState::kModeView);
    g_appState.drawThread = std::make_unique<TDwgDrawThread>();
    TDwgDrawThread& thread = *g_appState.drawThread;
    thread.SetAppState(&g_appState);
    auto* frame = new CViewFrame; // owned by its window from LoadFrame on
    if (!frame->LoadFrame(CViewFrame::kResourceId, 0xCF8000)) {
        std::printf("the view frame was not made\n");
        return 1;
    }
    g_appState.viewFrame = frame;
    g_appState.mainWindow.store(frame->GetSafeHwnd());
    thread.SetNotifyWnd(frame->GetSafeHwnd());
    thread.CreateThread();
    frame->ShowWindow(SW_SHOWNOACTIVATE);
    const CSize view = SizeView(*frame);
    const auto opened = Clock::now();
    frame->OpenViewFile(path.c_str());
    if (!orvo::test::WaitFor([&] { return frame->GetRenderCount() > 0 && !thread.IsBusy(); }, kWaitMs) ||
        !thread.IsDrawingValid()) {
        std::printf("%s did not open\n", path.c_str());
        return 1;
    }
    std::printf("%s, view %ld x %ld, open %.0f ms\n", path.c_str(), view.cx, view.cy,
                std::chrono::duration<double, std::milli>(Clock::now() - opened).count());
    CDwgView& dwgView = frame->GetView();
    const POINT centre = {view.cx / 2, view.cy / 2};
    std::vector<double> wheel;
    for (int i = 0; i < steps; ++i) {
        POINT screen = centre;
        dwgView.ClientToScreen(&screen);
        const short delta = static_cast<short>(i % 2 == 0 ? WHEEL_DELTA : -WHEEL_DELTA);
        wheel.push_back(TimeToPicture(*frame, dwgView, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)),
                                      MAKELPARAM(screen.x, screen.y)));
    }
    frame->SendMessage(WM_COMMAND, ID_VIEW_PAN);
    std::vector<double> pan;
    dwgView.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(centre.x, centre.y));
    for (int i = 1; i <= steps; ++i) {
        const int x = centre.x + (i % 2 == 0 ? 0 : 20);
        pan.push_back(TimeToPicture(*frame, dwgView, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, centre.y)));
    }
    dwgView.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(centre.x, centre.y));
    dwgView.SetDynamicViewMode(true);
    std::vector<double> orbit;
    dwgView.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(centre.x, centre.y));
    for (int i = 1; i <= steps; ++i)
        orbit.push_back(TimeToPicture(*frame, dwgView, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(centre.x + 20 * i, centre.y)));
    dwgView.SendMessage(WM_LBUTTONUP, 0, 0);
    Print("wheel", wheel);
    Print("pan", pan);
    Print("orbit", orbit);
    thread.StopAndWait(5000);
    frame->DestroyWindow();
    g_appState.drawThread.reset();
    return 0;
}
