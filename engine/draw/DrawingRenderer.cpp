#include "engine/draw/DrawingRenderer.h"

#include "engine/db/AciPalette.h"
#include "engine/draw/BulkExtents.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>

namespace RkDraw {

using namespace RkDb;

namespace {

constexpr int kMaxInsertDepth = 16;
constexpr std::size_t kPointsPerDraw = 16;
// Budget units a block placement costs beside its poll (its matrix products and the block's walk).
constexpr std::size_t kInsertWork = 2;
constexpr std::int64_t kMaxArrayCells = 100000;

// Records the extent of everything drawn (in the coordinates it is given).
class BoundsSink final : public DrawSink
{
public:
    explicit BoundsSink(std::function<double(const TextRun&)> textWidth) : m_textWidth(std::move(textWidth)) {}
    void SetPen(std::uint32_t, double) override {}
    void Polyline(const DevPoint* p, int n) override { Add(p, n); }
    void Polygons(const DevPoint* p, const int* counts, int rings) override
    {
        int total = 0;
        for (int i = 0; i < rings; ++i)
            total += counts[i];
        Add(p, total);
    }
    void Dot(DevPoint p) override { Add(&p, 1); }
    void Text(const TextRun& run) override
    {
        // Blanks leave no ink: a lone space far from the drawing is no part of it.
        if (run.utf8.find_first_not_of(" \t\r\n") == std::string::npos)
            return;
        // Measuring runs in view coordinates (y upwards): the run's box from its baseline up to
        // its height.
        const double w = TextWidth(run);
        const double c = std::cos(run.angle), s = std::sin(run.angle);
        const DevPoint o = run.origin;
        const DevPoint end{o.x + w * c, o.y - w * s};
        const DevPoint up{run.height * s, run.height * c};
        const DevPoint corners[4] = {o, end, {o.x + up.x, o.y + up.y}, {end.x + up.x, end.y + up.y}};
        Add(corners, 4);
    }
    double TextWidth(const TextRun& run) override
    {
        if (m_textWidth)
            return m_textWidth(run);
        return (run.height * run.widthFactor * 0.8 + run.charExtra) * static_cast<double>(run.utf8.size());
    }
    void PushClip(const DevPoint*, int) override {}
    void PopClip() override {}

    // Starts the box of one object; the boxes of the objects are kept when asked for.
    void BeginObject() { m_objectEmpty = true; }
    void EndObject()
    {
        if (m_keepObjects && !m_objectEmpty)
            m_objects.push_back(m_object);
    }
    void KeepObjects(std::size_t count)
    {
        m_keepObjects = true;
        m_objects.reserve(count);
    }
    const std::vector<Box2>& Objects() const { return m_objects; }

    bool empty = true;
    Box2 box;

private:
    static void Grow(Box2& b, bool& isEmpty, const DevPoint& p)
    {
        if (isEmpty) {
            b.min = b.max = {p.x, p.y};
            isEmpty = false;
            return;
        }
        b.min = {std::min(b.min.x, p.x), std::min(b.min.y, p.y)};
        b.max = {std::max(b.max.x, p.x), std::max(b.max.y, p.y)};
    }
    std::function<double(const TextRun&)> m_textWidth;

    void Add(const DevPoint* p, int n)
    {
        for (int i = 0; i < n; ++i) {
            if (!std::isfinite(p[i].x) || !std::isfinite(p[i].y) || std::fabs(p[i].x) > 1e15 ||
                std::fabs(p[i].y) > 1e15)
                continue;
            Grow(box, empty, p[i]);
            if (m_keepObjects)
                Grow(m_object, m_objectEmpty, p[i]);
        }
    }

