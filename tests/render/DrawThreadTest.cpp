// The worker base's guarded reports, the drawing-information record, and the drawing thread's
// message protocol against the real engine (and a scripted engine where timing or answers the
// real one never gives are needed: a slow open, a password, the view calls).
#include "render/workers/CDrawCommonThread.h"
#include "render/workers/DRAWINGINFO.h"
#include "render/workers/TDwgDrawThread.h"
#include "render/workers/TTaskManageThread.h"
#include "render/workers/WorkerAppState.h"

#include "engine/rkio/EngineState.h"
#include "imaging/CRasterImage.h"
#include "tests/core/RegistryRootScope.h"
#include "tests/support/HiddenWindow.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

using orvo::test::TempDir;
using orvo::test::WaitFor;

namespace {

struct Received
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Received& o) const
    {
        return message == o.message && wParam == o.wParam && lParam == o.lParam;
    }
};

std::ostream& operator<<(std::ostream& out, const Received& r)
{
    return out << std::hex << "0x" << r.message << std::dec << "(" << r.wParam << ", " << r.lParam << ")";
}

// A hidden window that records the private messages it gets.
class RecorderWindow
{
public:
    RecorderWindow()
        : m_window([this](UINT message, WPARAM wParam, LPARAM lParam) {
              m_messages.push_back({message, wParam, lParam});
          })
    {
    }

    HWND Get() const { return m_window.Get(); }
    void Destroy() { m_window.Destroy(); }
    const std::vector<Received>& Messages() const { return m_messages; }
    bool Has(const Received& r) const
    {
        for (const Received& m : m_messages) {
            if (m == r)
                return true;
        }
        return false;
    }
    bool WaitFor(const Received& r, DWORD timeoutMs = 15000) const
    {
        return orvo::test::WaitFor([&] { return Has(r); }, timeoutMs);
    }
    // The messages of one kind, in order.
    std::vector<Received> Of(UINT message) const
    {
        std::vector<Received> out;
        for (const Received& m : m_messages) {
            if (m.message == message)
                out.push_back(m);
        }
        return out;
    }
    void Clear() { m_messages.clear(); }

private:
    std::vector<Received> m_messages;
    orvo::test::HiddenWindow m_window;
};

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The application's state a worker is handed: browse mode, not closing, main the main window.
struct AppStateScope : WorkerAppState
{
    explicit AppStateScope(HWND main)
    {
        mode.store(1);
        mainWindow.store(main);
    }
};

// A worker that posts 0x8100 (7, 0) to its target and sends the picture-ready message once.
class OneShotWorker : public CDrawCommonThread
{
public:
    explicit OneShotWorker(HWND target) : m_target(target) {}
    ~OneShotWorker() override { StopAndWait(5000); }
    DWORD Run() override
    {
        PostToWindow(m_target, 0x8100, 7, 0);
        SendPictureReady(42);
        return 0;
    }

private:
    HWND m_target;
};

} // namespace

TEST(CDrawCommonThreadTest, GuardedPostAndSendReachOnlyAWantedLiveWindow)
{
    struct Case
    {
        const char* what;
        std::function<void(OneShotWorker&, RecorderWindow&, WorkerAppState&)> setUp;
        bool posted;
        bool sent;
    };
    const Case cases[] = {
        {"enabled", [](OneShotWorker&, RecorderWindow&, WorkerAppState&) {}, true, true},
        {"disabled", [](OneShotWorker& w, RecorderWindow&, WorkerAppState&) { w.SetEnabled(false); }, false, false},
        {"mode none", [](OneShotWorker&, RecorderWindow&, WorkerAppState& s) { s.mode.store(0); }, false, false},
        {"closing", [](OneShotWorker&, RecorderWindow&, WorkerAppState& s) { s.closing.store(true); }, false, false},
        {"no state handed in", [](OneShotWorker& w, RecorderWindow&, WorkerAppState&) { w.SetAppState(nullptr); },
         false, false},
        {"destroyed window", [](OneShotWorker&, RecorderWindow& r, WorkerAppState&) { r.Destroy(); }, false, false},
        {"no notify window", [](OneShotWorker& w, RecorderWindow&, WorkerAppState&) { w.SetNotifyWnd(nullptr); }, true,
         false},
        {"result flag cleared", [](OneShotWorker& w, RecorderWindow&, WorkerAppState&) { w.SetResultFlag(false); },
         true, false},
    };
    for (const Case& c : cases) {
        RecorderWindow window;
        AppStateScope state(window.Get());
        const HWND target = window.Get();
        OneShotWorker worker(target);
        worker.SetAppState(&state);
        worker.SetNotifyWnd(target);
        c.setUp(worker, window, state);
        ASSERT_TRUE(worker.CreateThread()) << c.what;
        ASSERT_TRUE(WaitFor([&] { return worker.HasExited(); }, 10000)) << c.what;
        Pump();
        EXPECT_EQ(c.posted, window.Has({0x8100, 7, 0})) << c.what;
        EXPECT_EQ(c.sent, window.Has({0x8014, 0, 42})) << c.what;
    }
}

