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
    std::vector<int32_t> samples; // width x height, top row first, unsigned

    int32_t At(uint32_t x, uint32_t y) const { return samples[size_t(y) * width + x]; }
};

struct JasPicture {
    std::vector<JasComponent> components;
    // Set by a coder that knows its components are a luminance and two colour differences.
    bool ycc = false;

    // Largest picture the small coders make (samples of all components together).
    static constexpr uint64_t kMaxSamples = 64ull * 1024 * 1024;

    // Adds count components of the size, zero-filled; false (and nothing added) when the size is
    // empty or the picture would grow past kMaxSamples.
    bool AddComponents(size_t count, uint32_t width, uint32_t height, int precision,
                       uint32_t maxValue);

    // Brings every component to 8 bits over the full range, and the picture to red, green, blue
    // of the first component's size: one or two components (grey, grey with alpha) are repeated
    // in all three channels, components of another size are resampled. Used for pictures whose
    // first component is not 1, 4 or 8 bits deep.
    void ConvertToRgb8();
};