    bool m_keepObjects = false;
    bool m_objectEmpty = true;
    Box2 m_object;
    std::vector<Box2> m_objects;
};

// Measures how close what is drawn comes to one device point.
class HitSink final : public DrawSink
{
public:
    HitSink(double x, double y) : m_x(x), m_y(y) {}
    void Reset() { distance = 1e300; }
    void SetPen(std::uint32_t, double width) override { m_halfWidth = width / 2.0; }
    void Polyline(const DevPoint* p, int n) override
    {
        for (int i = 1; i < n; ++i)
            Near(Segment(p[i - 1], p[i]) - m_halfWidth);
    }
    void Polygons(const DevPoint* p, const int* counts, int rings) override
    {
        bool inside = false;
        int at = 0;
        for (int r = 0; r < rings; ++r) {
            for (int i = 0, j = counts[r] - 1; i < counts[r]; j = i++) {
                const DevPoint& a = p[at + i];
                const DevPoint& b = p[at + j];
                if ((a.y > m_y) != (b.y > m_y) && m_x < (b.x - a.x) * (m_y - a.y) / (b.y - a.y) + a.x)
                    inside = !inside;
                Near(Segment(a, b));
            }
            at += counts[r];
        }
        if (inside)
            Near(0.0);
    }
    void Dot(DevPoint p) override { Near(std::hypot(p.x - m_x, p.y - m_y)); }
    void Text(const TextRun& run) override
    {
        // Inside the run's box (baseline to cap height, along its angle).
        const double c = std::cos(run.angle), s = std::sin(run.angle);
        const double dx = m_x - run.origin.x, dy = m_y - run.origin.y;
        const double u = dx * c - dy * s, v = -(dx * s + dy * c);
        const double w = TextWidth(run);
        if (u >= 0 && u <= w && v >= -run.height * 0.3 && v <= run.height)
            Near(0.0);
    }
    double TextWidth(const TextRun& run) override
    {
        return run.height * run.widthFactor * 0.8 * static_cast<double>(run.utf8.size());
    }
    void PushClip(const DevPoint*, int) override {}
    void PopClip() override {}

