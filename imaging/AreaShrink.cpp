#include "imaging/AreaShrink.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The source pixels one target pixel covers along an axis, with their shares of it.
struct AxisSpan
{
    DWORD first = 0;
    std::vector<float> weights;
};

std::vector<AxisSpan> MapAxis(DWORD sourceLength, DWORD targetLength)
{
    std::vector<AxisSpan> spans(targetLength);
    const double step = static_cast<double>(sourceLength) / targetLength;
    for (DWORD i = 0; i < targetLength; ++i) {
        const double from = i * step;
        const double to = std::min<double>((i + 1) * step, sourceLength);
        AxisSpan& span = spans[i];
        span.first = std::min(static_cast<DWORD>(from), sourceLength - 1);
        for (DWORD j = span.first; j < sourceLength && j < to; ++j) {
            const double covered = std::min<double>(to, j + 1.0) - std::max<double>(from, j);
            span.weights.push_back(static_cast<float>(covered / (to - from)));
        }
    }
    return spans;
}

// One source row as blue, green, red bytes, whatever the source's depth.
const BYTE* SourceRow(const CRasterImage& source, DWORD y, std::vector<BYTE>& scratch)
{
    if (source.GetBpp() == 24)
        return source.GetBits(y);
    const DWORD width = source.GetWidth();
    scratch.resize(size_t(width) * 3);
    for (DWORD x = 0; x < width; ++x) {
        const RGBQUAD c = source.GetPixelColor(static_cast<long>(x), static_cast<long>(y), false);
        scratch[3 * x] = c.rgbBlue;
        scratch[3 * x + 1] = c.rgbGreen;
        scratch[3 * x + 2] = c.rgbRed;
    }
    return scratch.data();
}

// A source row averaged across into target columns.
void ShrinkRow(const BYTE* row, const std::vector<AxisSpan>& columns, std::vector<float>& out)
{
    for (size_t i = 0; i < columns.size(); ++i) {
        const AxisSpan& span = columns[i];
        float sum[3] = {0, 0, 0};
        const BYTE* pixel = row + size_t(span.first) * 3;
        for (float w : span.weights) {
            sum[0] += w * pixel[0];
            sum[1] += w * pixel[1];
            sum[2] += w * pixel[2];
            pixel += 3;
        }
        out[3 * i] = sum[0];
        out[3 * i + 1] = sum[1];
        out[3 * i + 2] = sum[2];
    }
}

BYTE ToByte(float value)
{
    return static_cast<BYTE>(std::clamp(std::lround(value), 0L, 255L));
}

} // namespace

std::unique_ptr<CRasterImage> ShrinkByArea(const CRasterImage& source, DWORD width, DWORD height)
{
    if (!source.IsValid() || source.GetWidth() == 0 || source.GetHeight() == 0 || width == 0 ||
        height == 0)
        return nullptr;
    auto target = std::make_unique<CRasterImage>(width, height, 24, source.GetType());
    if (!target->IsValid())
        return nullptr;
    const std::vector<AxisSpan> columns = MapAxis(source.GetWidth(), width);
    const std::vector<AxisSpan> rows = MapAxis(source.GetHeight(), height);
    std::vector<BYTE> scratch;
    std::vector<float> across(size_t(width) * 3);
    std::vector<float> sum(size_t(width) * 3);
    for (DWORD y = 0; y < height; ++y) {
        std::fill(sum.begin(), sum.end(), 0.0f);
        DWORD sourceY = rows[y].first;
        for (float w : rows[y].weights) {
            ShrinkRow(SourceRow(source, sourceY++, scratch), columns, across);
            for (size_t k = 0; k < sum.size(); ++k)
                sum[k] += w * across[k];
        }
        BYTE* out = target->GetBits(y);
        for (size_t k = 0; k < sum.size(); ++k)
            out[k] = ToByte(sum[k]);
    }
    return target;
}
