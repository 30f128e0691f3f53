#!/usr/bin/env bash
# A scripted session (`wyvra --second-window-test`) whose temporary folder (TMPDIR) does not
# exist: the images it writes for a driver outside have nowhere to go. Its checks must say so,
# and it must end as a session that found faults does (status 1, its checks counted), never
# abort.
#
#   no_temp_folder.sh XVFB_RUN WYVRA
set -uo pipefail

XVFB_RUN=${1:-} WYVRA=${2:-}
[ -n "$XVFB_RUN" ] && [ -n "$WYVRA" ] || { echo "usage: no_temp_folder.sh XVFB_RUN WYVRA"; exit 2; }
work=$(mktemp -d "${TMPDIR:-/tmp}/wyvra-no-temp.XXXXXX")
failures=0
cleanup() {
    show_logs_on_failure $?
    rm -rf "$work"
}
trap cleanup EXIT
source "$(dirname "${BASH_SOURCE[0]}")/window_test_support.sh"

# xvfb-run makes its own files in TMPDIR: only the program is given the missing folder.
"$XVFB_RUN" -a -s "-screen 0 1600x1000x24" env TMPDIR="$work/missing" \
    "$WYVRA" --second-window-test >"$work/wyvra.out" 2>"$work/wyvra.err"
status=$?
cat "$work/wyvra.out"
check $([ "$status" -eq 1 ]; echo $?) "the session ends as one whose checks failed (exit status $(exit_status_text "$status"))"
check $(grep -q "^FAILED: a temporary folder to write in (TMPDIR: " "$work/wyvra.out"; echo $?) \
    "the session says it has no temporary folder"
check $(grep -qE "^[0-9]+ check\(s\) failed$" "$work/wyvra.out"; echo $?) "the session counts its checks to the end"
check_no_reports "$work/wyvra.err"
verdict
