// Every encoder of the raster formats reports a stream that refuses its bytes as a failure, with
// a text, for each depth it writes.
#include "tests/imaging/RasterCodecTestKit.h"

#include <gtest/gtest.h>

using namespace orvo::test;

namespace {

struct FailureCase
{
    DWORD format;
    WORD bpp;
    bool alpha;
};

class RasterEncodeFailure : public testing::TestWithParam<FailureCase>
{
};

TEST_P(RasterEncodeFailure, RefusedWritesFail)
{
    const FailureCase c = GetParam();
    CRasterImage image;
    FillPattern(image, 40, 30, c.bpp);
    if (c.alpha)
        image.AlphaCreate();
    RefusingStream refusing;
    EXPECT_FALSE(image.Encode(&refusing, c.format));
    EXPECT_STRNE(image.GetLastError(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Formats, RasterEncodeFailure,
    testing::Values(FailureCase{RASTER_FORMAT_GIF, 8, false}, FailureCase{RASTER_FORMAT_GIF, 24, false},
                    FailureCase{RASTER_FORMAT_JPG, 24, false}, FailureCase{RASTER_FORMAT_PNG, 4, false},
                    FailureCase{RASTER_FORMAT_PNG, 24, true}, FailureCase{RASTER_FORMAT_TIF, 1, false},
                    FailureCase{RASTER_FORMAT_TIF, 24, false}, FailureCase{RASTER_FORMAT_TGA, 8, false},
                    FailureCase{RASTER_FORMAT_TGA, 24, true}, FailureCase{RASTER_FORMAT_ICO, 4, false},
                    FailureCase{RASTER_FORMAT_ICO, 24, true}));

} // namespace
