// The DWG reader against the shared sample drawings: every DWG must give what its DXF export (made
// by the program that wrote the DWG) gives through the DXF reader: entity counts by type, layers,
// blocks, and the key values of each entity found by its handle.
#include "engine/db/AreaEntities.h"
#include "engine/draw/DrawingRenderer.h"
#include "engine/dwg/DwgReader.h"
#include "engine/dxf/DxfReader.h"
#include "tests/engine/portable/PortableSupport.h"
#include "tests/engine/portable/RecordingSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <ostream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using orvo::dwg::DwgReadResult;
using orvo::dwg::DwgReader;

using RkDb::EntityType;

// How many more entities of a type the DXF export holds than the DWG.
struct ExportDifference
{
    EntityType type;
    int dxfMore;
};

struct Sample
{
    const char* dwg;
    const char* dxf;
    std::vector<ExportDifference> differences;
    std::vector<RkDb::Handle> exportOnly;  // entities the exporter made from proxies
};

// R13 and R14 have no arc dimension and no table of their own: their exports write the arc
// dimension as an insert of a new anonymous block, a copy of the dimension's block the DWG holds
// (its entities are counted apart, see StandInBlocks), and leave out the second paper-space
// layout with its viewport. The DWG keeps the arc dimension; R14's multileader is a proxy entity
// in the export.
const std::vector<ExportDifference> kProxyExport = {
    {EntityType::Insert, 1}, {EntityType::Viewport, -1}, {EntityType::Dimension, -1},
};
// The multileader's proxy draws as an insert of its graphics: two lines, a filled arrowhead and
// two texts.
const std::vector<ExportDifference> kProxyExportR14 = {
    {EntityType::Insert, 2}, {EntityType::Viewport, -1}, {EntityType::Dimension, -1}, {EntityType::MLeader, -1},
    {EntityType::Line, 2},   {EntityType::Solid, 1},     {EntityType::Text, 2},
};

// Entity types the DWG reader does not read yet.
const std::vector<EntityType> kNotYetRead = {};

// The drawings with a DXF export of the same content.
const Sample kSamples[] = {
    {"dwg/example_r13.dwg", "dwg/example_r13.dxf", kProxyExport, {0x399, 0x4F2}},
    {"dwg/example_r14.dwg", "dwg/example_r14.dxf", kProxyExportR14, {0x399, 0x4F2, 0x640}},
    {"dwg/example_2000.dwg", "dwg/example_2000.dxf", {}, {}},
    {"dwg/example_2004.dwg", "dwg/example_2004.dxf", {}, {}},
    {"dwg/example_2007.dwg", "dwg/example_2007.dxf", {}, {}},
    {"dwg/example_2010.dwg", "dwg/example_2010.dxf", {}, {}},
    {"dwg/example_2013.dwg", "dwg/example_2013.dxf", {}, {}},
    {"dwg/example_2018.dwg", "dwg/example_2018.dxf", {}, {}},
    {"dwg/sample_2000.dwg", "dwg/sample_2000.dxf", {}, {}},
    {"dwg/sample_2018.dwg", "dwg/sample_2018.dxf", {}, {}},
    {"dwg/2000/entities-2d.dwg", "dwg/2000/entities-2d.dxf", {}, {}},
    {"dwg/2000/entities-3d.dwg", "dwg/2000/entities-3d.dxf", {}, {}},
    {"dwg/2000/PolyLine2D.dwg", "dwg/2000/PolyLine2D.dxf", {}, {}},
};

void PrintTo(const Sample& sample, std::ostream* os) { *os << sample.dwg; }

bool IsNotYetRead(EntityType type)
{
    return std::find(kNotYetRead.begin(), kNotYetRead.end(), type) != kNotYetRead.end();
}

// Anonymous blocks ("*D12", "*T3", "*X7") are numbered afresh by every program that reads or
// writes them; their letter is what a drawing says.
bool IsAnonymous(const std::string& name)
{
    return name.size() >= 2 && name[0] == '*' && RkDb::TableKey(name).rfind("*MODEL_SPACE", 0) != 0 &&
           RkDb::TableKey(name).rfind("*PAPER_SPACE", 0) != 0;
}

