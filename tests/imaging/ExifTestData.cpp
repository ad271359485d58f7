#include "tests/imaging/ExifTestData.h"

#include <cstdio>
#include <jpeglib.h>

namespace orvo::test {

void ExifBuilder::Put16(Bytes& out, uint32_t v) const
{
    if (m_bigEndian)
        out.insert(out.end(), {uint8_t(v >> 8), uint8_t(v)});
    else
        out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)});
}

void ExifBuilder::Put32(Bytes& out, uint32_t v) const
{
    if (m_bigEndian)
        out.insert(out.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
    else
        out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}

void ExifBuilder::Add(Dir dir, uint16_t tag, uint16_t type, uint32_t count, Bytes data)
{
    m_dirs[dir].push_back(Entry{tag, type, count, std::move(data)});
}

ExifBuilder& ExifBuilder::Short(Dir dir, uint16_t tag, uint16_t value)
{
    Bytes b;
    Put16(b, value);
    Add(dir, tag, 3, 1, b);
    return *this;
}

ExifBuilder& ExifBuilder::Long(Dir dir, uint16_t tag, uint32_t value)
{
    Bytes b;
    Put32(b, value);
    Add(dir, tag, 4, 1, b);
    return *this;
}

ExifBuilder& ExifBuilder::Byte(Dir dir, uint16_t tag, uint8_t value)
{
    Add(dir, tag, 1, 1, Bytes{value});
    return *this;
}

ExifBuilder& ExifBuilder::Rational(Dir dir, uint16_t tag, int32_t numerator, int32_t denominator,
                                   bool isSigned)
{
    Bytes b;
    Put32(b, uint32_t(numerator));
    Put32(b, uint32_t(denominator));
    Add(dir, tag, isSigned ? 10 : 5, 1, b);
    return *this;
}

ExifBuilder& ExifBuilder::Ascii(Dir dir, uint16_t tag, const std::string& text)
{
    Bytes b(text.begin(), text.end());
    b.push_back(0);
    const uint32_t count = uint32_t(b.size());
    Add(dir, tag, 2, count, std::move(b));
    return *this;
}

ExifBuilder& ExifBuilder::Undefined(Dir dir, uint16_t tag, const Bytes& bytes)
{
    Add(dir, tag, 7, uint32_t(bytes.size()), bytes);
    return *this;
}

ExifBuilder& ExifBuilder::Thumbnail(const Bytes& jpeg)
{
    m_thumbnail = jpeg;
    return *this;
}

uint32_t ExifBuilder::DirSize(const std::vector<Entry>& entries)
{
    uint32_t size = 2 + 12 * uint32_t(entries.size()) + 4;
    for (const Entry& e : entries)
        if (e.data.size() > 4)
            size += uint32_t((e.data.size() + 1) & ~size_t(1));
    return size;
}

void ExifBuilder::WriteDir(Bytes& tiff, const std::vector<Entry>& entries, uint32_t next) const
{
    uint32_t dataOffset = uint32_t(tiff.size()) + 2 + 12 * uint32_t(entries.size()) + 4;
    Bytes area;
    Put16(tiff, uint32_t(entries.size()));
    for (const Entry& e : entries) {
        Put16(tiff, e.tag);
        Put16(tiff, e.type);
        Put32(tiff, e.count);
        if (e.data.size() <= 4) {
            Bytes value = e.data;
            value.resize(4, 0);
            tiff.insert(tiff.end(), value.begin(), value.end());
        } else {
            Put32(tiff, dataOffset);
            area.insert(area.end(), e.data.begin(), e.data.end());
            if (e.data.size() & 1)
                area.push_back(0);
            dataOffset += uint32_t((e.data.size() + 1) & ~size_t(1));
        }
    }
    Put32(tiff, next);
    tiff.insert(tiff.end(), area.begin(), area.end());
}

Bytes ExifBuilder::Build() const
{
    std::vector<Entry> ifd0 = m_dirs[Ifd0], exif = m_dirs[ExifIfd], ifd1 = m_dirs[Ifd1];
    const bool hasExif = !exif.empty(), hasIfd1 = !ifd1.empty() || !m_thumbnail.empty();
    auto longEntry = [this](uint16_t tag, uint32_t v) {
        Bytes b;
        Put32(b, v);
        return Entry{tag, 4, 1, b};
    };
    if (hasExif)
        ifd0.push_back(longEntry(0x8769, 0));
    if (!m_thumbnail.empty()) {
        ifd1.push_back(longEntry(0x0201, 0));
        ifd1.push_back(longEntry(0x0202, uint32_t(m_thumbnail.size())));
    }
    const uint32_t ifd0Offset = 8;
    const uint32_t exifOffset = ifd0Offset + DirSize(ifd0);
    const uint32_t ifd1Offset = exifOffset + (hasExif ? DirSize(exif) : 0);
    const uint32_t thumbOffset = ifd1Offset + (hasIfd1 ? DirSize(ifd1) : 0);
    if (hasExif)
        ifd0.back() = longEntry(0x8769, exifOffset);
    if (!m_thumbnail.empty())
        ifd1[ifd1.size() - 2] = longEntry(0x0201, thumbOffset);

    Bytes tiff;
    tiff.push_back(m_bigEndian ? 'M' : 'I');
    tiff.push_back(m_bigEndian ? 'M' : 'I');
    Put16(tiff, 42);
    Put32(tiff, ifd0Offset);
    WriteDir(tiff, ifd0, hasIfd1 ? ifd1Offset : 0);
    if (hasExif)
        WriteDir(tiff, exif, 0);
    if (hasIfd1)
        WriteDir(tiff, ifd1, 0);
    tiff.insert(tiff.end(), m_thumbnail.begin(), m_thumbnail.end());

    Bytes block{'E', 'x', 'i', 'f', 0, 0};
    block.insert(block.end(), tiff.begin(), tiff.end());
    return block;
}

Bytes MakeJpegWithSegments(const std::vector<std::pair<unsigned char, Bytes>>& segments,
                           const Bytes& scan)
{
    Bytes out{0xFF, 0xD8};
    for (const auto& [marker, contents] : segments) {
        const size_t length = contents.size() + 2;
        out.insert(out.end(), {0xFF, marker, uint8_t(length >> 8), uint8_t(length)});
        out.insert(out.end(), contents.begin(), contents.end());
    }
    out.insert(out.end(), {0xFF, 0xDA, 0x00, 0x02});
    out.insert(out.end(), scan.begin(), scan.end());
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

Bytes EncodeJpegSamples(int width, int height, int components, int colorSpace,
                        const std::function<unsigned char(int x, int y, int k)>& sample,
                        int quality)
{
    jpeg_compress_struct c = {};
    jpeg_error_mgr err = {};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = JDIMENSION(width);
    c.image_height = JDIMENSION(height);
    c.input_components = components;
    c.in_color_space = J_COLOR_SPACE(colorSpace);
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(size_t(width) * components);
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < width; ++x)
            for (int k = 0; k < components; ++k)
                row[size_t(x) * components + k] = sample(x, int(c.next_scanline), k);
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&c, &p, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    Bytes result(buffer, buffer + size);
    free(buffer);
    return result;
}

Bytes EncodeTestJpeg(int width, int height, int components, int quality)
{
    return EncodeJpegSamples(
        width, height, components, components == 1 ? JCS_GRAYSCALE : JCS_RGB,
        [=](int x, int y, int k) {
            return uint8_t(k == 0 ? x * 255 / (width > 1 ? width - 1 : 1)
                           : k == 1 ? y * 255 / height : 96);
        },
        quality);
}

Bytes InsertApp1(const Bytes& jpeg, const Bytes& app1)
{
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    const size_t length = app1.size() + 2;
    out.insert(out.end(), {0xFF, 0xE1, uint8_t(length >> 8), uint8_t(length)});
    out.insert(out.end(), app1.begin(), app1.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

} // namespace orvo::test
