#include "tests/imaging/RasterCodecTestKit.h"

#include "imaging/CRasterMemFile.h"

#include <algorithm>
#include <cstdlib>

namespace orvo::test {

void FillPattern(CRasterImage& image, DWORD width, DWORD height, WORD bpp, bool grey)
{
    image.Create(width, height, bpp, 0);
    if (image.IsIndexed()) {
        const DWORD colors = image.GetNumColors();
        if (grey)
            image.SetGrayPalette();
        else
            for (DWORD i = 0; i < colors; ++i)
                image.SetPaletteColor(BYTE(i), BYTE(i * 37 + 11), BYTE(255 - i * 13),
                                      BYTE(i * 91 + 5));
        for (DWORD y = 0; y < height; ++y)
            for (DWORD x = 0; x < width; ++x)
                image.SetPixelIndex(long(x), long(y), BYTE((x + 3 * y) % colors));
        return;
    }
    for (DWORD y = 0; y < height; ++y)
        for (DWORD x = 0; x < width; ++x)
            image.SetPixelColor(long(x), long(y),
                                RGBQUAD{BYTE(x * 255 / std::max<DWORD>(1, width - 1)),
                                        BYTE(y * 255 / std::max<DWORD>(1, height - 1)),
                                        BYTE((x + y) * 255 / (width + height)), 0});
}

Bytes EncodeToBytes(CRasterImage& image, DWORD format)
{
    CRasterMemFile stream;
    if (!stream.Open() || !image.Encode(&stream, format))
        return Bytes();
    const unsigned char* data = stream.GetBuffer(false);
    return Bytes(data, data + stream.Size());
}

bool DecodeFromBytes(CRasterImage& image, const Bytes& bytes, DWORD format)
{
    static const unsigned char empty = 0;
    return image.Decode(bytes.empty() ? &empty : bytes.data(), DWORD(bytes.size()), format);
}

int MaxChannelDifference(const CRasterImage& a, const CRasterImage& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return 255;
    int worst = 0;
    for (DWORD y = 0; y < a.GetHeight(); ++y)
        for (DWORD x = 0; x < a.GetWidth(); ++x) {
            const RGBQUAD p = a.GetPixelColor(long(x), long(y), false);
            const RGBQUAD q = b.GetPixelColor(long(x), long(y), false);
            worst = std::max({worst, std::abs(p.rgbRed - q.rgbRed),
                              std::abs(p.rgbGreen - q.rgbGreen), std::abs(p.rgbBlue - q.rgbBlue)});
        }
    return worst;
}

int MalformedInputSweep(const std::vector<Bytes>& validFiles, DWORD format, int mutations,
                        size_t mutateWithin, const std::function<void(Bytes&)>& repair)
{
    int decoded = 0;
    auto run = [&](const Bytes& bytes) {
        CRasterImage image;
        // A copy of exactly the bytes, so that a read past the end leaves the block.
        decoded += DecodeFromBytes(image, Bytes(bytes), format) ? 1 : 0;
    };
    for (const Bytes& file : validFiles)
        for (size_t cut = 0; cut < file.size(); ++cut)
            run(Bytes(file.begin(), file.begin() + cut));
    uint32_t seed = 0x2545F491u;
    if (const char* n = getenv("ORVO_SWEEP_MUTATIONS"))
        mutations = atoi(n);
    for (int i = 0; i < mutations; ++i) {
        const Bytes& file = validFiles[size_t(i) % validFiles.size()];
        Bytes mutated = file;
        const size_t span = mutateWithin ? std::min(mutateWithin, file.size()) : file.size();
        const int changes = 1 + i % 4;
        for (int k = 0; k < changes; ++k) {
            seed ^= seed << 13;
            seed ^= seed >> 17;
            seed ^= seed << 5;
            mutated[(seed >> 4) % span] = BYTE(seed >> 24);
        }
        if (repair)
            repair(mutated);
        run(mutated);
    }
    return decoded;
}

} // namespace orvo::test
