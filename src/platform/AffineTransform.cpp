#include "platform/AffineTransform.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vornex {

AffineTransform AffineTransform::rotationRadians(double radians) {
    double c = std::cos(radians), s = std::sin(radians);
    return {c, s, -s, c, 0, 0};
}

AffineTransform AffineTransform::rotationDegrees(double degrees) {
    // Exact quarter turns keep axis-aligned drawings free of 1e-17 residues.
    double turns = degrees / 90.0;
    if (turns == std::floor(turns)) {
        switch (((static_cast<long long>(turns) % 4) + 4) % 4) {
            case 0:
                return {1, 0, 0, 1, 0, 0};
            case 1:
                return {0, 1, -1, 0, 0, 0};
            case 2:
                return {-1, 0, 0, -1, 0, 0};
            default:
                return {0, -1, 1, 0, 0, 0};
        }
    }
    return rotationRadians(degrees * std::numbers::pi / 180.0);
}

AffineTransform& AffineTransform::append(const AffineTransform& o) {
    // Point p goes through this first (row vector · this), then through o.
    AffineTransform r(m11_ * o.m11_ + m12_ * o.m21_, m11_ * o.m12_ + m12_ * o.m22_,
                      m21_ * o.m11_ + m22_ * o.m21_, m21_ * o.m12_ + m22_ * o.m22_,
                      tX_ * o.m11_ + tY_ * o.m21_ + o.tX_, tX_ * o.m12_ + tY_ * o.m22_ + o.tY_);
    *this = r;
    return *this;
}

AffineTransform& AffineTransform::prepend(const AffineTransform& other) {
    AffineTransform r = other;
    r.append(*this);
    *this = r;
    return *this;
}

AffineTransform& AffineTransform::translate(double tx, double ty) {
    return prepend(translation(tx, ty));
}
AffineTransform& AffineTransform::scale(double sx, double sy) {
    return prepend(scaling(sx, sy));
}
AffineTransform& AffineTransform::rotateByDegrees(double degrees) {
    return prepend(rotationDegrees(degrees));
}

std::optional<AffineTransform> AffineTransform::inverted() const {
    double det = determinant();
    if (!std::isfinite(det) || det == 0.0) return std::nullopt;
    double i11 = m22_ / det, i12 = -m12_ / det, i21 = -m21_ / det, i22 = m11_ / det;
    return AffineTransform(i11, i12, i21, i22, -(tX_ * i11 + tY_ * i21), -(tX_ * i12 + tY_ * i22));
}

bool AffineTransform::invert() {
    std::optional<AffineTransform> inv = inverted();
    if (!inv) return false;
    *this = *inv;
    return true;
}

Rect AffineTransform::transformRect(const Rect& r) const {
    Point c[4] = {transformPoint({r.minX(), r.minY()}), transformPoint({r.maxX(), r.minY()}),
                  transformPoint({r.minX(), r.maxY()}), transformPoint({r.maxX(), r.maxY()})};
    double x0 = c[0].x, x1 = c[0].x, y0 = c[0].y, y1 = c[0].y;
    for (const Point& p : c) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    return Rect(x0, y0, x1 - x0, y1 - y0);
}

}  // namespace vornex
