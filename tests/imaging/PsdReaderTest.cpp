// Photoshop reader: result codes, colour modes, resources and hostile input, on files built here.
#include "imaging/PsdReader.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint32_t v)
{
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}

void Put32(Bytes& b, uint32_t v)
{
    Put16(b, v >> 16);
    Put16(b, v & 0xFFFF);
}

Bytes Resource(uint16_t id, const Bytes& data)
{
    Bytes b = {'8', 'B', 'I', 'M'};
    Put16(b, id);
    b.push_back(0); // empty name, padded to two bytes
    b.push_back(0);
    Put32(b, uint32_t(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    if (data.size() % 2)
        b.push_back(0);
    return b;
}

Bytes ResolutionResource(uint16_t xDpi, uint16_t yDpi)
{
    Bytes d;
    Put16(d, xDpi);
    Put32(d, 1);
    Put16(d, 1);
    Put16(d, yDpi);
    Put32(d, 1);
    Put16(d, 1);
    return Resource(1005, d);
}

// A small Photoshop file: header, colour-mode data, resources, empty layer section, image data.
struct Psd {
    uint16_t channels = 3;
    uint32_t height = 2;
    uint32_t width = 2;
    uint16_t depth = 8;
    uint16_t mode = 3;
    Bytes colorData;
    Bytes resources;
    uint16_t compression = 0;
    Bytes image; // planar samples (raw), or the run-length stream without the row table

    Bytes Build() const
    {
        Bytes b = {'8', 'B', 'P', 'S'};
        Put16(b, 1);
        b.insert(b.end(), 6, 0);
        Put16(b, channels);
        Put32(b, height);
        Put32(b, width);
        Put16(b, depth);
        Put16(b, mode);
        Put32(b, uint32_t(colorData.size()));
        b.insert(b.end(), colorData.begin(), colorData.end());
        Put32(b, uint32_t(resources.size()));
        b.insert(b.end(), resources.begin(), resources.end());
        Put32(b, 0);
        Put16(b, compression);
        if (compression == 1)
            for (uint32_t i = 0; i < uint32_t(channels) * height; ++i)
                Put16(b, 0); // row byte counts: not used by the reader
        b.insert(b.end(), image.begin(), image.end());
        return b;
    }
};

// Planar 8-bit data with every sample of channel c equal to values[c].
Bytes FlatPlanes(const std::vector<uint8_t>& values, size_t pixels)
{
    Bytes b;
    for (uint8_t v : values)
        b.insert(b.end(), pixels, v);
    return b;
}

class PsdReaderTest : public ::testing::Test
{
protected:
    int Load(const Bytes& file)
    {
        const std::string path = m_dir / "image.psd";
        EXPECT_TRUE(orvo::test::WriteFileBytes(path, file.data(), file.size()));
        return m_reader.Load(path.c_str());
    }

    // Colour of pixel (x, y), y from the top, as 0xRRGGBB.
    uint32_t Pixel(int x, int y)
    {
        DIBSECTION ds = {};
        EXPECT_EQ(GetObject(m_reader.GetBitmap(), sizeof(ds), &ds), int(sizeof(ds)));
        const int stride = (ds.dsBm.bmWidth * 3 + 3) & ~3;
        const uint8_t* p = static_cast<const uint8_t*>(ds.dsBm.bmBits)
                           + stride * (ds.dsBm.bmHeight - 1 - y) + x * 3;
        return (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
    }

    orvo::test::TempDir m_dir;
    PsdReader m_reader;
};

TEST_F(PsdReaderTest, ResultCodes)
{
    struct Case {
        const char* name;
        Bytes file;
        int expected;
        bool bitmap;
    };
    const Psd good;
    Psd rgb = good;
    rgb.image = FlatPlanes({1, 2, 3}, 4);
    auto withHeaderByte = [&](size_t offset, uint8_t value) {
        Bytes b = rgb.Build();
        b[offset] = value;
        return b;
    };
    auto variant = [&](auto change) {
        Psd p = rgb;
        change(p);
        return p.Build();
    };
    const Bytes rgbFile = rgb.Build();
    Bytes colorDataTooLong = rgbFile;
    colorDataTooLong[29] = 0x7F; // colour-mode length far beyond the file
    const std::vector<Case> cases = {
        {"good raw RGB", rgb.Build(), PsdReader::kRead, true},
        {"bad signature", withHeaderByte(0, '9'), PsdReader::kBadHeader, false},
        {"version 2", withHeaderByte(5, 2), PsdReader::kBadHeader, false},
        {"reserved byte set", withHeaderByte(8, 1), PsdReader::kBadHeader, false},
        {"zero channels", variant([](Psd& p) { p.channels = 0; }), PsdReader::kBadHeader, false},
        {"zero width", variant([](Psd& p) { p.width = 0; }), PsdReader::kBadHeader, false},
        {"huge height", variant([](Psd& p) { p.height = 0x7FFFFFFF; }), PsdReader::kBadHeader,
         false},
        {"short header", Bytes{'8', 'B', 'P', 'S', 0, 1}, PsdReader::kBadHeader, false},
        {"colour data past the end", colorDataTooLong, PsdReader::kBadColorModeData, false},
        {"resources do not add up",
         variant([](Psd& p) { p.resources = Resource(1034, {0, 1}); p.resources.pop_back(); }),
         PsdReader::kBadResources, false},
        {"1-bit grey", variant([](Psd& p) { p.depth = 1; p.mode = 1; }), PsdReader::kOneBitDepth,
         false},
        {"24-bit", variant([](Psd& p) { p.depth = 24; }), PsdReader::kUnsupportedDepth, false},
        {"ZIP of bytes that are no zlib stream", variant([](Psd& p) { p.compression = 2; }),
         PsdReader::kNoImage, false},
        {"ZIP with prediction of no zlib stream", variant([](Psd& p) { p.compression = 3; }),
         PsdReader::kNoImage, false},
        {"compression 4", variant([](Psd& p) { p.compression = 4; }),
         PsdReader::kUnknownCompression, false},
        {"data runs short", variant([](Psd& p) { p.image.resize(11); }), PsdReader::kNoImage, false},
        {"ends before image data", Bytes(rgbFile.begin(), rgbFile.begin() + 38),
         PsdReader::kNoImage, false},
        {"bitmap mode at 8 bits stays white", variant([](Psd& p) { p.mode = 0; }), PsdReader::kRead, true},
        {"mode without a picture stays white", variant([](Psd& p) { p.mode = 5; }), PsdReader::kRead, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Load(c.file), c.expected);
        EXPECT_EQ(m_reader.GetBitmap() != nullptr, c.bitmap);
        m_reader.Cleanup();
    }
}

TEST(PsdReaderTexts, EveryFailureNamesWhatIsNotRead)
{
    EXPECT_STREQ(PsdReader::ResultText(PsdReader::kRead), "");
    for (const int code : {PsdReader::kCannotOpen, PsdReader::kBadHeader, PsdReader::kBadColorModeData,
                           PsdReader::kBadResources, PsdReader::kOneBitDepth,
                           PsdReader::kUnsupportedDepth, PsdReader::kNoDibSection,
                           PsdReader::kUnknownCompression, PsdReader::kNoImage})
        EXPECT_EQ(std::string(PsdReader::ResultText(code)).rfind("Photoshop: ", 0), 0u) << code;
}

TEST_F(PsdReaderTest, MissingFileCannotBeOpened)
{
    EXPECT_EQ(m_reader.Load((m_dir / "absent.psd").c_str()), PsdReader::kCannotOpen);
    EXPECT_EQ(m_reader.Load(nullptr), PsdReader::kCannotOpen);
}

TEST_F(PsdReaderTest, ColourModesComeOutAsRgb)
{
    struct Case {
        const char* name;
        uint16_t mode, depth, channels;
        Bytes samples; // one pixel's samples per channel, each of depth / 8 bytes
        Bytes colorData;
        uint32_t expected;
    };
    Bytes palette(768, 0);
    palette[7] = 0x11;
    palette[256 + 7] = 0x22;
    palette[512 + 7] = 0x33;
    const std::vector<Case> cases = {
        {"RGB", 3, 8, 3, {0x10, 0x20, 0x30}, {}, 0x102030},
        {"RGB with alpha channel", 3, 8, 4, {0x10, 0x20, 0x30, 0x00}, {}, 0x102030},
        {"16-bit RGB keeps the high bytes", 3, 16, 3, {0xAB, 0xCD, 0x12, 0x34, 0xFF, 0xFF}, {},
         0xAB12FF},
        {"16-bit grey keeps the high byte", 1, 16, 1, {0x9A, 0xFF}, {}, 0x9A9A9A},
        {"duotone", 8, 8, 1, {0x40}, {}, 0x404040},
        {"indexed", 2, 8, 1, {7}, palette, 0x112233},
        {"indexed without a 768-byte table stays white", 2, 8, 1, {7}, Bytes(767, 0), 0xFFFFFF},
        {"CMYK without ink is full white", 4, 8, 4, {255, 255, 255, 255}, {}, 0xFFFFFF},
        {"CMYK full ink is black", 4, 8, 4, {0, 0, 0, 0}, {}, 0x000000},
        {"16-bit CMYK without ink", 4, 16, 4, Bytes(8, 0xFF), {}, 0xFFFFFF},
        {"CMYK pure cyan", 4, 8, 4, {0, 255, 255, 255}, {}, 0x00FFFF},
        {"Lab white is full white", 9, 8, 3, {255, 128, 128}, {}, 0xFFFFFF},
        {"Lab black", 9, 8, 3, {0, 128, 128}, {}, 0x000000},
        {"multichannel of 3 has no black ink", 7, 8, 3, {255, 255, 0}, {}, 0xFFFF00},
        {"multichannel of 4 uses black", 7, 8, 4, {255, 255, 255, 0}, {}, 0x000000},
        {"RGB file with too few channels stays white", 3, 8, 2, {1, 2}, {}, 0xFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Psd p;
        p.mode = c.mode;
        p.depth = c.depth;
        p.channels = c.channels;
        p.width = p.height = 1;
        p.colorData = c.colorData;
        p.compression = 1; // run-length, which every mode takes
        const size_t bytes = c.depth / 8;
        for (uint16_t ch = 0; ch < c.channels; ++ch) {
            p.image.push_back(uint8_t(bytes - 1)); // literal of one sample
            for (size_t i = 0; i < bytes; ++i)
                p.image.push_back(c.samples[ch * bytes + i]);
        }
        ASSERT_EQ(Load(p.Build()), PsdReader::kRead);
        ASSERT_NE(m_reader.GetBitmap(), nullptr);
        EXPECT_EQ(Pixel(0, 0), c.expected);
        m_reader.Cleanup();
    }
}

TEST_F(PsdReaderTest, RawPlanesArePlacedTopRowFirst)
{
    Psd p;
    p.width = 3;
    p.height = 2;
    // Red plane counts up by pixel, green and blue are flat.
    p.image = {0, 1, 2, 3, 4, 5};
    p.image.insert(p.image.end(), 6, 0x80);
    p.image.insert(p.image.end(), 6, 0x40);
    ASSERT_EQ(Load(p.Build()), PsdReader::kRead);
    EXPECT_EQ(Pixel(0, 0), 0x008040u);
    EXPECT_EQ(Pixel(2, 0), 0x028040u);
    EXPECT_EQ(Pixel(0, 1), 0x038040u);
    EXPECT_EQ(Pixel(2, 1), 0x058040u);
}

// Planar samples of `depth` bits: channel c's sample i is a value of its own (floats of 0..1 at
// 32 bits), big-endian as the file keeps them.
Bytes Ramps(uint16_t depth, uint32_t width, uint32_t height)
{
    Bytes b;
    const uint32_t pixels = width * height;
    for (uint32_t c = 0; c < 3; ++c) {
        for (uint32_t i = 0; i < pixels; ++i) {
            const double share = double((i * 37 + c * 91) % 256) / 255.0;
            if (depth == 8) {
                b.push_back(uint8_t(share * 255));
            } else if (depth == 16) {
                Put16(b, uint32_t(share * 65535));
            } else {
                const float f = float(share);
                uint32_t bits;
                std::memcpy(&bits, &f, 4);
                Put32(b, bits);
            }
        }
    }
    return b;
}

// What prediction stores of planar samples: per row, the differences from the sample before (16
// bits as words; 32 bits with each row's bytes first split into four runs).
Bytes Predicted(Bytes planes, uint16_t depth, uint32_t width)
{
    const size_t rowBytes = size_t(width) * (depth / 8);
    for (size_t at = 0; at < planes.size(); at += rowBytes) {
        uint8_t* row = planes.data() + at;
        if (depth == 16) {
            for (size_t i = rowBytes - 2; i >= 2; i -= 2) {
                const unsigned d = ((row[i] << 8) | row[i + 1]) - ((row[i - 2] << 8) | row[i - 1]);
                row[i] = uint8_t(d >> 8);
                row[i + 1] = uint8_t(d);
            }
            continue;
        }
        if (depth == 32) {
            Bytes split(rowBytes);
            for (size_t x = 0; x < width; ++x)
                for (size_t k = 0; k < 4; ++k)
                    split[k * width + x] = row[4 * x + k];
            std::memcpy(row, split.data(), rowBytes);
        }
        for (size_t i = rowBytes - 1; i >= 1; --i)
            row[i] = uint8_t(row[i] - row[i - 1]);
    }
    return planes;
}

Bytes Deflated(const Bytes& data)
{
    uLongf size = compressBound(uLong(data.size()));
    Bytes out(size);
    EXPECT_EQ(compress(out.data(), &size, data.data(), uLong(data.size())), Z_OK);
    out.resize(size);
    return out;
}

// ZIP, with and without prediction, at 8, 16 and 32 bits: the same picture as the raw file's; a
// stream cut short or with too few planes reads no picture.
TEST_F(PsdReaderTest, ZipPlanesReadAsTheirRawPicture)
{
    const uint32_t width = 7, height = 3;
    for (const uint16_t depth : {8, 16, 32}) {
        SCOPED_TRACE(depth);
        Psd raw;
        raw.width = width;
        raw.height = height;
        raw.depth = depth;
        raw.image = Ramps(depth, width, height);
        ASSERT_EQ(Load(raw.Build()), PsdReader::kRead);
        std::vector<uint32_t> want;
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x)
                want.push_back(Pixel(int(x), int(y)));
        m_reader.Cleanup();
        for (const uint16_t compression : {2, 3}) {
            SCOPED_TRACE(compression);
            Psd zip = raw;
            zip.compression = compression;
            zip.image = Deflated(compression == 3 ? Predicted(raw.image, depth, width) : raw.image);
            ASSERT_EQ(Load(zip.Build()), PsdReader::kRead);
            for (uint32_t y = 0; y < height; ++y)
                for (uint32_t x = 0; x < width; ++x)
                    EXPECT_EQ(Pixel(int(x), int(y)), want[y * width + x]) << x << "," << y;
            m_reader.Cleanup();
            Psd cut = zip;
            cut.image.resize(cut.image.size() / 2);
            EXPECT_EQ(Load(cut.Build()), PsdReader::kNoImage);
            m_reader.Cleanup();
            Psd shortStream = zip;
            shortStream.image = Deflated(Bytes(raw.image.begin(), raw.image.begin() + raw.image.size() / 2));
            EXPECT_EQ(Load(shortStream.Build()), PsdReader::kNoImage);
            m_reader.Cleanup();
        }
    }
}

TEST_F(PsdReaderTest, RunLengthRunsAreClippedToTheirPlane)
{
    Psd p;
    p.mode = 1;
    p.channels = 2;
    p.width = 2;
    p.height = 1;
    p.compression = 1;
    // Channel 0: a run of 100 bytes 0x33 for a plane of 2; channel 1 follows.
    p.image = {uint8_t(257 - 100), 0x33, 0x80, uint8_t(257 - 2), 0x99};
    ASSERT_EQ(Load(p.Build()), PsdReader::kRead);
    EXPECT_EQ(Pixel(0, 0), 0x333333u);
    EXPECT_EQ(Pixel(1, 0), 0x333333u);
}

// 1-bit bitmaps, 32-bit floats and 16-bit multichannel files give pictures; success always
// comes with a bitmap.
TEST_F(PsdReaderTest, OneBitFloatAndMultichannelPages)
{
    Psd bits;
    bits.channels = 1;
    bits.mode = 0;
    bits.depth = 1;
    bits.width = 10;
    bits.height = 2;
    bits.image = {0x80, 0x40, 0x00, 0x01}; // row 0: x 0 and 9 black; row 1: x 15 padding only
    ASSERT_EQ(Load(bits.Build()), PsdReader::kRead);
    ASSERT_NE(m_reader.GetBitmap(), nullptr);
    EXPECT_EQ(Pixel(0, 0), 0x000000u);
    EXPECT_EQ(Pixel(1, 0), 0xFFFFFFu);
    EXPECT_EQ(Pixel(9, 0), 0x000000u);
    EXPECT_EQ(Pixel(9, 1), 0xFFFFFFu);
    m_reader.Cleanup();

    Psd floats;
    floats.depth = 32;
    floats.width = 1;
    floats.height = 1;
    for (float v : {1.0f, 0.5f, 0.0f}) {
        uint32_t word;
        std::memcpy(&word, &v, sizeof word);
        Put32(floats.image, word);
    }
    ASSERT_EQ(Load(floats.Build()), PsdReader::kRead);
    ASSERT_NE(m_reader.GetBitmap(), nullptr);
    EXPECT_EQ(Pixel(0, 0), 0xFF8000u);
    m_reader.Cleanup();

    for (uint16_t channels : {1, 2, 3}) {
        Psd multi;
        multi.mode = 7;
        multi.depth = 16;
        multi.channels = channels;
        multi.width = 2;
        multi.height = 1;
        for (uint16_t c = 0; c < channels; ++c)
            for (int x = 0; x < 2; ++x)
                Put16(multi.image, 0xFFFF);
        SCOPED_TRACE(channels);
        ASSERT_EQ(Load(multi.Build()), PsdReader::kRead);
        EXPECT_NE(m_reader.GetBitmap(), nullptr);
        m_reader.Cleanup();
    }
}

TEST_F(PsdReaderTest, ResolutionAndKeptResources)
{
    Psd p;
    p.image = FlatPlanes({1, 2, 3}, 4);
    // A resolution block longer than its values, and an odd-sized block with a name after it: the
    // reader must go on at each block's stated end.
    Bytes longResolution = ResolutionResource(300, 150);
    longResolution[11] += 6;
    longResolution.insert(longResolution.end(), 6, 0xEE);
    Bytes named = {'8', 'B', 'I', 'M', 0x04, 0x16, 3, 'a', 'b', 'c'};
    Put32(named, 3);
    named.insert(named.end(), {0, 9, 0xCC, 0});
    p.resources = longResolution;
    p.resources.insert(p.resources.end(), named.begin(), named.end());
    p.resources.insert(p.resources.end(), {'8', 'B', 'I', 'M', 0x04, 0x0D, 0, 0, 0, 0, 0, 4,
                                           0, 0, 0, 45});
    ASSERT_EQ(Load(p.Build()), PsdReader::kRead);
    const PsdReader::Resources& r = m_reader.GetResources();
    EXPECT_TRUE(r.hasResolution);
    EXPECT_EQ(r.xDpi, 300);
    EXPECT_EQ(r.yDpi, 150);
    EXPECT_TRUE(r.hasGlobalAngle);
    EXPECT_EQ(r.globalAngle, 45);
    EXPECT_TRUE(r.hasIndexedColorCount);
    EXPECT_EQ(r.indexedColorCount, 9);
    DIBSECTION ds = {};
    ASSERT_EQ(GetObject(m_reader.GetBitmap(), sizeof(ds), &ds), int(sizeof(ds)));
    EXPECT_EQ(ds.dsBmih.biXPelsPerMeter, 11811);
    EXPECT_EQ(ds.dsBmih.biYPelsPerMeter, 5905);
    EXPECT_STREQ(m_reader.GetColorModeName(), "RGB");
}

TEST_F(PsdReaderTest, DefaultsWithoutResources)
{
    Psd p;
    p.image = FlatPlanes({1, 2, 3}, 4);
    ASSERT_EQ(Load(p.Build()), PsdReader::kRead);
    DIBSECTION ds = {};
    ASSERT_EQ(GetObject(m_reader.GetBitmap(), sizeof(ds), &ds), int(sizeof(ds)));
    EXPECT_EQ(ds.dsBmih.biXPelsPerMeter, 3780);
    EXPECT_EQ(ds.dsBmih.biYPelsPerMeter, 3780);
    EXPECT_EQ(m_reader.GetResources().globalAngle, 30);
    EXPECT_FALSE(m_reader.GetResources().hasResolution);
}

TEST_F(PsdReaderTest, DetachedBitmapSurvivesCleanup)
{
    Psd p;
    p.image = FlatPlanes({1, 2, 3}, 4);
    ASSERT_EQ(Load(p.Build()), PsdReader::kRead);
    HBITMAP bitmap = m_reader.DetachBitmap();
    m_reader.Cleanup();
    BITMAP bm = {};
    EXPECT_EQ(GetObject(bitmap, sizeof(bm), &bm), int(sizeof(bm)));
    EXPECT_TRUE(DeleteObject(bitmap));
}

TEST(PsdReaderNames, ColourModeNames)
{
    const struct {
        uint16_t mode;
        const char* name;
    } cases[] = {{0, "Bitmap"}, {1, "Grayscale"}, {2, "Indexed"}, {3, "RGB"}, {4, "CMYK"},
                 {7, "Multichannel"}, {8, "Duotone"}, {9, "Lab"}, {5, nullptr}, {6, nullptr}};
    orvo::test::TempDir dir;
    for (const auto& c : cases) {
        Psd p;
        p.mode = c.mode;
        const Bytes file = p.Build();
        const std::string path = dir / "m.psd";
        ASSERT_TRUE(orvo::test::WriteFileBytes(path, file.data(), file.size()));
        PsdReader reader;
        reader.Load(path.c_str());
        if (c.name)
            EXPECT_STREQ(reader.GetColorModeName(), c.name);
        else
            EXPECT_EQ(reader.GetColorModeName(), nullptr);
    }
}

// Every truncation and a few thousand byte changes of valid files: each load ends with a failing
// result code, never a crash, a hang or a picture.
TEST_F(PsdReaderTest, MalformedInputFailsCleanly)
{
    Psd raw;
    raw.width = 5;
    raw.height = 3;
    raw.resources = ResolutionResource(72, 72);
    raw.image = FlatPlanes({10, 20, 30}, 15);
    Psd rle = raw;
    rle.mode = 4;
    rle.channels = 4;
    rle.compression = 1;
    rle.image.clear();
    for (int ch = 0; ch < 4; ++ch)
        for (int row = 0; row < 3; ++row)
            rle.image.insert(rle.image.end(), {uint8_t(257 - 3), uint8_t(ch * 40), 1, 7, 8});
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 16;
    };
    for (const Bytes& valid : {raw.Build(), rle.Build()}) {
        for (size_t n = 0; n < valid.size(); ++n) {
            EXPECT_LE(Load(Bytes(valid.begin(), valid.begin() + n)), 0) << "cut to " << n << " bytes";
            m_reader.Cleanup();
        }
        for (int i = 0; i < 1500; ++i) {
            Bytes b = valid;
            const int changes = 1 + next() % 4;
            for (int k = 0; k < changes; ++k)
                b[next() % b.size()] = uint8_t(next());
            const int result = Load(b);
            EXPECT_LE(result, 0);
            m_reader.Cleanup();
        }
    }
}

} // namespace
