// Finding the controls of a window as a user sees them (by the label or tooltip they show,
// or by their kind, in the order the window lays them out), clicking them, and letting the
// main loop handle what followed.
#pragma once

#include <gtk/gtk.h>
#include <gtkmm/button.h>
#include <gtkmm/widget.h>

#include <string>
#include <vector>

namespace vornex::shell {

// Every widget of type W at or below `root`, in layout order, for which `keep` holds.
template <class W, class Keep>
void collectWidgets(Gtk::Widget& root, const Keep& keep, std::vector<W*>& found) {
    if (auto* w = dynamic_cast<W*>(&root); w && keep(*w)) found.push_back(w);
    for (Gtk::Widget* child = root.get_first_child(); child; child = child->get_next_sibling())
        collectWidgets<W>(*child, keep, found);
}

template <class W>
std::vector<W*> widgetsOf(Gtk::Widget& root) {
    std::vector<W*> found;
    collectWidgets<W>(root, [](W&) { return true; }, found);
    return found;
}

// The first button showing `label`, or null.
inline Gtk::Button* buttonLabelled(Gtk::Widget& root, const std::string& label) {
    std::vector<Gtk::Button*> found;
    collectWidgets<Gtk::Button>(
        root, [&label](Gtk::Button& b) { return std::string(b.get_label()) == label; }, found);
    return found.empty() ? nullptr : found.front();
}

// The buttons whose tooltip is `tip`, in layout order.
inline std::vector<Gtk::Button*> buttonsWithTooltip(Gtk::Widget& root, const std::string& tip) {
    std::vector<Gtk::Button*> found;
    collectWidgets<Gtk::Button>(
        root, [&tip](Gtk::Button& b) { return std::string(b.get_tooltip_text()) == tip; }, found);
    return found;
}

// Handles what the main loop has pending: redraws, idle work, the X server's replies.
inline void runPendingEvents() {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

// What a click on the button ends in.
inline void click(Gtk::Button* button) {
    if (button) g_signal_emit_by_name(button->gobj(), "clicked");
}

// The event controller of GTK type TYPE on the widget (the first one; with PHASE, the first
// running in that phase), or null. Its signals are what GTK emits for the user's input.
inline GtkEventController* controllerOf(Gtk::Widget& widget, GType type,
                                        GtkPropagationPhase phase = GTK_PHASE_NONE) {
    GListModel* controllers = gtk_widget_observe_controllers(widget.gobj());
    GtkEventController* found = nullptr;
    for (guint i = 0; i < g_list_model_get_n_items(controllers) && !found; ++i) {
        auto* c = static_cast<GtkEventController*>(g_list_model_get_item(controllers, i));
        if (G_TYPE_CHECK_INSTANCE_TYPE(c, type) &&
            (phase == GTK_PHASE_NONE || gtk_event_controller_get_propagation_phase(c) == phase))
            found = c;
        g_object_unref(c);
    }
    g_object_unref(controllers);
    return found;
}

}  // namespace vornex::shell
