// Thumbnails of a folder of generated drawings and photos (4000 x 3000 JPEG): how many per second
// cold (drawn by the engine or decoded and scaled, then stored in the folder's cache library) and
// warm (every one from the cache library), the size of the library, and the codec's own decode
// time of one photo for comparison. Prints figures; not a test.
//   ThumbnailCacheBench.exe [drawings] [photos]
#include "bench/BenchDrawingGenerator.h"
#include "engine/rkapp/rkapp.h"
#include "engine/rkio/rkio.h"
#include "imaging/CDib.h"
#include "imaging/CRasterImage.h"
#include "render/CacheFile.h"
#include "render/TImageLib.h"
#include "render/TLibIndexTree.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const int kThumbWidth = 96;
const int kThumbHeight = 72;
const DWORD kJpegFormat = 3;

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool TakeDib(const CDib& dib, KBMP& picture)
{
    BYTE* image = dib.GetBmpFileImage();
    if (!image || !picture.Attach(image, false))
        return false;
    picture.SetSize(kThumbWidth, kThumbHeight);
    return true;
}

bool DrawingThumbnail(void* document, const std::string& path, KBMP& picture)
{
    CDrawing* drawing = CDrawing::CreateDrawing(1);
    bool made = false;
    CDib dib;
    if (drawing->Open(path.c_str(), "") == 0 && dib.Create(kThumbWidth, kThumbHeight, 24)) {
        drawing->SetOutputSize(kThumbWidth, kThumbHeight);
        dib.Fill(RGB(255, 255, 255));
        const HDC dc = dib.BeginMemDC();
        made = dc && draw(document, drawing, dc, kThumbWidth, kThumbHeight, 0) == 1;
        dib.EndMemDC();
    }
    CDrawing::DeleteDrawing(drawing);
    return made && TakeDib(dib, picture);
}

std::string ReadWhole(const std::string& path)
{
    std::string bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char block[65536];
        size_t got = 0;
        while ((got = std::fread(block, 1, sizeof block, file)) > 0)
            bytes.append(block, got);
        std::fclose(file);
    }
    return bytes;
}

// Decoded whole, then scaled into the thumbnail with its aspect kept.
bool PhotoThumbnail(const std::string& path, KBMP& picture)
{
    const std::string bytes = ReadWhole(path);
    CRasterImage image;
    if (bytes.empty() ||
        !image.Decode(reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size()),
                      kJpegFormat))
        return false;
    const double scale = std::min(double(kThumbWidth) / image.GetWidth(),
                                  double(kThumbHeight) / image.GetHeight());
    const int width = std::max(1, int(image.GetWidth() * scale));
    const int height = std::max(1, int(image.GetHeight() * scale));
    CDib dib;
    if (!dib.Create(width, height, 24))
        return false;
    const HDC dc = dib.BeginMemDC();
    SetStretchBltMode(dc, HALFTONE);
    image.Stretch(dc, 0, 0, width, height);
    dib.EndMemDC();
    return TakeDib(dib, picture);
}

bool WritePhoto(const std::string& path)
{
    CRasterImage image;
    if (!image.Create(4000, 3000, 24, kJpegFormat))
        return false;
    for (DWORD y = 0; y < 3000; ++y) {
        BYTE* row = image.GetBits(y);
        for (DWORD x = 0; x < 4000; ++x) {
            row[3 * x] = BYTE(x * 255 / 4000);
            row[3 * x + 1] = BYTE(y * 255 / 3000);
            row[3 * x + 2] = BYTE((x ^ y) & 0xFF);
        }
    }
    return image.Save(path.c_str(), kJpegFormat);
}

std::string Numbered(const std::string& folder, const char* stem, int i, const char* ext)
{
    char name[64];
    std::snprintf(name, sizeof name, "%s%03d.%s", stem, i, ext);
    return folder + name;
}

} // namespace