TEST(CDrawCommonThreadTest, OnlyTheWorkerSuspendsItselfAndAResumeWakesIt)
{
    class SelfSuspending : public CDrawCommonThread
    {
    public:
        ~SelfSuspending() override { StopAndWait(5000); }
        DWORD Run() override
        {
            SuspendThread();
            resumed.store(true);
            return 0;
        }
        std::atomic<bool> resumed{false};
    } worker;
    EXPECT_EQ(static_cast<DWORD>(-1), worker.SuspendThread()); // no thread yet
    ASSERT_TRUE(worker.CreateThread());
    ASSERT_TRUE(WaitFor([&] { return worker.IsSuspended(); }, 5000));
    EXPECT_EQ(static_cast<DWORD>(-1), worker.SuspendThread()); // not from another thread
    ASSERT_TRUE(WaitFor([&] {
        DWORD count = worker.ResumeThread();
        return count == 1;
    }, 5000));
    EXPECT_TRUE(WaitFor([&] { return worker.resumed.load(); }, 5000));
    EXPECT_TRUE(WaitFor([&] { return worker.HasExited(); }, 5000));
}

// A worker that suspends itself again as soon as it runs: however the resumes and its own
// suspends interleave, the flag says suspended whenever it is, and a stop ends it.
TEST(CDrawCommonThreadTest, TheSuspendedFlagSurvivesAWorkerThatSuspendsAgainAtOnce)
{
    class Sleeper : public CDrawCommonThread
    {
    public:
        ~Sleeper() override { StopAndWait(5000); }
        DWORD Run() override
        {
            while (!IsStopRequested()) {
                SuspendThread();
                ++wakes;
            }
            return 0;
        }
        std::atomic<int> wakes{0};
    } worker;
    ASSERT_TRUE(worker.CreateThread());
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(WaitFor([&] { return worker.IsSuspended(); }, 5000)) << i;
        const int before = worker.wakes.load();
        ASSERT_TRUE(WaitFor([&] { return worker.ResumeThread() == 1; }, 5000)) << i;
        ASSERT_TRUE(WaitFor([&] { return worker.wakes.load() > before; }, 5000)) << i;
    }
    EXPECT_TRUE(worker.StopAndWait(5000));
}

TEST(DRAWINGINFOTest, PropertiesAreStoredByIndex)
{
    DRAWINGINFO info;
    for (int i = 0; i < 12; ++i)
        DRAWINGINFO::PropertyCallback(17, ("custom" + std::to_string(i)).c_str(), &info);
    EXPECT_EQ(10, info.m_nCustom);
    EXPECT_EQ(12, info.m_nFilled);
    EXPECT_STREQ("custom9", info.m_strCustom[9]);
    DRAWINGINFO::PropertyCallback(18, "x", &info);
    DRAWINGINFO::PropertyCallback(-1, "x", &info);
    EXPECT_EQ(12, info.m_nFilled);
    DRAWINGINFO::PropertyCallback(1, "Title", &info);
    DRAWINGINFO::PropertyCallback(0, "first", &info);
    DRAWINGINFO::PropertyCallback(0, "keywords", &info);
    DRAWINGINFO::PropertyCallback(4, "comments", &info);
    EXPECT_STREQ("Title", info.m_strTitle);
    EXPECT_STREQ("keywords", info.m_strText0);
    EXPECT_EQ(16, info.m_nFilled);
    info.Reset();
    EXPECT_EQ(0, info.m_nFilled);
    EXPECT_EQ(0, info.m_nCustom);
    EXPECT_TRUE(info.m_strText0.IsEmpty());
}