std::string BlockName(const RkDb::Database& db, std::int32_t block)
{
    if (!db.Blocks().Valid(block))
        return "?";
    const std::string& name = db.Blocks()[block].name;
    return IsAnonymous(name) ? name.substr(0, 2) : name;
}

bool ReadDwg(const std::string& path, RkDb::Database& db, DwgReadResult& result)
{
    const std::string data = orvo::portable::ReadWholeFile(path);
    if (data.empty())
        return false;
    result = DwgReader().Read(std::vector<uint8_t>(data.begin(), data.end()), db);
    return true;
}

bool ReadDxf(const std::string& path, RkDb::Database& db)
{
    const std::string data = orvo::portable::ReadWholeFile(path);
    return !data.empty() && RkDxf::DxfReader(db).Read(data.data(), data.size()) == RkDxf::DxfReader::Status::Ok;
}

// A sample and its export, both read whole.
bool ReadPair(const std::string& dir, const Sample& sample, RkDb::Database& dwg, RkDb::Database& dxf)
{
    DwgReadResult result = DwgReadResult::Corrupt;
    return ReadDwg(orvo::portable::SamplePath(dir, sample.dwg), dwg, result) && result == DwgReadResult::Ok &&
           ReadDxf(orvo::portable::SamplePath(dir, sample.dxf), dxf);
}

// The entities of the spaces and named blocks (anonymous blocks are redrawn by exporters, with
// new handles).
std::map<RkDb::Handle, const RkDb::Entity*> ByHandle(const RkDb::Database& db)
{
    std::map<RkDb::Handle, const RkDb::Entity*> entities;
    for (const RkDb::Block& block : db.Blocks()) {
        if (IsAnonymous(block.name))
            continue;
        for (const RkDb::EntityPtr& e : block.entities)
            entities[e->handle] = e.get();
    }
    return entities;
}

// The values a viewer shows of an entity, as text, so that a difference reads well.
std::string KeyValues(const RkDb::Database& db, const RkDb::Entity& e)
{
    std::string out = std::string(RkDb::EntityTypeName(e.type)) + " layer " + db.Layers()[e.layer].name;
    const auto point = [](const RkDb::Vec3& p) {
        char text[96];
        std::snprintf(text, sizeof text, " (%.6f %.6f %.6f)", p.x, p.y, p.z);
        return std::string(text);
    };
    if (const auto* line = RkDb::As<RkDb::Line>(e))
        out += point(line->start) + point(line->end);
    else if (const auto* circle = RkDb::As<RkDb::Circle>(e))
        out += point(circle->center) + " r " + std::to_string(circle->radius);
    else if (const auto* arc = RkDb::As<RkDb::Arc>(e))
        out += point(arc->center) + " r " + std::to_string(arc->radius) + " " + std::to_string(arc->startAngle);
    else if (const auto* text = RkDb::As<RkDb::Text>(e))
        out += " '" + text->text.value + "'" + point(text->text.insertion);
    else if (const auto* mtext = RkDb::As<RkDb::MText>(e))
        out += " '" + mtext->contents + "'" + point(mtext->insertion);
    else if (const auto* insert = RkDb::As<RkDb::Insert>(e))
        out += " " + BlockName(db, insert->block) + point(insert->insertion) + " attributes " + std::to_string(insert->attributes.size());
    else if (const auto* poly = RkDb::As<RkDb::LwPolyline>(e))
        out += " vertices " + std::to_string(poly->vertices.size()) + (poly->closed ? " closed" : "");
    else if (const auto* poly3 = RkDb::As<RkDb::Polyline>(e))
        out += " vertices " + std::to_string(poly3->vertices.size());
    else if (const auto* hatch = RkDb::As<RkDb::Hatch>(e))
        out += " '" + hatch->patternName + "' loops " + std::to_string(hatch->loops.size()) +
               (hatch->loops.empty() ? "" : " edges " + std::to_string(hatch->loops[0].edges.size()) + "/" +
                                                std::to_string(hatch->loops[0].polyline.size())) +
               " lines " + std::to_string(hatch->patternLines.size());
    else if (const auto* mline = RkDb::As<RkDb::MLine>(e))
        out += " vertices " + std::to_string(mline->vertices.size()) + " elements " +
               std::to_string(mline->elements.size());
    else if (const auto* wipeout = RkDb::As<RkDb::Wipeout>(e))
        out += point(wipeout->frame.insertion) + " clip " + std::to_string(wipeout->frame.clipBoundary.size());
    else if (const auto* dim = RkDb::As<RkDb::Dimension>(e))
        out += " " + BlockName(db, dim->block) + " type " + std::to_string(dim->dimType) + point(dim->definitionPoint);
    else if (const auto* mleader = RkDb::As<RkDb::MLeader>(e)) {
        out += " '" + mleader->text + "'" + point(mleader->textLocation) + " height " +
               std::to_string(mleader->textHeight) + " block " + BlockName(db, mleader->block);
        for (const auto& line : mleader->leaderLines) {
            out += " line";
            for (const RkDb::Vec3& p : line)
                out += point(p);
        }
    } else if (const auto* spline = RkDb::As<RkDb::Spline>(e)) {
        // The curve itself is compared with a tolerance (DwgSamplesSplines).
        out += " knots " + std::to_string(spline->knots.size()) + " control " + std::to_string(spline->controlPoints.size());
    } else if (const auto* leader = RkDb::As<RkDb::Leader>(e)) {
        out += " vertices " + std::to_string(leader->vertices.size()) + (leader->arrowHead ? " arrow" : "");
    }
    return out;
}

