#!/usr/bin/env bash
# Digitizing with the real program: open a picture through the program's own
# file dialog, calibrate with three right clicks and the input dialog, capture
# three points with left clicks, and check that the window stays usable.

# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$@"

# A 739 x 397 picture fits the 1478 x 795 inside of the picture frame at scale 2 (view 1478 x 794).
# Its top-left pixel is red, to find the picture on the screen; the axes are dark grey.
PICTURE="$E2E_TMP/pictures/diagramm.bmp"
mkdir -p "$E2E_TMP/pictures"
convert -size 739x397 xc:white -fill '#404040' -stroke '#404040' \
    -draw 'line 50,20 50,380' -draw 'line 20,350 700,350' \
    -fill red -stroke none -draw 'point 0,0' "bmp3:$PICTURE" || fail "cannot make the test picture"
SCALE=2
RED='#FF0000' WHITE='#FFFFFF' AXIS='#404040' BLACK='#000000'
GREEN='#008000' MAROON='#800000' BLUE='#0000FF'

start_main

# ------------------------------------------------------------- open the picture
open_picture "$PICTURE"

# Image1 stands 8,8 inside Panel1 (214,109): the red pixel fills view 0..1, 0..1; grey frame around.
wait_pixel "$MAIN" "$IMAGE1_X" "$IMAGE1_Y" "$RED"
wait_pixel "$MAIN" $((IMAGE1_X + SCALE - 1)) $((IMAGE1_Y + SCALE - 1)) "$RED"
wait_pixel "$MAIN" $((IMAGE1_X + SCALE)) $((IMAGE1_Y + SCALE)) "$WHITE"
wait_pixel "$MAIN" $((IMAGE1_X - 1)) "$IMAGE1_Y" '#808080'
wait_pixel "$MAIN" "$IMAGE1_X" $((IMAGE1_Y - 1)) '#808080'
# The view is 1478 x 794: its last column and row show the picture, the next ones the frame.
wait_pixel "$MAIN" $((IMAGE1_X + 1477)) $((IMAGE1_Y + 793)) "$WHITE"
wait_pixel "$MAIN" $((IMAGE1_X + 1478)) $((IMAGE1_Y + 793)) '#808080'
wait_pixel "$MAIN" $((IMAGE1_X + 1477)) $((IMAGE1_Y + 794)) '#808080'

# ---------------------------------------------------------------- calibration
# The origin on the axes' crossing (picture 50,350), the far points on the axes.
XO=100 YO=700 X1=1300 Y1=100
# Each cross has arms of three pixels; the left arm ends one pixel left of the centre.
view_click "$MAIN" "$XO" "$YO" 3
wait_pixel "$MAIN" $((IMAGE1_X + (XO / SCALE - 3) * SCALE)) $((IMAGE1_Y + YO)) "$GREEN"
view_click "$MAIN" "$X1" "$YO" 3
wait_pixel "$MAIN" $((IMAGE1_X + (X1 / SCALE - 3) * SCALE)) $((IMAGE1_Y + YO)) "$MAROON"
only_windows "$MAIN"
view_click "$MAIN" "$XO" "$Y1" 3
# The input dialog carries the application title like the main window.
wait_window "$APP_TITLE" 20 "$MAIN" || fail "the calibration input dialog did not appear"
INPUT=$WINDOW
wait_pixel "$MAIN" $((IMAGE1_X + (XO / SCALE - 3) * SCALE)) $((IMAGE1_Y + Y1)) "$BLUE"

client_geometry "$INPUT" || fail "no geometry of the input dialog"
((GEO_W == 366 && GEO_H == 86)) || fail "input dialog client ${GEO_W}x${GEO_H}, expected 366x86"
# Below the prompt line: main window's outer left + Label4 left + half its width, outer top + Label4 top + 100.
((GEO_X == 96 + 214 + 443 / 2 && GEO_Y == 54 + 81 + 100)) ||
    fail "input dialog at $GEO_X,$GEO_Y, expected $((96 + 214 + 443 / 2)),$((54 + 81 + 100))"
only_windows "$MAIN" "$INPUT"

# The focus starts in the X difference; Tab leads to the accept button, and Tab again to the Y difference.
activate "$INPUT"
xdo type --delay 20 '10' || fail "could not type the X difference"
xdo key Tab Tab || fail "could not press Tab"
xdo type --delay 20 '5' || fail "could not type the Y difference"
# "Übernehmen " at 233,42, 97 x 24.
click "$INPUT" $((233 + 48)) $((42 + 12))
wait_window_gone "$INPUT" 20 || fail "the input dialog stayed open after \"Übernehmen \""
only_windows "$MAIN"

# ---------------------------------------------------------------- three points
# Points 1 and 2 on one row, so the first segment is a horizontal line of picture pixels.
P1X=300 P1Y=500 P2X=700 P2Y=500 P3X=1100 P3Y=300
view_click "$MAIN" "$P1X" "$P1Y" 1
# The first point is a single dot of the line colour.
wait_pixel "$MAIN" $((IMAGE1_X + P1X)) $((IMAGE1_Y + P1Y)) "$BLACK"
view_click "$MAIN" "$P2X" "$P2Y" 1
# A line from point 1 towards point 2, without its end point.
wait_pixel "$MAIN" $((IMAGE1_X + (P1X + P2X) / 2)) $((IMAGE1_Y + P1Y)) "$BLACK"
wait_pixel "$MAIN" $((IMAGE1_X + P2X)) $((IMAGE1_Y + P2Y)) "$WHITE"
view_click "$MAIN" "$P3X" "$P3Y" 1
# The next segment starts on point 2.
wait_pixel "$MAIN" $((IMAGE1_X + P2X)) $((IMAGE1_Y + P2Y)) "$BLACK"
only_windows "$MAIN"
process_running "$KUVARO_PID" || fail "the program ended while digitizing"

# ------------------------------------------------------------ still responsive
caption_shows "$PICTURE" || fail "caption \"$(window_name "$MAIN")\" after digitizing"

# Three points make an area: the message dialog shows it, and its OK closes it.
click_toolbar "$MAIN" area
acknowledge_message '"Fläche berechnen"'

# "Reset all" takes the crosses and the polyline away again.
click_toolbar "$MAIN" resetall
wait_pixel "$MAIN" $((IMAGE1_X + P1X)) $((IMAGE1_Y + P1Y)) "$WHITE"
wait_pixel "$MAIN" $((IMAGE1_X + (P1X + P2X) / 2)) $((IMAGE1_Y + P1Y)) "$WHITE"
wait_pixel "$MAIN" $((IMAGE1_X + (XO / SCALE - 3) * SCALE)) $((IMAGE1_Y + YO)) "$AXIS"
only_windows "$MAIN"

# With no points left, "Beenden" closes without a question.
click_toolbar "$MAIN" close
wait_exit "$KUVARO_PID" 20 || fail "\"Beenden\" did not end the program"
((EXIT_CODE == 0)) || fail "the program ended with exit code $EXIT_CODE"
log "passed"
