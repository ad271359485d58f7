// The pixel canvas: segments without their last pixel, the part inside the clip the same pixels
// the whole segment gives there, far-reaching segments drawn in the time of what shows, both
// pixel sizes and row directions. (That the pixels are GDI's is checked under Wine, against GDI,
// in GdiDrawSinkTest.)
#include "engine/draw/PixelCanvas.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using RkDraw::PixelCanvas;

struct Picture
{
    Picture(int w, int h, int bytes, bool topDown)
        : width(w), height(h), bytes(bytes), stride(w * bytes), pixels(static_cast<std::size_t>(w * h * bytes), 0xFF),
          canvas(topDown ? pixels.data() : pixels.data() + (h - 1) * stride, topDown ? stride : -stride, w, h, bytes),
          topDown(topDown)
    {
    }
    std::uint32_t At(int x, int y) const
    {
        const std::uint8_t* p = pixels.data() + (topDown ? y : height - 1 - y) * stride + x * bytes;
        return static_cast<std::uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16));
    }
    int Inked() const
    {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                n += At(x, y) != 0xFFFFFFu ? 1 : 0;
        return n;
    }
    int width, height, bytes, stride;
    std::vector<std::uint8_t> pixels;
    PixelCanvas canvas;
    bool topDown;
};

TEST(PixelCanvas, SegmentsLeaveOutTheirLastPixel)
{
    Picture p(20, 20, 3, true);
    p.canvas.Line(2, 3, 9, 3, 0x123456);
    EXPECT_EQ(p.Inked(), 7);
    EXPECT_EQ(p.At(2, 3), 0x123456u);
    EXPECT_EQ(p.At(9, 3), 0xFFFFFFu);
    p.canvas.Line(5, 5, 5, 5, 0);     // no length: nothing
    EXPECT_EQ(p.Inked(), 7);
}

TEST(PixelCanvas, ClippedSegmentsGiveTheWholeSegmentsPixels)
{
    const struct { int bytes; bool topDown; } layouts[] = {{3, true}, {3, false}, {4, true}, {4, false}};
    for (const auto& layout : layouts) {
        unsigned seed = 99;
        const auto next = [&seed](int range) {
            seed = seed * 1103515245u + 12345u;
            return static_cast<int>((seed >> 8) % static_cast<unsigned>(range)) - range / 2;
        };
        for (int i = 0; i < 500; ++i) {
            Picture whole(64, 48, layout.bytes, layout.topDown), cut(64, 48, layout.bytes, layout.topDown);
            cut.canvas.SetClip(10, 7, 50, 40);
            const int x0 = next(160) + 32, y0 = next(120) + 24, x1 = next(160) + 32, y1 = next(120) + 24;
            whole.canvas.Line(x0, y0, x1, y1, 0x00FF00);
            cut.canvas.Line(x0, y0, x1, y1, 0x00FF00);
            for (int y = 0; y < 48; ++y)
                for (int x = 0; x < 64; ++x) {
                    const bool inside = x >= 10 && x < 50 && y >= 7 && y < 40;
                    ASSERT_EQ(cut.At(x, y), inside ? whole.At(x, y) : 0xFFFFFFu) << x0 << "," << y0 << " " << x1 << "," << y1;
                }
        }
    }
}

TEST(PixelCanvas, FarReachingSegmentsCostWhatShows)
{
    Picture p(100, 100, 4, true);
    // A billion pixels long: walked pixel by pixel this would take seconds.
    for (int i = 0; i < 1000; ++i) {
        p.canvas.Line(-(1 << 29) + i, 50, (1 << 29), 50, 0xFF0000);
        p.canvas.Line(20, -(1 << 29) + i, 21, (1 << 29) - i, 0xFF0000);
    }
    // The row, and the column whose halves meet near the middle of the picture.
    EXPECT_GE(p.Inked(), 195);
    EXPECT_LE(p.Inked(), 201);
    // Past the limit of what is drawn: left alone.
    p.canvas.Line(0, 0, std::int64_t{1} << 40, 1, 0x0000FF);
    EXPECT_EQ(p.At(0, 0), 0xFFFFFFu);
}

} // namespace
