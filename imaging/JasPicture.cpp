#include "imaging/JasPicture.h"

#include <algorithm>

namespace {

uint8_t ToByte(int64_t v)
{
    return uint8_t(std::clamp<int64_t>(v, 0, 255));
}

// The component resampled to the given size (nearest sample) and scaled to 0..255.
JasComponent ScaledTo8(const JasComponent& c, uint32_t width, uint32_t height)
{
    JasComponent out;
    out.width = width;
    out.height = height;
    out.samples.resize(size_t(width) * height);
    const int64_t max = c.maxValue ? c.maxValue : 1;
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t sy = c.height ? uint32_t(uint64_t(y) * c.height / height) : 0;
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t sx = c.width ? uint32_t(uint64_t(x) * c.width / width) : 0;
            const int64_t v = c.samples.empty() ? 0 : c.At(sx, sy);
            out.samples[size_t(y) * width + x] = ToByte((v * 255 + max / 2) / max);
        }
    }
    return out;
}

} // namespace

bool JasPicture::AddComponents(size_t count, uint32_t width, uint32_t height, int precision,
                               uint32_t maxValue)
{
    const uint64_t each = uint64_t(width) * height;
    uint64_t existing = 0;
    for (const JasComponent& c : components)
        existing += c.samples.size();
    if (each == 0 || each > kMaxSamples || existing + each * count > kMaxSamples)
        return false;
    for (size_t i = 0; i < count; ++i) {
        JasComponent c;
        c.width = width;
        c.height = height;
        c.precision = precision;
        c.maxValue = maxValue;
        c.samples.assign(size_t(width) * height, 0);
        components.push_back(std::move(c));
    }
    return true;
}

void JasPicture::ConvertToRgb8()
{
    if (components.empty())
        return;
    const uint32_t width = components[0].width, height = components[0].height;
    std::vector<JasComponent> rgb;
    const size_t colourCount = components.size() >= 3 ? 3 : 1;
    for (size_t i = 0; i < colourCount; ++i)
        rgb.push_back(ScaledTo8(components[i], width, height));
    while (rgb.size() < 3)
        rgb.push_back(rgb[0]);
    if (ycc) {
        // Full-range luminance and colour differences centred on 128 (ITU-R BT.601).
        for (size_t i = 0; i < rgb[0].samples.size(); ++i) {
            const double y = rgb[0].samples[i], cb = rgb[1].samples[i] - 128.0,
                         cr = rgb[2].samples[i] - 128.0;
            rgb[0].samples[i] = ToByte(int64_t(y + 1.402 * cr + 0.5));
            rgb[1].samples[i] = ToByte(int64_t(y - 0.344136 * cb - 0.714136 * cr + 0.5));
            rgb[2].samples[i] = ToByte(int64_t(y + 1.772 * cb + 0.5));
        }
        ycc = false;
    }
    components = std::move(rgb);
}
