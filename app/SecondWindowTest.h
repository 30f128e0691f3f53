// The scripted session of a second document window: the first window is worked in (cases,
// a plot's font chosen, a copy of a plot opened and closed, the data and the log open), then
// New opens a second one, whose Diagram menu is opened from its menu bar and whose
// experimental data are chosen in that menu. Each of the two surfaces must be drawn: GTK must
// render frames into it while it is on screen. After each, the session prints "shown: NAME"
// and keeps the surface on screen for `holdMs`, for a driver outside the process to read the
// screen meanwhile. The exit status tells whether every check held.
#pragma once

namespace vornex::shell {

class WyvraApplication;

void startSecondWindowTest(WyvraApplication& application, unsigned holdMs);

}  // namespace vornex::shell
