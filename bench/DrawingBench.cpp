// Opens a drawing (DXF or DWG) with the engine and renders it into an off-screen picture, printing
// the load and draw seconds, the entities by type and the layer count; optionally writes the
// picture as a .bmp. With --generate it first writes the benchmark drawing. --save writes the
// drawing as OUT in VERSION (R12, R14, 2000 or 2004; DWG or DXF by OUT's extension) through the
// program's Save As and prints the seconds, the size and what the version could not hold.
//   DrawingBench <drawing> [WIDTHxHEIGHT] [--bmp picture.bmp] [--generate] [--saved-view] [--orbit]
//                [--save OUT VERSION]
//   DrawingBench --hostile <folder> [levels [name]]
// The picture shows the whole drawing, or with --saved-view the view it was saved with. --orbit
// then turns the view 36 times by 10 degrees (about the screen's vertical axis, tilted first to a
// 3D view point) and prints the milliseconds per redraw at the size given.
// --hostile writes the small hostile drawings of the renderer's tests (binary DXF, their blocks
// nested `levels` deep, default 4, in arrays of 10 x 10) into the folder and times, for each, what
// the viewer does (open, draw at 1920 x 1080, the 3D measure) and what the thumbnail does (open,
// fit and draw at 128 x 96).
#include "BenchDrawingGenerator.h"
#include "tests/engine/portable/HostileDrawings.h"

#include "engine/rkio/RasterFileWriter.h"
#include "engine/rkio/rkio.h"
#include "engine/write/DrawingSaver.h"
#include "imaging/DrawingRasterDecoder.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// A 24-bit DIB section selected into a memory device context.
class Picture
{
public:
    Picture(int width, int height) : m_all{0, 0, width, height}
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_dc = CreateCompatibleDC(nullptr);
        m_old = SelectObject(m_dc, m_bitmap);
    }
    ~Picture()
    {
        SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
    }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    HDC Dc() const { return m_dc; }
    HBITMAP Bitmap() const { return m_bitmap; }
    void Clear() const { FillRect(m_dc, &m_all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))); }

private:
    RECT m_all;
    HBITMAP m_bitmap = nullptr;
    HDC m_dc = nullptr;
    HGDIOBJ m_old = nullptr;
};

// Renders at one size into a DIB section; returns the draw seconds.
double Render(CDrawing& drawing, int width, int height, const char* bmpPath, bool savedView)
{
    Picture picture(width, height);
    picture.Clear();
    const auto start = std::chrono::steady_clock::now();
    drawing.SetOutputSize(width, height);
    if (!savedView)
        drawing.ZoomExtents(0, 0, 0.98);
    drawing.Render(picture.Dc(), nullptr);
    GdiFlush();
    const double seconds = Seconds(start);
    if (bmpPath && !SaveRasterImage(picture.Bitmap(), 1, bmpPath, 0))
        std::printf("could not write %s\n", bmpPath);
    return seconds;
}

// Where a redraw's time goes: turning and clearing the picture, the engine's walk (transform and
// cull, every line reaching a device that draws nothing), and GDI drawing (the rest).
void OrbitPhases(CDrawing& drawing, const Picture& picture, int turns, double step)
{
    double turn = 0.0, clear = 0.0, walk = 0.0, whole = 0.0;
    CDwgExport nothing;
    for (int i = 0; i < turns; ++i) {
        auto start = std::chrono::steady_clock::now();
        drawing.RotateAboutVertical(step);
        turn += Seconds(start);
        start = std::chrono::steady_clock::now();
        picture.Clear();
        GdiFlush();
        clear += Seconds(start);
        start = std::chrono::steady_clock::now();
        drawing.SetExportTarget(&nothing);
        drawing.RenderThroughExport();
        drawing.SetExportTarget(nullptr);
        walk += Seconds(start);
        start = std::chrono::steady_clock::now();
        drawing.Render(picture.Dc(), nullptr);
        GdiFlush();
        whole += Seconds(start);
    }
    const double ms = 1000.0 / turns;
    std::printf("  per redraw: turn %.2f ms, clear %.1f ms, engine walk %.1f ms, render %.1f ms (GDI about %.1f ms)\n",
                turn * ms, clear * ms, walk * ms, whole * ms, (whole - walk) * ms);
}

