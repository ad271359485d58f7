// Transparent raster images in the view frame with the real drawing thread: a PNG or TGA picture
// whose left half is transparent shows the colour behind the picture there, never black, and its
// opaque half keeps its own colour; a half-transparent pixel is the mix of both.
#include "frames/view/CViewFrame.h"

#include "imaging/CRasterImage.h"
#include "render/scene/JGraphics.h"
#include "render/workers/TDwgDrawThread.h"
#include "tests/frames/view/ViewFrameFixture.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// 39 x 30: the left third transparent black, the middle third half transparent blue, the right
// third opaque red.
bool WriteTransparent(const std::string& path, DWORD format)
{
    CRasterImage image(39, 30, 24, format);
    if (!image.IsValid())
        return false;
    image.AlphaCreate();
    for (long y = 0; y < 30; ++y) {
        for (long x = 0; x < 39; ++x) {
            const int third = x / 13;
            const RGBQUAD colours[3] = {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 0, 255, 0}}; // black, blue, red
            image.SetPixelColor(x, y, colours[third]);
            image.AlphaSet(x, y, static_cast<BYTE>(third == 0 ? 0 : (third == 1 ? 128 : 255)));
        }
    }
    return image.Save(path.c_str(), format);
}

int Distance(COLORREF a, COLORREF b)
{
    return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
           std::abs(GetBValue(a) - GetBValue(b));
}

class ViewImageTest : public orvo::test::ViewFrameFixture
{
protected:
    orvo::test::TempDir m_dir;
};

} // namespace

TEST_F(ViewImageTest, TransparentPixelsShowTheColourBehindThePicture)
{
    struct Case
    {
        const char* name;
        DWORD format;
    };
    const Case cases[] = {{"glass.png", RASTER_FORMAT_PNG}, {"glass.tga", RASTER_FORMAT_TGA}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = m_dir / c.name;
        ASSERT_TRUE(WriteTransparent(path, c.format));
        ASSERT_TRUE(OpenImageAndWait(path));
        const COLORREF behind = Thread().GetRasterScene().GetBackground();
        ASSERT_NE(behind, RGB(0, 0, 0)) << "a backdrop that black pixels would not match";
        int width = 0;
        int height = 0;
        const std::vector<COLORREF> pixels =
            orvo::test::PrintClientPixels(m_frame->GetView().GetSafeHwnd(), 1, &width, &height);
        // The opaque red third gives the picture's right edge and the width of a third.
        int left = width;
        int right = -1;
        const int row = height / 2;
        for (int x = 0; x < width; ++x) {
            if (Distance(pixels[static_cast<size_t>(row * width + x)], RGB(255, 0, 0)) < 12) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
        ASSERT_LT(left, right) << "the opaque third is drawn red";
        const int third = right - left + 1;
        ASSERT_GT(left - 2 * third, 0);
        const COLORREF clear = pixels[static_cast<size_t>(row * width + left - 2 * third + third / 2)];
        const COLORREF half = pixels[static_cast<size_t>(row * width + left - third + third / 2)];
        EXPECT_LT(Distance(clear, behind), 12) << "transparent: the backdrop, not black";
        const COLORREF mixed = RGB(GetRValue(behind) / 2, GetGValue(behind) / 2, (255 + GetBValue(behind)) / 2);
        EXPECT_LT(Distance(half, mixed), 16) << "half transparent: half of each";
    }
}
