#include "tests/frames/view/ViewFrameFixture.h"

#include "app/CAppState.h"
#include "framework/CCmdTarget.h"
#include "imaging/CDib.h"
#include "imaging/KImage.h"
#include "render/scene/JGraphics.h"
#include "render/workers/TDwgDrawThread.h"
#include "tests/support/TestSupport.h"

namespace orvo::test {

std::string GeneratedDxf()
{
    return "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n62\n1\n10\n0.0\n20\n0.0\n30\n0.0\n11\n100.0\n21\n50.0\n31\n0.0\n"
           "0\nCIRCLE\n8\n0\n62\n3\n10\n50.0\n20\n25.0\n30\n0.0\n40\n20.0\n0\nENDSEC\n0\nEOF\n";
}

std::string Generated3DDxf()
{
    const auto line = [](int colour, const char* a, const char* b) {
        return std::string("0\nLINE\n8\n0\n62\n") + std::to_string(colour) + "\n" + a + b;
    };
    return "0\nSECTION\n2\nENTITIES\n" + line(1, "10\n0\n20\n0\n30\n0\n", "11\n100\n21\n0\n31\n0\n") +
           line(3, "10\n0\n20\n0\n30\n0\n", "11\n0\n21\n50\n31\n0\n") +
           line(5, "10\n0\n20\n0\n30\n0\n", "11\n0\n21\n0\n31\n40\n") +
           line(2, "10\n100\n20\n50\n30\n40\n", "11\n30\n21\n10\n31\n40\n") + "0\nENDSEC\n0\nEOF\n";
}

ViewFrameFixture::ViewFrameFixture()
{
    g_appState.mode.store(CAppState::kModeView);
    g_appState.closing.store(false);
    g_appState.modalDialogOpen = false;
    g_appState.drawThread = std::make_unique<TDwgDrawThread>();
    Thread().SetAppState(&g_appState);
    m_frame = new CViewFrame; // owned by its window from LoadFrame on
    EXPECT_TRUE(m_frame->LoadFrame(CViewFrame::kResourceId, 0xCF8000));
    g_appState.viewFrame = m_frame;
    g_appState.mainWindow.store(m_frame->GetSafeHwnd());
    Thread().SetNotifyWnd(m_frame->GetSafeHwnd());
    EXPECT_TRUE(Thread().CreateThread());
    m_frame->ShowWindow(SW_SHOWNOACTIVATE);
}

ViewFrameFixture::~ViewFrameFixture()
{
    EXPECT_TRUE(Thread().StopAndWait(5000));
    if (g_appState.viewFrame)
        g_appState.viewFrame->DestroyWindow();
    g_appState.drawThread.reset();
    g_appState.mainWindow.store(nullptr);
    g_appState.mode.store(CAppState::kModeNone);
}

TDwgDrawThread& ViewFrameFixture::Thread()
{
    return *g_appState.drawThread;
}

bool ViewFrameFixture::Settled()
{
    if (!WaitFor([] { return !Thread().IsBusy() && !Thread().IsOpening(); }, kViewWaitMs))
        return false;
    WaitFor([] { return false; }, 300);
    return !Thread().IsBusy();
}

bool ViewFrameFixture::OpenAndWait(const std::string& path)
{
    m_frame->OpenViewFile(path.c_str());
    return WaitFor([this] { return m_frame->GetRenderCount() > 0; }, kViewWaitMs) && Settled();
}

bool ViewFrameFixture::OpenDxfText(const std::string& path, const std::string& dxf)
{
    return WriteFileBytes(path, dxf.data(), dxf.size()) && OpenAndWait(path);
}

bool ViewFrameFixture::RunAndRender(UINT id)
{
    const int renders = m_frame->GetRenderCount();
    m_frame->SendMessage(WM_COMMAND, id);
    return WaitFor([&] { return m_frame->GetRenderCount() > renders; }, kViewWaitMs) && Settled();
}

bool ViewFrameFixture::OpenImageAndWait(const std::string& path)
{
    m_frame->OpenViewFile(path.c_str());
    const auto loaded = [] {
        return Thread().GetFileType() >= 4 && Thread().GetRasterScene().GetImage().GetImage() != nullptr;
    };
    return WaitFor(loaded, kViewWaitMs) && Settled();
}

bool ViewFrameFixture::WritePicture(const std::string& path)
{
    CDib dib;
    if (!dib.Create(40, 30, 24))
        return false;
    dib.Fill(RGB(0, 0, 255));
    const HDC dc = dib.BeginMemDC();
    const RECT right = {20, 0, 40, 30};
    const HBRUSH yellow = CreateSolidBrush(RGB(255, 255, 0));
    FillRect(dc, &right, yellow);
    DeleteObject(yellow);
    dib.EndMemDC();
    return dib.SaveFile(path.c_str()) != FALSE;
}

std::string ViewFrameFixture::Title() const
{
    char text[600] = {};
    m_frame->GetWindowText(text, sizeof(text));
    return text;
}

bool ViewFrameFixture::IsEnabled(UINT id) const
{
    CTestCmdUI ui;
    ui.m_nID = id;
    ui.DoUpdate(m_frame, FALSE);
    return ui.m_bEnabled != FALSE;
}

bool ViewFrameFixture::IsChecked(UINT id) const
{
    CTestCmdUI ui;
    ui.m_nID = id;
    ui.DoUpdate(m_frame, FALSE);
    return ui.m_nCheck != 0;
}

} // namespace orvo::test
