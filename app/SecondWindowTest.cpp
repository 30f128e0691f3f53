#include "SecondWindowTest.h"
#include "numerics/Decimal.h"

#include <glibmm/main.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DocumentWindow.h"
#include "GtkPlotServices.h"
#include "PanelWindows.h"
#include "ScriptedSession.h"
#include "StateReport.h"
#include "WyvraApplication.h"

namespace vornex::shell {

namespace {

// Counts the frames GTK renders into a surface: each one ends with a buffer handed to the
// display server (a commit on Wayland, a copy into the X window on X11). GTK's own handler of
// "render" ends the signal's emission, so the count is kept by a hook on the signal.
struct FrameCount {
    GdkSurface* surface = nullptr;
    gulong hook = 0;
    int frames = 0;

    void watch(GtkWidget* native) {
        forget();
        surface = native && GTK_IS_NATIVE(native) ? gtk_native_get_surface(GTK_NATIVE(native))
                                                  : nullptr;
        frames = 0;
        if (!surface) return;
        g_object_ref(surface);
        hook = g_signal_add_emission_hook(
            g_signal_lookup("render", GDK_TYPE_SURFACE), 0,
            +[](GSignalInvocationHint*, guint, const GValue* values, gpointer data) -> gboolean {
                auto* c = static_cast<FrameCount*>(data);
                if (g_value_get_object(&values[0]) == c->surface) ++c->frames;
                return TRUE;
            },
            this, nullptr);
    }
    void forget() {
        if (hook) g_signal_remove_emission_hook(g_signal_lookup("render", GDK_TYPE_SURFACE), hook);
        if (surface) g_object_unref(surface);
        surface = nullptr;
        hook = 0;
    }
    ~FrameCount() { forget(); }
};

GtkWidget* menuBarIn(GtkWidget* widget) {
    if (GTK_IS_POPOVER_MENU_BAR(widget)) return widget;
    for (GtkWidget* c = gtk_widget_get_first_child(widget); c; c = gtk_widget_get_next_sibling(c))
        if (GtkWidget* bar = menuBarIn(c)) return bar;
    return nullptr;
}

std::string labelIn(GtkWidget* widget) {
    if (GTK_IS_LABEL(widget)) return gtk_label_get_text(GTK_LABEL(widget));
    for (GtkWidget* c = gtk_widget_get_first_child(widget); c; c = gtk_widget_get_next_sibling(c))
        if (std::string text = GTK_IS_POPOVER(c) ? "" : labelIn(c); !text.empty()) return text;
    return "";
}

// The title TITLE of a window's menu bar, and the menu popover hanging from it.
GtkWidget* menuTitle(Gtk::Window& window, const std::string& title) {
    GtkWidget* bar = menuBarIn(GTK_WIDGET(window.gobj()));
    for (GtkWidget* item = bar ? gtk_widget_get_first_child(bar) : nullptr; item;
         item = gtk_widget_get_next_sibling(item))
        if (!GTK_IS_POPOVER(item) && labelIn(item) == title) return item;
    return nullptr;
}
GtkWidget* popoverOf(GtkWidget* title) {
    for (GtkWidget* c = title ? gtk_widget_get_first_child(title) : nullptr; c;
         c = gtk_widget_get_next_sibling(c))
        if (GTK_IS_POPOVER(c)) return c;
    return nullptr;
}
// The item of an open menu whose label is TEXT.
GtkWidget* menuItem(GtkWidget* widget, const std::string& text) {
    for (GtkWidget* c = gtk_widget_get_first_child(widget); c; c = gtk_widget_get_next_sibling(c)) {
        if (std::string(G_OBJECT_TYPE_NAME(c)) == "GtkModelButton" && labelIn(c) == text) return c;
        if (GtkWidget* found = menuItem(c, text)) return found;
    }
    return nullptr;
}

class SecondWindowSession : public ScriptedSession {
   public:
    SecondWindowSession(WyvraApplication& app, unsigned holdMs)
        : ScriptedSession(app), mHoldMs(holdMs) {}

