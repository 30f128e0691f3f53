// Where a window of the program's own (the log) shows: beside the document window the user
// works in rather than wherever the window manager puts it (at the top left, over the
// document's menu bar), and without taking the keyboard from that document. GTK 4 places no
// window itself; on X11 the window is moved once it is on screen, elsewhere the compositor
// places it.
#pragma once

namespace Gtk {
class Window;
}

namespace vornex::shell {

// Shows WINDOW, when it is hidden, at the bottom right of the screen part that BESIDE (may be
// null) covers, clear of its menu bar and form column, and leaves the keyboard where it is.
void showBeside(Gtk::Window& window, Gtk::Window* beside);

}  // namespace vornex::shell
