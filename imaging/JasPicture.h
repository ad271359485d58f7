// JasPicture: a decoded picture of the JPEG-2000 family class as separate components, the form in
// which the JPEG-2000 library and the small PGX, PNM and Sun raster coders hand pictures over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct JasComponent {
    uint32_t width = 0;
    uint32_t height = 0;
    int precision = 8;     // bits per sample
    uint32_t maxValue = 255; // the sample that means full intensity (2^precision - 1 unless the
                             // file says otherwise, as PNM's maximum value does)
    // The file names the component the picture's opacity (premultiplied: the colours are already
    // multiplied by it).
    enum class Opacity { None, Plain, Premultiplied } opacity = Opacity::None;
    std::vector<int32_t> samples; // width x height, top row first, unsigned

    int32_t At(uint32_t x, uint32_t y) const { return samples[size_t(y) * width + x]; }
};

// The colour space a file names for its components; Unspecified when it names none (a bare
// JPEG-2000 code stream).
enum class JasColourSpace { Unspecified, Grey, Rgb, Ycc, Cmyk };

struct JasPicture {
    std::vector<JasComponent> components;
    JasColourSpace space = JasColourSpace::Unspecified;

    // Largest picture the small coders make (samples of all components together).
    static constexpr uint64_t kMaxSamples = 64ull * 1024 * 1024;

    // Adds count components of the size, zero-filled; false (and nothing added) when the size is
    // empty or the picture would grow past kMaxSamples.
    bool AddComponents(size_t count, uint32_t width, uint32_t height, int precision,
                       uint32_t maxValue);

    // How many of the first components make the colour of one picture: 3 (red, green, blue, or
    // a luminance and two colour differences), 4 (cyan, magenta, yellow, black) or 1 (grey).
    // 3 needs the colour space to say so, or, where the file names none, three or four components
    // of one size (as code streams of colour pictures are written).
    size_t ColourCount() const;
    // The component that is the opacity of the picture, or -1: the one the file names so, or the
    // fourth of exactly four unnamed components of a colour picture (taken as other readers take
    // it); it has the size of the first component.
    int OpacityIndex() const;
    // True when the components are separate pictures (frames): more than one, and they are not a
    // colour picture or a grey one with its opacity.
    bool SeparateFrames() const;

    // Brings the picture to red, green, blue of 8 bits over the full range, of the first
    // component's size, then its opacity when it has one: a luminance and colour differences and
    // CMYK are converted, premultiplied colours divided by the opacity, grey repeated in all three
    // channels, components of another size resampled. Of separate frames only the first is kept.
    void ConvertToRgb8();
};