TEST(DRAWINGINFOTest, VersionTexts)
{
    const std::pair<short, const char*> cases[] = {
        {0, "Format ACAD R2.5;"},  {9, "Format ACAD R2.5;"},  {10, "Format ACAD R2.6;"},
        {11, "Format ACAD R9;"},   {13, "Format ACAD R10;"},  {14, "Format ACAD R12;"},
        {19, "Format ACAD R13;"},  {20, "Format ACAD R14;"},  {23, "Format ACAD 2000;"},
        {24, "Format ACAD 2004;"}, {27, "Format ACAD 2007;"}, {28, "Format ACAD 2010;"},
        {31, "Format ACAD 2013;"}, {32, "Format ACAD 2018;"}, {33, "Format ACAD 2018;"},
        {34, "Unknown version;"},  {-1, "Unknown version;"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.second, GetVersionText(c.first)) << c.first;
    EXPECT_FALSE(FillDrawingInfo(nullptr, nullptr));
}

TEST(TDwgDrawThreadTest, SizeClampsAndPanSteps)
{
    const std::pair<int, int> widths[] = {{0, 1}, {1, 1}, {2, 2}, {3999, 3999}, {4000, 3999}, {-5, 1}};
    for (const auto& w : widths)
        EXPECT_EQ(w.second, TDwgDrawThread::ClampWidth(w.first)) << w.first;
    const std::pair<int, int> heights[] = {{0, 1}, {2, 2}, {2999, 2999}, {3000, 2999}, {5000, 2999}};
    for (const auto& h : heights)
        EXPECT_EQ(h.second, TDwgDrawThread::ClampHeight(h.first)) << h.first;

    struct Step
    {
        int code;
        LONG dx, dy;
    };
    const Step steps[] = {{20, 16, 0},  {21, -14, 0},  {22, 0, -11},  {23, 0, 11},
                          {24, 16, -11}, {25, 16, 11}, {26, -14, -11}, {27, -14, 11}};
    for (const Step& s : steps) {
        const POINT p = TDwgDrawThread::PanStep(s.code, 300, 200);
        EXPECT_EQ(s.dx, p.x) << s.code;
        EXPECT_EQ(s.dy, p.y) << s.code;
    }
}

namespace {

// The engine's drawing object with scripted answers where a path asks for them: "slow" opens
// until the abort query answers, "locked" needs a password; the rest is the real engine.
class ScriptedDrawing : public CDrawing
{
public:
    ScriptedDrawing() : CDrawing(RkIo::Channel::Document) {}
    short Open(const char* path, const char* password) override
    {
        const std::string name = path ? path : "";
        if (name.find("slow") != std::string::npos) {
            slowStarted.store(true);
            const DWORD start = GetTickCount();
            while (!RkIo::EngineState::Instance().AbortRequested(RkIo::Channel::Document)) {
                if (GetTickCount() - start > 10000)
                    return 1;
                Sleep(5);
            }
            aborted.store(true);
            return 3;
        }
        if (name.find("locked") != std::string::npos)
            return 4;
        return CDrawing::Open(path, password);
    }
    std::atomic<bool> slowStarted{false};
    std::atomic<bool> aborted{false};
};

struct ViewCall
{
    std::string name;
    int a, b, c, d;
    DWORD thread;
};

class ScriptedView : public RkApp::View
{
public:
    explicit ScriptedView(RkApp::Document& document) : RkApp::View(document) {}
    void Pan(int x1, int y1, int x2, int y2) override
    {
        Record("Pan", x1, y1, x2, y2);
        RkApp::View::Pan(x1, y1, x2, y2);
    }
    void ZoomIn(int steps) override
    {
        Record("ZoomIn", steps, 0, 0, 0);
        RkApp::View::ZoomIn(steps);
    }
    std::vector<ViewCall> Calls()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_calls;
    }

private:
    void Record(const char* name, int a, int b, int c, int d)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_calls.push_back({name, a, b, c, d, GetCurrentThreadId()});
    }
    std::mutex m_lock;
    std::vector<ViewCall> m_calls;
};

class ScriptedDocument : public RkApp::Document
{
public:
    ScriptedDocument() : m_view(*this) { s_last.store(this); }
    void Close() override { m_drawing.Close(); }
    CDrawing* GetDrawing() override { return &m_drawing; }
    RkApp::View* GetView() override { return &m_view; }

    static RkApp::Document* Create() { return new ScriptedDocument(); }
    static std::atomic<ScriptedDocument*> s_last;