// 36 turns of 10 degrees, each redrawn whole into one picture; prints the mean and the slowest.
void Orbit(CDrawing& drawing, int width, int height)
{
    constexpr int kTurns = 36;
    constexpr double kStep = 3.14159265358979323846 / 18;
    Picture picture(width, height);
    drawing.SetOutputSize(width, height);
    drawing.SetViewPoint(6);
    double total = 0.0, slowest = 0.0;
    for (int i = 0; i < kTurns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        drawing.RotateAboutVertical(kStep);
        picture.Clear();
        drawing.Render(picture.Dc(), nullptr);
        GdiFlush();
        const double ms = Seconds(start) * 1000.0;
        total += ms;
        slowest = ms > slowest ? ms : slowest;
    }
    std::printf("orbit %d turns at %dx%d: %.1f ms per redraw (slowest %.1f ms)\n", kTurns, width, height,
                total / kTurns, slowest);
    OrbitPhases(drawing, picture, kTurns, kStep);
}

// The viewer's road: open (the saved view or the extents), the drawing at 1920 x 1080, the 3D
// measure the view frame asks for; then the thumbnail's: open, fitted at 128 x 96.
void TimeHostile(const std::string& path, const char* name, std::size_t bytes)
{
    auto start = std::chrono::steady_clock::now();
    CDrawing* drawing = CDrawing::CreateDrawing(0);
    const short opened = drawing->Open(path.c_str(), "");
    const double load = Seconds(start);
    double draw = 0.0;
    if (opened == 0) {
        Picture picture(1920, 1080);
        picture.Clear();
        start = std::chrono::steady_clock::now();
        drawing->SetOutputSize(1920, 1080);
        drawing->Render(picture.Dc(), nullptr);
        drawing->CanView3D();
        GdiFlush();
        draw = Seconds(start);
    }
    CDrawing::DeleteDrawing(drawing);
    start = std::chrono::steady_clock::now();
    CDrawing* thumbnail = CDrawing::CreateDrawing(1);
    if (thumbnail->Open(path.c_str(), "") == 0) {
        Picture picture(128, 96);
        picture.Clear();
        thumbnail->RenderFitted(picture.Dc(), 128, 96, nullptr);
        GdiFlush();
    }
    const double thumb = Seconds(start);
    CDrawing::DeleteDrawing(thumbnail);
    std::printf("%-22s %6zu bytes  open %.3f s, draw %.3f s, viewer %.3f s, thumbnail %.3f s\n", name,
                bytes, load, draw, load + draw, thumb);
}

int Hostile(const std::string& folder, int levels, const char* only)
{
    InitDLL();
    for (const orvo::portable::HostileDrawing& hostile : orvo::portable::HostileDrawings()) {
        if (only && std::strcmp(only, hostile.name) != 0)
            continue;
        const std::string bytes = orvo::portable::BuildHostileDrawing(hostile, levels).Binary();
        const std::string path = folder + "\\" + hostile.name + ".dxf";
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        TimeHostile(path, hostile.name, bytes.size());
    }
    UninitDLL();
    return 0;
}

// The Save As version code of a version's name, or 0.
int SaveVersion(const char* name)
{
    static const struct { const char* name; int code; } kVersions[] = {
        {"R12", 5}, {"R14", 7}, {"2000", 8}, {"2004", 9}};
    for (const auto& v : kVersions) {
        if (_stricmp(name, v.name) == 0)
            return v.code;
    }
    return 0;
}

