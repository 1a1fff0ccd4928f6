#!/usr/bin/env bash
# Pictures that are no BMP files, with the real program: a PNG opened through
# the dialog, then a PNG pasted from the X clipboard with Ctrl+V. Both show in
# the caption and with their own pixels in the view.

# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$@"
command -v xclip >/dev/null || fail "xclip is missing: tools/deps.sh installs it"

# 400 x 300 pictures fit into the 1478 x 795 inside of the frame at 795 / 300 = 2.65 view units a pixel.
# A block of 40 x 40 pixels from 100,100 has its middle at view unit 120 * 2.65 = 318.
OPENED="$E2E_TMP/kurve.png" PASTED="$E2E_TMP/ausschnitt.png"
convert -size 400x300 xc:white -fill '#0000FF' -draw 'rectangle 100,100 139,139' "$OPENED" ||
    fail "cannot write $OPENED"
convert -size 400x300 xc:white -fill '#FF0000' -draw 'rectangle 100,100 139,139' "$PASTED" ||
    fail "cannot write $PASTED"
MID_X=$((IMAGE1_X + 318)) MID_Y=$((IMAGE1_Y + 318))

start_main

open_picture "$OPENED"
wait_pixel "$MAIN" "$MID_X" "$MID_Y" '#0000FF'
wait_pixel "$MAIN" $((IMAGE1_X + 10)) $((IMAGE1_Y + 10)) '#FFFFFF'
log "PNG opened through the dialog"

# xclip serves the clipboard in the foreground until the test ends.
xclip -quiet -selection clipboard -t image/png -i "$PASTED" >/dev/null 2>&1 &
E2E_PIDS+=($!)
clipboard_has_png() { [[ $(xclip -selection clipboard -t TARGETS -o 2>/dev/null) == *image/png* ]]; }
wait_until 10 "the clipboard to offer the picture" clipboard_has_png || fail "xclip put no picture in the clipboard"

activate "$MAIN"
xdo key ctrl+v || fail "could not press Ctrl+V"
wait_until 10 "the caption of the pasted picture" caption_shows Zwischenablage ||
    fail "caption \"$(window_name "$MAIN")\" after Ctrl+V"
wait_pixel "$MAIN" "$MID_X" "$MID_Y" '#FF0000'
only_windows "$MAIN"
log "PNG pasted from the clipboard"

click_toolbar "$MAIN" close
wait_exit "$KUVARO_PID" 20 || fail "the program did not end with \"Beenden\""
log "passed"
