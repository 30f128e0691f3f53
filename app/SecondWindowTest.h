// The scripted session of a second document window: the first window is worked in (cases,
// a plot's font chosen, a copy of a plot opened and closed, the data and the log open), then
// New opens a second one, whose Diagram menu is opened from its menu bar and whose
// experimental data are chosen in that menu. Each of the two surfaces must be drawn: GTK must
// render frames into it while it is on screen. For the second window, its menu and its data,
// the session writes their image as GTK draws them into the temporary folder, prints
// "shown: NAME IMAGE" (for the window also where its Diagram title lies from the middle of
// the image) and keeps them on screen for `holdMs`, so that a driver outside the process can
// compare the screen with the image, click the title (the session opens the menu itself when
// nobody does) and press keys in the menu (Down nine times and Return show the density tab).
// The exit status tells whether every check held.
#pragma once

namespace vornex::shell {

class WyvraApplication;

void startSecondWindowTest(WyvraApplication& application, unsigned holdMs);

}  // namespace vornex::shell