    ScriptedDrawing m_drawing;
    ScriptedView m_view;
};

std::atomic<ScriptedDocument*> ScriptedDocument::s_last{nullptr};

const char kSmallDxf[] =
    "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n62\n1\n10\n0.0\n20\n0.0\n30\n0.0\n11\n100.0\n21\n"
    "50.0\n31\n0.0\n0\nCIRCLE\n8\n0\n62\n3\n10\n50.0\n20\n25.0\n30\n0.0\n40\n20.0\n0\nENDSEC\n"
    "0\nEOF\n";

class DrawThreadFixture : public ::testing::Test
{
protected:
    DrawThreadFixture() : m_state(m_main.Get())
    {
        m_good = m_dir / "good.dxf";
        orvo::test::WriteFileBytes(m_good, kSmallDxf, sizeof kSmallDxf - 1);
    }

    void Start(TDwgDrawThread::DocumentFactory factory)
    {
        m_thread = std::make_unique<TDwgDrawThread>(factory);
        m_thread->SetAppState(&m_state);
        m_thread->SetNotifyWnd(m_notify.Get());
        ASSERT_TRUE(m_thread->CreateThread());
    }

    // Opens and waits for the request's 0x801E.
    void OpenAndWait(const std::string& path, int width, int height, bool fit, int code)
    {
        m_thread->OpenFile(-1, path.c_str(), width, height, fit);
        ASSERT_TRUE(m_notify.WaitFor({0x801E, 1, static_cast<LPARAM>(code)})) << path;
    }

    ~DrawThreadFixture() override
    {
        if (m_thread) {
            EXPECT_TRUE(m_thread->StopAndWait(5000));
        }
        m_thread.reset();
    }

    RegistryRootScope m_registry;
    TempDir m_dir;
    RecorderWindow m_main;
    RecorderWindow m_notify;
    AppStateScope m_state;
    std::string m_good;
    std::unique_ptr<TDwgDrawThread> m_thread;
};

bool DeviceHasColourOtherThan(TDwgDrawThread& thread, COLORREF background)
{
    const int w = thread.GetDeviceWidth();
    const int h = thread.GetDeviceHeight();
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    thread.PaintTo(dc);
    bool other = false;
    for (int y = 0; y < h && !other; y += 2) {
        for (int x = 0; x < w && !other; x += 2)
            other = (GetPixel(dc, x, y) & 0xFFFFFF) != background;
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return other;
}

} // namespace

TEST_F(DrawThreadFixture, AGoodDrawingOpensWithItsStagesAndIsDrawn)
{
    Start(&RkApp::Document::create);
    OpenAndWait(m_good, 300, 200, false, 1);
    const std::vector<Received> expected = {{0x8046, 1, 0}, {0x801F, 1, 0}, {0x801F, 1, 0}, {0x801E, 1, 1}};
    EXPECT_EQ(expected, m_notify.Messages());
    EXPECT_TRUE(m_main.Has({0x8046, 100, 0})); // the engine's finish callback
    EXPECT_TRUE(m_thread->IsDrawingShown());
    EXPECT_EQ(2, m_thread->GetLoadState());
    EXPECT_EQ(300, m_thread->GetDeviceWidth());
    EXPECT_TRUE(DeviceHasColourOtherThan(*m_thread, RGB(0, 0, 0)));
    ASSERT_NE(nullptr, m_thread->GetDrawingInfo());
    EXPECT_TRUE(m_thread->IsCurrentFile((m_dir / "GOOD.DXF").c_str()));
    EXPECT_FALSE(m_thread->IsCurrentFile(nullptr));
    CStringList names;
    EXPECT_GE(m_thread->GetLayoutNames(names), 1);
    EXPECT_EQ(0, m_thread->GetCurrentLayout());

    m_notify.Clear();
    OpenAndWait(m_good, 300, 200, true, 2);
    const std::vector<Received> fitted = {{0x8046, 1, 0}, {0x801F, 1, 0}, {0x8046, 101, 0}, {0x801E, 1, 2}};
    EXPECT_EQ(fitted, m_notify.Messages());
}

