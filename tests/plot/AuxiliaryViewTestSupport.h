// Helpers shared by the tests of the auxiliary plot views and panels (bar chart, ternary plot,
// panels and host).
#pragma once

#include <cairo.h>

#include <string>
#include <vector>

#include "platform/RecordingCanvas.h"

namespace vornex::auxtest {

// The first text operation drawing `text`, or null.
inline const RecordedOperation* findText(const RecordingCanvas& c, const std::string& text) {
    for (const RecordedOperation& op : c.operations())
        if (op.kind == RecordedOperation::Kind::Text && op.text == text) return &op;
    return nullptr;
}

// Pixel of a PNG file at (x, y) in view coordinates (y up), as 0xRRGGBB over white; -1 when
// the file cannot be read or the point lies outside.
inline long pngPixel(const std::string& path, int x, int y) {
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    long result = -1;
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(s);
        const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
        const int row = h - 1 - y;
        if (x >= 0 && x < w && row >= 0 && row < h) {
            const unsigned char* data = cairo_image_surface_get_data(s);
            const auto* p = reinterpret_cast<const unsigned int*>(
                data + row * cairo_image_surface_get_stride(s) + x * 4);
            const unsigned int argb = *p;
            const unsigned a = argb >> 24;
            // Premultiplied ARGB composited over white.
            auto over = [a](unsigned c) { return c + (255 - a); };
            result = static_cast<long>((over((argb >> 16) & 0xFF) << 16) |
                                       (over((argb >> 8) & 0xFF) << 8) | over(argb & 0xFF));
        }
    }
    cairo_surface_destroy(s);
    return result;
}

}  // namespace vornex::auxtest
