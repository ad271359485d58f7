// Decodes every picture of a list as the viewer opens it (the format by the file's extension,
// Photoshop files through their reader) and prints one line a file, flushed at once:
//   <index> START <path>
//   <index> OK|FAIL <milliseconds> <width> <height> <error text>
// A file still decoding after the time limit prints "<index> HANG <milliseconds>" and ends the
// process with code 3; a crash ends it without a result line. scripts/image-sweep.sh starts it
// again after the last file that printed START.
//   ImageSweepDecode.exe <list file> [first index] [seconds per file, default 20]
#include "imaging/CRasterImage.h"
#include "imaging/KImage.h"
#include "imaging/PsdReader.h"

#include <windows.h>

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

long long NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
}

// Ends the process when one file takes longer than the limit.
void Watch(long long limitMs)
{
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const long index = g_current.load();
        const long long elapsed = NowMs() - g_startedMs.load();
        if (index >= 0 && elapsed > limitMs) {
            std::printf("%ld HANG %lld\n", index, elapsed);
            std::fflush(stdout);
            ExitProcess(3);
        }
    }
}

struct Result
{
    bool ok = false;
    unsigned long width = 0, height = 0;
    std::string error;
};

Result DecodePhotoshop(const std::string& path)
{
    Result r;
    PsdReader reader;
    const int code = reader.Load(path.c_str());
    r.ok = code == PsdReader::kRead && reader.GetBitmap() != nullptr;
    r.width = reader.GetWidth() > 0 ? unsigned(reader.GetWidth()) : 0;
    r.height = reader.GetHeight() > 0 ? unsigned(reader.GetHeight()) : 0;
    if (!r.ok)
        r.error = "PsdReader code " + std::to_string(code);
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

Result Decode(const std::string& path)
{
    const DWORD format = FormatOf(path);
    if (format == RASTER_FORMAT_PSD)
        return DecodePhotoshop(path);
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
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: ImageSweepDecode <list file> [first index] [seconds]\n");
        return 2;
    }
    const long first = argc > 2 ? std::atol(argv[2]) : 0;
    const long long limitMs = (argc > 3 ? std::atoll(argv[3]) : 20) * 1000;
    std::ifstream list(argv[1]);
    std::vector<std::string> paths;
    for (std::string line; std::getline(list, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        paths.push_back(line);
    }
    // Errors of the system must not stop the run with a dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    std::thread(Watch, limitMs).detach();
    for (long i = first; i < long(paths.size()); ++i) {
        std::printf("%ld START %s\n", i, paths[size_t(i)].c_str());
        std::fflush(stdout);
        g_startedMs = NowMs();
        g_current = i;
        Result r;
        try {
            r = Decode(paths[size_t(i)]);
        } catch (...) {
            r.error = "exception";
        }
        const long long ms = NowMs() - g_startedMs.load();
        g_current = -1;
        for (char& c : r.error)
            if (c == '\n' || c == '\r')
                c = ' ';
        std::printf("%ld %s %lld %lu %lu %s\n", i, r.ok ? "OK" : "FAIL", ms, r.width, r.height,
                    r.error.c_str());
        std::fflush(stdout);
    }
    return 0;
}
