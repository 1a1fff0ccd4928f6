#!/usr/bin/env bash
# A whole run with the real program and the sample diagram that lies next to
# the executable: open, calibrate, capture points, compute the area, save the
# CSV file and check its bytes, capture one more point and close the window
# through its frame, answering the save question with "Nein".

# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$@"

SAMPLE="$(dirname "$KUVARO")/Beispieldiagramm.bmp"
[[ -f $SAMPLE ]] || fail "the sample diagram $SAMPLE is missing: the build copies it next to the executable"
bmp_size "$SAMPLE" || fail "$SAMPLE is not a BMP file"
log "sample diagram ${BMP_W}x${BMP_H}"

# The picture is fitted into the 1478 x 795 inside of the picture frame by the smaller ratio.
# The view may come out one unit smaller through rounding; one more unit is kept free.
if ((1478 * BMP_H > 795 * BMP_W)); then
    VIEW_W=$((BMP_W * 795 / BMP_H - 2)) VIEW_H=$((795 - 2))
else
    VIEW_W=$((1478 - 2)) VIEW_H=$((BMP_H * 1478 / BMP_W - 2))
fi
((VIEW_W >= 200 && VIEW_H >= 200)) || fail "the sample diagram is too narrow to digitize: view ${VIEW_W}x${VIEW_H}"

# The calibration, in view units. Factors of 3 and 7 view units per diagram unit keep every
# value clear of the halfway points between two tenths, so the expected texts are exact.
XFAKT=3 YFAKT=7
XO=$((VIEW_W / 10)) YO=$((VIEW_H * 85 / 100))
XDIFF=$((VIEW_W * 8 / 10 / XFAKT)) YDIFF=$((VIEW_H * 7 / 10 / YFAKT))
X1=$((XO + XFAKT * XDIFF)) Y1=$((YO - YFAKT * YDIFF))

# The points, in view units: one left of the origin, one below it.
POINTS_X=($((XO - VIEW_W / 20)) $((XO + VIEW_W / 5 + 1)) $((XO + VIEW_W * 2 / 5 + 3)) $((XO + VIEW_W * 3 / 5 + 7)))
POINTS_Y=($((YO - VIEW_H / 10)) $((YO - VIEW_H * 4 / 10 + 2)) $((YO + VIEW_H / 20)) $((YO - VIEW_H / 2 - 1)))
LAST_X=$((XO + VIEW_W * 7 / 10)) LAST_Y=$((YO - VIEW_H / 5))

OUT="$E2E_TMP/results"
mkdir -p "$OUT"

start_main

# ------------------------------------------------------------- open the sample
open_picture "$SAMPLE"

