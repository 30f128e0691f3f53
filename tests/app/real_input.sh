#!/usr/bin/env bash
# Drives the workbench window as a person does: real X pointer and key events sent from
# outside the process (xdotool) to `wyvra` on a virtual display of its own, under a window
# manager (openbox) as on a desktop, since some faults show only under one. After each
# action the program must be idle again (its CPU time, read from /proc, stops growing)
# having spent at most a second of CPU time on it, and its state report (written on SIGUSR1, see --state-report) must show
# what the action should have done.
#
#   real_input.sh WYVRA [SCREENSHOT_DIR]
#
# Exits 0 when every check holds, 1 when one fails, 77 (skipped) when no display can be
# started here; under CI (CI=true) a missing display or window manager is a failure, never a
# skip (elsewhere the run goes on without a manager, and says so). What the screen shows is
# read by screen_grab (SCREEN_GRAB, else beside the program's build), the screen is SCREEN
# pixels (default 1280x720).
# A further scenario is a function scenario_NAME added to SCENARIOS below; they run in one
# session, in that order, each starting where the one before left the window.
set -uo pipefail

WYVRA=${1:-}
SHOTS=${2:-}
# An action must have settled after this much of the program's CPU time: a measure of the
# program, which a busy machine stretches on the clock only. The clock's limit catches a
# program that a loaded machine starves of the processor for ever.
IDLE_LIMIT_MS=${IDLE_LIMIT_MS:-1000}
IDLE_WALL_MS=${IDLE_WALL_MS:-30000}
TICK_MS=$((1000 / $(getconf CLK_TCK)))
[ -n "$WYVRA" ] || { echo "usage: real_input.sh WYVRA [SCREENSHOT_DIR]"; exit 2; }
work=$(mktemp -d "${TMPDIR:-/tmp}/wyvra-input.XXXXXX")
REPORT="$work/report"
failures=0
hung=0
SCREEN=${SCREEN:-1280x720}
SCREEN_GRAB=${SCREEN_GRAB:-$(dirname "$WYVRA")/../tests/app/screen_grab}
xvfb_pid=""
wm_pid=""
wyvra_pid=""

cleanup() {
    local status=$?
    stop "$wyvra_pid"
    stop "$wm_pid"
    stop "$xvfb_pid"
    show_logs_on_failure "$status"
    rm -rf "$work"
}
trap cleanup EXIT
source "$(dirname "${BASH_SOURCE[0]}")/window_test_support.sh"

# expect WANTED WHAT COMMAND...: COMMAND prints WANTED in the latest report, or in one of
# the fresh reports asked for during a second (so that an event still on its way counts).
expect() {
    local wanted=$1 what=$2 got
    shift 2
    got=$("$@")
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        [ "$got" = "$wanted" ] && break
        sleep 0.1
        report && got=$("$@")
    done
    [ "$got" = "$wanted" ]
    check $? "$what (wanted $wanted, got ${got:-nothing})"
}

# ----- The display and the program ------------------------------------------------------

# The window manager on the display, once it has taken the screen over (it then names itself
# on the root window).
start_window_manager() {
    if ! command -v openbox >/dev/null || ! command -v xprop >/dev/null; then
        [ "${CI:-}" = "true" ] && unavailable "openbox or xprop is not installed (scripts/setup installs them)"
        echo "note: no window manager (openbox and xprop install it): the window runs without one"
        return 0
    fi
    # On a loaded machine the manager now and then fails to connect to a display just
    # started: it is started again, three times at most.
    local deadline=$(($(now_ms) + 15000)) starts=0
    while [ "$(now_ms)" -lt "$deadline" ]; do
        if [ -z "$wm_pid" ] || ! kill -0 "$wm_pid" 2>/dev/null; then
            [ -n "$wm_pid" ] && wait "$wm_pid" 2>/dev/null
            wm_pid=""
            [ "$starts" -lt 3 ] || break
            starts=$((starts + 1))
            openbox --sm-disable >>"$work/openbox.log" 2>&1 &
            wm_pid=$!
        fi
        case "$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null)" in *"window id"*) return 0 ;; esac
        sleep 0.05
    done
    kill -0 "$xvfb_pid" 2>/dev/null || unavailable "the virtual display ended: $(tail -n 3 "$work/xvfb.log")"
    unavailable "the window manager did not start: $(tail -n 3 "$work/openbox.log")"
}

start_wyvra() {
    # A blinking cursor fades in and out for ten seconds after each key, and buttons fade
    # between states: both redraw on their own, for a bounded time. Idle time is measured
    # without them, from settings of the test's own (the user's stay untouched).
    mkdir -p "$work/config/gtk-4.0"
    printf '[Settings]\ngtk-cursor-blink=false\ngtk-enable-animations=false\n' \
        >"$work/config/gtk-4.0/settings.ini"
    export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
    # The report of a program run before would pass for the new one's first: asked for its
    # state before it has its handler in place, the new program would die of the signal.
    rm -f "$REPORT"
    "$WYVRA" --state-report "$REPORT" >"$work/wyvra.out" 2>"$work/wyvra.err" &
    wyvra_pid=$!
    local deadline=$(($(now_ms) + 30000))
    # The program writes its first report unasked, once the window is up.
    while [ "$(now_ms)" -lt "$deadline" ]; do
        kill -0 "$wyvra_pid" 2>/dev/null || break
        if [ -s "$REPORT" ] && [ -n "$(value xid)" ]; then
            WINDOW=$(value xid)
            return 0
        fi
        sleep 0.1
    done
    echo "FAILED: the window did not open"
    cat "$work/wyvra.err"
    exit 1
}

# ----- Reading the program --------------------------------------------------------------

# Asks for a fresh state report and waits for it (at most MS milliseconds, default 5000).
report() {
    rm -f "$REPORT"
    kill -USR1 "$wyvra_pid" 2>/dev/null || return 1
    local deadline=$(($(now_ms) + ${1:-5000}))
    while [ "$(now_ms)" -lt "$deadline" ]; do
        [ -s "$REPORT" ] && return 0
        sleep 0.02
    done
    return 1
}

