// Decodes every picture of a list as the viewer opens it (the format by the file's extension,
// Photoshop files through their reader) and prints one line a file, flushed at once:
//   <index> START <path>
//   <index> OK|FAIL <milliseconds> <peak KB> <width> <height> <error text>
// The peak is the most the process's working set grew over its size before the file. A file
// still decoding after the time limit prints "<index> HANG <milliseconds> <peak KB>" and ends the
// process with code 3; one whose decoding grows past the memory limit prints "<index> MEMORY
// <milliseconds> <peak KB>" and ends it with code 4; a crash ends it without a result line.
// scripts/image-sweep.sh starts it again after the last file that printed START. With an output
// folder, each decoded picture is written there as <index>.ppm (its colours, top row first) and,
// when it has transparency, <index>.pgm (255 where opaque), for comparison with another decoder.
//   ImageSweepDecode.exe <list file> [first index] [seconds per file, default 20]
//                        [megabytes per file, default 1024] [output folder]
#include "imaging/CRasterImage.h"
#include "imaging/KImage.h"
#include "imaging/PsdReader.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<long> g_current{-1};
std::atomic<long long> g_startedMs{0};
std::atomic<long long> g_baseBytes{0};
std::atomic<long long> g_peakBytes{0};

long long NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
}

long long WorkingSetBytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)
               ? static_cast<long long>(counters.WorkingSetSize)
               : 0;
}

long long PeakKilobytes()
{
    return std::max(0LL, g_peakBytes.load() - g_baseBytes.load()) >> 10;
}

// Follows the memory of the file being decoded and ends the process when one file takes longer
// or grows larger than the limits.
void Watch(long long limitMs, long long limitBytes)
{
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const long index = g_current.load();
        if (index < 0)
            continue;
        const long long now = WorkingSetBytes();
        if (now > g_peakBytes.load())
            g_peakBytes = now;
        const long long elapsed = NowMs() - g_startedMs.load();
        const bool hang = elapsed > limitMs;
        if (hang || now - g_baseBytes.load() > limitBytes) {
            std::printf("%ld %s %lld %lld\n", index, hang ? "HANG" : "MEMORY", elapsed, PeakKilobytes());
            std::fflush(stdout);
            ExitProcess(hang ? 3 : 4);
        }
    }
}

// The picture as a PPM of its colours and, when it has transparency, a PGM of its opacity.
void WritePicture(const CRasterImage& image, const std::string& stem)
{
    const long width = long(image.GetWidth()), height = long(image.GetHeight());
    const bool alpha = image.AlphaIsValid();
    const bool keyed = image.IsIndexed() && image.IsTransparent();
    std::ofstream colours(stem + ".ppm", std::ios::binary);
    colours << "P6\n" << width << " " << height << "\n255\n";
    std::vector<char> row(size_t(width) * 3);
    std::vector<char> opacity(static_cast<size_t>(width));
    std::ofstream mask;
    if (alpha || keyed) {
        mask.open(stem + ".pgm", std::ios::binary);
        mask << "P5\n" << width << " " << height << "\n255\n";
    }
    for (long y = height; y-- > 0;) {
        for (long x = 0; x < width; ++x) {
            const RGBQUAD c = image.GetPixelColor(x, y, false);
            row[size_t(x) * 3] = char(c.rgbRed);
            row[size_t(x) * 3 + 1] = char(c.rgbGreen);
            row[size_t(x) * 3 + 2] = char(c.rgbBlue);
            const bool clear = keyed && LONG(image.GetPixelIndex(x, y)) == image.GetTransIndex();
            opacity[size_t(x)] = char(alpha ? image.AlphaGet(x, y) : clear ? 0 : 255);
        }
        colours.write(row.data(), std::streamsize(row.size()));
        if (mask.is_open())
            mask.write(opacity.data(), std::streamsize(opacity.size()));
    }
}

struct Result
{
    bool ok = false;
    unsigned long width = 0, height = 0;
    std::string error;
};