class DwgSamples : public ::testing::TestWithParam<Sample>
{
};

std::vector<EntityType> TypeSequence(const RkDb::Block& block)
{
    std::vector<EntityType> types;
    for (const RkDb::EntityPtr& e : block.entities)
        types.push_back(e->type);
    return types;
}

// The entities, by type, of the export's anonymous blocks that the DWG has no record of and that
// stand in for an object the release lacks (R13/R14's arc dimension: a copy of the dimension's
// own block). An export-only block that copies a block the export left out is the same block
// renumbered (R13's hatch block) and counts as it is. Every export-only block must copy a block
// of the DWG entity for entity, or the DWG reader would be dropping what the export shows.
std::array<size_t, RkDb::kEntityTypeCount> StandInBlocks(const RkDb::Database& dwg, const RkDb::Database& dxf)
{
    std::array<size_t, RkDb::kEntityTypeCount> counts{};
    std::set<const RkDb::Block*> renumbered;
    for (const RkDb::Block& block : dxf.Blocks()) {
        if (!IsAnonymous(block.name) || block.handle == 0 || dwg.Blocks().FindHandle(block.handle) >= 0)
            continue;
        // The graphics of the export's own proxies: counted by the sample's differences.
        if (block.name.rfind("*Proxy", 0) == 0)
            continue;
        const std::vector<EntityType> types = TypeSequence(block);
        const RkDb::Block* copied = nullptr;
        for (const RkDb::Block& b : dwg.Blocks()) {
            if (TypeSequence(b) != types || renumbered.count(&b) != 0)
                continue;
            const bool inExport = dxf.Blocks().FindHandle(b.handle) >= 0;
            if (copied == nullptr || !inExport)
                copied = &b;
            if (!inExport)
                break;
        }
        if (copied == nullptr) {
            ADD_FAILURE() << "export-only block " << block.name << " copies no block of the DWG";
            continue;
        }
        if (dxf.Blocks().FindHandle(copied->handle) < 0) {
            renumbered.insert(copied);
            continue;
        }
        for (const EntityType type : types)
            ++counts[static_cast<size_t>(type)];
    }
    return counts;
}

