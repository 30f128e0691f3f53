// Two-dimensional affine transform of the drawing layer: x' = m11·x + m21·y + tX,
// y' = m12·x + m22·y + tY.
#pragma once

#include <optional>

#include "platform/Geometry.h"

namespace vornex {

class AffineTransform {
   public:
    // The identity.
    constexpr AffineTransform() = default;
    constexpr AffineTransform(double m11, double m12, double m21, double m22, double tX, double tY)
        : m11_(m11), m12_(m12), m21_(m21), m22_(m22), tX_(tX), tY_(tY) {}

    static AffineTransform translation(double tx, double ty) { return {1, 0, 0, 1, tx, ty}; }
    static AffineTransform scaling(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    static AffineTransform rotationDegrees(double degrees);
    static AffineTransform rotationRadians(double radians);

    // The operations below change the coordinate system the way a graphics context does:
    // the new step acts on points first, then the transform held so far. Each returns *this.
    AffineTransform& translate(double tx, double ty);
    AffineTransform& scale(double sx, double sy);
    AffineTransform& rotateByDegrees(double degrees);
    // this, then other.
    AffineTransform& append(const AffineTransform& other);
    // other, then this.
    AffineTransform& prepend(const AffineTransform& other);

    // Replaces the transform by its inverse; false (and unchanged) when it is singular.
    bool invert();
    std::optional<AffineTransform> inverted() const;

    Point transformPoint(Point p) const {
        return {m11_ * p.x + m21_ * p.y + tX_, m12_ * p.x + m22_ * p.y + tY_};
    }
    // A displacement: the translation takes no part.
    Size transformSize(Size s) const {
        return {m11_ * s.width + m21_ * s.height, m12_ * s.width + m22_ * s.height};
    }
    // Bounding box of the transformed corners.
    Rect transformRect(const Rect& r) const;

    double determinant() const { return m11_ * m22_ - m12_ * m21_; }
    bool isIdentity() const { return *this == AffineTransform(); }

    double m11() const { return m11_; }
    double m12() const { return m12_; }
    double m21() const { return m21_; }
    double m22() const { return m22_; }
    double tX() const { return tX_; }
    double tY() const { return tY_; }

    friend bool operator==(const AffineTransform&, const AffineTransform&) = default;

   private:
    double m11_ = 1.0, m12_ = 0.0, m21_ = 0.0, m22_ = 1.0, tX_ = 0.0, tY_ = 0.0;
};

}  // namespace vornex