# The first value of a report line "KEY value...".
value() { awk -v k="$1" '$1 == k { print $2; exit }' "$REPORT"; }
# The text of a form control (what the document holds).
control() { awk -F'\t' -v k="control $1" '$1 == k { print $2; exit }' "$REPORT"; }
# "x y w h" of a control's widget on screen; empty when it is not shown.
bounds() { awk -v k="$1" '$1 == "widget" && $2 == k { print $3, $4, $5, $6; exit }' "$REPORT"; }
# "x y w h" of a case-table cell (ROW KEY).
cell_bounds() { awk -v r="$1" -v k="$2" '$1 == "cell" && $2 == r && $3 == k { print $4, $5, $6, $7; exit }' "$REPORT"; }
# The text a control's widget shows on screen.
shown() { awk -F'\t' -v k="$1" '$1 ~ "^widget " k " " { print $2; exit }' "$REPORT"; }
# The centre of "x y w h".
centre() { read -r x y w h <<<"$1"; echo "$((x + w / 2)) $((y + h / 2))"; }

# Clock ticks of CPU time the program has used (user + system).
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$wyvra_pid/stat" 2>/dev/null; }

# True when the program's CPU time stops growing (at most one tick in 250 ms) before it has
# spent IDLE_LIMIT_MS of CPU time since now; settled_ms is then the CPU time it spent.
wait_idle() {
    local start deadline since first last ticks t
    start=$(now_ms)
    deadline=$((start + IDLE_WALL_MS))
    since=$start
    first=$(cpu_ticks)
    last=$first
    while :; do
        sleep 0.05
        ticks=$(cpu_ticks)
        t=$(now_ms)
        if [ $((ticks - last)) -gt 1 ]; then
            last=$ticks
            since=$t
        elif [ $((t - since)) -ge 250 ]; then
            settled_ms=$(((ticks - first) * TICK_MS))
            [ "$settled_ms" -le "$IDLE_LIMIT_MS" ]
            return
        fi
        [ $(((ticks - first) * TICK_MS)) -gt "$IDLE_LIMIT_MS" ] && return 1
        [ "$t" -ge "$deadline" ] && return 1
    done
}

# ----- Acting as a person ---------------------------------------------------------------

click_at() {  # click_at X Y [BUTTON]: window coordinates
    xdotool mousemove --window "$WINDOW" "$1" "$2" click "${3:-1}"
}
# A click on a control's widget, brought into view first where it is scrolled out of it.
click_widget() {
    into_view "$1" || return 1
    click_at $(centre "$(bounds "$1")")
}
# Keys go where a person's keys go: to the window that has the keyboard (a window manager
# gives it to the window clicked); events sent to a window instead may be ignored.
press() { xdotool key --clearmodifiers "$@"; }
type_text() { xdotool type --delay 20 -- "$1"; }
# Turns the wheel COUNT notches (negative: up) with the pointer over X Y.
wheel_at() {
    local button=5 n=$3
    if [ "$n" -lt 0 ]; then button=4; n=$((-n)); fi
    xdotool mousemove --window "$WINDOW" "$1" "$2"
    for _ in $(seq "$n"); do xdotool click "$button"; done
}
shot() {  # shot NAME: the window's image into SCREENSHOT_DIR, when one was given
    [ -n "$SHOTS" ] || return 0
    kill -USR2 "$wyvra_pid" && sleep 0.3 && cp -f "$REPORT.png" "$SHOTS/$1.png" 2>/dev/null
}
settled() {  # settled WHAT [LIMIT_MS]: idle again, and a fresh report; false (and the run ends) if not
    settled_ms=""
    local IDLE_LIMIT_MS=${2:-$IDLE_LIMIT_MS}
    wait_idle
    check $? "the program is idle within ${IDLE_LIMIT_MS} ms of CPU time after $1 (busy for ${settled_ms:-ever} ms)" || hung=1
    report
    check $? "the program answers after $1" || hung=1
    [ "$hung" -eq 0 ]
}

# ----- Scenarios --------------------------------------------------------------------------

scenario_add_and_click_a_row() {
    click_widget mAddButton
    settled "pressing Add" || return
    expect 2 "Add makes a second case" value rows
    expect 1 "and selects it" value selected
    local cell
    cell=$(cell_bounds 0 name)
    check $([ -n "$cell" ]; echo $?) "the first row is on screen" || return
    click_at $(centre "$cell")
    settled "a click on the first row" || return
    expect 0 "the row clicked is the selected case" value selected
    shot row-clicked
}

scenario_type_a_temperature() {
    type_into mStepHaliteTm 350
    settled "typing 350 into T and pressing Tab" || return
    expect 350 "the typed temperature reached the state" control mHaliteTm
    expect 350 "its stepper holds it" control mStepHaliteTm
}

# The session runs in a German locale: a fraction typed with the comma or with the point is
# read whole and shown with the point.
scenario_type_a_fraction() {
    type_into mStepHaliteTm "350,5"
    settled "typing 350,5 into T and pressing Tab" || return
    expect 350.5 "the fraction typed with a comma reached the state" control mHaliteTm
    type_into mStepHaliteTm "351.25"
    settled "typing 351.25 into T and pressing Tab" || return
    expect 351.25 "the fraction typed with a point reached the state" control mHaliteTm
    # The scenarios after this one start from 350.
    type_into mStepHaliteTm 350
    settled "typing 350 into T and pressing Tab" || return
    expect 350 "the temperature is 350 again" control mHaliteTm
}

scenario_wheel_over_an_unfocused_field() {
    local before_value before_box focus
    before_value=$(control mHaliteXm)
    before_box=$(bounds mStepHaliteXm)
    focus=$(value focus)
    check $([ "$focus" != mStepHaliteXm ]; echo $?) "the salinity field is not focused (focus: ${focus:-none})"
    read -r x y w h <<<"$before_box"
    wheel_at $((x + w / 4)) $((y + h / 2)) 2
    settled "two wheel notches over the salinity field" || return
    expect "$before_value" "the wheel leaves the salinity as it was" control mHaliteXm
    check $([ "$(bounds mStepHaliteXm)" != "$before_box" ]; echo $?) "the wheel scrolls the column instead"
    shot wheel
    # Far down the column its first fields are out of view: a click aimed where the layout
    # keeps them would land on the case buttons above, so they are not on screen.
    local height
    height=$(awk '$1 == "size" { print $3 }' "$REPORT")
    wheel_at 20 $((height - 60)) 6
    settled "six wheel notches over the form" || return
    check $([ -z "$(bounds mName)" ]; echo $?) "the name field scrolled out of view is not on screen ($(bounds mName))"
    wheel_at 20 $((height - 60)) -10
    settled "back to the top of the column" || return
    check $([ -n "$(bounds mStepHaliteTm)" ]; echo $?) "the temperature field shows again"
}

