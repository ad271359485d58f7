// Hostile BMP input: every truncation of a few valid files and thousands of deterministic byte
// mutations must decode or fail cleanly, never crash, hang or write outside the picture.
#include "framework/CFile.h"
#include "imaging/CDib.h"
#include "imaging/CGDIDevice.h"
#include "imaging/CRasterImage.h"
#include "imaging/PackedDib.h"
#include "tests/support/TestSupport.h"
#include "imaging/CRasterMemFile.h"
#include "tests/imaging/RasterTestImages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

RGBQUAD Grey(int i)
{
    return RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
}

std::vector<RGBQUAD> Greys(int count)
{
    std::vector<RGBQUAD> palette;
    for (int i = 0; i < count; ++i)
        palette.push_back(Grey(i * 255 / (count - 1)));
    return palette;
}

// Small valid files of every kind the reader handles.
std::vector<std::vector<BYTE>> Seeds()
{
    std::vector<std::vector<BYTE>> seeds;
    BmpFileSpec rle8;
    rle8.width = 6;
    rle8.height = 4;
    rle8.bits = 8;
    rle8.compression = BI_RLE8;
    rle8.palette = Greys(256);
    rle8.pixels = {3, 9, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1, 4, 7, 0, 0, 6, 1, 0, 1};
    seeds.push_back(MakeBmpFile(rle8));
    BmpFileSpec rle4;
    rle4.width = 7;
    rle4.height = 3;
    rle4.bits = 4;
    rle4.compression = BI_RLE4;
    rle4.palette = Greys(16);
    rle4.pixels = {5, 0x1F, 0, 0, 0, 5, 0x12, 0x34, 0x50, 0, 0, 2, 1, 1, 2, 0xAB, 0, 1};
    seeds.push_back(MakeBmpFile(rle4));
    BmpFileSpec masks;
    masks.width = 3;
    masks.height = -2;
    masks.bits = 16;
    masks.compression = BI_BITFIELDS;
    masks.masks = {0xF800, 0x07E0, 0x001F};
    masks.pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    seeds.push_back(MakeBmpFile(masks));
    BmpFileSpec os2;
    os2.headerSize = 12;
    os2.width = 5;
    os2.height = 2;
    os2.bits = 4;
    os2.palette = Greys(16);
    os2.pixels = {0x12, 0x34, 0x50, 0, 0x67, 0x89, 0xA0, 0};
    seeds.push_back(MakeBmpFile(os2));
    BmpFileSpec bare;
    bare.fileHeader = false;
    bare.width = 9;
    bare.height = 2;
    bare.bits = 1;
    bare.palette = Greys(2);
    bare.pixels = {0xAA, 0x80, 0, 0, 0x55, 0x00, 0, 0};
    seeds.push_back(MakeBmpFile(bare));
    BmpFileSpec deep;
    deep.width = 2;
    deep.height = 2;
    deep.bits = 32;
    deep.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    seeds.push_back(MakeBmpFile(deep));
    CRasterImage picture;
    FillPattern(picture, 5, 3, 24);
    CRasterMemFile stream;
    stream.Open();
    picture.Encode(&stream, 1);
    const BYTE* encoded = stream.GetBuffer(false);
    seeds.emplace_back(encoded, encoded + stream.Size());
    return seeds;
}

// Decodes through detection and by code; a picture that comes out must be whole and usable.
// Counts the decodes that gave a picture.
void DecodeCleanly(const std::vector<BYTE>& bytes, int& decodedCount)
{
    static const BYTE nothing = 0;
    for (DWORD code : {0u, 1u}) {
        CRasterImage image;
        const bool decoded =
            image.Decode(bytes.empty() ? &nothing : bytes.data(), static_cast<DWORD>(bytes.size()), code);
        if (!decoded) {
            ASSERT_FALSE(image.IsValid());
            ASSERT_NE(image.GetLastError()[0], '\0');
            continue;
        }
        ++decodedCount;
        ASSERT_TRUE(image.IsValid());
        ASSERT_GT(image.GetWidth(), 0u);
        ASSERT_GT(image.GetHeight(), 0u);
        // Reading every pixel and writing the picture again touches all of its memory.
        unsigned sum = 0;
        for (long y = 0; y < static_cast<long>(image.GetHeight()) && y < 64; ++y)
            for (long x = 0; x < static_cast<long>(image.GetWidth()) && x < 64; ++x)
                sum += image.GetPixelColor(x, y).rgbRed;
        (void)sum;
        CRasterMemFile out;
        ASSERT_TRUE(out.Open());
        ASSERT_TRUE(image.Encode(&out, 1));
    }
}

