#include "plot/ViewClip.h"

#include <cmath>

namespace vornex {

namespace {

// Beyond the plot rectangle: half the widest line, a highlighted marker and its label.
constexpr double kDrawingMargin = 64.0;

bool finite(Point p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// Liang–Barsky: cuts the segment a–b to the region; false when nothing of it is inside.
bool clipSegment(Point& a, Point& b, const Rect& r) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    double t0 = 0.0, t1 = 1.0;
    auto edge = [&t0, &t1](double p, double q) {
        if (p == 0.0) return q >= 0.0;
        const double t = q / p;
        if (p < 0.0) {
            if (t > t1) return false;
            if (t > t0) t0 = t;
        } else {
            if (t < t0) return false;
            if (t < t1) t1 = t;
        }
        return true;
    };
    if (!edge(-dx, a.x - r.minX()) || !edge(dx, r.maxX() - a.x) || !edge(-dy, a.y - r.minY()) ||
        !edge(dy, r.maxY() - a.y))
        return false;
    const Point start = a;
    if (t1 < 1.0) b = Point{start.x + t1 * dx, start.y + t1 * dy};
    if (t0 > 0.0) a = Point{start.x + t0 * dx, start.y + t0 * dy};
    return true;
}

}  // namespace

Rect drawingRegion(const Rect& plotRect) {
    return Rect(plotRect.minX() - kDrawingMargin, plotRect.minY() - kDrawingMargin,
                std::fabs(plotRect.width()) + 2 * kDrawingMargin,
                std::fabs(plotRect.height()) + 2 * kDrawingMargin);
}

bool insideRegion(const Rect& region, Point p) {
    return finite(p) && region.minX() <= p.x && p.x <= region.maxX() && region.minY() <= p.y &&
           p.y <= region.maxY();
}

bool placeableText(Point p) {
    constexpr double kFarthest = 1e6;
    return finite(p) && std::fabs(p.x) < kFarthest && std::fabs(p.y) < kFarthest;
}

void ClippedPolyline::add(Point p) {
    if (!finite(p)) {
        penUp();
        return;
    }
    if (!mHasPrevious) {
        mHasPrevious = true;
        mPrevious = p;
        mJoined = insideRegion(mRegion, p);
        if (mJoined) mPath.moveTo(p);
        return;
    }
    Point a = mPrevious, b = p;
    const bool startKept = mJoined;
    mPrevious = p;
    mJoined = false;
    if (!clipSegment(a, b, mRegion)) return;
    if (!startKept || !(a == mPath.currentPoint())) mPath.moveTo(a);
    mPath.lineTo(b);
    mJoined = b == p;
}

BezierPath clippedPolygon(const std::vector<Point>& polygon, const Rect& region) {
    std::vector<Point> ring;
    for (const Point& p : polygon)
        if (finite(p)) ring.push_back(p);
    // Sutherland–Hodgman, one edge of the region at a time.
    struct Edge {
        int axis;      // 0: x, 1: y
        double bound;  // the edge's coordinate
        bool keepBelow;
    };
    const Edge edges[] = {{0, region.minX(), false},
                          {0, region.maxX(), true},
                          {1, region.minY(), false},
                          {1, region.maxY(), true}};
    for (const Edge& e : edges) {
        if (ring.empty()) break;
        auto coord = [&e](const Point& p) { return e.axis == 0 ? p.x : p.y; };
        auto inside = [&](const Point& p) {
            return e.keepBelow ? coord(p) <= e.bound : coord(p) >= e.bound;
        };
        auto crossing = [&](const Point& a, const Point& b) {
            const double t = (e.bound - coord(a)) / (coord(b) - coord(a));
            Point c{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
            (e.axis == 0 ? c.x : c.y) = e.bound;
            return c;
        };
        std::vector<Point> out;
        out.reserve(ring.size() + 4);
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const Point& a = ring[(i + ring.size() - 1) % ring.size()];
            const Point& b = ring[i];
            if (inside(b)) {
                if (!inside(a)) out.push_back(crossing(a, b));
                out.push_back(b);
            } else if (inside(a)) {
                out.push_back(crossing(a, b));
            }
        }
        ring = std::move(out);
    }
    BezierPath path;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        if (i == 0)
            path.moveTo(ring[i]);
        else
            path.lineTo(ring[i]);
    }
    return path;
}

}  // namespace vornex
