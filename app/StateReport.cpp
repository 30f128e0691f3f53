#include "StateReport.h"
#include "numerics/Decimal.h"

#include <glib-unix.h>
#include <gtkmm/widget.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <locale>
#include <sstream>

#include "DocumentWindow.h"
#include "PlotWidget.h"
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

// Bounds of the part of a widget that shows, in the coordinates of the window's X surface
// (which include the frame GTK draws itself); false when no part of it is on screen. A
// widget scrolled out of view keeps its place in the layout beneath what covers it there,
// so a click aimed at it would land on something else.
bool surfaceBounds(GtkWidget* widget, GtkWidget* window, int (&box)[4]) {
    if (!gtk_widget_get_mapped(widget)) return false;
    graphene_rect_t r;
    if (!gtk_widget_compute_bounds(widget, window, &r)) return false;
    for (GtkWidget* a = gtk_widget_get_parent(widget); a && a != window;
         a = gtk_widget_get_parent(a)) {
        graphene_rect_t clip;
        if ((GTK_IS_VIEWPORT(a) || gtk_widget_get_overflow(a) == GTK_OVERFLOW_HIDDEN) &&
            gtk_widget_compute_bounds(a, window, &clip) &&
            !graphene_rect_intersection(&r, &clip, &r))
            return false;
    }
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

// The X id of the surface a window or popover draws into; 0 while it has none.
unsigned long xidOf(GtkWidget* native) {
#ifdef GDK_WINDOWING_X11
    GdkSurface* surface =
        native && GTK_IS_NATIVE(native) ? gtk_native_get_surface(GTK_NATIVE(native)) : nullptr;
    if (surface && GDK_IS_X11_SURFACE(surface)) return gdk_x11_surface_get_xid(surface);
#endif
    return 0;
}

// The text of the first label in a widget (a popover's left out); empty where it holds none.
std::string labelIn(GtkWidget* widget) {
    if (GTK_IS_LABEL(widget)) return gtk_label_get_text(GTK_LABEL(widget));
    for (GtkWidget* c = gtk_widget_get_first_child(widget); c; c = gtk_widget_get_next_sibling(c))
        if (std::string text = GTK_IS_POPOVER(c) ? "" : labelIn(c); !text.empty()) return text;
    return "";
}

// What a person calls a widget: its label, or else its kind.
std::string nameOf(GtkWidget* widget) {
    std::string text = labelIn(widget);
    return text.empty() ? G_OBJECT_TYPE_NAME(widget) : text;
}

// Whether a popover's content is all on screen, with nothing of it left to scroll to.
bool showsEverything(GtkWidget* widget) {
    if (GTK_IS_SCROLLED_WINDOW(widget)) {
        GtkWidget* content = gtk_scrolled_window_get_child(GTK_SCROLLED_WINDOW(widget));
        if (!content) return true;
        int minimum = 0, natural = 0;
        gtk_widget_measure(content, GTK_ORIENTATION_VERTICAL, gtk_widget_get_width(widget),
                           &minimum, &natural, nullptr, nullptr);
        return gtk_widget_get_height(widget) >= natural;
    }
    for (GtkWidget* c = gtk_widget_get_first_child(widget); c; c = gtk_widget_get_next_sibling(c))
        if (gtk_widget_get_mapped(c) && !showsEverything(c)) return false;
    return true;
}

// The items a menu popover shows, with their bounds on its surface.
void reportItems(std::ostream& out, GtkWidget* widget, GtkWidget* popover) {
    for (GtkWidget* c = gtk_widget_get_first_child(widget); c; c = gtk_widget_get_next_sibling(c)) {
        if (!gtk_widget_get_mapped(c)) continue;
        int box[4];
        if (std::string(G_OBJECT_TYPE_NAME(c)) == "GtkModelButton" &&
            surfaceBounds(c, popover, box))
            out << "item " << xidOf(popover) << ' ' << box[0] << ' ' << box[1] << ' ' << box[2]
                << ' ' << box[3] << '\t' << oneLine(nameOf(c)) << '\n';
        else
            reportItems(out, c, popover);
    }
}

// Every popover shown in the widget tree: its surface, the window it belongs to, whether it
// is mapped and shows all of its content, and what it hangs from (a menu's title); then its
// items.
void reportPopovers(std::ostream& out, GtkWidget* widget, unsigned long window) {
    for (GtkWidget* c = gtk_widget_get_first_child(widget); c; c = gtk_widget_get_next_sibling(c)) {
        if (GTK_IS_POPOVER(c) && gtk_widget_get_visible(c)) {
            out << "popover " << xidOf(c) << ' ' << window << ' '
                << (gtk_widget_get_mapped(c) ? "mapped" : "unmapped") << ' '
                << (showsEverything(c) ? "whole" : "cut") << '\t'
                << oneLine(nameOf(gtk_widget_get_parent(c))) << '\n';
            reportItems(out, c, c);
        }
        reportPopovers(out, c, window);
    }
}

// Every window of the program: its surface, whether it is on screen, the window it belongs
// to, its title, its kind (GtkFileChooserDialog, GtkPrintUnixDialog: GTK's own); then its
// popovers.
void reportWindows(std::ostream& out) {
    GListModel* windows = gtk_window_get_toplevels();
    for (guint i = 0, n = g_list_model_get_n_items(windows); i < n; ++i) {
        auto* window = static_cast<GtkWindow*>(g_list_model_get_item(windows, i));
        GtkWidget* w = GTK_WIDGET(window);
        GtkWindow* parent = gtk_window_get_transient_for(window);
        const char* title = gtk_window_get_title(window);
        out << "window " << xidOf(w) << ' ' << (gtk_widget_get_mapped(w) ? "mapped" : "unmapped")
            << ' ' << (parent ? xidOf(GTK_WIDGET(parent)) : 0) << '\t'
            << oneLine(title ? title : "") << '\t' << G_OBJECT_TYPE_NAME(window) << '\n';
        reportPopovers(out, w, xidOf(w));
        g_object_unref(window);
    }
}

// The menu bar in a window's widget tree; null where it shows none.
GtkWidget* menuBarIn(GtkWidget* widget) {
    if (GTK_IS_POPOVER_MENU_BAR(widget)) return widget;
    for (GtkWidget* c = gtk_widget_get_first_child(widget); c; c = gtk_widget_get_next_sibling(c))
        if (GtkWidget* bar = menuBarIn(c)) return bar;
    return nullptr;
}

// The document window the user last worked in: the application keeps its windows in the
// order they last had the keyboard.
DocumentWindow* latestDocumentWindow(WyvraApplication& application) {
    for (Gtk::Window* w : application.get_windows())
        for (const auto& d : application.windows())
            if (d.get() == w) return d.get();
    return application.windows().empty() ? nullptr : application.windows().front().get();
}

std::string report(WyvraApplication& application) {
    std::ostringstream out;
    // Window ids and coordinates without digit grouping, whatever locale the toolkit set.
    out.imbue(std::locale::classic());
    out << "windows " << application.windows().size() << '\n';
    for (const auto& d : application.windows())
        out << "document " << xidOf(GTK_WIDGET(d->gobj())) << '\n';
    reportWindows(out);
    if (DocumentWindow* latest = latestDocumentWindow(application)) {
        DocumentWindow& window = *latest;
        GtkWidget* top = GTK_WIDGET(window.gobj());
        if (const unsigned long xid = xidOf(top)) out << "xid " << xid << '\n';
        out << "tab " << window.tabs().get_current_page() << '\n';
        int box[4];
        // Where each tab's label shows, to be clicked.
        for (int page = 0; page < window.tabs().get_n_pages(); ++page)
            if (Gtk::Widget* label = window.tabs().get_tab_label(*window.tabs().get_nth_page(page));
                label && surfaceBounds(label->gobj(), top, box))
                out << "tablabel " << page << ' ' << box[0] << ' ' << box[1] << ' ' << box[2] << ' '
                    << box[3] << '\n';
        if (GtkWidget* bar = menuBarIn(top))
            for (GtkWidget* item = gtk_widget_get_first_child(bar); item;
                 item = gtk_widget_get_next_sibling(item))
                if (!GTK_IS_POPOVER(item) && surfaceBounds(item, top, box))
                    out << "menu " << oneLine(nameOf(item)) << ' ' << box[0] << ' ' << box[1] << ' '
                        << box[2] << ' ' << box[3] << '\n';
        if (surfaceBounds(top, top, box)) out << "size " << box[2] << ' ' << box[3] << '\n';
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
        // The plots of the visible tab, each with the plot it draws: where its plot rectangle
        // lies (x y w h) and its current ranges (x from, to, y from, to); its tool buttons,
        // enabled or not.
        for (const std::string& name : MyDocument::plotNames())
            if (PlotArea* area = window.plotArea(name); area && surfaceBounds(GTK_WIDGET(area->gobj()), top, box)) {
                out << "plot " << name << ' ' << box[0] << ' ' << box[1] << ' ' << box[2] << ' '
                    << box[3];
                if (surfaceBounds(GTK_WIDGET(area->canvas().gobj()), top, box)) {
                    const CPlotView& plot = area->plot();
                    const Rect r = plot.getPlotRect();
                    const int bottom = area->canvas().get_height();
                    out << '\t' << box[0] + static_cast<int>(r.x()) << ' '
                        << box[1] + bottom - static_cast<int>(r.y() + r.height()) << ' '
                        << static_cast<int>(r.width()) << ' ' << static_cast<int>(r.height())
                        << '\t' << plot.mCurrentMinX() << ' ' << plot.mCurrentMaxX() << ' '
                        << plot.mCurrentMinY() << ' ' << plot.mCurrentMaxY();
                }
                out << '\n';
                for (const auto& [what, button] : area->toolButtons())
                    if (surfaceBounds(button->gobj(), top, box))
                        out << "tool " << name << ' ' << what << ' ' << box[0] << ' ' << box[1]
                            << ' ' << box[2] << ' ' << box[3] << '\t'
                            << (button->get_sensitive() ? "enabled" : "disabled") << '\n';
            }
        // The ternary diagram where it shows, and where in it the brine of 16 wt % NaCl and
        // 4 wt % KCl lies.
        if (TernaryArea* ternary = window.ternaryArea();
            ternary && surfaceBounds(GTK_WIDGET(ternary->gobj()), top, box)) {
            const Point p = ternary->view().viewPointForComposition(16, 4);
            out << "ternary " << box[0] << ' ' << box[1] << ' ' << box[2] << ' ' << box[3] << '\t'
                << box[0] + std::lround(p.x) << ' '
                << box[1] + ternary->get_height() - std::lround(p.y) << '\n';
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
    if (!written.ok()) vornex::cfprintf(stderr, "wyvra: %s\n", written.message.c_str());
    return G_SOURCE_CONTINUE;
}

gboolean writeImage(gpointer data) {
    auto* r = static_cast<Reporter*>(data);
    if (r->application->windows().empty()) return G_SOURCE_CONTINUE;
    if (GdkTexture* texture = windowSnapshot(*latestDocumentWindow(*r->application))) {
        const IoResult written = saveReportImage(texture, r->path);
        if (!written.ok()) vornex::cfprintf(stderr, "wyvra: %s\n", written.message.c_str());
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

IoResult saveReportImage(GdkTexture* texture, const std::string& reportPath) {
    return savePng(texture, reportPath + ".png", AtomicFile::Claim::Recorded);
}

IoResult savePng(GdkTexture* texture, const std::string& path, AtomicFile::Claim claim) {
    if (texture == nullptr)
        return IoResult::failure(IoStatus::WriteFailed, "no image to write to '" + path + "'");
    GBytes* png = gdk_texture_save_to_png_bytes(texture);
    gsize size = 0;
    const void* data = png ? g_bytes_get_data(png, &size) : nullptr;
    IoResult written =
        data ? writeFileAtomically(path, data, size, AtomicFile::Links::Replace, claim)
             : IoResult::failure(IoStatus::WriteFailed,
                                 "cannot encode the image for '" + path + "'");
    if (png) g_bytes_unref(png);
    return written;
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
