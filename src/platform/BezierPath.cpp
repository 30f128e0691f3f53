#include "platform/BezierPath.h"

#include <algorithm>
#include <cmath>

namespace vornex {

namespace {

// Control distance of a quarter-circle cubic: 4/3·(√2 − 1).
constexpr double kKappa = 0.5522847498307936;

Point cubicAt(Point p0, Point p1, Point p2, Point p3, double t) {
    double u = 1.0 - t;
    double a = u * u * u, b = 3.0 * u * u * t, c = 3.0 * u * t * t, d = t * t * t;
    return {a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y};
}

// Parameters in (0, 1) where one coordinate of a cubic has a zero derivative.
int cubicExtrema(double p0, double p1, double p2, double p3, double t[2]) {
    double a = -p0 + 3.0 * p1 - 3.0 * p2 + p3;
    double b = 2.0 * (p0 - 2.0 * p1 + p2);
    double c = p1 - p0;
    int n = 0;
    auto take = [&](double r) {
        if (r > 0.0 && r < 1.0) t[n++] = r;
    };
    if (std::fabs(a) < 1e-12) {
        if (std::fabs(b) > 1e-12) take(-c / b);
        return n;
    }
    double disc = b * b - 4.0 * a * c;
    if (disc < 0.0) return 0;
    double s = std::sqrt(disc);
    take((-b + s) / (2.0 * a));
    take((-b - s) / (2.0 * a));
    return n;
}

struct BoxBuilder {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool any = false;
    void add(Point p) {
        if (!any) {
            x0 = x1 = p.x;
            y0 = y1 = p.y;
            any = true;
            return;
        }
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    Rect rect() const { return any ? Rect(x0, y0, x1 - x0, y1 - y0) : Rect(); }
};

}  // namespace

BezierPath BezierPath::withRect(const Rect& r) {
    BezierPath p;
    p.appendRect(r);
    return p;
}

BezierPath BezierPath::withOval(const Rect& r) {
    BezierPath p;
    p.appendOval(r);
    return p;
}

BezierPath BezierPath::withLine(Point from, Point to) {
    BezierPath p;
    p.moveTo(from);
    p.lineTo(to);
    return p;
}

bool BezierPath::hasCurrentPoint() const {
    return !elements_.empty();
}

Point BezierPath::currentPoint() const {
    if (elements_.empty()) return {};
    const Element& e = elements_.back();
    switch (e.type) {
        case Element::Type::CurveTo:
            return e.points[2];
        default:
            return e.points[0];
    }
}

void BezierPath::moveTo(Point p) {
    elements_.push_back({Element::Type::MoveTo, {p, {}, {}}});
    subpathStart_ = p;
}

void BezierPath::lineTo(Point p) {
    if (!hasCurrentPoint()) {
        moveTo(p);
        return;
    }
    if (elements_.back().type == Element::Type::ClosePath) moveTo(currentPoint());
    elements_.push_back({Element::Type::LineTo, {p, {}, {}}});
}

void BezierPath::curveTo(Point control1, Point control2, Point end) {
    if (!hasCurrentPoint()) moveTo(control1);
    if (elements_.back().type == Element::Type::ClosePath) moveTo(currentPoint());
    elements_.push_back({Element::Type::CurveTo, {control1, control2, end}});
}

void BezierPath::closePath() {
    if (elements_.empty() || elements_.back().type == Element::Type::ClosePath) return;
    elements_.push_back({Element::Type::ClosePath, {subpathStart_, {}, {}}});
}

void BezierPath::appendRect(const Rect& r) {
    double x = r.x(), y = r.y(), w = r.width(), h = r.height();
    moveTo({x, y});
    lineTo({x + w, y});
    lineTo({x + w, y + h});
    lineTo({x, y + h});
    closePath();
}

void BezierPath::appendOval(const Rect& r) {
    double cx = r.midX(), cy = r.midY(), rx = 0.5 * r.width(), ry = 0.5 * r.height();
    double kx = kKappa * rx, ky = kKappa * ry;
    moveTo({cx + rx, cy});
    curveTo({cx + rx, cy + ky}, {cx + kx, cy + ry}, {cx, cy + ry});
    curveTo({cx - kx, cy + ry}, {cx - rx, cy + ky}, {cx - rx, cy});
    curveTo({cx - rx, cy - ky}, {cx - kx, cy - ry}, {cx, cy - ry});
    curveTo({cx + kx, cy - ry}, {cx + rx, cy - ky}, {cx + rx, cy});
    closePath();
}

void BezierPath::append(const BezierPath& other) {
    for (const Element& e : other.elements_) {
        switch (e.type) {
            case Element::Type::MoveTo:
                moveTo(e.points[0]);
                break;
            case Element::Type::LineTo:
                lineTo(e.points[0]);
                break;
            case Element::Type::CurveTo:
                curveTo(e.points[0], e.points[1], e.points[2]);
                break;
            case Element::Type::ClosePath:
                closePath();
                break;
        }
    }
}

void BezierPath::setLineDash(std::vector<double> pattern, double phase) {
    bool anyPositive = false, anyBad = false;
    for (double d : pattern) {
        if (d > 0.0) anyPositive = true;
        if (!(d >= 0.0) || !std::isfinite(d)) anyBad = true;
    }
    if (anyBad || !anyPositive) pattern.clear();
    dash_ = std::move(pattern);
    dashPhase_ = std::isfinite(phase) ? phase : 0.0;
}

Rect BezierPath::bounds() const {
    BoxBuilder box;
    Point current;
    for (const Element& e : elements_) {
        switch (e.type) {
            case Element::Type::MoveTo:
            case Element::Type::LineTo:
                box.add(e.points[0]);
                current = e.points[0];
                break;
            case Element::Type::CurveTo: {
                const Point &p1 = e.points[0], &p2 = e.points[1], &p3 = e.points[2];
                box.add(p3);
                double t[2];
                int n = cubicExtrema(current.x, p1.x, p2.x, p3.x, t);
                for (int i = 0; i < n; ++i) box.add(cubicAt(current, p1, p2, p3, t[i]));
                n = cubicExtrema(current.y, p1.y, p2.y, p3.y, t);
                for (int i = 0; i < n; ++i) box.add(cubicAt(current, p1, p2, p3, t[i]));
                current = p3;
                break;
            }
            case Element::Type::ClosePath:
                current = e.points[0];
                break;
        }
    }
    return box.rect();
}

Rect BezierPath::controlPointBounds() const {
    BoxBuilder box;
    for (const Element& e : elements_) {
        int n = e.type == Element::Type::CurveTo ? 3 : (e.type == Element::Type::ClosePath ? 0 : 1);
        for (int i = 0; i < n; ++i) box.add(e.points[i]);
    }
    return box.rect();
}

std::vector<std::vector<Point>> BezierPath::flattened(double tolerance) const {
    if (!(tolerance > 0.0)) tolerance = 0.05;
    std::vector<std::vector<Point>> out;
    Point current;
    for (const Element& e : elements_) {
        switch (e.type) {
            case Element::Type::MoveTo:
                out.push_back({e.points[0]});
                current = e.points[0];
                break;
            case Element::Type::LineTo:
                out.back().push_back(e.points[0]);
                current = e.points[0];
                break;
            case Element::Type::CurveTo: {
                const Point &p1 = e.points[0], &p2 = e.points[1], &p3 = e.points[2];
                // Segment count from the largest second difference (Wang's bound).
                double dx = std::max(std::fabs(current.x - 2 * p1.x + p2.x),
                                     std::fabs(p1.x - 2 * p2.x + p3.x));
                double dy = std::max(std::fabs(current.y - 2 * p1.y + p2.y),
                                     std::fabs(p1.y - 2 * p2.y + p3.y));
                double m = std::hypot(dx, dy);
                double raw = std::ceil(std::sqrt(0.75 * m / tolerance));
                int n = std::isfinite(raw) ? static_cast<int>(std::clamp(raw, 1.0, 1000.0)) : 1;
                for (int i = 1; i <= n; ++i)
                    out.back().push_back(cubicAt(current, p1, p2, p3, static_cast<double>(i) / n));
                current = p3;
                break;
            }
            case Element::Type::ClosePath:
                out.back().push_back(e.points[0]);
                current = e.points[0];
                break;
        }
    }
    return out;
}

bool BezierPath::containsPoint(Point p) const {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
    int winding = 0, crossings = 0;
    for (const std::vector<Point>& poly : flattened(0.01)) {
        std::size_t n = poly.size();
        if (n < 2) continue;
        // Every subpath counts as closed: the edge from its last point back to its first.
        for (std::size_t i = 0; i < n; ++i) {
            const Point& a = poly[i];
            const Point& b = poly[(i + 1) % n];
            if ((a.y <= p.y) == (b.y <= p.y)) continue;
            double side = (b.x - a.x) * (p.y - a.y) - (p.x - a.x) * (b.y - a.y);
            // The ray from p towards +x crosses an upward edge that has p on its left and a
            // downward edge that has p on its right.
            if (a.y <= p.y) {
                if (side > 0) ++winding, ++crossings;
            } else if (side < 0) {
                --winding, ++crossings;
            }
        }
    }
    return winding_ == WindingRule::NonZero ? winding != 0 : (crossings % 2) == 1;
}

void BezierPath::transform(const AffineTransform& t) {
    for (Element& e : elements_)
        for (Point& q : e.points) q = t.transformPoint(q);
    subpathStart_ = t.transformPoint(subpathStart_);
}

BezierPath BezierPath::transformed(const AffineTransform& t) const {
    BezierPath copy = *this;
    copy.transform(t);
    return copy;
}

}  // namespace vornex
