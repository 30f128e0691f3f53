# Helpers shared by the window tests that run as scripts (sourced by them): the verdicts,
# the clock, and a virtual X display of their own. The script sets `work` (its folder) and
# `failures` (0) first, and kills `xvfb_pid` when it ends.

# A test that cannot run here is skipped (77), and fails under continuous integration
# (CI=true), where scripts/setup has installed all that it needs.
unavailable() {
    if [ "${CI:-}" = "true" ]; then
        echo "FAILED: $1 (a continuous-integration run must run every window test)"
        exit 1
    fi
    echo "skipped: $1"
    exit 77
}

check() {  # check CONDITION-STATUS WHAT
    if [ "$1" -eq 0 ]; then
        echo "ok: $2"
    else
        echo "FAILED: $2"
        failures=$((failures + 1))
        return 1
    fi
}

now_ms() { date +%s%3N; }

# What in a program's standard error marks a fault its checks may not see: a sanitizer's
# report, and a sanitizer that could not do its work. The leak checker, when it cannot stop
# the program's threads at exit, says no more than that it "has encountered a fatal error",
# and under abort_on_error ends the program with SIGABRT (status 134).
SANITIZER_REPORTS='ERROR: [A-Za-z]+Sanitizer|[A-Za-z]+Sanitizer( has encountered a fatal error|:DEADLYSIGNAL| CHECK failed)|runtime error:'
# The same, and GLib's and GTK's criticals, warnings and errors (with a log domain or
# without, "(wyvra:PID): ERROR **"), their failed assertions
# ("Gtk:ERROR:file:line:function: assertion failed"), and a C++ exception nothing caught; an
# error, an assertion and the exception abort. Not counted: the session bus a virtual display
# lacks. The lines of FILE that say so; none when it holds none.
reports_in_err() {
    grep -E "([A-Za-z-]+-|\([^)]*\): )(CRITICAL|WARNING|ERROR) \*\*|[A-Za-z-]+:ERROR:[^ ]*:[0-9]+:|terminate called|$SANITIZER_REPORTS" "$1" |
        grep -vE "Unable to acquire session bus"
}

# Checks that FILE, a program's standard error, holds no report, and prints those it holds.
check_no_reports() {
    local reports
    reports=$(reports_in_err "$1")
    check $([ -z "$reports" ]; echo $?) "the program reports no critical, warning or sanitizer error"
    [ -z "$reports" ] || printf '%s\n' "$reports"
}

# The script's verdict, and its exit status: whether every check held.
verdict() {
    [ "$failures" -eq 0 ] && echo "every check held" || echo "$failures check(s) failed"
    [ "$failures" -eq 0 ]
}

# The end of a program that failed, said from its exit STATUS: a signal's name beside 128+N.
exit_status_text() {
    local status=$1
    [ "$status" -gt 128 ] && [ "$status" -lt 160 ] && echo "$status, ended by SIG$(kill -l $((status - 128)))" && return
    echo "$status"
}

# What a failed run leaves to read: the program's standard error whole and the last lines of
# the display's, window manager's and compositor's logs, printed before the test's folder is
# removed (STATUS is the script's exit status; 0 and 77, a skip, show nothing).
show_logs_on_failure() {
    local status=$1 log
    { [ "$status" -eq 0 ] || [ "$status" -eq 77 ]; } && return 0
    for log in "$work"/wyvra*.err; do
        [ -s "$log" ] || continue
        echo "---- the program's standard error (${log##*/})"
        cat "$log"
    done
    for log in "$work"/weston.log "$work"/openbox.log "$work"/xvfb.log; do
        [ -s "$log" ] || continue
        echo "---- last lines of ${log##*/}"
        tail -n 40 "$log"
    done
}

# Ends a process the script started (PID, none when empty) and waits for it.
stop() {
    [ -n "$1" ] && kill "$1" 2>/dev/null && wait "$1" 2>/dev/null
}

# Starts a virtual display of SCREEN pixels (WxH) and exports DISPLAY; xdotool must be there
# to act on it.
start_display() {
    command -v Xvfb >/dev/null || unavailable "Xvfb is not installed (scripts/setup installs it)"
    command -v xdotool >/dev/null || unavailable "xdotool is not installed (scripts/setup installs it)"
    local fifo="$work/display"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${SCREEN}x24" -nolisten tcp 3>"$fifo" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    local number=""
    read -r -t 15 number <"$fifo" || true
    [ -n "$number" ] || unavailable "the virtual display did not start: $(tail -n 3 "$work/xvfb.log")"
    export DISPLAY=":$number"
}
