// libFuzzer target of the DXF reader (ASCII and binary) and of the renderer on what it read, as a
// thumbnail draws it and as the viewer does. What reaches the device is checked against the work
// budget: an entity whose cost the renderer does not charge (a loop a small file can drive) is a
// fault like a crash. With ORVO_FUZZ_MAKE_SEEDS naming a folder, it first writes generated seed
// drawings there, the small hostile drawings of the renderer's tests among them.
#include "engine/db/Database.h"
#include "engine/draw/DrawingRenderer.h"
#include "engine/dxf/DxfReader.h"
#include "tests/engine/portable/DeviceWorkSink.h"
#include "tests/engine/portable/DxfSampleDrawing.h"
#include "tests/engine/portable/HostileDrawings.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

void WriteSeed(const std::string& folder, const std::string& name, const std::string& data)
{
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

// A drawing with a proxy entity whose graphics hold a circle, a transformed polyline and a text.
std::string ProxySeed()
{
    std::string commands;
    auto command = [&commands](std::uint32_t kind, const std::string& data) {
        const std::uint32_t head[2] = {static_cast<std::uint32_t>(8 + data.size()), kind};
        commands.append(reinterpret_cast<const char*>(head), 8).append(data);
    };
    auto doubles = [](std::initializer_list<double> values) {
        std::string out;
        for (const double v : values)
            out.append(reinterpret_cast<const char*>(&v), 8);
        return out;
    };
    auto count = [](std::uint32_t n) { return std::string(reinterpret_cast<const char*>(&n), 4); };
    command(2, doubles({5, 5, 0, 2, 0, 0, 1}));
    command(29, doubles({1, 0, 0, 3, 0, 1, 0, 4, 0, 0, 1, 0, 0, 0, 0, 1}));
    command(6, count(3) + doubles({0, 0, 0, 10, 0, 0, 10, 10, 0}));
    command(31, "");
    command(10, doubles({1, 1, 0, 0, 0, 1, 1, 0, 0, 2, 1, 0}) + std::string("AB\0\0", 4));
    const std::uint32_t head[2] = {static_cast<std::uint32_t>(8 + commands.size()), 5};
    const std::string graphics = std::string(reinterpret_cast<const char*>(head), 8) + commands;
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char c : graphics)
        hex.append(1, digits[(static_cast<std::uint8_t>(c) >> 4) & 15]).append(1, digits[static_cast<std::uint8_t>(c) & 15]);
    orvo::portable::DxfBuilder b;
    b.Header("AC1015").Section("ENTITIES");
    b.S(0, "ACAD_PROXY_ENTITY").S(5, "2A").S(100, "AcDbEntity").S(8, "0").S(100, "AcDbProxyEntity")
        .I(90, 498).I(92, static_cast<std::int64_t>(graphics.size())).S(310, hex).I(93, 0);
    b.EndSection().Eof();
    return b.Ascii();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* folder = std::getenv("ORVO_FUZZ_MAKE_SEEDS");
    if (!folder)
        return 0;
    for (const char* version : {"AC1009", "AC1015", "AC1032"}) {
        const orvo::portable::DxfBuilder drawing = orvo::portable::SampleDrawing(version);
        WriteSeed(folder, std::string("sample-") + version + ".dxf", drawing.Ascii());
        WriteSeed(folder, std::string("sample-") + version + ".dxfb", drawing.Binary());
    }
    WriteSeed(folder, "proxy.dxf", ProxySeed());
    // Two levels of arrays: mutations of their counts reach the hundred million cells.
    for (const orvo::portable::HostileDrawing& hostile : orvo::portable::HostileDrawings())
        WriteSeed(folder, std::string("hostile-") + hostile.name + ".dxfb",
                  orvo::portable::BuildHostileDrawing(hostile, 2).Binary());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    RkDb::Database db;
    RkDxf::DxfReader reader(db);
    if (reader.Read(reinterpret_cast<const char*>(data), size) != RkDxf::DxfReader::Status::Ok)
        return 0;
    // Every layout, fitted to a small device, as a thumbnail would draw it: measuring and drawing
    // all take from one budget, as the thumbnail's passes do. The budgets are a sixteenth of the
    // program's, so that inputs that spend them all still run several times a second under the
    // sanitizers; what is bounded does not depend on the size of the budget.
    constexpr std::size_t kUnits = RkDraw::WorkBudget::kDefaultUnits / 16;
    RkDraw::WorkBudget budget(kUnits);
    RkDraw::RenderOptions options;
    options.budget = &budget;
    orvo::portable::DeviceWorkSink thumbnail(64, 48);
    for (int layout = 0; layout < static_cast<int>(db.Layouts().size()) && layout < 4; ++layout) {
        RkDraw::ViewTransform view;
        view.SetDevice(64, 48);
        RkDb::Vec2 min, max;
        if (RkDraw::DrawingRenderer::Extents(db, layout, view, options, min, max))
            view.Fit(min, max, 0.98);
        RkDraw::DrawingRenderer(db, thumbnail, options).Draw(layout, view);
    }
    // The current layout as the viewer opens it: the saved view of model space, else its extents,
    // at a large size with a budget of its own.
    const int current = db.CurrentLayout();
    RkDraw::ViewTransform view;
    view.SetDevice(1024, 768);
    const int active = current == 0 ? db.ViewportRecords().Find("*ACTIVE") : -1;
    RkDb::Vec2 min, max;
    if (active >= 0 && db.ViewportRecords()[active].height > 0.0) {
        const RkDb::ViewportRecord& vp = db.ViewportRecords()[active];
        view.SetDirection(vp.direction, vp.target, vp.twist);
        view.SetArea(vp.center, vp.height);
    } else {
        RkDraw::WorkBudget measure(kUnits);
        RkDraw::RenderOptions measuring;
        measuring.budget = &measure;
        if (RkDraw::DrawingRenderer::Extents(db, current, view, measuring, min, max))
            view.Fit(min, max, 0.98);
    }
    RkDraw::WorkBudget own(kUnits);
    RkDraw::RenderOptions drawing;
    drawing.budget = &own;
    orvo::portable::DeviceWorkSink viewer(1024, 768);
    RkDraw::DrawingRenderer(db, viewer, drawing).Draw(current, view);
    // Sixteen points a unit, twice over for the entity that goes past the budget, and the last
    // entity's single call (its points come from the file).
    const double limit = 2.0 * 2.0 * 16.0 * static_cast<double>(kUnits) +
                         4e5 + 16.0 * static_cast<double>(size);
    if (thumbnail.Work() + viewer.Work() > limit) {
        std::fprintf(stderr, "the device got %.0f points of work for a budget of %.0f\n",
                     thumbnail.Work() + viewer.Work(), limit);
        std::abort();
    }
    return 0;
}
