#include "WindowPlacement.h"

#include <gtkmm/window.h>

#include <algorithm>
// Last, and in a unit of its own: X11's headers define macros that clash with names above.
#if defined(GDK_WINDOWING_X11) && !defined(WYVRA_NO_XLIB)
#define WYVRA_XLIB 1
#include <gdk/x11/gdkx.h>
#include <X11/Xatom.h>
#endif

namespace vornex::shell {

namespace {

#ifdef WYVRA_XLIB
GdkSurface* x11Surface(Gtk::Window& window) {
    GdkSurface* surface = gtk_native_get_surface(GTK_NATIVE(window.gobj()));
    return surface && GDK_IS_X11_SURFACE(surface) ? surface : nullptr;
}
#endif

#ifdef WYVRA_XLIB
// The decorations the window manager puts around a window (left, right, top, bottom), as it
// says in _NET_FRAME_EXTENTS; none where it says nothing.
struct FrameExtents {
    int left = 0, right = 0, top = 0, bottom = 0;
};
FrameExtents frameExtents(Display* display, ::Window window) {
    FrameExtents extents;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom property = XInternAtom(display, "_NET_FRAME_EXTENTS", True);
    if (property != None &&
        XGetWindowProperty(display, window, property, 0, 4, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data) == Success &&
        data && type == XA_CARDINAL && format == 32 && count == 4) {
        const auto* values = reinterpret_cast<const long*>(data);
        extents = {static_cast<int>(values[0]), static_cast<int>(values[1]), static_cast<int>(values[2]),
                   static_cast<int>(values[3])};
    }
    if (data) XFree(data);
    return extents;
}
#endif

}  // namespace

void showBeside(Gtk::Window& window, Gtk::Window* beside) {
    if (window.get_visible()) return;
#ifdef WYVRA_XLIB
    gtk_widget_realize(GTK_WIDGET(window.gobj()));
    // A user time of 0 asks the window manager not to give the window the keyboard when it
    // maps it.
    if (GdkSurface* surface = x11Surface(window)) gdk_x11_surface_set_user_time(surface, 0);
#endif
    window.set_visible(true);
#ifdef WYVRA_XLIB
    GdkSurface* surface = x11Surface(window);
    GdkSurface* next = beside ? x11Surface(*beside) : nullptr;
    if (!surface || !next) return;
    GdkMonitor* monitor = gdk_display_get_monitor_at_surface(gdk_surface_get_display(next), next);
    if (!monitor) return;
    GdkRectangle screen;
    gdk_monitor_get_geometry(monitor, &screen);
    // Where the document lies on the screen, frame included (the window shown gets the same
    // frame, and is placed by its frame's top-left corner).
    Display* display = GDK_SURFACE_XDISPLAY(next);
    int x = 0, y = 0;
    ::Window child;
    XTranslateCoordinates(display, GDK_SURFACE_XID(next), DefaultRootWindow(display), 0, 0, &x, &y,
                          &child);
    const FrameExtents frame = frameExtents(display, GDK_SURFACE_XID(next));
    // A window just shown has no size yet: it will take its default one.
    int defaultWidth = 0, defaultHeight = 0;
    window.get_default_size(defaultWidth, defaultHeight);
    const int width = std::min((window.get_width() > 0 ? window.get_width() : std::max(defaultWidth, 1)) +
                                   frame.left + frame.right,
                               screen.width);
    const int height = std::min((window.get_height() > 0 ? window.get_height() : std::max(defaultHeight, 1)) +
                                    frame.top + frame.bottom,
                                screen.height);
    const int right = std::min(x + beside->get_width() + frame.right, screen.x + screen.width);
    const int bottom = std::min(y + beside->get_height() + frame.bottom, screen.y + screen.height);
    const int documentTop = y - frame.top;
    // To the right of the document where the screen has room, else over its bottom right
    // corner (its plots), never over its menu bar.
    int left = right + width <= screen.x + screen.width ? right : right - width;
    int top = right + width <= screen.x + screen.width ? documentTop : bottom - height;
    left = std::clamp(left, screen.x, std::max(screen.x, screen.x + screen.width - width));
    top = std::clamp(top, screen.y, std::max(screen.y, screen.y + screen.height - height));
    XMoveWindow(display, GDK_SURFACE_XID(surface), left, top);
#endif
}

}  // namespace vornex::shell