    void start() {
        ScriptedSession::start({[this] { modifyFirst(); },      [this] { chooseFont(); },      [this] { answerFontWindow(); },
                  [this] { closePlotCopy(); },    [this] { openPanels(); },
                  [this] { newDocument(); },      [this] { awaitSecondWindow(); },
                  [this] { openDiagramMenu(); },
                  [this] { clickedOrNot(); },
                  [this] { lookAtDiagramMenu(); }, [this] { afterKeys(); },
                  [this] { chooseExperimentalData(); },
                  [this] { lookAtExperimentalData(); }, [this] { closeExperimentalData(); },
                  [this] { closeEverything(); }},
                               600);
    }

   private:
    // Says that a surface is on screen now, and stays so for the hold, so that whoever runs
    // the session can look at the screen meanwhile; with the image of the surface NATIVE as
    // GTK draws it, which the screen must show.
    // A point of the surface (POINT, in its coordinates) is given from the middle of its
    // image, where a driver finds it on the screen (see screen_grab --find): "shown: NAME
    // IMAGE [DX DY]".
    // False, printing nothing, where the surface gives no image yet and `last` is false.
    bool shown(const std::string& what, GtkWidget* native = nullptr,
               const graphene_point_t* point = nullptr, bool last = true) {
        std::string image, offset;
        GdkTexture* texture = native ? windowSnapshot(*Glib::wrap(native)) : nullptr;
        if (native && !texture && !last) return false;
        if (texture) {
            if (point)
                offset = " " + std::to_string(static_cast<int>(point->x) - gdk_texture_get_width(texture) / 4) +
                         " " + std::to_string(static_cast<int>(point->y) - gdk_texture_get_height(texture) / 4);
            image = temporaryFile("wyvra-" + what + "-", ".png");
            if (!image.empty() && !savePng(texture, image).ok()) image.clear();
            g_object_unref(texture);
            mImages.push_back(image);
        }
        vornex::cprintf("shown: %s %s%s\n", what.c_str(), image.c_str(), offset.c_str());
        std::fflush(stdout);
        if (native) check(!image.empty(), "GTK gives an image of the " + what);
        return true;
    }
    // shown(), asked again every 100 ms while the surface gives no image (a surface just
    // mapped may have none before its first frames), for two seconds at most; then THEN.
    void shownThen(const std::string& what, GtkWidget* native,
                   std::optional<graphene_point_t> point, std::function<void()> then,
                   int tries = 0) {
        if (shown(what, native, point ? &*point : nullptr, tries >= 20)) return then();
        Glib::signal_timeout().connect_once(
            [=, this] { shownThen(what, native, point, then, tries + 1); }, 100);
    }
    void finish() override {
        for (const std::string& image : mImages) removeTemporary(image);
        ScriptedSession::finish();
    }
    static int itemOf(Menu& menu, const char* action) {
        for (std::size_t i = 0; i < menu.size(); ++i)
            if (menu.item(i).actionName() == action) return static_cast<int>(i);
        return -1;
    }
    // Chooses ACTION in the P-T plot's context menu of the first window.
    bool choosePlotItem(const char* action) {
        PlotArea* area = mFirst ? mFirst->plotArea("mPTViewp") : nullptr;
        if (!area) return false;
        const Rect inside = area->plot().getPlotRect().insetBy(6, 6);
        area->onContextClick(inside.midX(), area->canvas().get_height() - inside.maxY() + 2);
        const int item = itemOf(area->plot().plotMenu(), action);
        if (area->contextPopover()) area->contextPopover()->popdown();
        if (item < 0 || !area->menuActions()) return false;
        area->menuActions()->activate_action("item" + std::to_string(item));
        return true;
    }
    static Gtk::Window* windowTitled(const std::string& title) {
        for (Gtk::Window* w : Gtk::Window::list_toplevels())
            if (w->get_visible() && std::string(w->get_title()) == title) return w;
        return nullptr;
    }

