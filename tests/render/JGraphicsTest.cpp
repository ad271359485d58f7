// The raster scene: extents, the zoom and pan rules with their history, and drawing an image
// through the canvas.
#include "render/scene/JGraphics.h"
#include "kit/KWinCanvas.h"

#include "imaging/CRasterImage.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class SceneTest : public ::testing::Test
{
protected:
    SceneTest()
    {
        m_canvas.SetSize(200, 100);
        m_scene.SetCanvas(&m_canvas);
        m_scene.SetHistory(&m_history);
        m_scene.SetBackground(RGB(1, 2, 3));
    }

    // A width x height BMP whose top half is blue and bottom half red, loaded at (0, 0).
    void LoadImage(DWORD width, DWORD height)
    {
        CRasterImage image(width, height, 24, RASTER_FORMAT_BMP);
        for (DWORD y = 0; y < height; ++y) {
            for (DWORD x = 0; x < width; ++x)
                image.SetPixelColor(x, y, y < height / 2 ? RGB(255, 0, 0) : RGB(0, 0, 255));
        }
        const std::string path = m_dir / "scene.bmp";
        ASSERT_TRUE(image.Save(path.c_str(), RASTER_FORMAT_BMP));
        ASSERT_TRUE(m_scene.GetImage().Load(path.c_str(), 0.0f, 0.0f));
        m_scene.ComputeExtents(true);
    }

    COLORREF Pixel(int x, int y) const { return GetPixel(m_canvas.GetMemoryDC(), x, y) & 0xFFFFFF; }

    orvo::test::TempDir m_dir;
    KWinCanvas m_canvas;
    OViewHistory<KViewPort> m_history;
    JGraphics m_scene;
};

} // namespace

TEST_F(SceneTest, ASceneWithoutAnImageHasTheUnitExtents)
{
    m_scene.ComputeExtents(false);
    const float* e = m_scene.GetExtents();
    EXPECT_FLOAT_EQ(0.0f, e[0]);
    EXPECT_FLOAT_EQ(1.0f, e[1]);
    EXPECT_FLOAT_EQ(1.0f, e[2]);
    EXPECT_FLOAT_EQ(0.0f, e[3]);
    EXPECT_FLOAT_EQ(0.0f, m_scene.GetZoomScale());
    EXPECT_TRUE(m_scene.Redraw(false)); // the first view is made on demand
    EXPECT_EQ(1u, m_history.GetCount());
}

TEST_F(SceneTest, ExtentsFollowTheImage)
{
    LoadImage(40, 20);
    const float* e = m_scene.GetExtents();
    EXPECT_FLOAT_EQ(0.0f, e[0]);
    EXPECT_FLOAT_EQ(20.0f, e[1]);
    EXPECT_FLOAT_EQ(40.0f, e[2]);
    EXPECT_FLOAT_EQ(0.0f, e[3]);
}

TEST_F(SceneTest, ZoomExtentsNeverEnlargesAndDrawsTheImageUpright)
{
    LoadImage(40, 20);
    m_scene.ZoomExtents();
    EXPECT_FLOAT_EQ(1.0f, m_scene.GetZoomScale());
    // Centred at scale 1: x 80..120, y 40..60; the top half of the picture is blue.
    EXPECT_EQ(RGB(0, 0, 255), Pixel(100, 45));
    EXPECT_EQ(RGB(255, 0, 0), Pixel(100, 55));
    EXPECT_EQ(RGB(1, 2, 3), Pixel(70, 50));
    EXPECT_EQ(RGB(1, 2, 3), Pixel(100, 35));

    m_scene.ZoomFit(); // fitting may enlarge: 100 / 20 = 5
    EXPECT_FLOAT_EQ(5.0f, m_scene.GetZoomScale());
}

TEST_F(SceneTest, ZoomStepsPansAndTheHistory)
{
    LoadImage(40, 20);
    m_scene.ZoomExtents();
    const size_t start = m_history.GetCount();
    m_scene.ZoomIn();
    EXPECT_FLOAT_EQ(1.1f, m_scene.GetZoomScale());
    m_scene.ZoomOut();
    EXPECT_NEAR(0.99, m_scene.GetZoomScale(), 1e-6);
    EXPECT_EQ(start + 2, m_history.GetCount());

    const float x = m_history.CurrentView()->GetOriginX();
    const float y = m_history.CurrentView()->GetOriginY();
    m_scene.PanByPixels(10, -20);
    EXPECT_NEAR(x + 10 / 0.99, m_history.CurrentView()->GetOriginX(), 1e-3);
    EXPECT_NEAR(y - 20 / 0.99, m_history.CurrentView()->GetOriginY(), 1e-3);

    m_scene.ApplyCurrentView(); // back before the pan
    EXPECT_FLOAT_EQ(x, m_history.CurrentView()->GetOriginX());
    EXPECT_EQ(start + 2, m_history.GetCount());
}