TEST_F(DrawThreadFixture, OpensGoOnAfterTheThumbnailThreadHasEnded)
{
    TTaskManageThread thumbnails;
    ASSERT_TRUE(thumbnails.CreateThread());
    ASSERT_TRUE(thumbnails.StopAndWait(10000));
    SetTaskManageThread(&thumbnails);
    Start(&RkApp::Document::create);
    OpenAndWait(m_good, 300, 200, false, 1);
    m_notify.Clear();
    OpenAndWait(m_good, 300, 200, true, 2);
    EXPECT_FALSE(m_thread->HasExited());
    EXPECT_FALSE(m_thread->IsStopRequested());
    EXPECT_TRUE(m_thread->IsDrawingShown());
    SetTaskManageThread(nullptr);
}

TEST_F(DrawThreadFixture, AMissingFileShowsTheFailureAndReportsIt)
{
    Start(&RkApp::Document::create);
    m_thread->SetPassword("", 3);
    OpenAndWait(m_dir / "missing.dwg", 200, 100, false, 1);
    const std::vector<Received> expected = {{0x8046, 1, 0}, {0x801F, 0, 3}, {0x801E, 1, 1}};
    EXPECT_EQ(expected, m_notify.Messages());
    EXPECT_FALSE(m_thread->IsDrawingShown());
    EXPECT_EQ(nullptr, m_thread->GetDrawingInfo());
    EXPECT_TRUE(DeviceHasColourOtherThan(*m_thread, RGB(0, 0, 0))); // the message text
}

TEST_F(DrawThreadFixture, APasswordProtectedDrawingAsksForThePassword)
{
    Start(&ScriptedDocument::Create);
    m_thread->SetPassword("wrong", 2);
    OpenAndWait(m_dir / "locked.dwg", 200, 100, false, 1);
    const std::vector<Received> expected = {{0x8046, 1, 0}, {0x801F, 4, 2}, {0x801E, 1, 1}};
    EXPECT_EQ(expected, m_notify.Messages());
}

TEST_F(DrawThreadFixture, AnOpenDuringASlowOpenAbortsItAndOpensTheNewFile)
{
    Start(&ScriptedDocument::Create);
    ScriptedDocument* document = ScriptedDocument::s_last.load();
    ASSERT_NE(nullptr, document);
    const std::string slow = m_dir / "slow.dxf";
    m_thread->OpenFile(-1, slow.c_str(), 200, 100, false);
    ASSERT_TRUE(WaitFor([&] { return document->m_drawing.slowStarted.load(); }, 10000));
    m_main.Clear();
    m_thread->OpenFile(-1, m_good.c_str(), 200, 100, false);
    ASSERT_TRUE(m_notify.WaitFor({0x801E, 1, 1}));
    EXPECT_TRUE(document->m_drawing.aborted.load());
    const std::vector<Received> progress = m_main.Of(0x8046);
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ((Received{0x8046, 103, 0}), progress[0]);
    EXPECT_EQ((Received{0x8046, 104, 0}), progress[1]);
    EXPECT_EQ(1u, m_notify.Of(0x801E).size()); // nothing for the abandoned open
    EXPECT_FALSE(m_notify.Has({0x801F, 0, 0}));
    EXPECT_TRUE(m_thread->IsDrawingShown());
    EXPECT_TRUE(m_thread->IsCurrentFile(m_good.c_str()));
}

TEST_F(DrawThreadFixture, ImmediateRequestsRunOnTheCallerQueuedOnesOnTheThread)
{
    Start(&ScriptedDocument::Create);
    ScriptedDocument* document = ScriptedDocument::s_last.load();
    OpenAndWait(m_good, 300, 200, false, 1);
    m_notify.Clear();

    const POINT a = {10, 20};
    const POINT b = {40, 60};
    m_thread->ViewRequest(13, &a, &b, true);
    std::vector<ViewCall> calls = document->m_view.Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ("Pan", calls.back().name);
    EXPECT_EQ(GetCurrentThreadId(), calls.back().thread);
    EXPECT_EQ(10, calls.back().a);
    EXPECT_EQ(180, calls.back().b); // flipped: y upwards
    EXPECT_EQ(140, calls.back().d);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, m_notify.Get(), 0x801E, 0x801E, PM_NOREMOVE));
    ASSERT_TRUE(m_notify.WaitFor({0x801E, 1, 13}));

    m_thread->ViewRequest(20, nullptr, nullptr, true);
    calls = document->m_view.Calls();
    EXPECT_EQ(0, calls.back().a);
    EXPECT_EQ(16, calls.back().c);
    EXPECT_EQ(0, calls.back().d);
    ASSERT_TRUE(m_notify.WaitFor({0x801E, 1, 20}));

    m_thread->ViewRequest(8, nullptr, nullptr, false);
    ASSERT_TRUE(m_notify.WaitFor({0x801E, 1, 8}));
    calls = document->m_view.Calls();
    EXPECT_EQ("ZoomIn", calls.back().name);
    EXPECT_NE(GetCurrentThreadId(), calls.back().thread);
    EXPECT_EQ(m_thread->GetThreadId(), calls.back().thread);

    // Pan steps have no queued form: the pass does nothing but still reports.
    const size_t before = document->m_view.Calls().size();
    m_thread->ViewRequest(21, nullptr, nullptr, false);
    ASSERT_TRUE(m_notify.WaitFor({0x801E, 1, 21}));
    EXPECT_EQ(before, document->m_view.Calls().size());
}

