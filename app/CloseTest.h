// The scripted closing of windows run by the test suite: document windows with and without
// unsaved changes, with the panels and a plot of their own window open, are closed one of
// two, the last, and all at once by Quit (answered, and cancelled), and a plot window
// outlives its document. Run under the sanitizers, a window torn down while its widgets still
// signal shows there; the exit status tells whether every check held.
#pragma once

namespace vornex::shell {

class WyvraApplication;

void startCloseTest(WyvraApplication& application);

}  // namespace vornex::shell
