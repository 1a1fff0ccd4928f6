#!/usr/bin/env bash
# Start-up of the real program: the main window's title, size, place and icon
# on a 1920 x 1080 screen, the refusal of a second instance, and a normal start
# after the first instance was killed.

# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$@"

# ---------------------------------------------------------------- first start
start_kuvaro first
FIRST=$LAST_PID
wait_main_window
FIRST_MAIN=$MAIN

[[ $(window_name "$FIRST_MAIN") == "$APP_TITLE" ]] || fail "WM_NAME is \"$(window_name "$FIRST_MAIN")\""
[[ $(net_wm_name "$FIRST_MAIN") == "$APP_TITLE" ]] || fail "_NET_WM_NAME is \"$(net_wm_name "$FIRST_MAIN")\""

# 90 % of the screen, truncated, frame included, centred on the screen.
EXPECTED_W=1728 EXPECTED_H=972
EXPECTED_X=$(((SCREEN_W - EXPECTED_W) / 2)) EXPECTED_Y=$(((SCREEN_H - EXPECTED_H) / 2))
outer_geometry_ok()
{
    client_geometry "$FIRST_MAIN" && frame_extents "$FIRST_MAIN" || return 1
    OUTER_W=$((GEO_W + FRAME_L + FRAME_R)) OUTER_H=$((GEO_H + FRAME_T + FRAME_B))
    OUTER_X=$((GEO_X - FRAME_L)) OUTER_Y=$((GEO_Y - FRAME_T))
    ((OUTER_W == EXPECTED_W && OUTER_H == EXPECTED_H && OUTER_X == EXPECTED_X && OUTER_Y == EXPECTED_Y))
}
# The window manager frames the window after it is mapped; the program then fits the client to the frame.
wait_until 10 "the main window's final geometry" outer_geometry_ok ||
    fail "outer geometry ${OUTER_W:-?}x${OUTER_H:-?}+${OUTER_X:-?}+${OUTER_Y:-?}," \
        "expected ${EXPECTED_W}x${EXPECTED_H}+${EXPECTED_X}+${EXPECTED_Y}"
((FRAME_T > 0)) || fail "the window manager put no title bar on the main window"
log "main window ${OUTER_W}x${OUTER_H}+${OUTER_X}+${OUTER_Y} (frame $FRAME_L,$FRAME_R,$FRAME_T,$FRAME_B)"
only_windows "$FIRST_MAIN"

# The window icon in every size of the icon theme; the two large ones follow the first drawing.
icon_sizes() { xprop -len 1000000 -id "$FIRST_MAIN" _NET_WM_ICON 2>/dev/null | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' '; }
all_icon_sizes() { [[ $(icon_sizes) == "$(printf 'Icon (%d x %d) ' 16 16 32 32 48 48 64 64 128 128 256 256)" ]]; }
wait_until 10 "the window icon in every size" all_icon_sizes || fail "window icon sizes: $(icon_sizes)"

# --------------------------------------------------------------- second start
start_kuvaro second
SECOND=$LAST_PID
wait_window '  C-Programm-Meldung ' 30 || fail "the second start showed no refusal box"
BOX=$WINDOW
[[ $(net_wm_name "$BOX") == '  C-Programm-Meldung ' ]] || fail "refusal box _NET_WM_NAME \"$(net_wm_name "$BOX")\""

# The box is all the second instance shows; the first instance's main window is still the only one.
second_windows=$(visible_windows "$SECOND")
[[ $second_windows == "$BOX" ]] || fail "the second instance shows more than its box: $second_windows"
main_windows=$(find_windows "$APP_TITLE")
[[ $main_windows == "$FIRST_MAIN" ]] || fail "main windows after the second start: $main_windows"
only_windows "$FIRST_MAIN" "$BOX"
process_running "$FIRST" || fail "the first instance ended when the second started"

# The box has one button, OK, which Return presses.
activate "$BOX"
xdo key Return || fail "could not press Return in the refusal box"
wait_exit "$SECOND" 20 || fail "the second instance did not end after its box was dismissed"
((EXIT_CODE == 0)) || fail "the second instance ended with exit code $EXIT_CODE"
wait_window_gone "$BOX" 20 || fail "the refusal box stayed on the screen after the second instance ended"
log "second instance refused and ended with exit code 0"

process_running "$FIRST" || fail "the first instance ended after the second was refused"
main_windows=$(find_windows "$APP_TITLE")
[[ $main_windows == "$FIRST_MAIN" ]] || fail "the first instance's main window is gone; main windows: $main_windows"
only_windows "$FIRST_MAIN"

# ------------------------------------------------------------- after a SIGKILL
kill_hard "$FIRST"
process_running "$FIRST" && fail "the first instance did not die on SIGKILL"
wait_window_gone "$FIRST_MAIN" 20 || fail "the killed instance's window stayed on the screen"

start_kuvaro third
THIRD=$LAST_PID
wait_main_window
THIRD_MAIN=$MAIN
[[ -z $(find_windows '  C-Programm-Meldung ') ]] || fail "the start after the kill was refused"
process_running "$THIRD" || fail "the start after the kill ended"
only_windows "$THIRD_MAIN"
log "a new start after SIGKILL runs normally"

# "Beenden" with no points closes without a question and ends the program with exit code 0.
click_toolbar "$THIRD_MAIN" close
wait_exit "$THIRD" 20 || fail "\"Beenden\" did not end the program"
((EXIT_CODE == 0)) || fail "the program ended with exit code $EXIT_CODE after \"Beenden\""
log "passed"
