// The one-entity drawings of 2000 and 2018 against the authoring program's property dumps (the
// .txt beside each drawing): the entity of the dumped handle has the dumped type, layer and key
// values. Each is also drawn: something shows, and all of it lies within the entity's extents.
#include "engine/db/BlockEntities.h"
#include "engine/draw/DrawingRenderer.h"
#include "engine/dwg/DwgReader.h"
#include "tests/engine/portable/PortableSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace RkDb;
using orvo::dwg::DwgReadResult;
using orvo::dwg::DwgReader;

constexpr double kTwoPi = 6.283185307179586;

// The names of the one-entity drawings (each with a .dwg and a .txt in 2000/ and 2018/).
const char* const kNames[] = {"Line", "Arc", "circle", "Ellipse", "Point", "Text", "Spline", "Polyline", "Polygon",
                              "Donut", "PolyLine3D", "ConstructionLine", "RAY", "Multiline", "Helix"};

// One property dump: "Name (RO) = value" lines; numbers and lists of numbers ("(1 2 3 ...)"; a
// list cut short ends with "...") and quoted texts.
struct Dump
{
    std::map<std::string, std::vector<double>> numbers;
    std::map<std::string, std::string> texts;
};

Dump ParseDump(const std::string& data)
{
    Dump dump;
    std::istringstream lines(data);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t equals = line.find(" = ");
        if (line.rfind(";   ", 0) != 0 || equals == std::string::npos)
            continue;
        std::string name = line.substr(4, equals - 4);
        const std::size_t ro = name.find(" (RO)");
        if (ro != std::string::npos)
            name.resize(ro);
        const std::string value = line.substr(equals + 3);
        if (!value.empty() && value[0] == '"') {
            dump.texts[name] = value.substr(1, value.size() >= 2 ? value.size() - 2 : 0);
            continue;
        }
        std::istringstream items(value[0] == '(' ? value.substr(1) : value);
        std::vector<double> numbers;
        std::string item;
        while (items >> item) {
            char* end = nullptr;
            const double v = std::strtod(item.c_str(), &end);
            if (end == item.c_str())
                break;      // "...", ")" or a non-number
            numbers.push_back(v);
        }
        if (!numbers.empty())
            dump.numbers[name] = numbers;
    }
    return dump;
}

// The dump's object names with the entity type the engine reads them as. A kind the engine does
// not read yet is left out: its drawing is skipped with a message.
const std::map<std::string, EntityType> kKinds = {
    {"AcDbLine", EntityType::Line},         {"AcDbArc", EntityType::Arc},
    {"AcDbCircle", EntityType::Circle},     {"AcDbEllipse", EntityType::Ellipse},
    {"AcDbPoint", EntityType::Point},       {"AcDbXline", EntityType::XLine},
    {"AcDbRay", EntityType::Ray},           {"AcDbPolyline", EntityType::LwPolyline},
    {"AcDb3dPolyline", EntityType::Polyline}, {"AcDbSpline", EntityType::Spline},
    {"AcDbMText", EntityType::MText},       {"AcDbText", EntityType::Text},
    {"AcDbMline", EntityType::MLine},
};

void Add(std::vector<double>& list, const Vec3& p) { list.insert(list.end(), {p.x, p.y, p.z}); }

std::vector<double> Triple(const Vec3& p) { return {p.x, p.y, p.z}; }

double Angle(double radians)
{
    const double a = std::fmod(radians, kTwoPi);
    return a < 0 ? a + kTwoPi : a;
}

