// screen_grab: what the X screen shows in an area, read from the root window (so as a person
// sees it: whatever window, or nothing, lies on top there), for the real-input test.
//
//   screen_grab AREA [IMAGE.png] [--find WANTED.png]
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
// With --find WANTED.png, a surface's own rendering, a further line says where its middle
// shows in the area, and how much of it shows unchanged (see printFound).
#include <cairo.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

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

struct Reading {
    const vornex::Bytes* bytes;
    std::size_t at = 0;
};
cairo_status_t readBytes(void* closure, unsigned char* data, unsigned int length) {
    auto* r = static_cast<Reading*>(closure);
    if (r->bytes->size() - r->at < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, r->bytes->data() + r->at, length);
    r->at += length;
    return CAIRO_STATUS_SUCCESS;
}

// Where the middle of the image in the file WANTED (a surface's own rendering, its edges and
// shadow left out) shows in SURFACE, pixel for pixel: prints "found X Y W H matching M of N"
// (the middle's bounds in SURFACE, and how many of its N pixels show unchanged there), or
// "found none" when not even the middle's most varied row shows anywhere. False (after saying
// why) when the image cannot be read.
bool printFound(cairo_surface_t* surface, const char* wanted, int originX, int originY) {
    vornex::Bytes png;
    if (const vornex::IoResult read = vornex::readFileBytes(wanted, png); !read.ok()) {
        std::fprintf(stderr, "screen_grab: %s\n", read.message.c_str());
        return false;
    }
    Reading reading{&png};
    cairo_surface_t* image = cairo_image_surface_create_from_png_stream(readBytes, &reading);
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "screen_grab: %s is no PNG image\n", wanted);
        cairo_surface_destroy(image);
        return false;
    }
    cairo_surface_flush(image);
    const int iw = cairo_image_surface_get_width(image), ih = cairo_image_surface_get_height(image);
    const int is = cairo_image_surface_get_stride(image);
    const unsigned char* ip = cairo_image_surface_get_data(image);
    const int sw = cairo_image_surface_get_width(surface), sh = cairo_image_surface_get_height(surface);
    const int ss = cairo_image_surface_get_stride(surface);
    const unsigned char* sp = cairo_image_surface_get_data(surface);
    auto pixel = [](const unsigned char* rows, int stride, int x, int y) {
        std::uint32_t v = 0;
        std::memcpy(&v, rows + y * stride + 4 * x, 4);
        return v & 0xffffff;
    };
    // The middle half of the image each way: opaque content, whatever frame surrounds it.
    const int mx = iw / 4, my = ih / 4, mw = iw / 2, mh = ih / 2;
    // Located by its most varied row (text), which a plain background cannot match by chance.
    int anchor = -1, variety = 0;
    for (int j = 0; j < mh; ++j) {
        int changes = 0;
        for (int i = 1; i < mw; ++i)
            changes += pixel(ip, is, mx + i, my + j) != pixel(ip, is, mx + i - 1, my + j);
        if (changes > variety) variety = changes, anchor = j;
    }
    long best = -1;
    int bx = 0, by = 0;
    for (int y = anchor; anchor >= 0 && y + mh - anchor <= sh; ++y)
        for (int x = 0; x + mw <= sw; ++x) {
            bool same = true;
            for (int i = 0; i < mw && same; ++i)
                same = pixel(sp, ss, x + i, y) == pixel(ip, is, mx + i, my + anchor);
            if (!same) continue;
            const int top = y - anchor;
            long matching = 0;
            for (int j = 0; j < mh; ++j)
                for (int i = 0; i < mw; ++i)
                    matching += pixel(sp, ss, x + i, top + j) == pixel(ip, is, mx + i, my + j);
            if (matching > best) best = matching, bx = x, by = top;
        }
    cairo_surface_destroy(image);
    if (best < 0)
        std::printf("found none\n");
    else
        std::printf("found %d %d %d %d matching %ld of %ld\n", originX + bx, originY + by, mw, mh,
                    best, static_cast<long>(mw) * mh);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const char* wanted = nullptr;
    std::vector<char*> args;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--find") == 0 && i + 1 < argc)
            wanted = argv[++i];
        else
            args.push_back(argv[i]);
    }
    if (args.empty() || args.size() > 2) {
        std::fprintf(stderr,
                     "usage: screen_grab X,Y,W,H|window:XID [IMAGE.png] [--find WANTED.png]\n");
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
    if (!parseArea(args[0], display, area)) {
        std::fprintf(stderr, "screen_grab: \"%s\" is no area on this display\n", args[0]);
        XCloseDisplay(display);
        return 2;
    }
    const Area asked = area;
    area = clipped(area, display);
    if (area.w <= 0 || area.h <= 0) {
        std::fprintf(stderr, "screen_grab: the area %s lies off the screen\n", args[0]);
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
    if (wanted && !printFound(surface, wanted, area.x, area.y)) status = 1;
    if (args.size() == 2) {
        vornex::Bytes png;
        if (cairo_surface_write_to_png_stream(surface, appendBytes, &png) != CAIRO_STATUS_SUCCESS) {
            std::fprintf(stderr, "screen_grab: the image could not be encoded\n");
            status = 1;
        } else if (const vornex::IoResult written = vornex::writeFileAtomically(args[1], png);
                   !written.ok()) {
            std::fprintf(stderr, "screen_grab: %s\n", written.message.c_str());
            status = 1;
        }
    }
    cairo_surface_destroy(surface);
    return status;
}
