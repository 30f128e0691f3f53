#include "StateReport.h"

#include <glib-unix.h>
#include <gtkmm/widget.h>

#include <csignal>
#include <cstdio>
#include <sstream>

#include "DocumentWindow.h"
#include "WyvraApplication.h"
#include "platform/AtomicFileWriter.h"
// Last, and in a unit of its own: X11's headers define macros that clash with names above.
#ifdef GDK_WINDOWING_X11
#include <gdk/x11/gdkx.h>
#endif

namespace vornex::shell {

namespace {

struct Reporter {
    WyvraApplication* application;
    std::string path;
};

// Bounds in the coordinates of the window's X surface (which include the frame GTK draws
// itself); false when the widget is not on screen.
bool surfaceBounds(GtkWidget* widget, GtkWidget* window, int (&box)[4]) {
    if (!gtk_widget_get_mapped(widget)) return false;
    graphene_rect_t r;
    if (!gtk_widget_compute_bounds(widget, window, &r)) return false;
    double sx = 0, sy = 0;
    gtk_native_get_surface_transform(GTK_NATIVE(window), &sx, &sy);
    box[0] = static_cast<int>(r.origin.x + sx);
    box[1] = static_cast<int>(r.origin.y + sy);
    box[2] = static_cast<int>(r.size.width);
    box[3] = static_cast<int>(r.size.height);
    return box[2] > 0 && box[3] > 0;
}

std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\t') c = ' ';
    return text;
}

std::string report(WyvraApplication& application) {
    std::ostringstream out;
    out << "windows " << application.windows().size() << '\n';
    if (!application.windows().empty()) {
        DocumentWindow& window = *application.windows().front();
        GtkWidget* top = GTK_WIDGET(window.gobj());
#ifdef GDK_WINDOWING_X11
        GdkSurface* surface = gtk_native_get_surface(GTK_NATIVE(top));
        if (surface && GDK_IS_X11_SURFACE(surface))
            out << "xid " << gdk_x11_surface_get_xid(surface) << '\n';
#endif
        int box[4];
        if (surfaceBounds(top, top, box))
            out << "size " << box[2] << ' ' << box[3] << '\n';
        MyDocument& document = window.document();
        out << "rows " << document.caseCount() << '\n';
        out << "selected " << document.listView().selectedRow() << '\n';
        if (GtkWidget* focus = gtk_root_get_focus(GTK_ROOT(top))) {
            GtkWidget* table = GTK_WIDGET(window.caseTable().gobj());
            for (GtkWidget* w = focus; w; w = gtk_widget_get_parent(w))
                if (w == table) {
                    out << "focus caseTable\n";
                    break;
                } else if (document.form().find(gtk_widget_get_name(w))) {
                    out << "focus " << gtk_widget_get_name(w) << '\n';
                    break;
                }
        }
        for (const std::string& name : document.form().names()) {
            const Control& c = document.form()[name];
            out << "control " << name << '\t' << oneLine(c.text) << '\n';
            Gtk::Widget* widget = window.form().widget(name);
            if (!widget || !surfaceBounds(widget->gobj(), top, box)) continue;
            GtkWidget* w = widget->gobj();
            const char* shown = GTK_IS_EDITABLE(w) ? gtk_editable_get_text(GTK_EDITABLE(w)) : "";
            out << "widget " << name << ' ' << box[0] << ' ' << box[1] << ' ' << box[2] << ' '
                << box[3] << '\t' << oneLine(shown) << '\n';
            if (widget->has_css_class("error") && name != MyDocument::kStatusLine)
                out << "marked " << name << '\n';
        }
        // The plots of the visible tab, each with the plot it draws.
        for (const std::string& name : MyDocument::plotNames())
            if (PlotArea* area = window.plotArea(name); area && surfaceBounds(GTK_WIDGET(area->gobj()), top, box)) {
                out << "plot " << name << ' ' << box[0] << ' ' << box[1] << ' ' << box[2] << ' '
                    << box[3] << '\n';
                for (const auto& [what, button] : area->toolButtons())
                    if (surfaceBounds(button->gobj(), top, box))
                        out << "tool " << name << ' ' << what << ' ' << box[0] << ' ' << box[1]
                            << ' ' << box[2] << ' ' << box[3] << '\n';
            }
        for (const auto& [row, key, label] : window.caseTable().cells())
            if (surfaceBounds(GTK_WIDGET(label->gobj()), top, box))
                out << "cell " << row << ' ' << key << ' ' << box[0] << ' ' << box[1] << ' '
                    << box[2] << ' ' << box[3] << '\t' << oneLine(label->get_text()) << '\n';
    }
    out << "end\n";
    return out.str();
}

gboolean writeReport(gpointer data) {
    auto* r = static_cast<Reporter*>(data);
    const IoResult written = writeFileAtomically(r->path, report(*r->application));
    if (!written.ok()) std::fprintf(stderr, "wyvra: %s\n", written.message.c_str());
    return G_SOURCE_CONTINUE;
}

gboolean writeImage(gpointer data) {
    auto* r = static_cast<Reporter*>(data);
    if (r->application->windows().empty()) return G_SOURCE_CONTINUE;
    if (GdkTexture* texture = windowSnapshot(*r->application->windows().front())) {
        gdk_texture_save_to_png(texture, (r->path + ".png").c_str());
        g_object_unref(texture);
    }
    return G_SOURCE_CONTINUE;
}

}  // namespace

void installStateReport(WyvraApplication& application, const std::string& path) {
    // Lives as long as the program: the handlers may run until its last main-loop turn.
    static Reporter reporter;
    reporter = {&application, path};
    g_unix_signal_add(SIGUSR1, writeReport, &reporter);
    g_unix_signal_add(SIGUSR2, writeImage, &reporter);
    // The first report tells the driver that the window is up and the handlers are in place.
    application.signal_activate().connect(
        [] {
            g_idle_add_full(G_PRIORITY_LOW, [](gpointer data) {
                writeReport(data);
                return G_SOURCE_REMOVE;
            }, &reporter, nullptr);
        },
        true);
}

GdkTexture* windowSnapshot(Gtk::Widget& window) {
    GtkWidget* w = window.gobj();
    const int width = gtk_widget_get_width(w), height = gtk_widget_get_height(w);
    GdkPaintable* paintable = gtk_widget_paintable_new(w);
    GtkSnapshot* snapshot = gtk_snapshot_new();
    gdk_paintable_snapshot(paintable, snapshot, width, height);
    GskRenderNode* node = gtk_snapshot_free_to_node(snapshot);
    GskRenderer* renderer = gtk_native_get_renderer(GTK_NATIVE(w));
    GdkTexture* texture = nullptr;
    if (node && renderer) {
        graphene_rect_t bounds =
            GRAPHENE_RECT_INIT(0, 0, static_cast<float>(width), static_cast<float>(height));
        texture = gsk_renderer_render_texture(renderer, node, &bounds);
    }
    if (node) gsk_render_node_unref(node);
    g_object_unref(paintable);
    return texture;
}

}  // namespace vornex::shell