// The engine's values of an entity under the names the dump gives them.
std::map<std::string, std::vector<double>> EngineValues(const Entity& e)
{
    std::map<std::string, std::vector<double>> v;
    if (const auto* line = As<Line>(e)) {
        v["StartPoint"] = Triple(line->start);
        v["EndPoint"] = Triple(line->end);
    } else if (const auto* arc = As<Arc>(e)) {
        v["Center"] = Triple(arc->center);
        v["Radius"] = {arc->radius};
        v["StartAngle"] = {Angle(arc->startAngle)};
        v["EndAngle"] = {Angle(arc->endAngle)};
    } else if (const auto* circle = As<Circle>(e)) {
        v["Center"] = Triple(circle->center);
        v["Radius"] = {circle->radius};
    } else if (const auto* ellipse = As<Ellipse>(e)) {
        v["Center"] = Triple(ellipse->center);
        v["MajorAxis"] = Triple(ellipse->majorAxis);
        v["RadiusRatio"] = {ellipse->ratio};
        v["StartParameter"] = {ellipse->startParam};
        v["EndParameter"] = {ellipse->endParam};
    } else if (const auto* point = As<Point>(e)) {
        v["Coordinates"] = Triple(point->position);
    } else if (const auto* xline = As<XLine>(e)) {
        v["BasePoint"] = Triple(xline->base);
        v["DirectionVector"] = Triple(Normalized(xline->direction));
    } else if (const auto* ray = As<Ray>(e)) {
        v["BasePoint"] = Triple(ray->base);
        v["DirectionVector"] = Triple(Normalized(ray->direction));
    } else if (const auto* lw = As<LwPolyline>(e)) {
        auto& list = v["Coordinates"];
        for (const LwVertex& vertex : lw->vertices)
            list.insert(list.end(), {vertex.x, vertex.y});
        v["Closed"] = {lw->closed ? -1.0 : 0.0};
    } else if (const auto* poly = As<Polyline>(e)) {
        for (const PolyVertex& vertex : poly->vertices)
            Add(v["Coordinates"], vertex.position);
        v["Closed"] = {poly->closed ? -1.0 : 0.0};
    } else if (const auto* spline = As<Spline>(e)) {
        v["NumberOfControlPoints"] = {static_cast<double>(spline->controlPoints.size())};
        v["Degree"] = {static_cast<double>(spline->degree)};
    } else if (const auto* mtext = As<MText>(e)) {
        v["InsertionPoint"] = Triple(mtext->insertion);
        v["Height"] = {mtext->height};
    } else if (const auto* mline = As<MLine>(e)) {
        for (const MLineVertex& vertex : mline->vertices)
            Add(v["Coordinates"], vertex.position);
        v["MLineScale"] = {mline->scale};
        v["Justification"] = {static_cast<double>(mline->justification)};
    }
    return v;
}

// The dump prints six significant digits.
bool Near(double a, double b) { return std::fabs(a - b) <= 1e-4 * std::max(1.0, std::fabs(b)); }

const Entity* FindByHandle(const Database& db, Handle handle)
{
    for (const Block& block : db.Blocks()) {
        for (const EntityPtr& e : block.entities) {
            if (e->handle == handle)
                return e.get();
        }
    }
    return nullptr;
}

struct Single
{
    std::string path;
    Dump dump;
    Database db;
    const Entity* entity = nullptr;
};

// Reads one sample and finds its dumped entity; nullopt (with the reason) when the sample is
// absent or its kind is not read yet.
std::optional<std::string> Load(const std::string& dir, const std::string& release, const std::string& name,
                                Single& single)
{
    single.path = orvo::portable::SamplePath(dir, "dwg/" + release + "/" + name);
    const std::string text = orvo::portable::ReadWholeFile(single.path + ".txt");
    const std::string data = orvo::portable::ReadWholeFile(single.path + ".dwg");
    if (text.empty() || data.empty())
        return "absent";
    single.dump = ParseDump(text);
    const std::string kind = single.dump.texts["ObjectName"];
    if (kKinds.count(kind) == 0)
        return "the engine does not read " + kind + " yet";
    EXPECT_EQ(DwgReader().Read(std::vector<uint8_t>(data.begin(), data.end()), single.db), DwgReadResult::Ok);
    const Handle handle = std::strtoull(single.dump.texts["Handle"].c_str(), nullptr, 16);
    single.entity = FindByHandle(single.db, handle);
    return std::nullopt;
}

