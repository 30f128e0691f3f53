#!/usr/bin/env bash
# The scripted session as a German desktop starts it (a decimal-comma locale), into a folder
# that already holds a file of the name it would give its second tab's image: that file is
# the user's, and stays as it was; the other tabs' images are written beside the plot's, and
# replaced by the next session's.
#
#   german_self_test.sh XVFB_RUN WYVRA
set -uo pipefail

XVFB_RUN=${1:-} WYVRA=${2:-}
[ -n "$XVFB_RUN" ] && [ -n "$WYVRA" ] || { echo "usage: german_self_test.sh XVFB_RUN WYVRA"; exit 2; }
work=$(mktemp -d "${TMPDIR:-/tmp}/wyvra-german.XXXXXX")
failures=0
cleanup() {
    show_logs_on_failure $?
    rm -rf "$work"
}
trap cleanup EXIT
source "$(dirname "${BASH_SOURCE[0]}")/window_test_support.sh"

printf 'not an image\n' >"$work/shot-tab1.png"
"$XVFB_RUN" -a -s "-screen 0 1600x1000x24" env LC_ALL=de_DE.UTF-8 \
    "$WYVRA" --self-test "$work/shot.png" >"$work/wyvra.out" 2>"$work/wyvra.err"
status=$?
cat "$work/wyvra.out"
check $([ "$status" -eq 0 ]; echo $?) "every check of the session holds (exit status $(exit_status_text "$status"))"
check $([ -s "$work/shot.png" ]; echo $?) "the plot's image is written"
check $([ "$(cat "$work/shot-tab1.png")" = "not an image" ]; echo $?) "a file already at a tab image's name is kept"
check $(grep -q "^kept $work/shot-tab1.png: a file of that name is already there$" "$work/wyvra.out"; echo $?) \
    "the session says it kept that file"
check $([ -s "$work/shot-tab2.png" ]; echo $?) "the next tab's image is written"
check_no_reports "$work/wyvra.err"

# Once more into the same folder: the images the first session wrote are its own and are
# replaced by this session's; the user's file stays.
before=$(stat -c '%i %Y.%y' "$work/shot-tab2.png")
sleep 1
"$XVFB_RUN" -a -s "-screen 0 1600x1000x24" env LC_ALL=de_DE.UTF-8 \
    "$WYVRA" --self-test "$work/shot.png" >"$work/wyvra2.out" 2>"$work/wyvra2.err"
status=$?
check $([ "$status" -eq 0 ]; echo $?) "the second session holds too (exit status $(exit_status_text "$status"))"
check $([ "$(stat -c '%i %Y.%y' "$work/shot-tab2.png")" != "$before" ]; echo $?) \
    "the second session replaces the tab image the first one wrote"
check $(! grep -q "^kept $work/shot-tab2.png" "$work/wyvra2.out"; echo $?) \
    "the second session does not keep its own earlier image as the user's"
check $([ "$(cat "$work/shot-tab1.png")" = "not an image" ]; echo $?) "the user's file is still kept"
check_no_reports "$work/wyvra2.err"
verdict
