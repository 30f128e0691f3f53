// Return and keypad Enter in an open popover (a menu of the menu bar, a context menu, a drop-down
// list), and an entry in one that activates the default, activate its default widget or the
// widget with the keyboard. GTK asks the popover's
// window for that widget without checking there is one: with no focus widget in the window, or
// a popover whose window went (a document window closing under an open menu), it prints a
// critical and acts on nothing. The popovers of the program ask first.
#pragma once

namespace vornex::shell {

// Makes every popover of the process check, before acting on Return, that it lies in a window
// and that a widget there has the keyboard; without one the key does nothing. Once is enough;
// later calls change nothing.
void guardPopoverDefaultKey();

}  // namespace vornex::shell