TEST(DwgSingleEntities, MatchTheirPropertyDumps)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    std::size_t compared = 0;
    for (const char* release : {"2000", "2018"}) {
        for (const char* name : kNames) {
            Single s;
            if (const auto skipped = Load(dir, release, name, s)) {
                std::printf("skipped %s/%s: %s\n", release, name, skipped->c_str());
                continue;
            }
            SCOPED_TRACE(s.path);
            ASSERT_NE(s.entity, nullptr) << "no entity of handle " << s.dump.texts["Handle"];
            EXPECT_EQ(s.entity->type, kKinds.at(s.dump.texts["ObjectName"]));
            EXPECT_EQ(s.db.Layers()[s.entity->layer].name, s.dump.texts["Layer"]);
            std::size_t values = 0;
            for (const auto& [property, engine] : EngineValues(*s.entity)) {
                const auto found = s.dump.numbers.find(property);
                if (found == s.dump.numbers.end())
                    continue;
                const std::vector<double>& expected = found->second;
                // A list the dump cut short ("...") is compared as far as it goes.
                ASSERT_GE(engine.size(), expected.size()) << property;
                for (std::size_t i = 0; i < expected.size(); ++i)
                    EXPECT_TRUE(Near(engine[i], expected[i])) << property << "[" << i << "] " << engine[i] << " vs " << expected[i];
                ++values;
            }
            EXPECT_GT(values, 0u) << "no key value compared";
            if (const auto* mtext = As<MText>(*s.entity)) {
                EXPECT_EQ(mtext->contents, s.dump.texts["TextString"]);
            }
            ++compared;
        }
    }
    EXPECT_GE(compared, 2 * 13u);
}

// Rasterizes what it is given into a set of pixels (strokes, outlines of fills, dots, and the box
// of each text run measured as the extents measure it).
class PixelSink final : public RkDraw::DrawSink
{
public:
    PixelSink(int width, int height) : m_width(width), m_height(height) {}
    void SetPen(std::uint32_t, double) override {}
    void Polyline(const RkDraw::DevPoint* p, int n) override
    {
        for (int i = 1; i < n; ++i)
            Segment(p[i - 1], p[i]);
        if (n == 1)
            Plot(p[0]);
    }
    void Polygons(const RkDraw::DevPoint* p, const int* counts, int rings) override
    {
        int at = 0;
        for (int r = 0; r < rings; ++r) {
            for (int i = 0; i < counts[r]; ++i)
                Segment(p[at + i], p[at + (i + 1) % counts[r]]);
            at += counts[r];
        }
    }
    void Dot(RkDraw::DevPoint p) override { Plot(p); }
    void Text(const RkDraw::TextRun& run) override
    {
        const double w = TextWidth(run), c = std::cos(run.angle), s = std::sin(run.angle);
        const RkDraw::DevPoint o = run.origin, end{o.x + w * c, o.y - w * s};
        const RkDraw::DevPoint up{-run.height * s, -run.height * c};
        Segment(o, end);
        Segment({o.x + up.x, o.y + up.y}, {end.x + up.x, end.y + up.y});
    }
    double TextWidth(const RkDraw::TextRun& run) override
    {
        return run.height * run.widthFactor * 0.8 * static_cast<double>(run.utf8.size());
    }
    void PushClip(const RkDraw::DevPoint*, int) override {}
    void PopClip() override {}