TEST_F(DrawThreadFixture, LargeViewsAreClampedNotShrunkToAPixel)
{
    Start(&RkApp::Document::create);
    OpenAndWait(m_good, 4000, 3000, false, 1);
    EXPECT_EQ(3999, m_thread->GetDeviceWidth());
    EXPECT_EQ(2999, m_thread->GetDeviceHeight());
    m_thread->RequestResize(0, 5000);
    ASSERT_TRUE(m_notify.WaitFor({0x801E, 1, 5}));
    EXPECT_EQ(3999, m_thread->GetDeviceWidth()); // a side below 2 keeps the device's
    EXPECT_EQ(2999, m_thread->GetDeviceHeight());
    m_notify.Clear();
    OpenAndWait(m_good, 2, 2, false, 1);
    EXPECT_EQ(2, m_thread->GetDeviceWidth());
}

TEST_F(DrawThreadFixture, RequestsWhileOpeningOrWithNothingShownAreIgnored)
{
    Start(&ScriptedDocument::Create);
    ScriptedDocument* document = ScriptedDocument::s_last.load();
    const POINT a = {1, 1};
    m_thread->ViewRequest(13, &a, &a, true); // nothing shown
    EXPECT_TRUE(document->m_view.Calls().empty());
    const std::string slow = m_dir / "slow.dxf";
    m_thread->OpenFile(-1, slow.c_str(), 200, 100, false);
    ASSERT_TRUE(WaitFor([&] { return document->m_drawing.slowStarted.load(); }, 10000));
    EXPECT_TRUE(m_thread->IsOpening());
    EXPECT_EQ(1, m_thread->GetLoadState());
    m_thread->ViewRequest(13, &a, &a, true);
    EXPECT_TRUE(document->m_view.Calls().empty());
}

TEST_F(DrawThreadFixture, ARasterImageLoadsIntoTheSceneAndViewRequestsAreQueued)
{
    Start(&RkApp::Document::create);
    CRasterImage picture(40, 30, 24, RASTER_FORMAT_BMP);
    const std::string path = m_dir / "photo.bmp";
    ASSERT_TRUE(picture.Save(path.c_str(), RASTER_FORMAT_BMP));
    m_thread->SetPassword("", 5);
    OpenAndWait(path, 300, 200, false, 1);
    const std::vector<Received> expected = {{0x801F, 1, 0}, {0x801F, 1, 5}, {0x801E, 1, 1}};
    EXPECT_EQ(expected, m_notify.Messages());
    EXPECT_TRUE(m_thread->IsRasterHeld());
    EXPECT_STREQ("width:40 , height:30 , bits:24", m_thread->GetDescription());
    m_notify.Clear();
    const POINT a = {1, 1};
    m_thread->ViewRequest(13, &a, &a, true);
    ASSERT_TRUE(m_notify.WaitFor({0x801E, 1, 13}));

    m_notify.Clear();
    OpenAndWait(m_dir / "broken.png", 300, 200, false, 1);
    EXPECT_TRUE(m_notify.Has({0x801F, 0, 0}));
}

TEST_F(DrawThreadFixture, StopEndsTheLoopWithoutReports)
{
    Start(&RkApp::Document::create);
    OpenAndWait(m_good, 300, 200, false, 1);
    EXPECT_TRUE(m_thread->StopAndWait(5000));
    EXPECT_TRUE(m_thread->HasExited());
    m_notify.Clear();
    Pump();
    EXPECT_TRUE(m_notify.Messages().empty());
}
