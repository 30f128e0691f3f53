// wyvra: the H2O-NaCl phase-diagram workbench in a GTK window. `wyvra` opens a new document,
// `wyvra FILE...` opens documents; `wyvra --self-test IMAGE.png` runs the scripted session of
// the test suite, `wyvra --close-test` its scripted closing of windows, `wyvra
// --second-window-test` its session of a second window's menu and panel; `wyvra --state-report
// FILE` writes the window's state into FILE on SIGUSR1 (for tests that drive the window from
// outside).
#include <gtk/gtk.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <locale>
#include <string>
#include <vector>

#include "StateReport.h"
#include "WyvraApplication.h"
#include "numerics/Decimal.h"
#include "numerics/AtomicFile.h"

#ifdef VORNEX_COVERAGE_BUILD
#include <csignal>

#include <unistd.h>

extern "C" void __gcov_dump(void);
#endif

namespace {

#ifdef VORNEX_COVERAGE_BUILD
// The tests that drive the window from outside end it with SIGTERM, which skips the writing
// of the coverage counters at exit: they are written first.
void writeCountersOnTerm() {
    std::signal(SIGTERM, +[](int) {
        __gcov_dump();
        _exit(128 + SIGTERM);
    });
}
#endif

// Said before GTK starts, so that it needs no display.
void printHelp() {
    vornex::cprintf(
        "Usage: wyvra [FILE...]\n"
        "The H2O-NaCl phase-diagram workbench: a window on a new document, or on each FILE.\n\n"
        "Options:\n"
        "  --help, -h, help      this help\n"
        "  --self-test IMAGE.png run the scripted session of the test suite, its plot saved\n"
        "                        to IMAGE.png and the other tabs beside it as\n"
        "                        IMAGE-tabN.png (a file already there is kept)\n"
        "  --close-test          run the scripted closing of windows\n"
        "  --second-window-test  run the scripted session of a second window\n"
        "  --state-report FILE   write the window's state into FILE on SIGUSR1\n"
        "  --help-gtk            GTK's own options\n\n"
        "Exit status: 0 when the windows closed normally; 1 when no display could be\n"
        "opened or a scripted session found a fault.\n");
}

}  // namespace

int main(int argc, char** argv) {
    vornex::continueAtFileSizeLimit();
#ifdef VORNEX_COVERAGE_BUILD
    writeCountersOnTerm();
#endif
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0 ||
            (argc == 2 && std::strcmp(argv[i], "help") == 0)) {
            printHelp();
            return 0;
        }
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
        } else if (std::strcmp(argv[i], "--help-gtk") == 0) {
            args.push_back(const_cast<char*>("--help-all"));
        } else {
            args.push_back(argv[i]);
        }
    }
    if (!gtk_init_check()) {
        vornex::cfprintf(stderr,
                     "wyvra: no display to open a window on (DISPLAY or WAYLAND_DISPLAY is "
                     "unset or unreachable)\n");
        return 1;
    }
    auto application = vornex::shell::WyvraApplication::create(selfTestImage, script);
    // The toolkit set the user's locale for C and C++ alike. Numbers in files, scripts and
    // reports keep the point in every locale, and so do the fields; a typed number may use
    // the user's own decimal separator as well (taken from the environment, not from here).
    std::setlocale(LC_NUMERIC, "C");
    std::locale::global(std::locale(std::locale(), std::locale::classic(), std::locale::numeric));
    if (!stateReport.empty()) {
        // A window under test is its own instance, never handed to one already running.
        application->set_flags(application->get_flags() | Gio::Application::Flags::NON_UNIQUE);
        vornex::shell::installStateReport(*application, stateReport);
    }
    const int status = application->run(static_cast<int>(args.size()), args.data());
    return status != 0 ? status : application->exitStatus();
}