    double distance = 1e300;

private:
    double Segment(const DevPoint& a, const DevPoint& b) const
    {
        const double vx = b.x - a.x, vy = b.y - a.y;
        const double len2 = vx * vx + vy * vy;
        double t = len2 > 0 ? ((m_x - a.x) * vx + (m_y - a.y) * vy) / len2 : 0.0;
        t = std::clamp(t, 0.0, 1.0);
        return std::hypot(a.x + vx * t - m_x, a.y + vy * t - m_y);
    }
    void Near(double d)
    {
        if (d < distance)
            distance = d;
    }
    double m_x, m_y;
    double m_halfWidth = 0.0;
};

std::uint32_t Luma(std::uint32_t rgb)
{
    const double r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return static_cast<std::uint32_t>(0.299 * r + 0.587 * g + 0.114 * b) & 0xFF;
}

bool IsOcsEntity(EntityType t)
{
    switch (t) {
    case EntityType::Circle: case EntityType::Arc: case EntityType::LwPolyline:
    case EntityType::Text: case EntityType::Attribute: case EntityType::AttributeDefinition:
    case EntityType::Solid: case EntityType::Trace: case EntityType::Hatch:
    case EntityType::Insert: case EntityType::Dimension: case EntityType::Shape:
        return true;
    default:
        return false;
    }
}

// The index into the block's entities of the i-th entity drawn: its draw order table's, or the
// stored order.
std::size_t DrawnAt(const Block& block, std::size_t i)
{
    if (block.drawOrder.size() != block.entities.size())
        return i;
    const std::int32_t at = block.drawOrder[i];
    return at >= 0 && static_cast<std::size_t>(at) < block.entities.size() ? static_cast<std::size_t>(at) : i;
}

} // namespace

DrawingRenderer::DrawingRenderer(const Database& db, DrawSink& sink, const RenderOptions& options)
    : m_db(db), m_sink(sink), m_options(options), m_painter(db, sink, m_options)
{
}

std::uint32_t DrawingRenderer::ShownColor(std::uint32_t rgb, const RenderOptions& options)
{
    const bool lightBackground = Luma(options.background) >= 128;
    const std::uint32_t contrast = lightBackground ? 0x000000 : 0xFFFFFF;
    switch (options.colorMode) {
    case ColorMode::BlackWhite: return contrast;
    case ColorMode::Grey: rgb = Luma(rgb) * 0x010101u; break;
    case ColorMode::Color: break;
    }
    // A colour too close to the background would vanish (white lines on white paper).
    const int d = std::abs(static_cast<int>(Luma(rgb)) - static_cast<int>(Luma(options.background)));
    const bool sameHue = ((rgb ^ options.background) & 0xF0F0F0) == 0;
    return (d < 12 && sameHue) ? contrast : rgb;
}

bool DrawingRenderer::Poll(std::size_t units)
{
    if (m_aborted)
        return false;
    ++m_drawn;
    if (m_work->Spend(units))
        return true;
    m_aborted = m_work->Aborted();
    return false;
}

void DrawingRenderer::StartBudget()
{
    m_drawn = 0;
    m_aborted = false;
    if (m_options.budget) {
        m_work = m_options.budget;
        return;
    }
    m_ownBudget = WorkBudget(WorkBudget::kDefaultUnits, m_options.abort);
    m_work = &m_ownBudget;
}

bool DrawingRenderer::Begin(int layoutIndex, const ViewTransform& view, Inherited& in)
{
    const auto& layouts = m_db.Layouts();
    if (layoutIndex < 0 || static_cast<std::size_t>(layoutIndex) >= layouts.size())
        return false;
    const Layout& layout = layouts[static_cast<std::size_t>(layoutIndex)];
    if (!m_db.Blocks().Valid(layout.block))
        return false;
    StartBudget();
    m_paper = !layout.IsModel();
    m_painter.SetDeviceSize(view.DeviceWidth(), view.DeviceHeight());
    in.toDevice = view.WorldToDevice();
    in.blockColor = AciPalette::Rgb(7);
    return true;
}

bool DrawingRenderer::Draw(int layoutIndex, const ViewTransform& view)
{
    Inherited in;
    if (!Begin(layoutIndex, view, in))
        return true;
    DrawBlock(m_db.Blocks()[m_db.Layouts()[static_cast<std::size_t>(layoutIndex)].block], in);
    m_sink.Flush();
    return !m_aborted;
}

int DrawingRenderer::HitTest(const Database& db, int layoutIndex, const ViewTransform& view,
                             double x, double y, double tolerance)
{
    HitSink hit(x, y);
    RenderOptions options;
    DrawingRenderer renderer(db, hit, options);
    Inherited in;
    if (!renderer.Begin(layoutIndex, view, in))
        return -1;
    const Block& block = db.Blocks()[db.Layouts()[static_cast<std::size_t>(layoutIndex)].block];
    int found = -1;
    for (std::size_t i = 0; i < block.entities.size() && renderer.Poll(); ++i) {
        const std::size_t at = DrawnAt(block, i);
        hit.Reset();
        renderer.DrawEntity(*block.entities[at], in);
        if (hit.distance <= tolerance)
            found = static_cast<int>(at);     // the last one drawn lies on top
    }
    return found;
}

void DrawingRenderer::DrawOne(int layoutIndex, const ViewTransform& view, int index)
{
    Inherited in;
    if (!Begin(layoutIndex, view, in))
        return;
    const Block& block = m_db.Blocks()[m_db.Layouts()[static_cast<std::size_t>(layoutIndex)].block];
    if (index >= 0 && static_cast<std::size_t>(index) < block.entities.size())
        DrawEntity(*block.entities[static_cast<std::size_t>(index)], in);
    m_sink.Flush();
}

void DrawingRenderer::DrawBlock(const Block& block, const Inherited& in)
{
    for (std::size_t i = 0; i < block.entities.size(); ++i) {
        if (!Poll())
            return;
        DrawEntity(*block.entities[DrawnAt(block, i)], in);
    }
}

bool DrawingRenderer::Visible(std::int32_t layer, const Inherited& in) const
{
    if (!m_db.Layers().Valid(layer))
        return true;
    const Layer& l = m_db.Layers()[layer];
    if (l.off || l.frozen)
        return false;
    if (in.frozen && std::find(in.frozen->begin(), in.frozen->end(), layer) != in.frozen->end())
        return false;
    return true;
}

std::uint32_t DrawingRenderer::EntityColor(const Entity& e, const Inherited& in,
                                           std::int32_t layer) const
{
    if (e.color.IsByBlock())
        return in.blockColor;
    if (e.color.IsByLayer())
        return m_db.Layers().Valid(layer) ? m_db.Layers()[layer].color.ToRgb() : AciPalette::Rgb(7);
    return e.color.ToRgb();
}

std::uint32_t DrawingRenderer::EntityTransparency(const Entity& e, const Inherited& in,
                                                  std::int32_t layer) const
{
    if (e.transparency == kTransparencyByBlock)
        return in.blockTransparency;
    if (e.transparency == 0)
        return m_db.Layers().Valid(layer) ? m_db.Layers()[layer].transparency : 0;
    return e.transparency;
}

// A width in 1/100 mm as device pixels at the output's resolution; below the threshold a line is
// drawn thin (one pixel).
double DrawingRenderer::PenPixels(double hundredthsOfMm, double thinBelow) const
{
    const double width = hundredthsOfMm / 100.0 * m_options.dpi / 25.4;
    return std::isfinite(width) && width >= thinBelow ? width : 0.0;
}

void DrawingRenderer::ApplyPen(const Entity& e, const Inherited& in, std::int32_t layer)
{
    std::uint32_t rgb = ShownColor(EntityColor(e, in, layer), m_options);
    int aci = e.color.Index();
    if (e.color.IsByLayer() && m_db.Layers().Valid(layer))
        aci = m_db.Layers()[layer].color.Index();
    if (aci < 1 || aci > 255)
        aci = 7;
    m_sink.SetColorIndex(aci);
    double width = 0.0;
    if (static_cast<std::size_t>(aci) < m_options.pens.size()) {
        const PlotPen& pen = m_options.pens[static_cast<std::size_t>(aci)];
        rgb = ShownColor(AciPalette::Rgb(pen.colorIndex), m_options);
        width = PenPixels(pen.width, 1.0);
    } else if (m_options.lineWeights) {
        std::int16_t lw = e.lineWeight;
        if (lw == kLwByBlock)
            lw = in.blockLineWeight;
        if (lw == kLwByLayer && m_db.Layers().Valid(layer))
            lw = m_db.Layers()[layer].lineWeight;
        if (lw < 0)
            lw = 25;
        width = PenPixels(lw * m_options.lineWeightScale, 1.5);
    }
    m_painter.SetPen(rgb, width);
    std::int32_t lt = e.lineType;
    if (lt == kRefByBlock)
        lt = in.blockLineType;
    if (lt == kRefByLayer)
        lt = m_db.Layers().Valid(layer) ? m_db.Layers()[layer].lineType : kRefNone;
    const LineType* lineType = m_db.LineTypes().Valid(lt) ? &m_db.LineTypes()[lt] : nullptr;
    double scale = m_db.Header().ltScale * e.lineTypeScale * in.lineTypeFactor;
    if (!(scale > 0) || !std::isfinite(scale))
        scale = 1.0;
    m_painter.SetLineType(lineType, scale);
}

void DrawingRenderer::DrawEntity(const Entity& e, const Inherited& in)
{
    if (e.invisible)
        return;
    // Entities on layer 0 inside a block take the layer of the insert.
    const std::int32_t layer = (e.layer == 0 && in.depth > 0) ? in.blockLayer : e.layer;
    if (!Visible(layer, in))
        return;
    if (const auto* insert = As<Insert>(e)) {
        DrawInsert(*insert, in, EntityColor(e, in, layer), layer);
        return;
    }
    if (const auto* dim = As<Dimension>(e)) {
        const Matrix3d placement = Ocs(e.extrusion).Matrix();
        DrawBlockAt(dim->block, placement, in, EntityColor(e, in, layer), layer, e.lineType,
                    e.lineWeight, EntityTransparency(e, in, layer));
        return;
    }
    if (const auto* vp = As<ViewportEntity>(e)) {
        if (m_paper && m_viewportDepth == 0)
            DrawViewport(*vp, in, layer);
        return;
    }
    if (const auto* mleader = As<MLeader>(e); mleader && m_db.Blocks().Valid(mleader->block)) {
        const Matrix3d placement =
            Matrix3d::Translation(mleader->blockPosition) * Matrix3d::RotationZ(mleader->blockRotation) *
            Matrix3d::Scaling(mleader->blockScale);
        DrawBlockAt(mleader->block, placement, in, EntityColor(e, in, layer), layer, e.lineType,
                    e.lineWeight, EntityTransparency(e, in, layer));
    }
    // The transform first: the line type's pattern is set in device pixels of this transform.
    const bool ocs = IsOcsEntity(e.type) && e.extrusion != Vec3{0, 0, 1};
    m_painter.SetTransform(ocs ? in.toDevice * Ocs(e.extrusion).Matrix() : in.toDevice);
    ApplyPen(e, in, layer);
    m_painter.SetOpacity(OpacityOf(EntityTransparency(e, in, layer)));
    const std::size_t left = m_work->Left();
    m_painter.SetWorkAllowance(left > SIZE_MAX / kPointsPerDraw ? SIZE_MAX : left * kPointsPerDraw);
    m_painter.Paint(e);
    // Curves, hatches and texts cost by their points and characters, not by one: a damaged file
    // of nested blocks full of them must meet the budget as soon as one of plain lines would.
    m_work->Charge(m_painter.WorkDone() / kPointsPerDraw);
}

void DrawingRenderer::DrawInsert(const Insert& insert, const Inherited& in, std::uint32_t color,
                                 std::int32_t layer)
{
    if (!m_db.Blocks().Valid(insert.block))
        return;
    const std::int64_t cells = static_cast<std::int64_t>(insert.columns) * insert.rows;
    const bool array = cells > 1 && cells <= kMaxArrayCells;
    const Block& block = m_db.Blocks()[insert.block];
    // The parts of the placement every cell shares are multiplied once.
    const Matrix3d before = Ocs(insert.extrusion).Matrix() * Matrix3d::Translation(insert.insertion) *
                            Matrix3d::RotationZ(insert.rotation);
    const Matrix3d after = Matrix3d::Scaling(insert.scale) * Matrix3d::Translation(block.basePoint * -1.0);
    const Matrix3d single = before * after;
    const std::uint32_t transparency = EntityTransparency(insert, in, layer);
    for (std::int32_t r = 0; r < (array ? insert.rows : 1); ++r) {
        for (std::int32_t c = 0; c < (array ? insert.columns : 1); ++c) {
            // Each cell counts against the budget with what its placement costs, or nested
            // arrays of empty blocks would multiply without limit while drawing nothing.
            if (!Poll(1 + kInsertWork))
                return;
            const Matrix3d placement =
                array ? before * Matrix3d::Translation({c * insert.columnSpacing, r * insert.rowSpacing, 0.0}) * after
                      : single;
            DrawBlockAt(insert.block, placement, in, color, layer, insert.lineType,
                        insert.lineWeight, transparency);
        }
    }
    // Attributes are placed in world (OCS) coordinates already.
    for (const auto& attribute : insert.attributes) {
        if (!Poll())
            return;
        DrawEntity(*attribute, in);
    }
}

void DrawingRenderer::DrawBlockAt(std::int32_t blockIndex, const Matrix3d& placement,
                                  const Inherited& in, std::uint32_t color, std::int32_t layer,
                                  std::int32_t lineType, std::int16_t lineWeight,
                                  std::uint32_t transparency)
{
    if (!m_db.Blocks().Valid(blockIndex) || in.depth >= kMaxInsertDepth)
        return;
    Inherited inner = in;
    inner.toDevice = in.toDevice * placement;
    inner.blockColor = color;
    inner.blockLayer = layer;
    inner.blockLineType = lineType == kRefByBlock ? in.blockLineType : lineType;
    if (inner.blockLineType == kRefByLayer)
        inner.blockLineType = m_db.Layers().Valid(layer) ? m_db.Layers()[layer].lineType : kRefNone;
    inner.blockLineWeight = lineWeight == kLwByBlock ? in.blockLineWeight : lineWeight;
    inner.blockTransparency = transparency;
    inner.depth = in.depth + 1;
    DrawBlock(m_db.Blocks()[blockIndex], inner);
}

void DrawingRenderer::DrawViewport(const ViewportEntity& vp, const Inherited& in, std::int32_t layer)
{
    if (vp.id == 1 || !vp.on || !(vp.width > 0) || !(vp.height > 0))
        return;
    // The viewport's frame, on the paper.
    const double hw = vp.width / 2, hh = vp.height / 2;
    std::vector<Vec3> frame{{vp.center.x - hw, vp.center.y - hh, 0}, {vp.center.x + hw, vp.center.y - hh, 0},
                            {vp.center.x + hw, vp.center.y + hh, 0}, {vp.center.x - hw, vp.center.y + hh, 0}};
    std::vector<DevPoint> clip;
    for (const Vec3& p : frame) {
        const Vec3 d = in.toDevice.Apply(p);
        clip.push_back({d.x, d.y});
    }
    if (m_painter.Measuring()) {
        // What a viewport shows is clipped to its frame: the frame is its extent.
        m_sink.Polyline(clip.data(), static_cast<int>(clip.size()));
        return;
    }
    // Model space as the viewport shows it: its view, scaled so viewHeight fills the frame.
    ViewTransform model;
    model.SetDirection(vp.viewDirection, vp.viewTarget, vp.twist);
    const double viewHeight = vp.viewHeight > 0 ? vp.viewHeight : vp.height;
    const double scale = vp.height / viewHeight;
    const Matrix3d paperFromView = Matrix3d::Translation({vp.center.x, vp.center.y, 0.0}) *
                                   Matrix3d::Scaling({scale, scale, scale}) *
                                   Matrix3d::Translation({-vp.viewCenter.x, -vp.viewCenter.y, 0.0});
    Inherited inner = in;
    inner.toDevice = in.toDevice * paperFromView * model.WorldToView();
    inner.frozen = &vp.frozenLayers;
    if (m_db.Header().psLtScale && scale > 0.0)
        inner.lineTypeFactor = 1.0 / scale;
    m_sink.PushClip(clip.data(), static_cast<int>(clip.size()));
    ++m_viewportDepth;
    DrawBlock(m_db.ModelSpaceBlock(), inner);
    --m_viewportDepth;
    m_sink.PopClip();
    // The frame on the paper, in the viewport's own colour and layer, as CAD programs show it.
    ApplyPen(vp, in, layer);
    clip.push_back(clip.front());
    m_sink.Polyline(clip.data(), static_cast<int>(clip.size()));
}

bool DrawingRenderer::Extents(const Database& db, int layout, const ViewTransform& view,
                              Vec2& min, Vec2& max)
{
    return Extents(db, layout, view, RenderOptions(), min, max);
}

bool DrawingRenderer::Extents(const Database& db, int layout, const ViewTransform& view,
                              const RenderOptions& options, Vec2& min, Vec2& max)
{
    return Extents(db, layout, view, options, Reach::Everything, min, max);
}

bool DrawingRenderer::Extents(const Database& db, int layout, const ViewTransform& view,
                              const RenderOptions& options, Reach reach, Vec2& min, Vec2& max)
{
    // A measure takes at most half of what a shared budget has left, so the drawing that
    // follows it always has the other half.
    WorkBudget* const shared = options.budget;
    const std::size_t share = shared ? shared->Left() / 2 : WorkBudget::kDefaultUnits;
    std::function<bool()> abort = options.abort;
    if (shared)
        abort = [shared] { return shared->AbortRequested(); };
    WorkBudget part(share, abort);
    RenderOptions measuring = options;
    measuring.budget = &part;
    BoundsSink bounds(options.textWidth);
    DrawingRenderer renderer(db, bounds, measuring);
    renderer.m_paper = layout > 0;
    renderer.StartBudget();
    const auto& layouts = db.Layouts();
    if (layout < 0 || static_cast<std::size_t>(layout) >= layouts.size() ||
        !db.Blocks().Valid(layouts[static_cast<std::size_t>(layout)].block))
        return false;
    // Everything is "drawn" in view coordinates, without culling and without infinite lines.
    Inherited in;
    in.toDevice = view.WorldToView();
    renderer.m_painter.SetMeasuring(true);
    const EntityList& entities = db.Blocks()[layouts[static_cast<std::size_t>(layout)].block].entities;
    if (reach == Reach::Bulk)
        bounds.KeepObjects(entities.size());
    // Each of the layout's own entities is one object: an insert counts by all its block draws.
    for (const EntityPtr& e : entities) {
        if (!renderer.Poll())
            break;
        bounds.BeginObject();
        renderer.DrawEntity(*e, in);
        bounds.EndObject();
    }
    if (shared)
        shared->Charge(share - part.Left());
    if (bounds.empty) {
        // Only rays and construction lines: their base points show where they are.
        DevPoint low, high;
        if (!renderer.m_painter.InfiniteBases(low, high))
            return false;
        min = {low.x, low.y};
        max = {high.x, high.y};
        return true;
    }
    min = bounds.box.min;
    max = bounds.box.max;
    Box2 bulk;
    if (reach == Reach::Bulk && BulkExtents::Of(bounds.Objects(), bulk)) {
        min = bulk.min;
        max = bulk.max;
    }
    return true;
}

} // namespace RkDraw
