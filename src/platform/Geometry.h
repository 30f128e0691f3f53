// Points, sizes and rectangles of the drawing layer, in points (1/72 inch), y growing upward.
#pragma once

#include <algorithm>

namespace vornex {

struct Point {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0.0;
    double height = 0.0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Axis-aligned rectangle: origin is the corner with the smallest coordinates when the size
// is positive (the lower left corner of an unflipped view).
struct Rect {
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(Point o, Size s) : origin(o), size(s) {}
    constexpr Rect(double x, double y, double w, double h) : origin{x, y}, size{w, h} {}

    // The rectangle spanned by two corners in any order.
    static Rect spanning(Point a, Point b) {
        return Rect(std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) - std::min(a.x, b.x),
                    std::max(a.y, b.y) - std::min(a.y, b.y));
    }

    double x() const { return origin.x; }
    double y() const { return origin.y; }
    double width() const { return size.width; }
    double height() const { return size.height; }
    double minX() const { return std::min(origin.x, origin.x + size.width); }
    double maxX() const { return std::max(origin.x, origin.x + size.width); }
    double minY() const { return std::min(origin.y, origin.y + size.height); }
    double maxY() const { return std::max(origin.y, origin.y + size.height); }
    double midX() const { return origin.x + 0.5 * size.width; }
    double midY() const { return origin.y + 0.5 * size.height; }

    // True when the rectangle encloses no area (zero or negative width or height).
    bool isEmpty() const { return !(size.width > 0.0) || !(size.height > 0.0); }
    // True for the all-zero rectangle, which the views use to mean "none".
    bool isZero() const { return *this == Rect(); }

    // Half-open containment: the left and bottom edges are inside, the right and top outside.
    bool contains(Point p) const {
        return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
    }
    // Mouse-in-rectangle test of a view: for an unflipped view (y up) the left and top edges
    // are inside and the right and bottom edges outside; a flipped view mirrors that in y.
    bool containsMouse(Point p, bool flipped = false) const {
        if (p.x < minX() || p.x >= maxX()) return false;
        return flipped ? (p.y >= minY() && p.y < maxY()) : (p.y > minY() && p.y <= maxY());
    }
    bool intersects(const Rect& r) const {
        return !isEmpty() && !r.isEmpty() && r.minX() < maxX() && minX() < r.maxX() &&
               r.minY() < maxY() && minY() < r.maxY();
    }

    Rect insetBy(double dx, double dy) const {
        return Rect(origin.x + dx, origin.y + dy, size.width - 2.0 * dx, size.height - 2.0 * dy);
    }
    // Smallest rectangle holding both; an empty rectangle takes no part.
    Rect unionWith(const Rect& r) const {
        if (r.isEmpty()) return *this;
        if (isEmpty()) return r;
        double x0 = std::min(minX(), r.minX()), y0 = std::min(minY(), r.minY());
        return Rect(x0, y0, std::max(maxX(), r.maxX()) - x0, std::max(maxY(), r.maxY()) - y0);
    }
    // Common part; the zero rectangle when they do not overlap.
    Rect intersection(const Rect& r) const {
        if (!intersects(r)) return Rect();
        double x0 = std::max(minX(), r.minX()), y0 = std::max(minY(), r.minY());
        return Rect(x0, y0, std::min(maxX(), r.maxX()) - x0, std::min(maxY(), r.maxY()) - y0);
    }

    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace vornex