# The view's first unit shows the picture's top-left pixel; the frame around it is grey.
TOP_LEFT=$(convert "$SAMPLE" -crop 1x1+0+0 +repage -depth 8 txt:-)
[[ $TOP_LEFT =~ \#([0-9A-Fa-f]{6}) ]] || fail "cannot read the sample's top-left pixel"
TOP_LEFT="#${BASH_REMATCH[1]}"
wait_pixel "$MAIN" "$IMAGE1_X" "$IMAGE1_Y" "${TOP_LEFT^^}"
wait_pixel "$MAIN" $((IMAGE1_X - 1)) "$IMAGE1_Y" '#808080'
wait_pixel "$MAIN" "$IMAGE1_X" $((IMAGE1_Y - 1)) '#808080'

# ---------------------------------------------------------------- calibration
view_click "$MAIN" "$XO" "$YO" 3
wait_colour_near "$MAIN" $((IMAGE1_X + XO)) $((IMAGE1_Y + YO)) '#008000'
view_click "$MAIN" "$X1" "$YO" 3
wait_colour_near "$MAIN" $((IMAGE1_X + X1)) $((IMAGE1_Y + YO)) '#800000'
view_click "$MAIN" "$XO" "$Y1" 3
wait_window "$APP_TITLE" 20 "$MAIN" || fail "the calibration input dialog did not appear"
INPUT=$WINDOW
only_windows "$MAIN" "$INPUT"
# The two edits at 26,42 and 128,42 (96 x 22), the accept button at 233,42 (97 x 24).
click "$INPUT" $((26 + 48)) $((42 + 11))
xdo type --delay 20 "$XDIFF" || fail "could not type the X difference"
click "$INPUT" $((128 + 48)) $((42 + 11))
xdo type --delay 20 "$YDIFF" || fail "could not type the Y difference"
click "$INPUT" $((233 + 48)) $((42 + 12))
wait_window_gone "$INPUT" 20 || fail "the input dialog stayed open after \"Übernehmen \""
only_windows "$MAIN"
log "calibrated: origin $XO,$YO, X axis $X1 ($XDIFF), Y axis $Y1 ($YDIFF)"

# ------------------------------------------------------------------- points
for i in "${!POINTS_X[@]}"; do
    view_click "$MAIN" "${POINTS_X[i]}" "${POINTS_Y[i]}" 1
done

# The area goes to the message dialog, captioned with two blanks and the application title.
click_toolbar "$MAIN" area
acknowledge_message '"Fläche berechnen"'

# ------------------------------------------------------------------- saving
click_toolbar "$MAIN" save
wait_window 'Speichern als' 20 "$MAIN" || fail "the save dialog did not appear"
# Typed without extension: the dialog adds ".csv".
file_dialog_enter "$WINDOW" "$OUT/messung" nolist
acknowledge_message "saving"

CSV="$OUT/messung.csv"
[[ -f $CSV ]] || fail "no file $CSV; the folder holds: $(ls -A "$OUT")"
[[ ! -e $OUT/messung ]] || fail "the file was saved without its extension"

# The file as the points must give it: BOM, CR LF after every line, one line per point with
# its segment formula from the second point on, the sum formula over all point rows.
EXPECTED="$E2E_TMP/expected.csv"
{
    printf '\xEF\xBB\xBF'
    printf '%s\r\n' ';' 'Programm kuvaro1' ';' ';' 'Nr.;x-Koord;y-Koord;Einzel-Flächen;'
    row=6
    for i in "${!POINTS_X[@]}"; do
        diagram_text $((POINTS_X[i] - XO)) "$XFAKT"
        x_text=$DIAGRAM_TEXT
        diagram_text $((YO - POINTS_Y[i])) "$YFAKT"
        y_text=$DIAGRAM_TEXT
        if ((i == 0)); then
            formula=';'
        else
            formula="=(B$row-B$((row - 1)))*(C$row+C$((row - 1)))/2;"
        fi
        printf '%s;%s;%s;%s\r\n' $((i + 1)) "$x_text" "$y_text" "$formula"
        row=$((row + 1))
    done
    printf '%s\r\n' ';' ";Flächensumme;;=Summe(d6:d$((row - 1)));"
} >"$EXPECTED"

if ! cmp -s "$EXPECTED" "$CSV"; then
    echo "expected:" >&2
    od -c "$EXPECTED" >&2
    echo "saved:" >&2
    od -c "$CSV" >&2
    fail "the saved CSV file differs from the expected bytes"
fi
log "CSV file correct: $(wc -c <"$CSV") bytes, ${#POINTS_X[@]} points"

# ---------------------------------------------- one more point, closing frame
view_click "$MAIN" "$LAST_X" "$LAST_Y" 1
# Alt+F4 makes openbox ask the window to close (WM_DELETE_WINDOW), as the frame's close box does.
activate "$MAIN"
xdo key alt+F4 || fail "could not press Alt+F4"
wait_window "$MESSAGE_TITLE" 20 || fail "closing with an unsaved point asked no question"
QUESTION=$WINDOW
only_windows "$MAIN" "$QUESTION"
[[ $(message_buttons "$QUESTION") == 2 ]] || fail "the closing question has not the two buttons Ja and Nein"
message_click_answer "$QUESTION" Nein
wait_exit "$KUVARO_PID" 20 || fail "the program did not end after \"Nein\""
((EXIT_CODE == 0)) || fail "the program ended with exit code $EXIT_CODE"

# "Nein" saves nothing: the file of the earlier save is unchanged and no other file appeared.
cmp -s "$EXPECTED" "$CSV" || fail "the CSV file changed after answering \"Nein\""
[[ $(ls -A "$OUT") == messung.csv ]] || fail "unexpected files after closing: $(ls -A "$OUT")"
log "passed"