TEST(BmpMalformedInput, EveryTruncation)
{
    int decoded = 0;
    for (const std::vector<BYTE>& seed : Seeds()) {
        for (size_t length = 0; length < seed.size(); ++length) {
            SCOPED_TRACE(length);
            DecodeCleanly(std::vector<BYTE>(seed.begin(), seed.begin() + length), decoded);
        }
    }
    // Files cut inside their last rows still give a picture; the rest fail.
    EXPECT_GT(decoded, 10);
}

// Deterministic mutations: a few bytes of a seed replaced, mostly in the headers where the sizes
// and counts live, by boundary values or random ones.
class Mutator
{
public:
    std::vector<BYTE> Mutate(const std::vector<BYTE>& seed)
    {
        static const BYTE interesting[] = {0x00, 0x01, 0x02, 0x03, 0x0C, 0x28, 0x40, 0x7F, 0x80, 0xFE, 0xFF};
        std::vector<BYTE> bytes = seed;
        const int changes = 1 + static_cast<int>(Next() % 4);
        for (int i = 0; i < changes && !bytes.empty(); ++i) {
            const size_t span = (Next() % 4) ? std::min<size_t>(bytes.size(), 60) : bytes.size();
            const size_t at = Next() % span;
            bytes[at] = (Next() & 1) ? interesting[Next() % sizeof(interesting)]
                                     : static_cast<BYTE>(Next());
        }
        return bytes;
    }

private:
    uint32_t Next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    uint32_t m_state = 0x2545F491;
};

TEST(BmpMalformedInput, DeterministicMutations)
{
    const std::vector<std::vector<BYTE>> seeds = Seeds();
    Mutator mutator;
    int decoded = 0;
    const int rounds = 4000;
    for (int round = 0; round < rounds; ++round) {
        const std::vector<BYTE> bytes = mutator.Mutate(seeds[static_cast<size_t>(round) % seeds.size()]);
        SCOPED_TRACE(round);
        DecodeCleanly(bytes, decoded);
        if (HasFatalFailure())
            return;
    }
    // Both outcomes occur: the sweep is not all refusals nor all harmless pixel changes.
    EXPECT_GT(decoded, rounds / 4);
    EXPECT_LT(decoded, rounds * 2 - rounds / 4);
}

// Packed DIBs as the clipboard, resources and CDib hand them over: no file header.
std::vector<std::vector<BYTE>> DibSeeds()
{
    std::vector<std::vector<BYTE>> seeds;
    BmpFileSpec eight;
    eight.fileHeader = false;
    eight.width = 5;
    eight.height = 3;
    eight.bits = 8;
    eight.clrUsed = 4;
    eight.palette = Greys(4);
    eight.pixels.assign(24, 2);
    seeds.push_back(MakeBmpFile(eight));
    BmpFileSpec rle = eight;
    rle.compression = BI_RLE8;
    rle.pixels = {5, 1, 0, 0, 3, 2, 0, 1};
    rle.sizeImage = static_cast<DWORD>(rle.pixels.size());
    seeds.push_back(MakeBmpFile(rle));
    BmpFileSpec fields;
    fields.fileHeader = false;
    fields.width = 3;
    fields.height = 2;
    fields.bits = 16;
    fields.compression = BI_BITFIELDS;
    fields.masks = {0xF800, 0x07E0, 0x001F};
    fields.pixels.assign(16, 0x5A);
    seeds.push_back(MakeBmpFile(fields));
    BmpFileSpec core;
    core.fileHeader = false;
    core.headerSize = 12;
    core.width = 9;
    core.height = 2;
    core.bits = 1;
    core.palette = Greys(2);
    core.pixels = {0xAA, 0x80, 0, 0, 0x55, 0, 0, 0};
    seeds.push_back(MakeBmpFile(core));
    BmpFileSpec deep;
    deep.fileHeader = false;
    deep.width = 2;
    deep.height = 2;
    deep.bits = 32;
    deep.pixels.assign(16, 0x33);
    seeds.push_back(MakeBmpFile(deep));
    return seeds;
}

