// A PNG read back through cairo, addressed as the canvases draw: in picture units from the
// lower left corner, y growing upward, at the pixel scale the file was written with. Shared by
// the tests of the file canvas and of the views that write pictures.
#pragma once

#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "platform/Geometry.h"

namespace vornex::test {

// One pixel composited over white, with its own alpha; -1 throughout outside the picture.
struct Rgb {
    int r = -1, g = -1, b = -1, a = -1;
    long hex() const { return r < 0 ? -1 : (long(r) << 16) | (long(g) << 8) | b; }
    bool dark() const { return r >= 0 && r < 100 && g < 100 && b < 100; }
};

class PngPixels {
   public:
    explicit PngPixels(const std::string& path, double scale = 1.0)
        : image_(cairo_image_surface_create_from_png(path.c_str()), &cairo_surface_destroy),
          scale_(scale) {}
    bool ok() const { return cairo_surface_status(image_.get()) == CAIRO_STATUS_SUCCESS; }
    int width() const { return ok() ? cairo_image_surface_get_width(image_.get()) : 0; }
    int height() const { return ok() ? cairo_image_surface_get_height(image_.get()) : 0; }

    Rgb at(Point p) const {
        const int col = int(std::floor(p.x * scale_));
        const int row = height() - 1 - int(std::floor(p.y * scale_));
        if (col < 0 || col >= width() || row < 0 || row >= height()) return {};
        std::uint32_t argb;  // premultiplied
        std::memcpy(&argb,
                    cairo_image_surface_get_data(image_.get()) +
                        row * cairo_image_surface_get_stride(image_.get()) + col * 4,
                    4);
        const int a = int(argb >> 24);
        auto over = [a](std::uint32_t c) { return int(c & 0xff) + 255 - a; };
        return {over(argb >> 16), over(argb >> 8), over(argb), a};
    }
    // Dark pixels inside a rectangle of picture units, and the mean x of those pixels.
    int darkPixels(const Rect& r, double* meanX = nullptr) const {
        int n = 0;
        double sumX = 0;
        for (double x = r.minX(); x < r.maxX(); x += 1 / scale_)
            for (double y = r.minY(); y < r.maxY(); y += 1 / scale_)
                if (at({x, y}).dark()) ++n, sumX += x;
        if (meanX) *meanX = n > 0 ? sumX / n : NAN;
        return n;
    }

   private:
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> image_;
    double scale_;
};

}  // namespace vornex::test
