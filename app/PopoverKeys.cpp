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

}  // namespace

void guardPopoverDefaultKey() {
    static const bool done = [] {
        // The signal exists once the class does, and stays with it.
        g_type_class_ref(GTK_TYPE_POPOVER);
        g_signal_override_class_handler("activate-default", GTK_TYPE_POPOVER, G_CALLBACK(activateDefault));
        return true;
    }();
    (void)done;
}

}  // namespace vornex::shell