    std::set<std::pair<int, int>> pixels;

private:
    void Segment(RkDraw::DevPoint a, RkDraw::DevPoint b)
    {
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        const int steps = static_cast<int>(std::min(length * 2.0, 100000.0)) + 1;
        for (int i = 0; i <= steps; ++i)
            Plot({a.x + (b.x - a.x) * i / steps, a.y + (b.y - a.y) * i / steps});
    }
    void Plot(RkDraw::DevPoint p)
    {
        const int x = static_cast<int>(std::floor(p.x)), y = static_cast<int>(std::floor(p.y));
        if (x >= 0 && y >= 0 && x < m_width && y < m_height)
            pixels.insert({x, y});
    }
    int m_width, m_height;
};

// Kinds read from a DWG but not drawn yet (the DWG reader does not keep the element offsets of
// an MLINE's vertices yet); their drawings are skipped with a message.
const std::set<EntityType> kNotDrawnYet = {EntityType::MLine};

// Each sample fitted into 200 x 200 pixels: pixels are drawn, and every one lies within the
// entity's extents (a ray or construction line: its line passes through its base point).
TEST(DwgSingleEntities, DrawWithinTheirExtents)
{
    ORVO_PORTABLE_REQUIRE_SAMPLES(dir);
    constexpr int kSize = 200;
    for (const char* release : {"2000", "2018"}) {
        for (const char* name : kNames) {
            Single s;
            if (Load(dir, release, name, s) || s.entity == nullptr)
                continue;
            if (kNotDrawnYet.count(s.entity->type) != 0) {
                std::printf("skipped %s/%s: not drawn from a DWG yet\n", release, name);
                continue;
            }
            SCOPED_TRACE(s.path);
            RkDraw::ViewTransform view;
            view.SetDevice(kSize, kSize);
            Vec2 min, max;
            ASSERT_TRUE(RkDraw::DrawingRenderer::Extents(s.db, 0, view, min, max));
            // The dumped points lie within the extents (a list cut short only as far as it goes).
            const double tolerance = 1e-3 * std::max(1.0, std::max(max.x - min.x, max.y - min.y));
            const std::size_t stride = s.entity->type == EntityType::LwPolyline ? 2 : 3;
            for (const char* property :
                 {"StartPoint", "EndPoint", "Center", "Coordinates", "BasePoint", "InsertionPoint"}) {
                const auto found = s.dump.numbers.find(property);
                if (found == s.dump.numbers.end())
                    continue;
                const std::vector<double>& list = found->second;
                for (std::size_t i = 0; i + 1 < list.size(); i += stride) {
                    EXPECT_TRUE(list[i] >= min.x - tolerance && list[i] <= max.x + tolerance &&
                                list[i + 1] >= min.y - tolerance && list[i + 1] <= max.y + tolerance)
                        << property << " (" << list[i] << " " << list[i + 1] << ") outside the extents";
                }
            }
            view.Fit(min, max, 0.8);
            PixelSink sink(kSize, kSize);
            RkDraw::RenderOptions options;
            ASSERT_TRUE(RkDraw::DrawingRenderer(s.db, sink, options).Draw(0, view));
            ASSERT_FALSE(sink.pixels.empty());
            const Vec3 low = view.ViewToDevice().Apply({min.x, min.y, 0.0});
            const Vec3 high = view.ViewToDevice().Apply({max.x, max.y, 0.0});
            const bool infinite = s.entity->type == EntityType::XLine || s.entity->type == EntityType::Ray;
            std::size_t outside = 0;
            bool throughBase = false;
            for (const auto& [x, y] : sink.pixels) {
                // Pixel (x, y) covers [x, x + 1): two pixels of margin for rounding and pens.
                const bool in = x + 3 >= std::min(low.x, high.x) && x - 2 <= std::max(low.x, high.x) &&
                                y + 3 >= std::min(low.y, high.y) && y - 2 <= std::max(low.y, high.y);
                outside += in ? 0 : 1;
                throughBase = throughBase || in;
            }
            if (infinite)
                EXPECT_TRUE(throughBase) << "the line misses its base point";
            else
                EXPECT_EQ(outside, 0u) << sink.pixels.size() << " pixels drawn";
        }
    }
}

} // namespace
