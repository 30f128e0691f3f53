#include "PopoverKeys.h"

#include <gtk/gtk.h>

namespace vornex::shell {

namespace {

void activateDefault(GtkPopover* popover) {
    GtkRoot* root = gtk_widget_get_root(GTK_WIDGET(popover));
    GtkWidget* focus = GTK_IS_WINDOW(root) ? gtk_window_get_focus(GTK_WINDOW(root)) : nullptr;
    if (!focus) return;
    g_signal_chain_from_overridden_handler(popover);
}

// A popover's "default.activate" action (run by an entry in it that activates the default, or
// a label's Return) calls GTK's handler directly, past the signal: each popover gets one that
// goes through the signal, and so through the check above.
constexpr const char* kGuarded = "vornex-default-activate-guarded";

void activateDefaultAction(GSimpleAction*, GVariant*, gpointer popover) {
    g_signal_emit_by_name(popover, "activate-default");
}

gboolean guardOnRealize(GSignalInvocationHint*, guint, const GValue* values, gpointer) {
    GObject* object = G_OBJECT(g_value_get_object(&values[0]));
    if (!GTK_IS_POPOVER(object) || g_object_get_data(object, kGuarded)) return TRUE;
    g_object_set_data(object, kGuarded, GINT_TO_POINTER(1));
    GSimpleActionGroup* group = g_simple_action_group_new();
    const GActionEntry entries[] = {{"activate", activateDefaultAction, nullptr, nullptr, nullptr, {}}};
    g_action_map_add_action_entries(G_ACTION_MAP(group), entries, 1, object);
    gtk_widget_insert_action_group(GTK_WIDGET(object), "default", G_ACTION_GROUP(group));
    g_object_unref(group);
    return TRUE;
}

}  // namespace

void guardPopoverDefaultKey() {
    static const bool done = [] {
        // The signal exists once the class does, and stays with it.
        g_type_class_ref(GTK_TYPE_POPOVER);
        g_signal_override_class_handler("activate-default", GTK_TYPE_POPOVER, G_CALLBACK(activateDefault));
        g_signal_add_emission_hook(g_signal_lookup("realize", GTK_TYPE_WIDGET), 0, guardOnRealize, nullptr,
                                   nullptr);
        return true;
    }();
    (void)done;
}

}  // namespace vornex::shell
