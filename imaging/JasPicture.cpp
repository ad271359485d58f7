#include "imaging/JasPicture.h"

#include "imaging/PsdColor.h"

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

// Full-range luminance and colour differences centred on 128 (ITU-R BT.601), in place.
void YccToRgb(std::vector<JasComponent>& c)
{
    for (size_t i = 0; i < c[0].samples.size(); ++i) {
        const double y = c[0].samples[i], cb = c[1].samples[i] - 128.0,
                     cr = c[2].samples[i] - 128.0;
        c[0].samples[i] = ToByte(int64_t(y + 1.402 * cr + 0.5));
        c[1].samples[i] = ToByte(int64_t(y - 0.344136 * cb - 0.714136 * cr + 0.5));
        c[2].samples[i] = ToByte(int64_t(y + 1.772 * cb + 0.5));
    }
}

// Cyan, magenta, yellow and black ink amounts (0 is no ink) to red, green, blue.
void CmykToRgb(std::vector<JasComponent>& c)
{
    for (size_t i = 0; i < c[0].samples.size(); ++i) {
        uint8_t rgb[3];
        // The conversion takes stored inverted inks.
        PsdColor::CmykToRgb(uint32_t(255 - c[0].samples[i]), uint32_t(255 - c[1].samples[i]),
                            uint32_t(255 - c[2].samples[i]), uint32_t(255 - c[3].samples[i]), 8,
                            rgb);
        for (size_t k = 0; k < 3; ++k)
            c[k].samples[i] = rgb[k];
    }
    c.pop_back();
}

// Red, green, blue already multiplied by the opacity (the fourth component) divided by it.
void Unpremultiply(std::vector<JasComponent>& c)
{
    for (size_t i = 0; i < c[0].samples.size(); ++i) {
        const int64_t a = c[3].samples[i];
        for (size_t k = 0; k < 3 && a > 0; ++k)
            c[k].samples[i] = ToByte((c[k].samples[i] * 255 + a / 2) / a);
    }
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

size_t JasPicture::ColourCount() const
{
    const size_t n = components.size();
    const auto sameSize = [&](size_t count) {
        if (n < count)
            return false;
        for (size_t i = 1; i < count; ++i)
            if (components[i].width != components[0].width
                || components[i].height != components[0].height)
                return false;
        return true;
    };
    switch (space) {
    case JasColourSpace::Grey: return 1;
    // The colour differences may be subsampled.
    case JasColourSpace::Ycc: return n >= 3 ? 3 : 1;
    case JasColourSpace::Rgb: return sameSize(3) ? 3 : 1;
    case JasColourSpace::Cmyk: return sameSize(4) ? 4 : 1;
    default: break;
    }
    const bool named = std::any_of(components.begin(), components.end(), [](const JasComponent& c) {
        return c.opacity != JasComponent::Opacity::None;
    });
    return sameSize(3) && (n <= 4 || named) ? 3 : 1;
}

int JasPicture::OpacityIndex() const
{
    const auto fits = [&](size_t i) {
        return components[i].width == components[0].width
               && components[i].height == components[0].height;
    };
    const size_t colours = ColourCount();
    for (size_t i = colours; i < components.size(); ++i)
        if (components[i].opacity != JasComponent::Opacity::None)
            return fits(i) ? int(i) : -1;
    if (colours == 3 && components.size() == 4 && space != JasColourSpace::Cmyk && fits(3))
        return 3;
    return -1;
}

bool JasPicture::SeparateFrames() const
{
    return ColourCount() == 1 && components.size() > (OpacityIndex() >= 0 ? 2u : 1u);
}

void JasPicture::ConvertToRgb8()
{
    if (components.empty())
        return;
    const uint32_t width = components[0].width, height = components[0].height;
    const bool frames = SeparateFrames();
    const size_t colourCount = frames ? 1 : ColourCount();
    const int opacity = frames ? -1 : OpacityIndex();
    std::vector<JasComponent> rgb;
    for (size_t i = 0; i < colourCount; ++i)
        rgb.push_back(ScaledTo8(components[i], width, height));
    if (space == JasColourSpace::Ycc && colourCount == 3)
        YccToRgb(rgb);
    if (colourCount == 4)
        CmykToRgb(rgb);
    while (rgb.size() < 3)
        rgb.push_back(rgb[0]);
    if (opacity >= 0) {
        rgb.push_back(ScaledTo8(components[size_t(opacity)], width, height));
        rgb.back().opacity = JasComponent::Opacity::Plain;
        if (components[size_t(opacity)].opacity == JasComponent::Opacity::Premultiplied)
            Unpremultiply(rgb);
    }
    components = std::move(rgb);
    space = JasColourSpace::Rgb;
}
