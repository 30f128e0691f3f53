#include "platform/Color.h"

#include <algorithm>
#include <cmath>

namespace vornex {

static double unit(double v) {
    return std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0);
}

Color Color::make(double r, double g, double b, double a, ColorSpace s) {
    return Color(unit(r), unit(g), unit(b), unit(a), s);
}

Color Color::deviceRGB(double r, double g, double b, double a) {
    return make(r, g, b, a, ColorSpace::DeviceRGB);
}

Color Color::calibratedRGB(double r, double g, double b, double a) {
    return make(r, g, b, a, ColorSpace::CalibratedRGB);
}

Color Color::withAlpha(double a) const {
    return make(r_, g_, b_, a, space_);
}

}  // namespace vornex
