// wyvra: the H2O-NaCl phase-diagram workbench in a GTK window. `wyvra` opens a new document,
// `wyvra FILE...` opens documents; `wyvra --self-test IMAGE.png` runs the scripted session of
// the test suite, `wyvra --close-test` its scripted closing of windows, `wyvra
// --second-window-test` its session of a second window's menu and panel; `wyvra --state-report
// FILE` writes the window's state into FILE on SIGUSR1 (for tests that drive the window from
// outside).
#include <gtk/gtk.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "StateReport.h"
#include "WyvraApplication.h"

int main(int argc, char** argv) {
    std::string selfTestImage, stateReport;
    auto script = vornex::shell::WyvraApplication::Script::None;
    std::vector<char*> args{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--self-test") == 0 && i + 1 < argc) {
            selfTestImage = argv[++i];
        } else if (std::strcmp(argv[i], "--close-test") == 0) {
            script = vornex::shell::WyvraApplication::Script::Close;
        } else if (std::strcmp(argv[i], "--second-window-test") == 0) {
            script = vornex::shell::WyvraApplication::Script::SecondWindow;
        } else if (std::strcmp(argv[i], "--state-report") == 0 && i + 1 < argc) {
            stateReport = argv[++i];
        } else {
            args.push_back(argv[i]);
        }
    }
    if (!gtk_init_check()) {
        std::fprintf(stderr,
                     "wyvra: no display to open a window on (DISPLAY or WAYLAND_DISPLAY is "
                     "unset or unreachable)\n");
        return 1;
    }
    auto application = vornex::shell::WyvraApplication::create(selfTestImage, script);
    if (!stateReport.empty()) {
        // A window under test is its own instance, never handed to one already running.
        application->set_flags(application->get_flags() | Gio::Application::Flags::NON_UNIQUE);
        vornex::shell::installStateReport(*application, stateReport);
    }
    const int status = application->run(static_cast<int>(args.size()), args.data());
    return status != 0 ? status : application->exitStatus();
}