TEST_P(DwgSamples, MatchesTheDxfExport)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    const Sample& sample = GetParam();
    RkDb::Database dwg, dxf;
    DwgReadResult result = DwgReadResult::Corrupt;
    ASSERT_TRUE(ReadDwg(orvo::portable::SamplePath(dir, sample.dwg), dwg, result));
    ASSERT_EQ(result, DwgReadResult::Ok);
    ASSERT_TRUE(ReadDxf(orvo::portable::SamplePath(dir, sample.dxf), dxf));

    // Counted over every block: model and paper spaces, block definitions, the anonymous blocks
    // of dimensions and tables.
    const auto dwgCounts = dwg.CountByType();
    const auto dxfCounts = dxf.CountByType();
    const auto standIns = StandInBlocks(dwg, dxf);
    for (size_t index = 0; index < dwgCounts.size(); ++index) {
        const auto type = static_cast<EntityType>(index);
        if (IsNotYetRead(type))
            continue;
        int expected = static_cast<int>(dxfCounts[index] - standIns[index]);
        for (const ExportDifference& difference : sample.differences) {
            if (difference.type == type)
                expected -= difference.dxfMore;
        }
        EXPECT_EQ(static_cast<int>(dwgCounts[index]), expected) << RkDb::EntityTypeName(type);
    }

    std::set<std::string> dwgLayers, dxfLayers;
    for (const RkDb::Layer& layer : dwg.Layers())
        dwgLayers.insert(RkDb::TableKey(layer.name));
    for (const RkDb::Layer& layer : dxf.Layers())
        dxfLayers.insert(RkDb::TableKey(layer.name));
    EXPECT_EQ(dwgLayers, dxfLayers);

    const auto dwgEntities = ByHandle(dwg);
    const auto dxfEntities = ByHandle(dxf);
    size_t compared = 0;
    for (const auto& [handle, entity] : dxfEntities) {
        const auto found = dwgEntities.find(handle);
        if (IsNotYetRead(entity->type) ||
            std::find(sample.exportOnly.begin(), sample.exportOnly.end(), handle) != sample.exportOnly.end())
            continue;
        if (found == dwgEntities.end()) {
            ADD_FAILURE() << "handle " << std::hex << handle << " missing: " << KeyValues(dxf, *entity);
            continue;
        }
        EXPECT_EQ(KeyValues(dwg, *found->second), KeyValues(dxf, *entity)) << "handle " << std::hex << handle;
        ++compared;
    }
    EXPECT_GT(compared, 0u);
}

INSTANTIATE_TEST_SUITE_P(Samples, DwgSamples, ::testing::ValuesIn(kSamples));

} // namespace

namespace {

TEST(DwgSamplesSummary, LastSavedByAsTheDxfHeaderSays)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    for (const char* name : {"dwg/example_2004", "dwg/example_2007", "dwg/example_2010", "dwg/example_2018"}) {
        RkDb::Database dwg, dxf;
        DwgReadResult result = DwgReadResult::Corrupt;
        ASSERT_TRUE(ReadDwg(orvo::portable::SamplePath(dir, std::string(name) + ".dwg"), dwg, result));
        ASSERT_TRUE(ReadDxf(orvo::portable::SamplePath(dir, std::string(name) + ".dxf"), dxf));
        EXPECT_EQ(dwg.Summary().lastSavedBy, "rurban") << name;
        EXPECT_EQ(dwg.Header().version, dxf.Header().version) << name;
    }
}

// A drawing saved with a password has its data encrypted: the reader says so instead of
// reading garbage.
TEST(DwgSamplesPassword, EncryptedDataGivesThePasswordResult)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    for (const char* name : {"dwg/example_2004.dwg", "dwg/example_2007.dwg", "dwg/example_2018.dwg"}) {
        const std::string data = orvo::portable::ReadWholeFile(orvo::portable::SamplePath(dir, name));
        ASSERT_GT(data.size(), 0x100u);
        for (const uint8_t flags : {1, 2, 3}) {
            std::vector<uint8_t> bytes(data.begin(), data.end());
            bytes[0x18] = flags;  // security flags: encrypted data, encrypted properties
            RkDb::Database db;
            EXPECT_EQ(DwgReader().Read(bytes, db), DwgReadResult::PasswordProtected) << name;
        }
    }
}