# Brings a control's widget into view as a person does: the wheel turned over the form's
# labels (never over a field, which would take it) scrolls the column until the widget shows.
into_view() {
    local height turn
    [ -n "$(bounds "$1")" ] && return 0
    height=$(awk '$1 == "size" { print $3 }' "$REPORT")
    for turn in -2 -2 -2 -2 -2 -2 2 2 2 2 2 2 2 2 2 2 2 2; do
        wheel_at 20 $((height - 60)) "$turn"
        settled "turning the wheel over the form" || return 1
        [ -n "$(bounds "$1")" ] && return 0
    done
    check 1 "$1 can be scrolled into view"
}

# Selects the text of a field, types TEXT and leaves the field with Tab.
type_into() {
    click_widget "$1" || return 1
    press ctrl+a
    type_text "$2"
    press Tab
}
# True when the control's widget lies wholly inside the window.
on_screen() {
    local box
    box=$(bounds "$1")
    [ -n "$box" ] || return 1
    read -r x y w h <<<"$box"
    read -r W H <<<"$(awk '$1 == "size" { print $2, $3 }' "$REPORT")"
    [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le "$W" ] && [ $((y + h)) -le "$H" ]
}
says() {  # says TEXT...: the status line holds every TEXT
    local line
    line=$(control mStatusLine)
    for t in "$@"; do
        case "$line" in *"$t"*) ;; *) check 1 "the message line says \"$t\" (it says: ${line:-nothing})"; return ;; esac
    done
    check 0 "the message line says: $line"
}

# "x y w h" of a plot of the visible tab.
plot_bounds() { awk -v k="$1" '$1 == "plot" && $2 == k { print $3, $4, $5, $6; exit }' "$REPORT"; }