    // The first window as the user had it: two cases, a changed temperature, a plot whose
    // font was chosen, a copy of a plot opened and closed, the data and the log open.
    void modifyFirst() {
        mFirst = mApp.windows().empty() ? nullptr : mApp.windows().front().get();
        check(mFirst != nullptr, "a first document window opens");
        if (!mFirst) return finish();
        GskRenderer* renderer = gtk_native_get_renderer(GTK_NATIVE(mFirst->gobj()));
        vornex::cprintf("drawn by %s on %s\n", renderer ? G_OBJECT_TYPE_NAME(renderer) : "nothing",
                    G_OBJECT_TYPE_NAME(gtk_widget_get_display(GTK_WIDGET(mFirst->gobj()))));
        check(mFirst->form().click("mAddButton") && mFirst->document().caseCount() == 2,
              "the first document takes a second case");
        mFirst->form().type("mStepHaliteTm", "350");
        check(choosePlotItem("onLabelFontSettings:"), "the plot's menu offers its axis font");
        // Once the chooser has read the installed fonts and chosen one.
        next(300, [] { return fontChosen() != nullptr; });
    }
    static GtkFontChooser* fontChooser() {
        Gtk::Window* font = windowTitled("Font");
        return font ? GTK_FONT_CHOOSER(font->gobj()) : nullptr;
    }
    static GtkFontChooser* fontChosen() {
        GtkFontChooser* chooser = fontChooser();
        PangoFontDescription* chosen = chooser ? gtk_font_chooser_get_font_desc(chooser) : nullptr;
        if (chosen) pango_font_description_free(chosen);
        return chosen ? chooser : nullptr;
    }
    void chooseFont() {
        GtkFontChooser* chooser = fontChosen();
        check(chooser != nullptr, "the font window opens and lists the fonts");
        if (chooser) gtk_font_chooser_set_font(chooser, "Serif Bold 11");
        next(300, [] { return fontChosen() != nullptr; });
    }
    void answerFontWindow() {
        GtkFontChooser* chooser = fontChosen();
        check(chooser != nullptr, "the font window has a font chosen");
        if (chooser) gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_OK);
        check(choosePlotItem("onOpenNewPlotWindow:"), "the plot's menu opens a copy of the plot");
        next(300, [] { return GtkPlotServices::instance().plotWindowCount() > 0; });
    }
    void closePlotCopy() {
        check(windowTitled("Font") == nullptr, "the chosen font closes its window");
        PlotWindow* copy = GtkPlotServices::instance().lastPlotWindow();
        check(copy && copy->get_mapped(), "the plot's copy is on screen");
        if (copy) copy->close();
        next(300, [] { return GtkPlotServices::instance().plotWindowCount() == 0; });
    }
    void openPanels() {
        check(GtkPlotServices::instance().plotWindowCount() == 0, "the plot's copy closes");
        mFirst->documentActions()->activate_action("doc-onShowExperimentalPanel");
        mApp.activate_action("show-log");
        next(300);
    }

