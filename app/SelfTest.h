// The scripted session of the test suite: from the main loop it acts on the widgets of a
// document window as a user would (types a temperature, steps a stepper, drags a zoom
// rectangle through the drag gesture's handlers, selects a case, saves and reopens the
// document), checks the document after each step, renders the window through its own
// snapshot into a PNG and checks that curves show inside the plots.
#pragma once

#include <string>

namespace vornex::shell {

class WyvraApplication;

// Schedules the session; the application quits when it is done, with exit status 0 when
// every check held and 1 otherwise.
void startSelfTest(WyvraApplication& application, const std::string& imagePath);

}  // namespace vornex::shell
