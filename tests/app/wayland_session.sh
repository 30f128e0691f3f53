#!/usr/bin/env bash
# Runs the scripted session of a second document window (`wyvra --second-window-test`) on a
# Wayland compositor, GTK's own backend on a modern desktop: weston with its desktop shell,
# drawing with its CPU renderer into a window of a virtual X display of its own. That window
# shows what the compositor shows, and weston takes its seat (pointer and keyboard) from
# that display, so real keys reach the program through the compositor, as on a desktop.
# (Weston's headless backend has no seat, and GTK then opens no menu at all.)
#
#   wayland_session.sh WYVRA [SCREENSHOT_DIR]
#
# Besides the session's own checks (each surface gets frames drawn), what the compositor
# shows is read by screen_grab (SCREEN_GRAB, else beside the program's build): the second
# window, its Diagram menu, and then its experimental data must show there as GTK drew them
# (the session writes their own renderings, through the program's snapshot, into TMPDIR).
# The menu is opened by a click on its title, found where the second window shows, and keys
# pressed while it is open (Down nine times and Return) must reach it.
#
# Exits 0 when every check holds, 1 when one fails, 77 (skipped) when weston, Xvfb or xdotool
# is missing; under CI (CI=true) that is a failure (scripts/setup installs them).
set -uo pipefail

WYVRA=${1:-}
SHOTS=${2:-}
[ -n "$WYVRA" ] || { echo "usage: wayland_session.sh WYVRA [SCREENSHOT_DIR]"; exit 2; }
SCREEN_GRAB=${SCREEN_GRAB:-$(dirname "$WYVRA")/../tests/app/screen_grab}
# Room for the whole document window with its Diagram menu.
WIDTH=1600 HEIGHT=1000
# The display is larger: the pointer enters the compositor's window from outside, as weston
# needs to follow it.
SCREEN="$((WIDTH + 100))x$((HEIGHT + 100))"
work=$(mktemp -d "${TMPDIR:-/tmp}/wyvra-wayland.XXXXXX")
failures=0
xvfb_pid="" weston_pid="" wyvra_pid=""

cleanup() {
    local status=$?
    stop "$wyvra_pid"
    stop "$weston_pid"
    stop "$xvfb_pid"
    show_logs_on_failure "$status"
    rm -rf "$work"
}
trap cleanup EXIT
source "$(dirname "${BASH_SOURCE[0]}")/window_test_support.sh"

# ----- The display, the compositor and the program --------------------------------------

command -v weston >/dev/null || unavailable "weston is not installed (scripts/setup installs it)"
[ -x "$SCREEN_GRAB" ] || { echo "FAILED: screen_grab is not built ($SCREEN_GRAB)"; exit 1; }
start_display

# The compositor's sockets live in a folder of the test's own. Nothing on its screen moves
# by itself: no panel (its clock), no animations.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
printf '[shell]\npanel-position=none\nanimation=none\nclose-animation=none\nstartup-animation=none\nfocus-animation=none\n' \
    >"$work/weston.ini"
socket="wyvra-test-$$"
weston --backend=x11-backend.so --use-pixman --config="$work/weston.ini" --socket="$socket" \
    --idle-time=0 --width="$WIDTH" --height="$HEIGHT" >"$work/weston.log" 2>&1 &
weston_pid=$!
output=""
deadline=$(($(now_ms) + 15000))
while [ "$(now_ms)" -lt "$deadline" ] && [ -z "$output" ]; do
    kill -0 "$weston_pid" 2>/dev/null || break
    [ -S "$XDG_RUNTIME_DIR/$socket" ] && output=$(xdotool search --class "Weston Compositor" 2>/dev/null | head -n 1)
    sleep 0.1
done
[ -n "$output" ] || unavailable "weston did not start: $(tail -n 3 "$work/weston.log")"
# Outside the compositor's window until the click; then the pointer stays in it, where the
# keys go.
xdotool mousemove $((WIDTH + 50)) $((HEIGHT + 50))

