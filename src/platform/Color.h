// Colour of the drawing layer: red, green, blue and alpha, each 0 to 1, tagged with the colour
// space it was made in (device or calibrated RGB), which archives keep.
#pragma once

#include <cstdint>

namespace vornex {

enum class ColorSpace : std::uint8_t { DeviceRGB, CalibratedRGB };

class Color {
   public:
    // Opaque black, device RGB.
    constexpr Color() = default;

    // Components outside 0..1 are clamped and a NaN reads as 0, so no colour reaches a
    // back end that it cannot paint.
    static Color deviceRGB(double r, double g, double b, double a = 1.0);
    static Color calibratedRGB(double r, double g, double b, double a = 1.0);
    // Grey levels (0 black, 1 white).
    static Color calibratedWhite(double w, double a = 1.0) { return calibratedRGB(w, w, w, a); }

    // Named colours (calibrated, as the platform's named colours are).
    static Color black() { return calibratedWhite(0.0); }
    static Color white() { return calibratedWhite(1.0); }
    static Color gray() { return calibratedWhite(0.5); }
    static Color lightGray() { return calibratedWhite(2.0 / 3.0); }
    static Color red() { return calibratedRGB(1, 0, 0); }
    static Color green() { return calibratedRGB(0, 1, 0); }
    static Color blue() { return calibratedRGB(0, 0, 1); }
    static Color magenta() { return calibratedRGB(1, 0, 1); }
    // Colour of interactive marks such as a zoom rectangle's frame.
    static Color knob() { return calibratedRGB(0.45, 0.55, 0.75); }

    double redComponent() const { return r_; }
    double greenComponent() const { return g_; }
    double blueComponent() const { return b_; }
    double alphaComponent() const { return a_; }
    ColorSpace space() const { return space_; }

    Color withAlpha(double a) const;

    // Equal components and space.
    friend bool operator==(const Color&, const Color&) = default;

   private:
    constexpr Color(double r, double g, double b, double a, ColorSpace s)
        : r_(r), g_(g), b_(b), a_(a), space_(s) {}
    static Color make(double r, double g, double b, double a, ColorSpace s);

    double r_ = 0.0, g_ = 0.0, b_ = 0.0, a_ = 1.0;
    ColorSpace space_ = ColorSpace::DeviceRGB;
};

}  // namespace vornex
