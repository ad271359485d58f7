#include "tests/imaging/RasterCodecTestKit.h"

#include "imaging/CRasterMemFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace orvo::test {

namespace {

// The picture's limit as CRasterImage::Create counts it (width x height x bits / 256).
constexpr uint64_t kRasterMaxMemory = 256000000;
// A sweep reports its first few wrong outcomes, not thousands of the same.
constexpr int kReportedFaults = 5;

// One decode's outcome: a failure names its reason and leaves no picture; a success is
// a whole picture whose size lies within bounds (no larger than the valid file's when only cut
// short; within the memory limit when its header was damaged). False when that does not hold.
bool CleanOutcome(const CRasterImage& image, DWORD format, bool decoded, DWORD maxWidth, DWORD maxHeight,
                  std::string& fault)
{
    // The GIF and ICO decoders refuse a damaged file without naming a reason (by their design);
    // every other decoder names one.
    const bool namesReason = format != RASTER_FORMAT_GIF && format != RASTER_FORMAT_ICO;
    if (!decoded) {
        if (namesReason && image.GetLastError()[0] == '\0')
            fault = "failed without an error text";
        else if (image.IsValid())
            fault = std::string("failed but kept a picture (") + image.GetLastError() + ")";
        return fault.empty();
    }
    const uint64_t width = image.GetWidth();
    const uint64_t height = image.GetHeight();
    if (!image.IsValid() || width == 0 || height == 0 || !image.GetBits())
        fault = "succeeded without a picture";
    else if (width * height * image.GetBpp() / 256 > kRasterMaxMemory)
        fault = "succeeded with a picture past the memory limit";
    else if ((maxWidth && width > maxWidth) || (maxHeight && height > maxHeight))
        fault = "succeeded with a picture larger than the whole file's (" + std::to_string(width) + " x " +
                std::to_string(height) + ")";
    return fault.empty();
}

} // namespace

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
    int faults = 0;
    auto run = [&](const Bytes& bytes, DWORD maxWidth, DWORD maxHeight, const std::string& what) {
        CRasterImage image;
        // A copy of exactly the bytes, so that a read past the end leaves the block.
        const bool ok = DecodeFromBytes(image, Bytes(bytes), format);
        decoded += ok ? 1 : 0;
        std::string fault;
        if (!CleanOutcome(image, format, ok, maxWidth, maxHeight, fault) && ++faults <= kReportedFaults)
            ADD_FAILURE() << what << ": " << fault;
    };
    for (size_t f = 0; f < validFiles.size(); ++f) {
        const Bytes& file = validFiles[f];
        CRasterImage whole;
        if (!DecodeFromBytes(whole, file, format)) {
            ADD_FAILURE() << "valid file " << f << " does not decode: " << whole.GetLastError();
            continue;
        }
        for (size_t cut = 0; cut < file.size(); ++cut)
            run(Bytes(file.begin(), file.begin() + cut), whole.GetWidth(), whole.GetHeight(),
                "file " + std::to_string(f) + " cut to " + std::to_string(cut) + " bytes");
    }
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
        run(mutated, 0, 0, "mutation " + std::to_string(i));
    }
    EXPECT_EQ(faults, 0) << "decodes whose outcome was not clean";
    return decoded;
}

} // namespace orvo::test
