// Draws the geometry of single entities through a DrawSink: the transform to the device, the
// line type pattern, culling of what lies off the device, and the curve, area, text and block
// shapes of every entity type except inserts and viewports (DrawingRenderer does those).
#pragma once

#include "engine/db/Database.h"
#include "engine/draw/DrawSink.h"
#include "engine/draw/MeteredSink.h"
#include "engine/draw/RenderOptions.h"

#include <vector>

namespace RkDraw {

class EntityPainter
{
public:
    EntityPainter(const RkDb::Database& db, DrawSink& sink, const RenderOptions& options);

    // Entity coordinates to device; pixelsPerUnit is the matrix's planar scale.
    void SetTransform(const RkDb::Matrix3d& toDevice);
    const RkDb::Matrix3d& Transform() const { return m_toDevice; }
    double PixelsPerUnit() const { return m_ppu; }
    // Dash pattern in drawing units (null = continuous), times the scale.
    void SetLineType(const RkDb::LineType* lineType, double scale);
    void SetDeviceSize(int width, int height);
    int DeviceWidth() const { return m_width; }
    int DeviceHeight() const { return m_height; }
    double PenWidth() const { return m_penWidth; }
    // Measuring extents: nothing is culled and rays and construction lines are left out (they
    // have no extent); their base points are gathered apart, the extents of a drawing that has
    // nothing else.
    void SetMeasuring(bool measuring);
    bool Measuring() const { return m_measuring; }
    bool InfiniteBases(DevPoint& min, DevPoint& max) const;
    // Text smaller than this many pixels is not drawn (any size counts while measuring).
    double MinTextHeight() const { return m_measuring ? 1e-300 : 1.0; }
    void SetPen(std::uint32_t rgb, double width);
    // The opacity (0 clear to 1) of the entity about to be painted: its fills honour it.
    void SetOpacity(double opacity) { m_opacity = opacity; }
    double Opacity() const { return m_opacity; }
    std::uint32_t PenColor() const { return m_rgb; }

    // Draws the entity in entity coordinates (the caller set the transform for its OCS when it
    // has one). Texts use pointSize-independent heights from the entity.
    void Paint(const RkDb::Entity& entity);
    // The measure of the last entity's work: the points of its curve, the points it transformed,
    // what it cost the sink (points, calls and pixels) and what a painter of many parts (a hatch
    // pattern) reported.
    std::size_t WorkDone() const { return m_points.size() + m_extraWork + (m_sink.Work() - m_sinkWorkBefore); }
    // True once the entity has cost its allowance: what it would still draw is left out.
    bool OverAllowance() const { return WorkDone() >= m_allowance; }
    void AddWork(std::size_t units) { m_extraWork += units; }
    // What the next entity may cost at most, in the units of WorkDone: a painter of many parts
    // stops (or draws a cheaper picture) before it goes past it.
    void SetWorkAllowance(std::size_t units) { m_allowance = units; }
    std::size_t WorkAllowance() const { return m_allowance; }

    // Strokes a polyline given in the current (entity) coordinates (nothing once the entity is
    // over its allowance).
    void Stroke(const std::vector<RkDb::Vec3>& points, bool closed);
    void StrokeDevice(std::vector<DevPoint>& points);
    // A dot of the pen's size at a point in entity coordinates (unless it lies off the device).
    void DotAt(const RkDb::Vec3& point);
    // Fills rings given in entity coordinates.
    void Fill(const std::vector<std::vector<RkDb::Vec3>>& rings);
    DevPoint ToDevice(const RkDb::Vec3& p) const;
    // True when the box around the points lies wholly off the device (never while measuring).
    bool OffDevice(const std::vector<DevPoint>& points) const;
    // The sink, through the meter of the entity's work.
    DrawSink& Sink() { return m_sink; }
    const RkDb::Database& Db() const { return m_db; }
    const RenderOptions& Options() const { return m_options; }

private:
    void PaintLine(const RkDb::Line& e);
    void PaintPoint(const RkDb::Point& e);
    void PaintCircle(const RkDb::Circle& e);
    void PaintArc(const RkDb::Arc& e);
    void PaintEllipse(const RkDb::Ellipse& e);
    void PaintInfinite(const RkDb::Vec3& base, const RkDb::Vec3& direction, bool bothWays);
    void PaintLwPolyline(const RkDb::LwPolyline& e);
    void PaintPolyline(const RkDb::Polyline& e);
    // One segment of a 2D polyline with its widths at both ends.
    struct WideSegment
    {
        RkDb::Vec3 a, b;
        double bulge = 0.0, startWidth = 0.0, endWidth = 0.0;
    };
    // Fills each segment as the band its widths give (tapering from one end to the other); false
    // (nothing drawn) when no segment is wider than a pixel or a pen of its width does it.
    bool PaintWide(const std::vector<WideSegment>& segments);
    void PaintMesh(const RkDb::Polyline& e);
    void PaintPolyFace(const RkDb::Polyline& e);
    void PaintSpline(const RkDb::SplineData& e);
    void PaintCorners(const RkDb::Vec3 (&c)[4], bool fill);
    void PaintFace3d(const RkDb::Face3d& e);
    void PaintLeader(const RkDb::Leader& e);
    void PaintMLeaderLines(const RkDb::MLeader& e);
    static std::string LeaderText(const RkDb::MLeader& e);
    void PaintMLine(const RkDb::MLine& e);
    void PaintRasterFrame(const RkDb::RasterFrame& frame);
    void PaintArrow(const RkDb::Vec3& tip, const RkDb::Vec3& from, double size);
    void Dash(const std::vector<DevPoint>& points);
    bool ClipToDevice(DevPoint a, DevPoint b, double& from, double& to) const;
    // The text or shape of the line type's element (if it has one) placed where the element
    // starts, at a on the device, along the direction (dx, dy) of the line there.
    void PaintElement(std::size_t element, DevPoint a, double dx, double dy);
    void PaintElementShape(const RkDb::LineTypeElement& e, DevPoint origin, double angle, double scale);

    const RkDb::Database& m_db;
    MeteredSink m_sink;
    std::size_t m_sinkWorkBefore = 0;
    const RenderOptions& m_options;
    RkDb::Matrix3d m_toDevice;
    double m_ppu = 1.0;
    int m_width = 1, m_height = 1;
    bool m_measuring = false;
    bool m_hasInfiniteBases = false;
    DevPoint m_infiniteMin{0, 0}, m_infiniteMax{0, 0};
    std::uint32_t m_rgb = 0;
    double m_penWidth = 0.0;
    double m_opacity = 1.0;
    std::vector<double> m_dashes;        // device pixels; empty = continuous
    double m_dashPeriod = 0.0;
    const RkDb::LineType* m_lineType = nullptr;   // while dashed: the texts and shapes of its elements
    bool m_elementsShown = false;        // some element has a text or shape
    double m_dashScale = 0.0;            // device pixels per unit of the pattern
    std::vector<RkDb::Vec3> m_points;
    std::size_t m_extraWork = 0;
    std::size_t m_allowance = static_cast<std::size_t>(-1);
    std::vector<DevPoint> m_device;
};

} // namespace RkDraw