int main(int argc, char** argv)
{
    const int drawings = argc > 1 ? std::atoi(argv[1]) : 200;
    const int photos = argc > 2 ? std::atoi(argv[2]) : 200;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder =
        std::string(temp) + "orvo-thumbbench-" + std::to_string(GetCurrentProcessId()) + "\\";
    const std::string cacheFolder = folder + "cache\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA(cacheFolder.c_str(), nullptr);
    std::vector<std::string> paths;
    for (int i = 0; i < drawings; ++i) {
        paths.push_back(Numbered(folder, "drawing", i, "dxf"));
        bench::WriteBenchDrawing(paths.back(), 300 + i, 30);
    }
    const std::string photo = folder + "photo000.jpg";
    if (photos > 0 && !WritePhoto(photo)) {
        std::printf("could not write the photo\n");
        return 1;
    }
    for (int i = 0; i < photos; ++i) {
        paths.push_back(Numbered(folder, "photo", i, "jpg"));
        if (i > 0)
            CopyFileA(photo.c_str(), paths.back().c_str(), FALSE);
    }

    InitDLL();
    CreateLibIndexTree(cacheFolder.c_str(), false, true);
    void* document = create();
    int made = 0;
    auto start = std::chrono::steady_clock::now();
    {
        TImageLib lib;
        lib.Load(folder.c_str());
        for (const std::string& path : paths) {
            KBMP picture;
            const bool isPhoto = path.size() > 4 && path.compare(path.size() - 4, 4, ".jpg") == 0;
            if (isPhoto ? PhotoThumbnail(path, picture) : DrawingThumbnail(document, path, picture)) {
                lib.Store(path.c_str(), &picture, kThumbWidth, kThumbHeight);
                ++made;
            }
        }
        lib.Flush(folder.c_str(), false, kThumbWidth, kThumbHeight);
        lib.WaitForWriter(120000);
    }
    const double cold = Seconds(start);

    start = std::chrono::steady_clock::now();
    int hits = 0;
    {
        TImageLib lib;
        lib.Load(folder.c_str());
        for (const std::string& path : paths) {
            KBMP picture;
            if (lib.Lookup(path.c_str(), kThumbWidth, kThumbHeight, &picture))
                ++hits;
        }
    }
    const double warm = Seconds(start);

    double decode = 0.0;
    if (photos > 0) {
        const std::string bytes = ReadWhole(photo);
        start = std::chrono::steady_clock::now();
        CRasterImage image;
        image.Decode(reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size()), kJpegFormat);
        decode = Seconds(start);
    }
    CString libPath;
    DWORD libSize = 0;
    if (GetLibIndexTree()->FindLib(folder.c_str(), libPath))
        CacheFile::FindFileInfo(libPath, nullptr, reinterpret_cast<uint32_t*>(&libSize));

    std::printf("files %zu (%d drawings, %d photos 4000x3000), thumbnails %dx%d\n", paths.size(),
                drawings, photos, kThumbWidth, kThumbHeight);
    std::printf("cold: %d made in %.3f s, %.1f per second, %.2f ms each\n", made, cold,
                made / cold, 1000.0 * cold / std::max(made, 1));
    std::printf("warm: %d from the cache in %.3f s, %.1f per second, %.3f ms each\n", hits, warm,
                hits / std::max(warm, 1e-9), 1000.0 * warm / std::max(hits, 1));
    std::printf("codec alone: one photo decoded in %.2f ms\n", 1000.0 * decode);
    std::printf("cache library: %lu bytes\n", static_cast<unsigned long>(libSize));

    release(document);
    DeleteLibIndexTree();
    UninitDLL();
    for (const std::string& path : paths)
        DeleteFileA(path.c_str());
    DeleteFileA(libPath);
    DeleteFileA((cacheFolder + "OrvoKestalLibIndex.opsidx").c_str());
    RemoveDirectoryA(cacheFolder.c_str());
    RemoveDirectoryA(folder.c_str());
    return 0;
}
