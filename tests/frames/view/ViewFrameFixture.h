// The view frame with the real drawing thread, made for each case and destroyed after it, with
// the program's settings under a registry key of the case; the waits the cases share.
#pragma once

#include "frames/view/CViewFrame.h"
#include "tests/core/RegistryRootScope.h"

#include <gtest/gtest.h>

#include <string>

class TDwgDrawThread;

namespace orvo::test {

constexpr DWORD kViewWaitMs = 30000;

// A line and a circle on layer 0, 100 x 50 drawing units.
std::string GeneratedDxf();
// Three axis lines from the origin and a slanted one on top, each of its own colour (x red, y
// green, z blue, the slanted one yellow), so that no two standard views show the same picture.
std::string Generated3DDxf();

class ViewFrameFixture : public ::testing::Test
{
protected:
    ViewFrameFixture();
    ~ViewFrameFixture() override;

    static TDwgDrawThread& Thread();
    // The thread has finished every request and the frame has handled what it posted.
    static bool Settled();
    // Opens path in the frame and waits until its first picture is in and the thread is idle.
    bool OpenAndWait(const std::string& path);
    // Writes the DXF text to path and opens it as OpenAndWait does.
    bool OpenDxfText(const std::string& path, const std::string& dxf);
    // Runs a command and waits for the picture it asks for.
    bool RunAndRender(UINT id);
    // Opens a raster image and waits until it is loaded and the thread is idle.
    bool OpenImageAndWait(const std::string& path);
    // A 40 x 30 BMP picture, left half blue, right half yellow.
    static bool WritePicture(const std::string& path);
    std::string Title() const;
    // The command's state as the frame's update handlers give it (menu and tool bar alike).
    bool IsEnabled(UINT id) const;
    // The command's check mark as the frame's update handlers give it.
    bool IsChecked(UINT id) const;

    RegistryRootScope m_registry;
    CViewFrame* m_frame = nullptr;
};

} // namespace orvo::test
