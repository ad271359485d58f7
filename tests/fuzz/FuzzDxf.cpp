// libFuzzer target of the DXF reader (ASCII and binary) and of the renderer on what it read. With ORVO_FUZZ_MAKE_SEEDS naming a
// folder, it first writes generated seed drawings there.
#include "engine/db/Database.h"
#include "engine/draw/DrawingRenderer.h"
#include "engine/dxf/DxfReader.h"
#include "tests/engine/portable/DxfSampleDrawing.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// Takes the drawing calls and keeps nothing (recording them could outgrow the fuzzer's memory
// limit on inputs that legitimately draw millions of lines).
class NullSink final : public RkDraw::DrawSink
{
public:
    void SetPen(std::uint32_t, double) override {}
    void Polyline(const RkDraw::DevPoint*, int) override {}
    void Polygons(const RkDraw::DevPoint*, const int*, int) override {}
    void Dot(RkDraw::DevPoint) override {}
    void Text(const RkDraw::TextRun&) override {}
    double TextWidth(const RkDraw::TextRun& run) override { return run.height * 0.6 * run.utf8.size(); }
    void PushClip(const RkDraw::DevPoint*, int) override {}
    void PopClip() override {}
};

void WriteSeed(const std::string& folder, const std::string& name, const std::string& data)
{
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
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
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    RkDb::Database db;
    RkDxf::DxfReader reader(db);
    if (reader.Read(reinterpret_cast<const char*>(data), size) != RkDxf::DxfReader::Status::Ok)
        return 0;
    // Every layout, fitted to a small device, as a thumbnail would draw it: measuring and drawing
    // all take from one budget, as the thumbnail's passes do.
    RkDraw::WorkBudget budget;
    RkDraw::RenderOptions options;
    options.budget = &budget;
    for (int layout = 0; layout < static_cast<int>(db.Layouts().size()) && layout < 4; ++layout) {
        RkDraw::ViewTransform view;
        view.SetDevice(64, 48);
        RkDb::Vec2 min, max;
        if (RkDraw::DrawingRenderer::Extents(db, layout, view, options, min, max))
            view.Fit(min, max, 0.98);
        NullSink sink;
        RkDraw::DrawingRenderer(db, sink, options).Draw(layout, view);
    }
    return 0;
}
