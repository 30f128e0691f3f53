// Vector path of the drawing layer: subpaths of lines and cubic Bézier curves with the stroke
// settings they are drawn with (width, dash, caps, joins) and the fill rule, a containment test
// and bounds. Coordinates in points of the user space it is drawn in.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/AffineTransform.h"
#include "platform/Geometry.h"

namespace vornex {

enum class WindingRule { NonZero, EvenOdd };
enum class LineCap { Butt, Round, Square };
enum class LineJoin { Miter, Round, Bevel };

class BezierPath {
   public:
    struct Element {
        enum class Type { MoveTo, LineTo, CurveTo, ClosePath };
        Type type;
        // MoveTo and LineTo: points[0]. CurveTo: control 1, control 2, end point.
        // ClosePath: points[0] is the start of the subpath it closes.
        Point points[3];
    };

    BezierPath() = default;

    static BezierPath withRect(const Rect& r);
    // Oval inscribed in the rectangle, four cubic arcs, counter-clockwise from the right.
    static BezierPath withOval(const Rect& r);
    static BezierPath withLine(Point from, Point to);

    void moveTo(Point p);
    // With no current point a line or curve starts a subpath at its first point.
    void lineTo(Point p);
    void curveTo(Point control1, Point control2, Point end);
    // Closes the current subpath; the current point returns to its start. No effect on an
    // empty path or right after a close.
    void closePath();
    void appendRect(const Rect& r);
    void appendOval(const Rect& r);
    // Appends the elements of another path (not its stroke settings).
    void append(const BezierPath& other);

    bool isEmpty() const { return elements_.empty(); }
    std::size_t elementCount() const { return elements_.size(); }
    const std::vector<Element>& elements() const { return elements_; }
    // The point the next element starts from; (0, 0) for an empty path.
    Point currentPoint() const;

    double lineWidth() const { return lineWidth_; }
    void setLineWidth(double w) { lineWidth_ = w; }
    // Dash lengths alternate on, off, ...; an empty pattern is a solid line. A pattern with a
    // negative length or without any positive length draws solid.
    void setLineDash(std::vector<double> pattern, double phase = 0.0);
    const std::vector<double>& lineDash() const { return dash_; }
    double lineDashPhase() const { return dashPhase_; }
    LineCap lineCap() const { return lineCap_; }
    void setLineCap(LineCap c) { lineCap_ = c; }
    LineJoin lineJoin() const { return lineJoin_; }
    void setLineJoin(LineJoin j) { lineJoin_ = j; }
    double miterLimit() const { return miterLimit_; }
    void setMiterLimit(double m) { miterLimit_ = m; }
    WindingRule windingRule() const { return winding_; }
    void setWindingRule(WindingRule w) { winding_ = w; }

    // Tight box of the drawn outline (curves at their extremes, control points excluded);
    // the zero rectangle for an empty path.
    Rect bounds() const;
    // Box of every point including curve control points.
    Rect controlPointBounds() const;

    // Whether the point lies in the area a fill would paint, by the path's winding rule; open
    // subpaths count as closed. The stroke width takes no part.
    bool containsPoint(Point p) const;

    // One polyline per subpath, curves flattened to within `tolerance`; a closed subpath ends
    // with its first point again.
    std::vector<std::vector<Point>> flattened(double tolerance = 0.05) const;

    void transform(const AffineTransform& t);
    BezierPath transformed(const AffineTransform& t) const;

   private:
    bool hasCurrentPoint() const;

    std::vector<Element> elements_;
    Point subpathStart_;
    double lineWidth_ = 1.0;
    std::vector<double> dash_;
    double dashPhase_ = 0.0;
    LineCap lineCap_ = LineCap::Butt;
    LineJoin lineJoin_ = LineJoin::Miter;
    double miterLimit_ = 10.0;
    WindingRule winding_ = WindingRule::NonZero;
};

}  // namespace vornex