# Settings of the test's own (the user's stay untouched): no blinking cursor, no fading.
mkdir -p "$work/config/gtk-4.0"
printf '[Settings]\ngtk-cursor-blink=false\ngtk-enable-animations=false\n' \
    >"$work/config/gtk-4.0/settings.ini"
WAYLAND_DISPLAY="$socket" GDK_BACKEND=wayland XDG_CONFIG_HOME="$work/config" \
    XDG_DATA_HOME="$work/data" TMPDIR="$work" NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory \
    "$WYVRA" --second-window-test >"$work/wyvra.out" 2>"$work/wyvra.err" &
wyvra_pid=$!

# ----- What the compositor shows --------------------------------------------------------

# Where the compositor shows the surface NAME, whose own rendering is IMAGE: the middle of
# that rendering must show on its screen pixel for pixel (nine in ten of them at least: a
# surface left unpainted, see-through or drawn only in part shows none or few). The screen is
# kept as NAME.png in SCREENSHOT_DIR when one was given. The compositor shows a surface the
# frame after the program hands it over, later on a busy machine: the screen is read again
# every 0.2 s, for five seconds at most, until it shows the surface.
drawn_on_screen() {
    local name=$1 image=$2 what=$3 matching total kept=() deadline
    [ -n "$SHOTS" ] && kept=("$SHOTS/$name.png")
    deadline=$(($(now_ms) + 5000))
    while :; do
        sleep 0.2
        grabbed=$("$SCREEN_GRAB" "window:$output" "${kept[@]}" --find "$image" 2>&1)
        found=$(awk '$1 == "found" { $1 = ""; print; exit }' <<<"$grabbed")
        read -r _ _ _ _ _ matching _ total <<<"$found"
        [ $(( ${matching:-0} * 10 >= ${total:-1} * 9 )) -eq 1 ] && break
        [ "$(now_ms)" -lt "$deadline" ] || break
    done
    check $(( ${matching:-0} * 10 >= ${total:-1} * 9 ? 0 : 1 )) \
        "$what shows on the compositor's screen as GTK drew it (found:${found:- ${grabbed:-nothing}})"
}

# ----- Run --------------------------------------------------------------------------------

seen=""
deadline=$(($(now_ms) + 100000))
while kill -0 "$wyvra_pid" 2>/dev/null && [ "$(now_ms)" -lt "$deadline" ]; do
    while read -r word name image dx dy; do
        [ "$word" = "shown:" ] || continue
        case " $seen " in *" $name "*) continue ;; esac
        seen="$seen $name"
        # The program found no image of its own to compare with, and says so itself.
        [ -n "$image" ] || continue
        case "$name" in
            second-window)
                # A click on its Diagram title, found from where its middle shows.
                drawn_on_screen "$name" "$image" "the second window"
                read -r x y _ <<<"$found"
                [ -n "$x" ] && [ -n "$dx" ] && xdotool mousemove $((x + dx)) $((y + dy)) click 1 ;;
            diagram-menu)
                drawn_on_screen "$name" "$image" "the second window's Diagram menu"
                xdotool key Down Down Down Down Down Down Down Down Down Return ;;
            experimental-data)
                drawn_on_screen "$name" "$image" "the second window's experimental data" ;;
        esac
    done <"$work/wyvra.out"
    sleep 0.1
done
if kill -0 "$wyvra_pid" 2>/dev/null; then
    check 1 "the session ends"
    status=1
else
    wait "$wyvra_pid"
    status=$?
fi
wyvra_pid=""
cat "$work/wyvra.out"
for name in diagram-menu experimental-data; do
    case " $seen " in *" $name "*) ;; *) check 1 "the session shows $name" ;; esac
done
check "$status" "the session's own checks hold (exit status $(exit_status_text "$status"))"
check $(grep -q "^the Diagram menu was opened by a click" "$work/wyvra.out"; echo $?) "a click on the title opens the menu"
check $(grep -q "^ok: the keys reached the menu" "$work/wyvra.out"; echo $?) "keys pressed reach the open menu"
# GTK's criticals and warnings, and sanitizer reports, mark faults the checks do not see (the
# whole standard error follows a failure).
check_no_reports "$work/wyvra.err"
verdict