// Two floors of one building, saved by a program that gives objects 64-bit handles: both read
// whole (the object map steps to such handles in modular numbers of up to ten bytes).
TEST(DwgSamplesReal, BothFloorsOfTheBuildingRead)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    for (const char* name : {"dwg/real/contoso2_Ground.dwg", "dwg/real/contoso2_Level_2.dwg"}) {
        RkDb::Database db;
        DwgReadResult result = DwgReadResult::Corrupt;
        ASSERT_TRUE(ReadDwg(orvo::portable::SamplePath(dir, name), db, result)) << name;
        ASSERT_EQ(result, DwgReadResult::Ok) << name;
        EXPECT_GT(db.ModelSpaceBlock().entities.size(), 10000u) << name;
        const auto counts = db.CountByType();
        EXPECT_GT(counts[static_cast<size_t>(EntityType::Line)], 10000u) << name;
        EXPECT_GT(counts[static_cast<size_t>(EntityType::Insert)], 50u) << name;
        size_t resolved = 0;
        for (const RkDb::EntityPtr& e : db.ModelSpaceBlock().entities) {
            if (const auto* insert = RkDb::As<RkDb::Insert>(*e))
                resolved += db.Blocks().Valid(insert->block) ? 1 : 0;
        }
        EXPECT_GT(resolved, 50u) << name;
        EXPECT_GT(db.Layers().Count(), 5) << name;
        // It opens on its model space and shows the floor plan, not a speck of it.
        EXPECT_EQ(db.CurrentLayout(), 0) << name;
        RkDraw::ViewTransform view;
        view.SetDevice(400, 300);
        RkDb::Vec2 min, max;
        ASSERT_TRUE(RkDraw::DrawingRenderer::Extents(db, 0, view, min, max)) << name;
        EXPECT_GT(max.x - min.x, 2000.0) << name;      // the plan is about 2,500 units across
        EXPECT_LT(max.x - min.x, 3000.0) << name;
        view.Fit(min, max, 0.98);
        orvo::portable::RecordingSink sink;
        RkDraw::RenderOptions options;
        EXPECT_TRUE(RkDraw::DrawingRenderer(db, sink, options).Draw(0, view)) << name;
        EXPECT_GT(sink.strokes.size(), 10000u) << name;
    }
}

TEST(DwgSamplesReleases, OlderAndUnknownFilesAreRefused)
{
    RkDb::Database db;
    const std::string r2 = "AC1003" + std::string(2000, '\0');
    EXPECT_EQ(DwgReader().Read(std::vector<uint8_t>(r2.begin(), r2.end()), db), DwgReadResult::UnsupportedVersion);
    // An R12 file too short for its header is damaged, not unknown.
    const std::string r12 = "AC1009" + std::string(200, '\0');
    EXPECT_EQ(DwgReader().Read(std::vector<uint8_t>(r12.begin(), r12.end()), db), DwgReadResult::Corrupt);
    const std::string text = "0\nSECTION\n";
    EXPECT_EQ(DwgReader().Read(std::vector<uint8_t>(text.begin(), text.end()), db), DwgReadResult::NotDwg);
    EXPECT_EQ(DwgReader().Read({}, db), DwgReadResult::NotDwg);
}

} // namespace

