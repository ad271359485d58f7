// Renders a layout of a drawing database through a DrawSink: model space or a paper space with
// its viewports (clipped), blocks and arrays with their transforms, layers (off, frozen,
// frozen per viewport), colours by layer and by block, the colour modes, line weights and line
// types. Bounded: nested inserts at most 16 deep and at most a few million entity draws; the
// abort query is polled every few hundred entities.
#pragma once

#include "engine/draw/EntityPainter.h"
#include "engine/draw/ViewTransform.h"
#include "engine/draw/WorkBudget.h"

namespace RkDraw {

class DrawingRenderer
{
public:
    DrawingRenderer(const RkDb::Database& db, DrawSink& sink, const RenderOptions& options);

    // Draws the layout (index into the layouts) as the view shows it; false when abandoned.
    bool Draw(int layout, const ViewTransform& view);
    // The layout's extents in the view's coordinates (x right, y up); false when it is empty.
    static bool Extents(const RkDb::Database& db, int layout, const ViewTransform& view,
                        RkDb::Vec2& min, RkDb::Vec2& max);
    // The same within the options' budget and abort query (a measure cut short by them gives
    // the extents of what was measured).
    static bool Extents(const RkDb::Database& db, int layout, const ViewTransform& view,
                        const RenderOptions& options, RkDb::Vec2& min, RkDb::Vec2& max);
    // What the extents reach: every object (zoom extents), or the bulk of them, without the few
    // that lie absurdly far from the rest (the opening view and thumbnails; BulkExtents).
    enum class Reach { Everything, Bulk };
    static bool Extents(const RkDb::Database& db, int layout, const ViewTransform& view,
                        const RenderOptions& options, Reach reach, RkDb::Vec2& min, RkDb::Vec2& max);
    // Colour as shown: the colour mode applied, and colours that vanish on the background
    // turned to the contrasting one.
    static std::uint32_t ShownColor(std::uint32_t rgb, const RenderOptions& options);
    // The last drawn entity of the layout's own block that passes within tolerance pixels of the
    // device point (x, y downwards), or -1.
    static int HitTest(const RkDb::Database& db, int layout, const ViewTransform& view, double x,
                       double y, double tolerance);
    // Draws just that entity of the layout's block (the highlight of a hover).
    void DrawOne(int layout, const ViewTransform& view, int index);
    std::size_t DrawnEntities() const { return m_drawn; }

private:
    struct Inherited
    {
        RkDb::Matrix3d toDevice;
        std::uint32_t blockColor = 0xFFFFFF;
        std::int32_t blockLayer = 0;        // the layer entities on layer 0 take inside a block
        std::int32_t blockLineType = RkDb::kRefNone;
        std::int16_t blockLineWeight = RkDb::kLwDefault;
        std::uint32_t blockTransparency = 0;  // what entities of transparency by block take
        int depth = 0;
        const std::vector<std::int32_t>* frozen = nullptr;    // layers frozen in the viewport
        // Line type patterns of model space seen through a viewport keep their paper size
        // ($PSLTSCALE): this undoes the viewport's scale.
        double lineTypeFactor = 1.0;
    };

    void DrawBlock(const RkDb::Block& block, const Inherited& in);
    void DrawEntity(const RkDb::Entity& e, const Inherited& in);
    void DrawInsert(const RkDb::Insert& insert, const Inherited& in, std::uint32_t color,
                    std::int32_t layer);
    void DrawBlockAt(std::int32_t block, const RkDb::Matrix3d& placement, const Inherited& in,
                     std::uint32_t color, std::int32_t layer, std::int32_t lineType,
                     std::int16_t lineWeight, std::uint32_t transparency);
    // The entity's transparency with by layer and by block resolved (0: opaque).
    std::uint32_t EntityTransparency(const RkDb::Entity& e, const Inherited& in, std::int32_t layer) const;
    void DrawViewport(const RkDb::ViewportEntity& vp, const Inherited& in, std::int32_t layer);
    bool Visible(std::int32_t layer, const Inherited& in) const;
    void ApplyPen(const RkDb::Entity& e, const Inherited& in, std::int32_t layer);
    double PenPixels(double hundredthsOfMm, double thinBelow) const;
    std::uint32_t EntityColor(const RkDb::Entity& e, const Inherited& in, std::int32_t layer) const;
    // Takes units of work (one entity); false once the budget is spent or the render abandoned.
    bool Poll(std::size_t units = 1);
    bool Begin(int layout, const ViewTransform& view, Inherited& in);
    void StartBudget();

    const RkDb::Database& m_db;
    DrawSink& m_sink;
    RenderOptions m_options;
    EntityPainter m_painter;
    std::size_t m_drawn = 0;
    WorkBudget m_ownBudget;
    WorkBudget* m_work = &m_ownBudget;
    bool m_aborted = false;
    bool m_paper = false;
    int m_viewportDepth = 0;
};

} // namespace RkDraw