// Saves the open drawing as out; the kind follows the extension. Returns the exit code.
int Save(CDrawing& drawing, const std::string& out, const char* versionName)
{
    const int version = SaveVersion(versionName);
    const std::size_t dot = out.find_last_of('.');
    const std::string ext = dot == std::string::npos ? "" : out.substr(dot);
    const int kind = _stricmp(ext.c_str(), ".dwg") == 0 ? 1 : _stricmp(ext.c_str(), ".dxf") == 0 ? 2 : 0;
    if (version == 0 || kind == 0) {
        std::printf("--save wants OUT.dwg or OUT.dxf and R12, R14, 2000 or 2004\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    drawing.PrepareSave();
    const int code = drawing.Save(out.c_str(), kind, version, 0);
    const double seconds = Seconds(start);
    const RkWrite::WriteReport& report = drawing.LastSaveReport();
    if (code != 0) {
        std::printf("save failed: %d %s\n", code, report.message.c_str());
        return 1;
    }
    std::printf("saved %s (%s %s) in %.3f s, %zu bytes\n", out.c_str(), kind == 1 ? "DWG" : "DXF", versionName,
                seconds, report.bytes);
    const std::string losses = RkWrite::DrawingSaver::Losses(report);
    std::printf("not held by that version: %s\n", losses.empty() ? "nothing" : losses.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--hostile") == 0)
        return Hostile(argv[2], argc >= 4 ? std::atoi(argv[3]) : 4, argc >= 5 ? argv[4] : nullptr);
    if (argc < 2) {
        std::printf("usage: DrawingBench <drawing> [WIDTHxHEIGHT] [--bmp picture.bmp] [--generate] [--saved-view] [--orbit] [--save OUT VERSION]\n");
        return 2;
    }
    const char* path = argv[1];
    int width = 1920, height = 1080;
    const char* bmp = nullptr;
    bool savedView = false;
    bool orbit = false;
    const char* saveOut = nullptr;
    const char* saveVersion = nullptr;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--bmp") == 0 && i + 1 < argc) {
            bmp = argv[++i];
        } else if (std::strcmp(argv[i], "--saved-view") == 0) {
            savedView = true;
        } else if (std::strcmp(argv[i], "--save") == 0 && i + 2 < argc) {
            saveOut = argv[++i];
            saveVersion = argv[++i];
        } else if (std::strcmp(argv[i], "--orbit") == 0) {
            orbit = true;
        } else if (std::strcmp(argv[i], "--generate") == 0) {
            if (!bench::WriteBenchDrawing(path, 100000, 20000)) {
                std::printf("could not write %s\n", path);
                return 1;
            }
        } else if (std::sscanf(argv[i], "%dx%d", &width, &height) != 2 || width < 1 || height < 1) {
            std::printf("bad size %s\n", argv[i]);
            return 2;
        }
    }
    InitDLL();
    // Raster images and OLE objects drawn with their pictures, as the program draws them.
    DrawingRasterDecoder decoder;
    DWG_SetRasterDecoder(&decoder);
    CDrawing* drawing = CDrawing::CreateDrawing(0);
    const auto start = std::chrono::steady_clock::now();
    const short result = drawing->Open(path, "");
    const double load = Seconds(start);
    if (result != 0) {
        std::printf("open failed: %d\n", result);
        return 1;
    }
    const double draw = Render(*drawing, width, height, bmp, savedView);
    const double thumb = Render(*drawing, 128, 96, nullptr, false);
    std::printf("load %.3f s, draw %dx%d %.3f s, thumbnail 128x96 %.3f s, load+draw %.3f s\n",
                load, width, height, draw, thumb, load + draw);
    if (orbit)
        Orbit(*drawing, width, height);
    if (const RkDb::Database* db = drawing->Database()) {
        std::printf("layers %d, layouts %zu\n", db->Layers().Count(), db->Layouts().size());
        const auto counts = db->CountByType();
        for (std::size_t i = 0; i < counts.size(); ++i) {
            if (counts[i])
                std::printf("  %-12s %zu\n", RkDb::EntityTypeName(static_cast<RkDb::EntityType>(i)), counts[i]);
        }
    }
    const int saved = saveOut ? Save(*drawing, saveOut, saveVersion) : 0;
    CDrawing::DeleteDrawing(drawing);
    UninitDLL();
    return saved;
}