// A DIB that was accepted must be whole: every operation that reads it runs to the end.
void UseDib(CDib& dib, CGDIDevice& device)
{
    ASSERT_GT(dib.GetWidth(), 0);
    ASSERT_GT(dib.GetHeight(), 0);
    dib.Draw(device.GetDC(), 0, 0);
    if (BYTE* image = dib.GetBmpFileImage())
        free(image);
    dib.RotateLeft();
    dib.ChangeBitCount(24);
}

TEST(PackedDibMalformedInput, AttachTruncationsAndMutations)
{
    CGDIDevice device;
    ASSERT_TRUE(device.Create(16, 16, 3));
    const std::vector<std::vector<BYTE>> seeds = DibSeeds();
    int attached = 0;
    const auto attach = [&](const std::vector<BYTE>& bytes) {
        HGLOBAL block = CopyToDibHandle(bytes.data(), bytes.size());
        CDib dib;
        if (!block)
            return;
        if (!dib.Attach(block)) {
            DibFree(block); // refused: still the caller's
            return;
        }
        ++attached;
        UseDib(dib, device);
    };
    for (const std::vector<BYTE>& seed : seeds) {
        std::vector<BYTE> whole = seed;
        attach(whole);
        for (size_t length = 1; length < seed.size(); ++length)
            attach(std::vector<BYTE>(seed.begin(), seed.begin() + length));
    }
    // Only whole DIBs are taken; the run-length seed never is, since a DIB section cannot hold
    // compressed rows.
    EXPECT_EQ(attached, static_cast<int>(seeds.size()) - 1);
    Mutator mutator;
    const int rounds = 3000;
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE(round);
        attach(mutator.Mutate(seeds[static_cast<size_t>(round) % seeds.size()]));
        if (HasFatalFailure())
            return;
    }
    EXPECT_GT(attached, rounds / 10);
    EXPECT_LT(attached, rounds);
}

TEST(PackedDibMalformedInput, ReadFileTruncationsAndMutations)
{
    orvo::test::TempDir dir;
    CGDIDevice device;
    ASSERT_TRUE(device.Create(16, 16, 3));
    int read = 0;
    const auto readFile = [&](const std::vector<BYTE>& bytes) {
        const std::string path = dir / "m.bmp";
        ASSERT_TRUE(orvo::test::WriteFileBytes(path, bytes.data(), bytes.size()));
        CFile file(path.c_str(), CFile::modeRead);
        CDib dib;
        if (dib.ReadFile(file)) {
            ++read;
            UseDib(dib, device);
        }
    };
    std::vector<std::vector<BYTE>> seeds;
    for (const std::vector<BYTE>& dib : DibSeeds()) {
        if (dib[0] != 40)
            continue; // files carry 40-byte headers only
        std::vector<BYTE> file = {'B', 'M'};
        const DWORD size = static_cast<DWORD>(dib.size() + 14);
        for (int i = 0; i < 4; ++i)
            file.push_back(static_cast<BYTE>(size >> (8 * i)));
        file.insert(file.end(), {0, 0, 0, 0, 54, 0, 0, 0});
        file.insert(file.end(), dib.begin(), dib.end());
        seeds.push_back(file);
    }
    for (const std::vector<BYTE>& seed : seeds)
        for (size_t length = 0; length <= seed.size(); ++length)
            readFile(std::vector<BYTE>(seed.begin(), seed.begin() + length));
    EXPECT_EQ(read, static_cast<int>(seeds.size()) - 1); // all but the run-length seed
    Mutator mutator;
    for (int round = 0; round < 600; ++round) {
        SCOPED_TRACE(round);
        readFile(mutator.Mutate(seeds[static_cast<size_t>(round) % seeds.size()]));
        if (HasFatalFailure())
            return;
    }
}

} // namespace