namespace {

// The header variables section gives what the export's HEADER section gives.
TEST(DwgSamplesHeader, VariablesAsTheDxfHeaderSays)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    for (const Sample& sample : kSamples) {
        RkDb::Database dwg, dxf;
        ASSERT_TRUE(ReadPair(dir, sample, dwg, dxf)) << sample.dwg;
        const RkDb::DrawingHeader& a = dwg.Header();
        const RkDb::DrawingHeader& b = dxf.Header();
        SCOPED_TRACE(sample.dwg);
        // Exporters measure the extents afresh (the height of a 3D solid, a text's box): the
        // plan extents agree within a thousandth of the drawing's size.
        const double span = std::fabs(b.extMax.x - b.extMin.x) + std::fabs(b.extMax.y - b.extMin.y);
        const auto near = [span](const RkDb::Vec3& p, const RkDb::Vec3& q) {
            return std::fabs(p.x - q.x) < 1e-3 * span && std::fabs(p.y - q.y) < 1e-3 * span;
        };
        EXPECT_TRUE(near(a.extMin, b.extMin)) << a.extMin.x << " " << a.extMin.y;
        EXPECT_TRUE(near(a.extMax, b.extMax)) << a.extMax.x << " " << a.extMax.y;
        EXPECT_TRUE(near(a.insBase, b.insBase));
        EXPECT_DOUBLE_EQ(a.limMin.x, b.limMin.x);
        EXPECT_DOUBLE_EQ(a.limMax.x, b.limMax.x);
        EXPECT_DOUBLE_EQ(a.limMax.y, b.limMax.y);
        EXPECT_DOUBLE_EQ(a.ltScale, b.ltScale);
        EXPECT_DOUBLE_EQ(a.celtScale, b.celtScale);
        EXPECT_DOUBLE_EQ(a.textSize, b.textSize);
        EXPECT_DOUBLE_EQ(a.pdSize, b.pdSize);
        EXPECT_EQ(a.pdMode, b.pdMode);
        EXPECT_EQ(a.lunits, b.lunits);
        EXPECT_EQ(a.luprec, b.luprec);
        EXPECT_EQ(a.aunits, b.aunits);
        EXPECT_EQ(a.attMode, b.attMode);
        EXPECT_EQ(a.tileMode, b.tileMode);
        EXPECT_EQ(a.fillMode, b.fillMode);
        EXPECT_EQ(a.psLtScale, b.psLtScale);
        EXPECT_EQ(a.lwDisplay, b.lwDisplay);
        EXPECT_EQ(a.insUnits, b.insUnits);
        // R13 exports leave MEASUREMENT out although the drawing is metric.
        EXPECT_EQ(a.measurement, std::string(sample.dwg).find("r13") != std::string::npos ? 1 : b.measurement);
        // The export is saved later, in another time zone: the creation day is the same.
        EXPECT_NEAR(a.tdCreate, b.tdCreate, 0.5);
        EXPECT_EQ(RkDb::TableKey(a.codePage), RkDb::TableKey(b.codePage));
        EXPECT_EQ(RkDb::TableKey(a.currentLayer), RkDb::TableKey(b.currentLayer));
        EXPECT_EQ(RkDb::TableKey(a.textStyle), RkDb::TableKey(b.textStyle));
        EXPECT_EQ(RkDb::TableKey(a.currentLineType), RkDb::TableKey(b.currentLineType));
        EXPECT_EQ(RkDb::TableKey(a.dimStyle), RkDb::TableKey(b.dimStyle));
        EXPECT_EQ(RkDb::TableKey(a.mlineStyle), RkDb::TableKey(b.mlineStyle));
        EXPECT_DOUBLE_EQ(a.dimScale, b.dimScale);
        EXPECT_DOUBLE_EQ(a.dimArrowSize, b.dimArrowSize);
        EXPECT_DOUBLE_EQ(a.dimTextHeight, b.dimTextHeight);
    }
}

} // namespace

namespace {

// Splines stored by their fit points come out as the curve the export holds: the same knots and
// control points, exactly where the fit tolerance is zero and within a small part of the curve's
// length where the exporter only approached the points.
TEST(DwgSamplesSplines, FitPointSplinesAsTheExportHoldsThem)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    for (const Sample& sample : kSamples) {
        RkDb::Database dwg, dxf;
        ASSERT_TRUE(ReadPair(dir, sample, dwg, dxf)) << sample.dwg;
        const auto dwgEntities = ByHandle(dwg);
        size_t exact = 0;
        for (const auto& [handle, entity] : ByHandle(dxf)) {
            const auto* expected = RkDb::As<RkDb::Spline>(*entity);
            const auto found = dwgEntities.find(handle);
            if (expected == nullptr || found == dwgEntities.end())
                continue;
            const auto* spline = RkDb::As<RkDb::Spline>(*found->second);
            ASSERT_NE(spline, nullptr) << sample.dwg;
            ASSERT_EQ(spline->knots.size(), expected->knots.size()) << sample.dwg;
            ASSERT_EQ(spline->controlPoints.size(), expected->controlPoints.size()) << sample.dwg;
            const double length = expected->knots.back() - expected->knots.front();
            double worst = 0.0;
            for (size_t i = 0; i < spline->knots.size(); ++i)
                worst = std::max(worst, std::fabs(spline->knots[i] - expected->knots[i]));
            for (size_t i = 0; i < spline->controlPoints.size(); ++i)
                worst = std::max(worst, RkDb::Length(spline->controlPoints[i] - expected->controlPoints[i]));
            EXPECT_LT(worst, 0.025 * length) << sample.dwg << " handle " << std::hex << handle;
            if (worst < 1e-6 * length)
                ++exact;
        }
        if (std::string(sample.dwg).find("example") != std::string::npos) {
            EXPECT_EQ(exact, 1u) << sample.dwg;
        }
    }
}

} // namespace