TEST_F(SceneTest, TheHistoryKeepsAtMostFiftyViews)
{
    LoadImage(40, 20);
    for (int i = 0; i < 80; ++i)
        m_scene.PanByPixels(1, 0);
    EXPECT_EQ(50u, m_history.GetCount());
}

TEST_F(SceneTest, ZoomingOutBelowTheSmallestScaleIsRefused)
{
    LoadImage(40, 20);
    m_scene.ZoomExtents();
    m_history.CurrentView()->SetScale(1.05e-5f);
    const size_t count = m_history.GetCount();
    m_scene.ZoomOut();
    EXPECT_FLOAT_EQ(1.05e-5f, m_scene.GetZoomScale());
    EXPECT_EQ(count, m_history.GetCount());
}

TEST_F(SceneTest, ActualSizeKeepsAnOriginInsideTheExtents)
{
    LoadImage(40, 20);
    m_scene.ZoomFit();
    m_history.CurrentView()->SetOrigin(10.0f, 15.0f);
    m_scene.ZoomActualSize();
    EXPECT_FLOAT_EQ(1.0f, m_scene.GetZoomScale());
    EXPECT_FLOAT_EQ(10.0f, m_history.CurrentView()->GetOriginX());
    m_history.CurrentView()->SetOrigin(-50.0f, 15.0f);
    m_scene.ZoomActualSize();
    EXPECT_FLOAT_EQ(0.0f, m_history.CurrentView()->GetOriginX());
    EXPECT_FLOAT_EQ(20.0f, m_history.CurrentView()->GetOriginY());
}

TEST_F(SceneTest, ZoomWindowFitsThePixelRectangle)
{
    LoadImage(40, 20);
    m_scene.ZoomExtents(); // scale 1, origin (-80, 60)
    const RECT window = {100, 50, 80, 40};
    m_scene.ZoomWindow(window);
    // World box x 0..20, y 10..20 fitted into 200 x 100: scale 10.
    EXPECT_FLOAT_EQ(10.0f, m_scene.GetZoomScale());
    EXPECT_FLOAT_EQ(0.0f, m_history.CurrentView()->GetOriginX());
    EXPECT_FLOAT_EQ(20.0f, m_history.CurrentView()->GetOriginY());
}

TEST_F(SceneTest, ResizeKeepsTheZoomOnlyWhenTheCanvasGrows)
{
    LoadImage(40, 20);
    m_scene.ZoomExtents();
    m_scene.ResizeCanvasKeepZoom(100, 50, true, true);
    EXPECT_FLOAT_EQ(1.0f, m_scene.GetZoomScale());
    m_scene.ResizeCanvasKeepZoom(400, 100, true, false);
    EXPECT_FLOAT_EQ(4.0f, m_scene.GetZoomScale());
}

TEST_F(SceneTest, DrawToAnotherCanvasPutsEverythingBack)
{
    LoadImage(40, 20);
    m_scene.ZoomExtents();
    const size_t count = m_history.GetCount();
    KWinCanvas print;
    m_scene.DrawToCanvas(&print, 80, 40);
    EXPECT_EQ(count, m_history.GetCount());
    EXPECT_EQ(&m_canvas, m_scene.GetCanvas());
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(print.GetMemoryDC(), 40, 5) & 0xFFFFFF);
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(print.GetMemoryDC(), 40, 35) & 0xFFFFFF);
}

TEST_F(SceneTest, ClearEmptiesTheSceneAndAHiddenSceneDrawsNothing)
{
    LoadImage(40, 20);
    m_scene.ZoomExtents();
    m_scene.Clear();
    EXPECT_FALSE(m_scene.GetImage().HasImage());
    EXPECT_EQ(0u, m_history.GetCount());
    EXPECT_EQ(nullptr, m_canvas.GetViewPort());
    m_scene.SetVisible(false);
    EXPECT_TRUE(m_scene.Redraw(false));
    EXPECT_EQ(0u, m_history.GetCount());
    m_scene.SetVisible(true);
    KWinCanvas empty;
    m_scene.SetCanvas(&empty);
    EXPECT_FALSE(m_scene.Redraw(false));
}