scenario_plots_fit_the_window() {
    report
    read -r W H <<<"$(awk '$1 == "size" { print $2, $3 }' "$REPORT")"
    check $(( W <= ${SCREEN%x*} && H <= ${SCREEN#*x} ? 0 : 1 )) "the window fits the $SCREEN screen (it is $W x $H)"
    for plot in mPTViewp mTxViewp mPxViewp; do
        local box
        box=$(plot_bounds $plot)
        read -r x y w h <<<"${box:-0 0 0 0}"
        check $(( w > 0 && x + w <= W && y + h <= H ? 0 : 1 )) "the plot $plot lies inside the window (${box:-not shown})"
    done
}

# A plot's plot rectangle on screen "x y w h", its ranges "x from, to, y from, to", and
# whether a tool button of it is enabled.
plot_rect() { awk -F'\t' -v k="$1" '{ split($1, f, " ") } f[1] == "plot" && f[2] == k { print $2; exit }' "$REPORT"; }
plot_ranges() { awk -F'\t' -v k="$1" '{ split($1, f, " ") } f[1] == "plot" && f[2] == k { print $3; exit }' "$REPORT"; }
tool_state() { awk -F'\t' -v p="$1" -v k="$2" '{ split($1, f, " ") } f[1] == "tool" && f[2] == p && f[3] == k { print $2; exit }' "$REPORT"; }

# A drag with the mouse in the P-T plot outlines a zoom rectangle; Zoom in then narrows the
# ranges to it, and Undo puts them back.
scenario_zoom_by_dragging_in_a_plot() {
    local x y w h before after x0 y0
    read -r x y w h <<<"$(plot_rect mPTViewp)"
    check $([ -n "$w" ] && [ "$w" -gt 100 ] && [ "$h" -gt 100 ]; echo $?) \
        "the P-T plot's rectangle is on screen (${x:-?} ${y:-?} ${w:-?} ${h:-?})" || return
    before=$(plot_ranges mPTViewp)
    # Without a rectangle the zoom buttons are off, and a click on Zoom in does nothing.
    expect disabled "Zoom in is off before a rectangle is dragged" tool_state mPTViewp zoom-in || return
    click_at $(centre "$(tool_bounds mPTViewp zoom-in)")
    settled "a click on Zoom in with no rectangle" || return
    expect "$before" "Zoom in without a rectangle leaves the ranges" plot_ranges mPTViewp
    x0=$((x + w / 4))
    y0=$((y + h / 4))
    xdotool mousemove --window "$WINDOW" "$x0" "$y0" mousedown 1
    xdotool mousemove --window "$WINDOW" $((x0 + w / 4)) $((y0 + h / 8))
    xdotool mousemove --window "$WINDOW" $((x0 + w / 2)) $((y0 + h / 4)) mouseup 1
    settled "a drag in the P-T plot" || return
    expect enabled "Zoom in is offered" tool_state mPTViewp zoom-in || return
    click_at $(centre "$(tool_bounds mPTViewp zoom-in)")
    settled "a click on Zoom in" || return
    after=$(plot_ranges mPTViewp)
    # Dragged over the second and third quarters of the width, and down from a quarter to a
    # half of the height (the y axis runs up): within a pixel or two of the span.
    awk -v b="$before" -v a="$after" 'function near(v, want, span) { return v - want < 0.02 * span && want - v < 0.02 * span }
        BEGIN { split(b, o, " "); split(a, n, " "); wx = o[2] - o[1]; wy = o[4] - o[3]
        exit !(near(n[1], o[1] + wx / 4, wx) && near(n[2], o[1] + 3 * wx / 4, wx) &&
               near(n[3], o[4] - wy / 2, wy) && near(n[4], o[4] - wy / 4, wy)) }'
    check $? "Zoom in narrows the ranges to the rectangle dragged (from $before to $after)"
    expect disabled "and the rectangle goes" tool_state mPTViewp zoom-in
    press ctrl+z
    settled "Ctrl+Z after zooming" || return
    expect "$before" "Undo puts the ranges back" plot_ranges mPTViewp
}

# A click in the ternary diagram of the Ice tab gives the ice panel the brine clicked: 80 %
# of its salt NaCl, 20 wt % salt.
scenario_click_in_the_ternary_diagram() {
    local label x y w h px py
    label=$(awk '$1 == "tablabel" && $2 == 3 { print $3, $4, $5, $6; exit }' "$REPORT")
    check $([ -n "$label" ]; echo $?) "the Ice tab's label is on screen" || return
    click_at $(centre "$label")
    settled "a click on the Ice tab" || return
    expect 3 "the Ice tab shows" value tab || return
    read -r x y w h px py <<<"$(awk -F'\t' '{ split($1, f, " ") } f[1] == "ternary" { print f[2], f[3], f[4], f[5], $2; exit }' "$REPORT")"
    check $([ -n "$py" ] && [ "$px" -gt "$x" ] && [ "$px" -lt $((x + w)) ] && [ "$py" -gt "$y" ] &&
            [ "$py" -lt $((y + h)) ]; echo $?) "the ternary diagram shows the brine's point (${px:-?} ${py:-?} in ${x:-?} ${y:-?} ${w:-?} ${h:-?})" || return
    click_at "$px" "$py"
    settled "a click in the ternary diagram" || return
    local ratio salinity
    ratio=$(control mIceRatio)
    salinity=$(control mIceSalinity)
    # A pixel there is worth about 1.2 % of the NaCl share and 0.3 wt % of salt.
    awk -v r="$ratio" -v s="$salinity" 'BEGIN { exit !(r - 80 < 2.5 && 80 - r < 2.5 && s - 20 < 0.6 && 20 - s < 0.6) }'
    check $? "the ice panel takes the brine clicked (NaCl share ${ratio:-none} %, salinity ${salinity:-none} wt %)"
    label=$(awk '$1 == "tablabel" && $2 == 0 { print $3, $4, $5, $6; exit }' "$REPORT")
    click_at $(centre "$label")
    settled "a click on the P-T-X tab" || return
    expect 0 "the P-T-X tab shows again" value tab
}

# SIGUSR2 writes the window's image beside the report: a PNG of the window's size.
scenario_window_image_is_written() {
    local png="$REPORT.png" deadline sig w h W H
    rm -f "$png"
    kill -USR2 "$wyvra_pid"
    deadline=$(($(now_ms) + 5000))
    while [ ! -s "$png" ] && [ "$(now_ms)" -lt "$deadline" ]; do sleep 0.05; done
    report
    read -r W H <<<"$(awk '$1 == "size" { print $2, $3 }' "$REPORT")"
    # The signature, then the header's width and height (big-endian, at bytes 16 and 20).
    sig=$(head -c 8 "$png" 2>/dev/null | od -An -tx1 | tr -d ' \n')
    w=$(od -An -tu1 -j16 -N4 "$png" 2>/dev/null | awk '{ print (($1 * 256 + $2) * 256 + $3) * 256 + $4 }')
    h=$(od -An -tu1 -j20 -N4 "$png" 2>/dev/null | awk '{ print (($1 * 256 + $2) * 256 + $3) * 256 + $4 }')
    check $([ "$sig" = 89504e470d0a1a0a ] && [ "$w" = "$W" ] && [ "$h" = "$H" ]; echo $?) \
        "the window's image is a PNG of its size ($W x $H; the image: ${w:-none} x ${h:-none})"
}

scenario_refused_input_is_shown() {
    type_into mStepHaliteTm abc
    settled "typing abc into T" || return
    expect 350 "text that is no number leaves the temperature" control mHaliteTm
    says Temperature '"abc"' "-273.15" "It stays at 350"
    on_screen mStatusLine
    check $? "the message shows in the window"
    check "$(grep -qx "marked mStepHaliteTm" "$REPORT"; echo $?)" "the field refused is marked"
    shot refused-text
    # A smaller window still shows the message, above the scrolled form.
    xdotool windowsize "$WINDOW" 900 560
    settled "making the window 900 x 560" || return
    type_into mStepHaliteXm 150
    settled "typing 150 into the salinity" || return
    [ -n "${DEBUG_REPORT:-}" ] && cp "$REPORT" "$DEBUG_REPORT"
    expect 30 "a salinity above 100 wt % is refused" control mHaliteXm
    says Salinity '"150"' "from 0 up to 100" "It stays at 30"
    on_screen mStatusLine
    check $? "the message shows in the smaller window"
    shot refused-small
    type_into mStepHaliteXm 25
    settled "typing 25 into the salinity" || return
    expect 25 "an accepted salinity is taken" control mHaliteXm
    expect "" "and the message goes" control mStatusLine
    check "$(grep -q "^marked" "$REPORT"; [ $? -ne 0 ]; echo $?)" "no field stays marked"
}

scenario_unclassified_state_shows_no_results() {
    type_into mStepHaliteTm 5000
    settled "typing 5000 into T" || return
    expect 5000 "5000 degC is taken" control mHaliteTm
    expect "" "the density field is blank" shown mStepRm
    says "outside the range of the model"
    shot unclassified
    type_into mStepHaliteTm 350
    settled "typing 350 into T" || return
    expect "" "a state the model places clears the message" control mStatusLine
}

# "x y w h" of a plot's tool button (PLOT WHAT, e.g. mPTViewp grid).
tool_bounds() { awk -v p="$1" -v k="$2" '$1 == "tool" && $2 == p && $3 == k { print $4, $5, $6, $7; exit }' "$REPORT"; }

# walk_rows FROM KEY...: each Down or Up in the case list moves the selection (at row FROM)
# one row.
walk_rows() {
    local want=$1 key
    shift
    for key in "$@"; do
        [ "$key" = Down ] && want=$((want + 1)) || want=$((want - 1))
        press "$key"
        settled "$key in the case list" || return 1
        expect "$want" "$key selects row $want" value selected
    done
}

# The arrow keys move the selection one row per press, each way, and a click on a plot's tool
# button leaves the keyboard in the case list.
scenario_arrow_keys_in_the_case_list() {
    click_widget mAddButton
    settled "pressing Add" || return
    local rows cell
    rows=$(value rows)
    check $([ "$rows" -ge 3 ]; echo $?) "three cases or more to walk through (there are $rows)" || return
    cell=$(cell_bounds 0 name)
    click_at $(centre "$cell")
    settled "a click on the first row" || return
    expect 0 "the first row is selected" value selected
    expect caseTable "the case list has the keyboard" value focus
    walk_rows 0 Down Down Up Down Up Up || return
    local tool
    tool=$(tool_bounds mPTViewp grid)
    check $([ -n "$tool" ]; echo $?) "the P-T plot's grid button is on screen" || return
    click_at $(centre "$tool")
    settled "a click on the grid button" || return
    expect caseTable "the case list keeps the keyboard" value focus
    press Down
    settled "Down after the grid button" || return
    expect 1 "Down still moves the selection" value selected
    click_at $(centre "$tool")
    settled "a second click on the grid button" || return
    press Up
    settled "Up after the grid button" || return
    expect 0 "Up still moves the selection" value selected
}

# The selected row is among the case-table cells shown, whole (as high as a cell shown whole).
selected_row_shown() {
    local row box full
    row=$(value selected)
    box=$(cell_bounds "$row" name)
    full=$(awk '$1 == "cell" && $7 > h { h = $7 } END { print h + 0 }' "$REPORT")
    read -r x y w h <<<"${box:-0 0 0 0}"
    check $(( h > 0 && h >= full ? 0 : 1 )) "$1: the selected row $row shows in the list (${box:-not shown})"
}

# A refusal belongs to the edit refused: its message and the field's red mark go when another
# case is selected, or when the field takes what is typed next, even the value it kept.
scenario_refusal_cleared_by_another_row() {
    local kept other
    type_into mStepHalitePm abc
    settled "typing abc into P" || return
    says Pressure '"abc"'
    check "$(grep -qx "marked mStepHalitePm" "$REPORT"; echo $?)" "the pressure field is marked"
    kept=$(control mHalitePm)
    other=$(( $(value selected) == 0 ? 1 : 0 ))
    click_at $(centre "$(cell_bounds "$other" name)")
    settled "a click on row $other" || return
    expect "$other" "the row clicked is selected" value selected
    expect "" "the message goes with the other case" control mStatusLine
    check "$(grep -q "^marked" "$REPORT"; [ $? -ne 0 ]; echo $?)" "no field stays marked"
    type_into mStepHalitePm abc
    settled "typing abc into P again" || return
    kept=$(control mHalitePm)
    check "$(grep -qx "marked mStepHalitePm" "$REPORT"; echo $?)" "the pressure field is marked again"
    type_into mStepHalitePm "$kept"
    settled "typing the kept pressure $kept into P" || return
    expect "" "the value kept, typed in, clears the message" control mStatusLine
    check "$(grep -q "^marked" "$REPORT"; [ $? -ne 0 ]; echo $?)" "and the mark"
}

# Ctrl+Z in a number field: what was typed and not yet taken goes back to the value the field
# holds; with nothing typed, it is the document's Undo (of plot ranges), which leaves the field
# as it is. Neither empties the field or leaves a refusal on leaving it.
scenario_ctrl_z_in_a_number_field() {
    type_into mStepHaliteTm 333
    settled "typing 333 into T" || return
    expect 333 "333 is taken" control mHaliteTm
    click_widget mStepHaliteTm || return
    press ctrl+a
    type_text 12
    press ctrl+z
    settled "typing 12 and Ctrl+Z" || return
    expect 333 "the field shows the temperature it holds again" shown mStepHaliteTm
    press ctrl+z
    settled "Ctrl+Z again in the field" || return
    expect 333 "the field still shows it" shown mStepHaliteTm
    press Tab
    settled "Tab out of the field" || return
    expect "" "leaving it refuses nothing" control mStatusLine
    expect 333 "and keeps the temperature" control mHaliteTm
}

# Brings a control of a tab's panel on screen as a person does on a small screen: the wheel
# turned sideways over the tab's page, then down over the panel, until it shows whole.
reach() {
    local turn x y w h
    for turn in $(seq 16); do
        on_screen "$1" && return 0
        read -r W H <<<"$(awk '$1 == "size" { print $2, $3 }' "$REPORT")"
        read -r x y w h <<<"$(bounds "$1")"
        if [ "$turn" -le 6 ] && { [ -z "$x" ] || [ $((x + w)) -gt "$W" ]; }; then
            wheel_sideways $((W - 150)) $((H / 2)) 5
        elif [ -n "$y" ] && [ "$y" -lt 0 ]; then
            wheel_at $((W - 20)) $((H / 2)) -2
        else
            wheel_at $((W - 20)) $((H / 2)) 2
        fi
        settled "turning the wheel over the tab" || return 1
    done
    on_screen "$1"
    check $? "$1 can be scrolled into view"
}
wheel_sideways() {  # wheel_sideways X Y COUNT: the wheel tilted right COUNT notches
    xdotool mousemove --window "$WINDOW" "$1" "$2"
    for _ in $(seq "$3"); do xdotool click 7; done
}

# On a small screen every control of a tab is reached by scrolling its page: the boiling
# panel's rock density, at the far side of the Boiling tab in a small window. A refusal there
# goes with the next value the field takes, even the one it kept.
scenario_boiling_panel_in_a_small_window() {
    local label kept
    label=$(awk '$1 == "tablabel" && $2 == 5 { print $3, $4, $5, $6; exit }' "$REPORT")
    check $([ -n "$label" ]; echo $?) "the Boiling tab's label is on screen" || return
    click_at $(centre "$label")
    settled "a click on the Boiling tab" || return
    expect 5 "the Boiling tab shows" value tab || return
    reach mBoilStepRho3 || return
    kept=$(control mBoilRho3)
    type_into mBoilStepRho3 0
    settled "typing 0 into the rock density" || return
    says "Rock density" '"0"' "It stays at $kept"
    check "$(grep -qx "marked mBoilStepRho3" "$REPORT"; echo $?)" "the rock density is marked"
    type_into mBoilStepRho3 "$kept"
    settled "typing $kept into the rock density" || return
    expect "" "the value kept, typed in, clears the message" control mStatusLine
    check "$(grep -q "^marked" "$REPORT"; [ $? -ne 0 ]; echo $?)" "and the mark"
    label=$(awk '$1 == "tablabel" && $2 == 0 { print $3, $4, $5, $6; exit }' "$REPORT")
    click_at $(centre "$label")
    settled "a click on the P-T-X tab" || return
    expect 0 "the P-T-X tab shows again" value tab
}

# With the log open, every recalculation writes to it: the document keeps the keyboard and the
# clicks all the same, and the log lies beside it, clear of its menu bar, wholly on the screen.
scenario_log_open_while_working() {
    press ctrl+l
    settled "Ctrl+L" || return
    local log
    log=$(window_titled Log)
    check $([ -n "$log" ]; echo $?) "the log opens" || return
    local lx ly lw lh mx my mw mh
    eval "$(xdotool getwindowgeometry --shell "$log" | sed 's/^/log_/')"
    read -r mx my mw mh <<<"$(menu_bounds Diagram)"
    eval "$(xdotool getwindowgeometry --shell "$WINDOW" | sed 's/^/doc_/')"
    check $(( log_Y >= doc_Y + my + mh || log_X >= doc_X + doc_WIDTH ? 0 : 1 )) \
        "the log (at $log_X,$log_Y) leaves the document's menu bar free (down to $((doc_Y + my + mh)))"
    # Its buttons included: placed before it had a size, it ran off the bottom of the screen.
    check $(( log_X >= 0 && log_Y >= 0 && log_X + log_WIDTH <= ${SCREEN%x*} &&
              log_Y + log_HEIGHT <= ${SCREEN#*x} ? 0 : 1 )) \
        "the log ($log_WIDTH x $log_HEIGHT at $log_X,$log_Y) lies wholly on the $SCREEN screen"
    local cell
    cell=$(cell_bounds 0 name)
    check $([ -n "$cell" ]; echo $?) "the first row is on screen" || return
    click_at $(centre "$cell")
    settled "a click on the first row with the log open" || return
    expect 0 "the row clicked is selected" value selected
    expect "$WINDOW" "the document window keeps the keyboard" xdotool getactivewindow
    expect caseTable "the case list has it" value focus
    walk_rows 0 Down Down Up || return
    local rows
    rows=$(value rows)
    click_widget mAddButton
    settled "pressing Add with the log open" || return
    click_widget mAddButton
    settled "pressing Add again" || return
    expect $((rows + 2)) "two clicks on Add make two cases" value rows
    # Tab from the temperature into the pressure, then a value typed there.
    click_widget mStepHaliteTm || return
    press ctrl+a
    type_text 320
    press Tab
    settled "typing 320 into T and Tab" || return
    type_text 200
    press Tab
    settled "typing 200 into P after Tab" || return
    expect 320 "the temperature is taken" control mHaliteTm
    expect 200 "the pressure typed after Tab is taken" control mHalitePm
    expect "$WINDOW" "the document window still has the keyboard" xdotool getactivewindow
    # The log closes (by the manager, as a person closes it), out of the way of what follows.
    if managed; then
        xdotool windowactivate --sync "$log" key --clearmodifiers alt+F4
        settled "closing the log" || return
        check $([ -z "$(window_titled Log)" ]; echo $?) "the log closes"
        click_beside_the_menus
        settled "a click in the window's menu bar" || return
    fi
}

# A list longer than its view: the selection, moved by Add, a click, Home and Down, stays in
# view.
scenario_long_list_walked_with_down() {
    local rows
    rows=$(value rows)
    while [ "$rows" -lt 8 ]; do
        local before
        before=$(value selected)
        click_widget mAddButton
        settled "pressing Add" || return
        rows=$((rows + 1))
        expect "$rows" "Add makes case $rows" value rows || return
        expect $((before + 1)) "and selects it, after the case selected before" value selected
        selected_row_shown "after Add"
    done
    click_at $(centre "$(cell_bounds "$(value selected)" name)")
    settled "a click on the selected row" || return
    expect caseTable "the case list has the keyboard" value focus
    press Home
    settled "Home in the case list" || return
    expect 0 "Home selects the first case" value selected
    selected_row_shown "after Home"
    local i
    for i in $(seq 1 $((rows - 1))); do
        press Down
        settled "Down to row $i" || return
        expect "$i" "Down selects row $i" value selected
        selected_row_shown "after Down to row $i"
    done
    shot long-list
}

# The file dialogs answered without a file (cancelled with the name emptied) change nothing;
# one answered with a typed path saves there.
scenario_dialogs_answered_without_a_file() {
    local title before
    before=$(window_title "$WINDOW")
    press ctrl+s
    settled "Ctrl+S" || return
    check $([ -n "$(window_titled "Save Document")" ]; echo $?) "Save asks for a file" || return
    press ctrl+a BackSpace
    press KP_Enter
    settled "KP_Enter with no name" || return
    press Escape
    settled "Escape in the save dialog" || return
    kill -0 "$wyvra_pid" 2>/dev/null
    check $? "the program still runs" || return
    check $([ -z "$(window_titled "Save Document")" ]; echo $?) "the dialog closes"
    expect "$before" "the document is not saved (its title stays)" window_title "$WINDOW"
    press ctrl+o
    settled "Ctrl+O" || return
    check $([ -n "$(window_titled "Open Document")" ]; echo $?) "Open asks for a file" || return
    press KP_Enter
    settled "KP_Enter with no file chosen" || return
    press Escape
    settled "Escape in the open dialog" || return
    expect 1 "nothing is opened" value windows
    press ctrl+shift+s
    settled "Ctrl+Shift+S" || return
    press ctrl+a
    type_text "$work/typed"
    press Return
    # The file chooser completes a typed path from a listing of each folder typed through
    # (here the temporary folder, which the other tests fill): its work, not the program's,
    # grows with that folder, and a loaded machine stretches it further.
    settled "a typed path and Return" 4000 || return
    # The dialog looks the file up before it answers.
    expect typed.wyvra "the document is saved where the path says" window_file "$WINDOW"
    check $([ -s "$work/typed.wyvra" ]; echo $?) "the file is there"
}
window_title() {  # window_title XID: the title of a window of the program
    awk -F'\t' -v w="$1" '{ split($1, f, " ") } f[1] == "window" && f[2] == w { print $2; exit }' "$REPORT"
}
window_file() { window_title "$1" | awk '{ print $1 }'; }  # the file a document window names

# ----- What the screen shows ----------------------------------------------------------------

# Reads what the screen shows in AREA (X,Y,W,H or window:XID) into `grabbed` (screen_grab's
# summary), keeping the image as NAME.png in SCREENSHOT_DIR when one was given.
grab() {
    grabbed=""
    if [ ! -x "$SCREEN_GRAB" ]; then
        check 1 "screen_grab is built (the test program that reads the screen: $SCREEN_GRAB)"
        return 1
    fi
    local image=()
    [ -n "$SHOTS" ] && [ -n "${2:-}" ] && image=("$SHOTS/$2.png")
    grabbed=$("$SCREEN_GRAB" "$1" "${image[@]}" 2>&1)
    [ $? -eq 0 ] || { check 1 "the screen can be read at $1 (${grabbed:-no answer})"; return 1; }
}
# A value of the last grab: `grabbed area` is "x y w h", `grabbed light` a count of pixels.
grabbed() {
    case "$1" in
        area | shown) awk -v k="$1" '$1 == k { print $2, $3, $4, $5; exit }' <<<"$grabbed" ;;
        *) awk -v k="$1" '$1 == "pixels" { for (i = 1; i < NF; i += 2) if ($i == k) print $(i + 1) }' <<<"$grabbed" ;;
    esac
}
# The last grab shows a surface drawn as a window's or a menu's: mostly its light background,
# with text on it, and more than a few colours (not a blank, black or half-drawn surface).
looks_drawn() {
    local n light dark colours
    n=$(grabbed pixels) light=$(grabbed light) dark=$(grabbed dark) colours=$(grabbed colours)
    check $(( n > 0 && light * 2 > n && dark * 500 > n && colours >= 16 ? 0 : 1 )) \
        "$1 is drawn (of ${n:-no} pixels ${light:-?} light, ${dark:-?} dark, ${colours:-?} colours)"
}
# The last grab's area lies wholly on the screen.
grabbed_on_screen() {
    local area
    area=$(grabbed area)
    check $([ -n "$area" ] && [ "$area" = "$(grabbed shown)" ]; echo $?) \
        "$1 lies wholly on the $SCREEN screen (at ${area:-nowhere}, of it on screen: $(grabbed shown))"
}

# ----- Windows and menus ----------------------------------------------------------------------

# The X id of the first window mapped with TITLE (belonging to the window PARENT, if given).
window_titled() {
    awk -F'\t' -v t="$1" -v p="${2:-}" '{ split($1, f, " ") }
        f[1] == "window" && f[3] == "mapped" && $2 == t && (p == "" || f[4] == p) { print f[2]; exit }' "$REPORT"
}
# The X id of the popover open in the window WINDOW hanging from NAME (a menu's title).
popover_of() {
    awk -F'\t' -v w="$WINDOW" -v n="$1" '{ split($1, f, " ") }
        f[1] == "popover" && f[3] == w && f[4] == "mapped" && $2 == n { print f[2]; exit }' "$REPORT"
}
popover_shows_every_item() {
    awk -F'\t' -v x="$1" '{ split($1, f, " ") } f[1] == "popover" && f[2] == x { print f[5]; exit }' "$REPORT"
}
# "x y w h" of a menu bar title, and of an item of an open menu ("popover x y w h").
menu_bounds() { awk -v k="$1" '$1 == "menu" && $2 == k { print $3, $4, $5, $6; exit }' "$REPORT"; }
item_bounds() { awk -F'\t' -v t="$1" '$1 ~ /^item / && $2 == t { sub(/^item /, "", $1); print $1; exit }' "$REPORT"; }
click_item() {  # click_item TITLE: a click on an item of the menu open
    local popover x y w h
    read -r popover x y w h <<<"$(item_bounds "$1")"
    check $([ -n "$popover" ]; echo $?) "the menu shows \"$1\"" || return 1
    xdotool mousemove --window "$popover" $((x + w / 2)) $((y + h / 2)) click 1
}
# A click on the title TITLE in the window's menu bar.
open_menu() {
    local box
    box=$(menu_bounds "$1")
    check $([ -n "$box" ]; echo $?) "the menu bar shows $1" || return 1
    click_at $(centre "$box")
    settled "a click on $1 in the menu bar"
}
# A secondary click in the P-T plot, at a place where no curve or point lies.
plot_menu() {
    local x y w h
    read -r x y w h <<<"$(plot_bounds mPTViewp)"
    check $([ -n "$w" ]; echo $?) "the P-T plot is on screen" || return 1
    click_at $((x + w - 40)) $((y + 30)) 3
    settled "a right click in the P-T plot"
}
# Whether a window manager runs: only one closes a window on Alt+F4.
managed() { [ -n "$wm_pid" ]; }

# A drawn surface over the window: what the screen shows where the surface lies (a popover's
# X id, or a window's) differs from what lies there once it has gone (CLOSE closes it), and
# is drawn as a menu or a window is. Ends with the surface gone.
covers_what_lay_beneath() {
    local surface=$1 what=$2 name=$3 close=$4 area seen
    grab "window:$surface" "$name" || return 1
    looks_drawn "$what"
    area=$(grabbed shown)
    seen=$(grabbed digest)
    $close
    settled "closing $what" || return 1
    grab "$(tr ' ' , <<<"$area")" "$name-beneath" || return 1
    check $([ "$(grabbed digest)" != "$seen" ]; echo $?) "$what is not what lies beneath it"
}

scenario_plot_menu_shows_every_item() {
    plot_menu || return
    local popover
    popover=$(popover_of gtkmm__GtkDrawingArea)
    check $([ -n "$popover" ]; echo $?) "the plot's menu opens" || return
    expect whole "it shows every item without scrolling" popover_shows_every_item "$popover"
    item_bounds "Open in a new window..." >/dev/null
    check $([ -n "$(item_bounds "Open in a new window...")" ]; echo $?) "down to its last one"
    grab "window:$popover" plot-menu && grabbed_on_screen "the plot's menu"
    covers_what_lay_beneath "$popover" "the plot's menu" plot-menu click_beside_the_menus
    report
    check $([ -z "$(popover_of gtkmm__GtkDrawingArea)" ]; echo $?) "a click beside it closes it"
}
# A click on the menu bar beside its titles, where it does nothing but close a menu open.
# (Under openbox the first secondary click after a menu closed by Escape does not reach the
# window; a click closes it here, so that the next scenario's right click counts.)
click_beside_the_menus() {
    local x y w h
    read -r x y w h <<<"$(menu_bounds Diagram)"
    click_at $((x + w + 40)) $((y + h / 2))
}

# Chooses ITEM in the P-T plot's menu, which opens the window TITLE (WHAT, in words).
choose_in_plot_menu() {
    plot_menu || return 1
    click_item "$1" || return 1
    settled "a click on $1" || return 1
    # The window shows once the window manager has placed and mapped it: later than the
    # program's last event on a busy machine (asked again for ten seconds at most).
    local deadline=$(($(now_ms) + 10000))
    while [ -z "$(window_titled "$2")" ] && [ "$(now_ms)" -lt "$deadline" ]; do
        sleep 0.1
        report || break
    done
    check $([ -n "$(window_titled "$2")" ]; echo $?) "$3 opens"
}

scenario_a_plot_font_is_changed() {
    # GTK's font chooser reads every installed font the first time it opens: most of a
    # second in the optimised build, about one in the sanitizer build, once; five at most.
    IDLE_LIMIT_MS=$((IDLE_LIMIT_MS * 5)) choose_in_plot_menu "Axis label font..." Font "the font window" || return
    type_text Serif
    # The chooser filters its list a batch at a time: Return chooses once it is done.
    settled "typing Serif into the font window's search" || return
    press Return
    settled "choosing a serif font" || return
    check $([ -z "$(window_titled Font)" ]; echo $?) "Return takes the font and closes the window"
}

scenario_a_plot_copy_opens_on_screen() {
    # Without one nothing could close the plot's window, which would then cover the menus.
    managed || { echo "skipped: a plot's window is placed and closed by a window manager"; return; }
    choose_in_plot_menu "Open in a new window..." Plot "a window of the plot's own" || return
    local copy
    copy=$(window_titled Plot)
    grab "window:$copy" plot-copy || return
    grabbed_on_screen "the plot's window"
    looks_drawn "the plot's window"
    press alt+F4
    settled "Alt+F4 on the plot's window" || return
    check $([ -z "$(window_titled Plot)" ]; echo $?) "the plot's window closes"
}

# What a person has open before a second document: the experimental data (from the Diagram
# menu: Up from its first item reaches its last) and the log (Ctrl+L).
scenario_experimental_data_and_log_open() {
    click_beside_the_menus  # the window has the keyboard
    settled "a click in the window's menu bar" || return
    open_menu Diagram || return
    check $([ -n "$(popover_of Diagram)" ]; echo $?) "the Diagram menu opens" || return
    press Up Return
    settled "Up and Return in the Diagram menu" || return
    check $([ -n "$(window_titled "Experimental Data" "$WINDOW")" ]; echo $?) "the experimental data open"
    press ctrl+l
    settled "Ctrl+L" || return
    check $([ -n "$(window_titled Log)" ]; echo $?) "the log opens"
}

# A second document: its Diagram menu, opened with a click, is drawn and takes the keys, and
# the experimental-data window it opens is drawn too.
scenario_second_window_menus_are_drawn() {
    local first=$WINDOW
    press ctrl+n
    settled "Ctrl+N" || return
    expect 2 "Ctrl+N opens a second document" value windows || return
    WINDOW=$(value xid)
    check $([ -n "$WINDOW" ] && [ "$WINDOW" != "$first" ]; echo $?) "the second window is the one worked in" || return
    grab "window:$WINDOW" second-window && looks_drawn "the second window"
    open_menu Diagram || return
    local menu
    menu=$(popover_of Diagram)
    check $([ -n "$menu" ]; echo $?) "its Diagram menu opens" || return
    covers_what_lay_beneath "$menu" "the second window's Diagram menu" diagram-menu "press Escape" || return
    open_menu Diagram || return
    check $([ -n "$(popover_of Diagram)" ]; echo $?) "the Diagram menu opens again" || return
    local downs=(Down Down Down Down Down Down Down Down Down)
    press "${downs[@]}" Return
    settled "Down to Density properties and Return" || return
    expect "" "Return closes the menu" popover_of Diagram
    expect 1 "the keys reached the menu: it shows the density tab" value tab
    open_menu Diagram || return
    press Up Return
    settled "Up and Return in the Diagram menu" || return
    local panel
    panel=$(window_titled "Experimental Data" "$WINDOW")
    check $([ -n "$panel" ]; echo $?) "the second window's experimental data open" || return
    managed || { grab "window:$panel" experimental-data && looks_drawn "its window"; return; }
    covers_what_lay_beneath "$panel" "the second window's experimental data" experimental-data "press alt+F4"
    check $([ -z "$(window_titled "Experimental Data" "$WINDOW")" ]; echo $?) "Alt+F4 closes them"
}

# ----- Run --------------------------------------------------------------------------------

SCENARIOS=(plots_fit_the_window window_image_is_written add_and_click_a_row type_a_temperature
           type_a_fraction
           zoom_by_dragging_in_a_plot click_in_the_ternary_diagram wheel_over_an_unfocused_field
           refused_input_is_shown unclassified_state_shows_no_results arrow_keys_in_the_case_list
           refusal_cleared_by_another_row ctrl_z_in_a_number_field boiling_panel_in_a_small_window
           log_open_while_working long_list_walked_with_down
           dialogs_answered_without_a_file plot_menu_shows_every_item a_plot_font_is_changed a_plot_copy_opens_on_screen
           experimental_data_and_log_open second_window_menus_are_drawn)

# Sourced (for trying a scenario by hand), the script only defines its functions.
[ "${BASH_SOURCE[0]}" = "$0" ] || return 0

start_display
start_window_manager
start_wyvra
# The first drawing of every plot may take longer than an action's second.
for _ in $(seq 20); do wait_idle && break; done
ran=0
for scenario in "${SCENARIOS[@]}"; do
    echo "== $scenario"
    kill -0 "$wyvra_pid" 2>/dev/null || { check 1 "the program is still running"; break; }
    "scenario_$scenario"
    [ "$hung" -eq 0 ] || { echo "the program no longer answers: the remaining scenarios are not run"; break; }
    ran=$((ran + 1))
done
# A report the script cannot read (a number written "1.278" in a grouping locale) ends the loop
# at the first arithmetic on it: that is a failure, never a pass.
check $([ "$ran" -eq "${#SCENARIOS[@]}" ]; echo $?) "every scenario ran to its end ($ran of ${#SCENARIOS[@]})"
if grep -qE "$SANITIZER_REPORTS" "$work/wyvra.err"; then
    check 1 "no sanitizer report"
    cat "$work/wyvra.err"
fi
[ "$failures" -eq 0 ] && echo "every check held" || echo "$failures check(s) failed"
[ "$failures" -eq 0 ]