    void newDocument() {
        ExperimentalPanel* data = mFirst->experimentalPanel();
        check(data && data->get_mapped(), "the first document's data are on screen");
        check(GtkPlotServices::instance().logWindow().get_mapped(), "the log is on screen");
        mApp.activate_action("new");
        next(300, [this] {
            return mApp.windows().size() == 2 && mApp.windows().back()->get_mapped();
        });
    }
    // The second window's picture is taken once GTK has drawn a frame of it.
    void awaitSecondWindow() {
        check(mApp.windows().size() == 2, "New opens a second document");
        if (mApp.windows().size() != 2) return finish();
        mSecond = mApp.windows().back().get();
        check(mSecond->get_mapped(), "the second window is on screen");
        mWindowFrames.watch(GTK_WIDGET(mSecond->gobj()));
        mSecond->queue_draw();
        next(300, [this] { return mWindowFrames.frames > 0; });
    }
    void openDiagramMenu() {
        check(mWindowFrames.frames > 0, "the second window is drawn (" +
                                            std::to_string(mWindowFrames.frames) + " frame(s))");
        mWindowFrames.forget();
        mTitle = menuTitle(*mSecond, "Diagram");
        check(mTitle != nullptr, "the second window's menu bar has a Diagram menu");
        if (!mTitle) return finish();
        // A driver with a pointer may click the title meanwhile; without one the menu opens
        // as a click opens it.
        graphene_point_t centre = GRAPHENE_POINT_INIT(gtk_widget_get_width(mTitle) / 2.0f,
                                                      gtk_widget_get_height(mTitle) / 2.0f);
        graphene_point_t at;
        if (!gtk_widget_compute_point(mTitle, GTK_WIDGET(mSecond->gobj()), &centre, &at)) at = centre;
        mMenu = popoverOf(mTitle);
        shownThen("second-window", GTK_WIDGET(mSecond->gobj()), at, [this] {
            next(mHoldMs, [this] { return mMenu && gtk_widget_get_visible(mMenu); });
        });
    }
    void clickedOrNot() {
        if (mMenu && gtk_widget_get_visible(mMenu)) {
            vornex::cprintf("the Diagram menu was opened by a click\n");
            // Drawn again from scratch, counted from now.
            mMenuFrames.watch(mMenu);
            gtk_widget_queue_draw(mMenu);
            return next(300, [this] { return mMenuFrames.frames > 0; });
        }
        openMenu();
    }
    // As a click on the title does.
    void openMenu() {
        gtk_widget_activate(mTitle);
        mMenu = popoverOf(mTitle);
        mMenuFrames.watch(mMenu);
        next(300, [this] { return mMenu && mMenuFrames.frames > 0; });
    }
    void lookAtDiagramMenu() {
        check(mMenu && gtk_widget_get_mapped(mMenu), "the second window's Diagram menu is open");
        check(mMenuFrames.frames > 0, "the Diagram menu is drawn (" +
                                          std::to_string(mMenuFrames.frames) + " frame(s))");
        // A driver with a keyboard may now press Down nine times and Return; without one the
        // menu stays open.
        shownThen("diagram-menu", mMenu, std::nullopt, [this] {
            next(mHoldMs, [this] { return mMenu && !gtk_widget_get_visible(mMenu); });
        });
    }
    void afterKeys() {
        if (!mMenu || gtk_widget_get_visible(mMenu)) {
            vornex::cprintf("no keys came: the menu stays open\n");
            return next(0);
        }
        check(mSecond->tabs().get_current_page() == 1,
              "the keys reached the menu: Down to Density properties and Return show its tab");
        openMenu();
    }
    void chooseExperimentalData() {
        GtkWidget* item = mMenu ? menuItem(mMenu, "Experimental Data") : nullptr;
        check(item != nullptr, "the Diagram menu offers the experimental data");
        mMenuFrames.forget();
        if (item) gtk_widget_activate(item);
        next(300, [this] {
            ExperimentalPanel* data = mSecond->experimentalPanel();
            return data && data->get_mapped();
        });
    }
    void lookAtExperimentalData() {
        check(mMenu && !gtk_widget_get_visible(mMenu), "choosing an item closes the menu");
        ExperimentalPanel* data = mSecond->experimentalPanel();
        check(data && data->get_mapped(), "the second document's data are on screen");
        if (!data) return next(0);
        mDataFrames.watch(GTK_WIDGET(data->gobj()));
        // Drawn again from scratch, counted from now.
        data->queue_draw();
        next(mHoldMs, [this] { return mDataFrames.frames > 0; });
    }
    void closeExperimentalData() {
        check(mDataFrames.frames > 0, "the second document's data are drawn (" +
                                          std::to_string(mDataFrames.frames) + " frame(s))");
        mDataFrames.forget();
        ExperimentalPanel* data = mSecond->experimentalPanel();
        if (!data) return next(0);
        shownThen("experimental-data", GTK_WIDGET(data->gobj()), std::nullopt, [this, data] {
            Glib::signal_timeout().connect_once(
                [this, data] {
                    data->close();
                    next(300, [data] { return !data->get_mapped(); });
                },
                mHoldMs);
        });
    }
    void closeEverything() {
        ExperimentalPanel* data = mSecond->experimentalPanel();
        check(data && !data->get_mapped(), "closing the data's window takes it off the screen");
        std::vector<DocumentWindow*> open;
        for (const auto& w : mApp.windows()) open.push_back(w.get());
        for (DocumentWindow* w : open) w->closeConfirmed();
        GtkPlotServices::instance().logWindow().close();
        next(300, [this] { return mApp.windows().empty(); });
    }

    unsigned mHoldMs;
    DocumentWindow* mFirst = nullptr;
    DocumentWindow* mSecond = nullptr;
    GtkWidget* mTitle = nullptr;
    GtkWidget* mMenu = nullptr;
    FrameCount mWindowFrames, mMenuFrames, mDataFrames;
    std::vector<std::string> mImages;
};

}  // namespace

void startSecondWindowTest(WyvraApplication& application, unsigned holdMs) {
    // The session holds GTK objects (surfaces, frame hooks): it ends with the application,
    // while GTK still has its display, not among the static objects destroyed after main.
    static std::unique_ptr<SecondWindowSession> session;
    session = std::make_unique<SecondWindowSession>(application, holdMs);
    application.signal_shutdown().connect([] { session.reset(); });
    session->start();
}

}  // namespace vornex::shell
