// Builders of Exif blocks and JPEG byte images for the imaging tests: the same directory can be
// written in either byte order, so that "II" and "MM" files are made from one description.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvo::test {

using Bytes = std::vector<unsigned char>;

class ExifBuilder
{
public:
    explicit ExifBuilder(bool bigEndian) : m_bigEndian(bigEndian) {}

    enum Dir { Ifd0, ExifIfd, Ifd1 };

    ExifBuilder& Short(Dir dir, uint16_t tag, uint16_t value);
    ExifBuilder& Long(Dir dir, uint16_t tag, uint32_t value);
    ExifBuilder& Byte(Dir dir, uint16_t tag, uint8_t value);
    ExifBuilder& Rational(Dir dir, uint16_t tag, int32_t numerator, int32_t denominator,
                          bool isSigned = false);
    ExifBuilder& Ascii(Dir dir, uint16_t tag, const std::string& text);
    ExifBuilder& Undefined(Dir dir, uint16_t tag, const Bytes& bytes);
    // IFD1 gets the thumbnail's offset (513) and length (514) tags pointing at these bytes.
    ExifBuilder& Thumbnail(const Bytes& jpeg);

    // APP1 contents: "Exif", two zero bytes, then the TIFF data.
    Bytes Build() const;

private:
    struct Entry
    {
        uint16_t tag;
        uint16_t type;
        uint32_t count;
        Bytes data; // in the block's byte order
    };
    void Add(Dir dir, uint16_t tag, uint16_t type, uint32_t count, Bytes data);
    void Put16(Bytes& out, uint32_t v) const;
    void Put32(Bytes& out, uint32_t v) const;
    void WriteDir(Bytes& tiff, const std::vector<Entry>& entries, uint32_t next) const;
    static uint32_t DirSize(const std::vector<Entry>& entries);

    bool m_bigEndian;
    std::vector<Entry> m_dirs[3];
    Bytes m_thumbnail;
};

// A JPEG byte image: SOI, the given segments (marker, contents), then a fake scan and EOI.
Bytes MakeJpegWithSegments(const std::vector<std::pair<unsigned char, Bytes>>& segments,
                           const Bytes& scan = Bytes{0x11, 0x22, 0x33});

// A real baseline JPEG of a small gradient, made with libjpeg (3 components, or 1 for grey).
Bytes EncodeTestJpeg(int width, int height, int components, int quality = 90);
// A JPEG of the samples, made with libjpeg: colorSpace is libjpeg's J_COLOR_SPACE of the input.
Bytes EncodeJpegSamples(int width, int height, int components, int colorSpace,
                        const std::function<unsigned char(int x, int y, int k)>& sample,
                        int quality);

// Inserts an APP1 segment with the contents right after the SOI of a JPEG.
Bytes InsertApp1(const Bytes& jpeg, const Bytes& app1);

} // namespace orvo::test
