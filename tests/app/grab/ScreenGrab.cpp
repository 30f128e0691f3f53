// screen_grab: what the X screen shows in an area, read from the root window (so as a person
// sees it: whatever window, or nothing, lies on top there), for the real-input test.
//
//   screen_grab AREA [IMAGE.png]
//
// AREA is X,Y,W,H in screen coordinates, or window:XID for the area that window covers on
// the screen (its frame left out). Prints the area, the part of it on the screen, and a
// summary of the pixels of that part:
//   area X Y W H
//   shown X Y W H
//   pixels N light L dark D colours C digest HEX
// light: near white (a menu's or a list's background), dark: near black (text); colours
// counts the distinct colours up to 4096; digest is the same for the same pixels. With
// IMAGE.png the pixels are also written there. Exits 1 with a message when the display or
// the window cannot be read, 2 on bad arguments.
#include <cairo.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "platform/AtomicFileWriter.h"
// Last: X11's headers define macros that clash with names above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

struct Area {
    int x = 0, y = 0, w = 0, h = 0;
};

bool parseArea(const char* text, Display* display, Area& area) {
    if (std::strncmp(text, "window:", 7) == 0) {
        char* end = nullptr;
        const unsigned long xid = std::strtoul(text + 7, &end, 0);
        if (end == text + 7 || *end) return false;
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, xid, &attributes)) return false;
        Window child;
        if (!XTranslateCoordinates(display, xid, DefaultRootWindow(display), 0, 0, &area.x, &area.y,
                                   &child))
            return false;
        area.w = attributes.width;
        area.h = attributes.height;
        return true;
    }
    char end = 0;
    return std::sscanf(text, "%d,%d,%d,%d%c", &area.x, &area.y, &area.w, &area.h, &end) == 4;
}

// The part of AREA on the screen.
Area clipped(Area a, Display* display) {
    const int width = DisplayWidth(display, DefaultScreen(display));
    const int height = DisplayHeight(display, DefaultScreen(display));
    if (a.x < 0) a.w += a.x, a.x = 0;
    if (a.y < 0) a.h += a.y, a.y = 0;
    if (a.x + a.w > width) a.w = width - a.x;
    if (a.y + a.h > height) a.h = height - a.y;
    return a;
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<vornex::Bytes*>(closure)->insert(static_cast<vornex::Bytes*>(closure)->end(), data,
                                                 data + length);
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: screen_grab X,Y,W,H|window:XID [IMAGE.png]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "screen_grab: no display to read (DISPLAY is unset or unreachable)\n");
        return 1;
    }
    // A window that went meanwhile is an answer, not a reason to end the program.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    Area area;
    if (!parseArea(argv[1], display, area)) {
        std::fprintf(stderr, "screen_grab: \"%s\" is no area on this display\n", argv[1]);
        XCloseDisplay(display);
        return 2;
    }
    const Area asked = area;
    area = clipped(area, display);
    if (area.w <= 0 || area.h <= 0) {
        std::fprintf(stderr, "screen_grab: the area %s lies off the screen\n", argv[1]);
        XCloseDisplay(display);
        return 1;
    }
    XImage* image =
        XGetImage(display, DefaultRootWindow(display), area.x, area.y,
                  static_cast<unsigned>(area.w), static_cast<unsigned>(area.h), AllPlanes, ZPixmap);
    if (!image) {
        std::fprintf(stderr, "screen_grab: the screen could not be read\n");
        XCloseDisplay(display);
        return 1;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, area.w, area.h);
    unsigned char* rows = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    long light = 0, dark = 0;
    std::set<std::uint32_t> colours;
    std::uint64_t digest = 1469598103934665603ull;
    for (int y = 0; y < area.h; ++y)
        for (int x = 0; x < area.w; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            const unsigned r = (p & image->red_mask) >> 16, g = (p & image->green_mask) >> 8,
                           b = p & image->blue_mask;
            const std::uint32_t rgb = (r << 16) | (g << 8) | b;
            std::memcpy(rows + y * stride + 4 * x, &rgb, 4);
            const unsigned luminance = (299 * r + 587 * g + 114 * b) / 1000;
            if (luminance >= 200) ++light;
            if (luminance < 100) ++dark;
            if (colours.size() < 4096) colours.insert(rgb);
            for (int k = 0; k < 3; ++k) {
                digest ^= (rgb >> (8 * k)) & 0xff;
                digest *= 1099511628211ull;
            }
        }
    XDestroyImage(image);
    XCloseDisplay(display);
    cairo_surface_mark_dirty(surface);
    std::printf(
        "area %d %d %d %d\nshown %d %d %d %d\npixels %ld light %ld dark %ld colours %zu digest "
        "%016llx\n",
        asked.x, asked.y, asked.w, asked.h, area.x, area.y, area.w, area.h,
        static_cast<long>(area.w) * area.h, light, dark, colours.size(),
        static_cast<unsigned long long>(digest));
    int status = 0;
    if (argc == 3) {
        vornex::Bytes png;
        if (cairo_surface_write_to_png_stream(surface, appendBytes, &png) != CAIRO_STATUS_SUCCESS) {
            std::fprintf(stderr, "screen_grab: the image could not be encoded\n");
            status = 1;
        } else if (const vornex::IoResult written = vornex::writeFileAtomically(argv[2], png);
                   !written.ok()) {
            std::fprintf(stderr, "screen_grab: %s\n", written.message.c_str());
            status = 1;
        }
    }
    cairo_surface_destroy(surface);
    return status;
}
