#!/usr/bin/env bash
# A seeded session of random real input, as a person trying everything at once: clicks, drags
# and wheel turns over the document window (and whatever lies over it: its menus, dialogs,
# panels and the windows it opened), and keys from the whole keyboard a person uses in it
# (arrows, Tab, Return, keypad Enter, Escape, digits, letters, the shortcuts), sent from
# outside the process to `wyvra` on a virtual display under a window manager, like
# real_input.sh. Every few events the program must be idle again (a program still busy after
# that fails the run); at the end it must still run, and its standard error must hold no
# sanitizer report and no GTK (or GLib, GDK, GSK, Pango) critical or warning. A program that
# ends on its own (a window closed, Quit) is started again and the session goes on.
#
#   random_input.sh WYVRA [SEED] [EVENTS]
#
# The same seed sends the same events. Exits 0 when every check held, 1 when one failed, 77
# (skipped) when no display can be started here (a failure under CI).
set -uo pipefail

WYVRA=${1:-}
SEED=${2:-${RANDOM_INPUT_SEED:-52}}
EVENTS=${3:-${RANDOM_INPUT_EVENTS:-300}}
[ -n "$WYVRA" ] || { echo "usage: random_input.sh WYVRA [SEED] [EVENTS]"; exit 2; }
# A sanitizer build is several times slower: a recalculation of every plot may then take
# seconds of CPU time. A program that spends twenty without settling is hung (or one that a
# loaded machine keeps from settling for a minute).
export IDLE_LIMIT_MS=${IDLE_LIMIT_MS:-20000}
export IDLE_WALL_MS=${IDLE_WALL_MS:-60000}
# The functions of the real-input test: display, window manager, program, reports, idle.
source "$(dirname "${BASH_SOURCE[0]}")/real_input.sh" "$WYVRA"
failures=0
hung=0
trap cleanup EXIT

# Files the session's dialogs write (a document saved, a plot printed to a file) go into the
# session's own folder.
export HOME="$work/home"
mkdir -p "$HOME"
cd "$HOME" || exit 1

RANDOM=$SEED
pick() { local a=("$@"); echo "${a[RANDOM % ${#a[@]}]}"; }

# What standard error may hold: the virtual display has no session bus and no settings
# daemon, and GTK says so. And two faults of GTK's own dialogs, which random clicks reach
# through the menus and which no code of the program can (it has no tree view, and asks
# nothing of a print dialog's list of printers):
# - the file chooser clicked on a column header while it lists a folder: its tree view has
#   no model then, and the header's sort asks the missing model for its order (three
#   gtk_tree_sortable_* criticals; a tree view with no model and a sortable column, its
#   header clicked, prints the same);
# - the print dialog told of its selected printer after it was taken apart: its handler
#   asks the printer list it has already let go for its model
#   (gtk_column_view_get_model, then gtk_single_selection_get_selected_item);
# - the print dialog accepted with "Pages" chosen and no range typed: GTK's print operation
#   then prints nothing and says "no pages to print".
reports_in() {
    reports_in_err "$1" |
        grep -vE "dconf-WARNING|failed to commit changes to dconf" |
        grep -vE "Gtk-CRITICAL \*\*.* (gtk_tree_sortable_[a-z_]+: assertion 'GTK_IS_TREE_SORTABLE \(sortable\)'|gtk_column_view_get_model: assertion 'GTK_IS_COLUMN_VIEW \(self\)'|gtk_single_selection_get_selected_item: assertion 'GTK_IS_SINGLE_SELECTION \(self\)') failed$" |
        grep -vE "Gtk-WARNING \*\*: [0-9:.]+: no pages to print$"
}

# Ends a run of the program (it quit, or the session is over): its status and what it said.
runs=0
finish_run() {
    local status=0
    if [ -n "$wyvra_pid" ]; then
        if kill -0 "$wyvra_pid" 2>/dev/null; then
            kill "$wyvra_pid" 2>/dev/null
            wait "$wyvra_pid" 2>/dev/null
        else
            wait "$wyvra_pid" 2>/dev/null
            status=$?
        fi
        # Killed by the script (SIGTERM) is its end here, not a failure of the program.
        [ "$status" -eq 0 ] || [ "$status" -eq 143 ]
        check $? "run $runs of the program ends with status 0 (it ended with $status)"
    fi
    wyvra_pid=""
    local said
    said=$(reports_in "$work/wyvra.err")
    check $([ -z "$said" ]; echo $?) "run $runs prints no sanitizer report and no GTK critical or warning${said:+:
$said}"
    [ -z "$said" ] || cat "$work/wyvra.err" >&2
    cp "$work/wyvra.err" "$work/wyvra-$runs.err" 2>/dev/null
}

start_run() {
    runs=$((runs + 1))
    start_wyvra
    for _ in $(seq 20); do wait_idle && break; done
    report || true
    read -r W H <<<"$(awk '$1 == "size" { print $2, $3 }' "$REPORT")"
}