Result DecodePhotoshop(const std::string& path, const std::string& stem)
{
    Result r;
    PsdReader reader;
    const int code = reader.Load(path.c_str());
    r.ok = code == PsdReader::kRead && reader.GetBitmap() != nullptr;
    CRasterImage image;
    if (r.ok && !stem.empty() && image.CreateFromHBITMAP(reader.GetBitmap()))
        WritePicture(image, stem);
    r.width = reader.GetWidth() > 0 ? unsigned(reader.GetWidth()) : 0;
    r.height = reader.GetHeight() > 0 ? unsigned(reader.GetHeight()) : 0;
    if (!r.ok)
        r.error = code == PsdReader::kRead ? "Photoshop: a colour mode without a picture"
                                           : PsdReader::ResultText(code);
    reader.Cleanup();
    return r;
}

// The viewer's formats by extension, and the codecs the viewer reaches only by their code.
DWORD FormatOf(const std::string& path)
{
    const DWORD format = KImage::LoadFormatOf(path.c_str());
    if (format != 0)
        return format;
    const size_t dot = path.rfind('.');
    std::string ext = dot == std::string::npos ? std::string() : path.substr(dot + 1);
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "cur")
        return RASTER_FORMAT_ICO;
    if (ext == "jp2")
        return RASTER_FORMAT_JP2;
    if (ext == "j2k" || ext == "j2c" || ext == "jpc")
        return RASTER_FORMAT_JPC;
    if (ext == "pgx")
        return RASTER_FORMAT_PGX;
    if (ext == "pnm" || ext == "ppm" || ext == "pgm" || ext == "pbm")
        return RASTER_FORMAT_PNM;
    if (ext == "ras" || ext == "sun")
        return RASTER_FORMAT_RAS;
    return 0;
}

Result Decode(const std::string& path, const std::string& stem)
{
    const DWORD format = FormatOf(path);
    if (format == RASTER_FORMAT_PSD)
        return DecodePhotoshop(path, stem);
    Result r;
    std::ifstream in(path, std::ios::binary);
    std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) {
        r.error = "empty file";
        return r;
    }
    CRasterImage image(bytes.data(), DWORD(bytes.size()), format);
    r.ok = image.IsValid();
    r.width = image.GetWidth();
    r.height = image.GetHeight();
    if (!r.ok)
        r.error = image.GetLastError();
    else if (!stem.empty())
        WritePicture(image, stem);
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: ImageSweepDecode <list file> [first index] [seconds] [megabytes] [folder]\n");
        return 2;
    }
    const long first = argc > 2 ? std::atol(argv[2]) : 0;
    const long long limitMs = (argc > 3 ? std::atoll(argv[3]) : 20) * 1000;
    const long long limitBytes = (argc > 4 ? std::atoll(argv[4]) : 1024) << 20;
    const std::string output = argc > 5 ? argv[5] : "";
    std::ifstream list(argv[1]);
    std::vector<std::string> paths;
    for (std::string line; std::getline(list, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        paths.push_back(line);
    }
    // Errors of the system must not stop the run with a dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    std::thread(Watch, limitMs, limitBytes).detach();
    for (long i = first; i < long(paths.size()); ++i) {
        std::printf("%ld START %s\n", i, paths[size_t(i)].c_str());
        std::fflush(stdout);
        g_baseBytes = WorkingSetBytes();
        g_peakBytes = g_baseBytes.load();
        g_startedMs = NowMs();
        g_current = i;
        Result r;
        try {
            r = Decode(paths[size_t(i)], output.empty() ? output : output + "\\" + std::to_string(i));
        } catch (...) {
            r.error = "exception";
        }
        const long long ms = NowMs() - g_startedMs.load();
        g_current = -1;
        const long long last = WorkingSetBytes();
        if (last > g_peakBytes.load())
            g_peakBytes = last;
        for (char& c : r.error)
            if (c == '\n' || c == '\r')
                c = ' ';
        std::printf("%ld %s %lld %lld %lu %lu %s\n", i, r.ok ? "OK" : "FAIL", ms, PeakKilobytes(),
                    r.width, r.height, r.error.c_str());
        std::fflush(stdout);
    }
    return 0;
}