# Where a program stays busy, what it shows (its windows and popovers) and what it is doing:
# its threads' stacks, when gdb is here.
busy_stacks() {
    echo "the program's windows while busy:"
    grep -E "^(window|popover)" "$REPORT"
    command -v gdb >/dev/null || return 0
    echo "the program's threads while busy:"
    timeout 60 gdb -p "$wyvra_pid" -batch -ex "thread apply all bt 40" 2>/dev/null |
        grep -E "^(#|Thread)" | head -n 200
    # A loop shows in what the main thread does from one moment to the next.
    local sample
    for sample in 2 3 4; do
        sleep 1
        echo "the main thread, sample $sample:"
        timeout 60 gdb -p "$wyvra_pid" -batch -ex "thread 1" -ex "bt 30" 2>/dev/null | grep -E "^#" |
            sed -E 's/ \(.*\) at / at /' | head -n 30
    done
}

# GTK's own file chooser, once it lists completions of a typed name, lays that list out again
# on every frame for as long as it shows (a loop of GTK's own: its save dialog alone, with "."
# typed into the name, does the same), so that a program with one open is never idle. Before
# a program is called busy, the dialogs of GTK's own it shows (file chooser, print) are
# answered with Escape, and it gets its time again.
gtk_dialogs() {
    awk -F'\t' '{ split($1, f, " ") }
        f[1] == "window" && f[3] == "mapped" && $3 ~ /^Gtk(FileChooser|Print)/ { print f[2] }' "$REPORT"
}
# GTK's own menu bar, pressed on one menu and released over another, opens and closes its
# menus on every frame until Escape (a plain GTK window with a menu bar does the same: about
# 40 % of a core, none after Escape): a program still busy then gets one Escape, said in the
# session's output.
settle() {
    wait_idle && return 0
    kill -0 "$wyvra_pid" 2>/dev/null && report || return 1
    local dialogs
    dialogs=$(gtk_dialogs)
    for d in $dialogs; do timeout 5 xdotool windowactivate --sync "$d" key Escape key Escape 2>/dev/null; done
    [ -n "$dialogs" ] && wait_idle && return 0
    echo "note: the program was busy until an Escape (a menu bar's menus opening and closing)"
    timeout 5 xdotool key --clearmodifiers Escape 2>/dev/null
    wait_idle
}

# One random event. Clicks and drags land in the document window's area, on whatever shows
# there; keys go wherever the keyboard is. GTK's own file and print dialogs are left out of
# the shortcuts (the scripted and real-input tests answer them): under random input they print
# criticals of GTK's own (its tree views' sorting) that no code of the program reaches.
KEYS=(Tab Tab Down Down Up Up Return KP_Enter Escape BackSpace Delete Home End Left Right
      space 1 2 3 0 minus period a b c ctrl+a ctrl+z ctrl+shift+z shift+Tab Page_Down
      ctrl+n ctrl+l ctrl+w alt+F4 F10)
event() {
    local x=$((RANDOM % ${W:-1280})) y=$((RANDOM % ${H:-720})) what
    case $((RANDOM % 10)) in
        0 | 1 | 2) what=(mousemove --window "$WINDOW" "$x" "$y" click 1) ;;
        3) what=(mousemove --window "$WINDOW" "$x" "$y" click 3) ;;
        4) what=(mousemove --window "$WINDOW" "$x" "$y" mousedown 1
                 mousemove_relative -- $((RANDOM % 121 - 60)) $((RANDOM % 121 - 60)) mouseup 1) ;;
        5) what=(mousemove --window "$WINDOW" "$x" "$y" click $((4 + RANDOM % 2))) ;;
        *) what=(key --clearmodifiers "$(pick "${KEYS[@]}")") ;;
    esac
    # RANDOM_INPUT_TRACE=1 lists the events, to replay a session up to a fault.
    [ -z "${RANDOM_INPUT_TRACE:-}" ] || echo "event $i: xdotool ${what[*]}"
    xdotool "${what[@]}" 2>/dev/null
}

start_display
start_window_manager
start_run
echo "seed $SEED, $EVENTS events"
for i in $(seq "$EVENTS"); do
    if ! kill -0 "$wyvra_pid" 2>/dev/null; then
        # Closed by the events themselves (its last window, or Quit): again from the start.
        finish_run
        start_run
    fi
    event
    sleep 0.02
    if [ $((i % 25)) -eq 0 ] && kill -0 "$wyvra_pid" 2>/dev/null; then
        settled_ms=""
        if ! settle; then
            # Ended meanwhile (its last window closed): started again on the next turn.
            kill -0 "$wyvra_pid" 2>/dev/null || continue
            check 1 "the program is idle within ${IDLE_LIMIT_MS} ms of CPU time after event $i"
            busy_stacks
            break
        fi
        if ! report; then
            kill -0 "$wyvra_pid" 2>/dev/null || continue
            check 1 "the program answers after event $i"
            break
        fi
        WINDOW=$(value xid)
        read -r W H <<<"$(awk '$1 == "size" { print $2, $3 }' "$REPORT")"
    fi
done
if kill -0 "$wyvra_pid" 2>/dev/null && ! settle && kill -0 "$wyvra_pid" 2>/dev/null; then
    check 1 "the program is idle within ${IDLE_LIMIT_MS} ms of CPU time after the last event"
fi
finish_run
echo "$runs run(s) of the program"
[ "$failures" -eq 0 ] && echo "every check held" || echo "$failures check(s) failed"
[ "$failures" -eq 0 ]
