#!/usr/bin/env bash
# The flows that must never lose points or leave the user stuck, with the real
# program: a zero calibration difference brings the input back, one step back
# with two points keeps the first, "Ja" with a cancelled save and a question
# closed with Alt+F4 keep the program running, and opening another picture
# with unsaved points asks first.

# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$@"

SAMPLE="$(dirname "$KUVARO")/Beispieldiagramm.bmp"
[[ -f $SAMPLE ]] || fail "the sample diagram $SAMPLE is missing"
OUT="$E2E_TMP/results"
mkdir -p "$OUT"

# The input dialog's edits at 26,42 and 128,42 (96 x 22), the accept button at 233,42.
input_type()
{
    click "$1" $(($2 + 48)) $((42 + 11))
    xdo key ctrl+a BackSpace || fail "could not empty an edit"
    [[ -z $3 ]] || xdo type --delay 20 "$3" || fail "could not type into the input dialog"
}
input_accept() { click "$1" $((233 + 48)) $((42 + 12)); }

# The question over the main window: waits for it and gives its id in QUESTION.
wait_question()
{
    wait_window "$MESSAGE_TITLE" 20 || fail "$1 asked no question"
    QUESTION=$WINDOW
    [[ $(message_buttons "$QUESTION") == 2 ]] || fail "$1 showed no question with Ja and Nein"
}

still_running()
{
    sleep 0.5 # a program that ends does so at once; nothing to wait for otherwise
    process_running "$KUVARO_PID" || fail "the program ended: $1"
    [[ $(xwininfo -id "$MAIN" 2>/dev/null) == *IsViewable* ]] || fail "the main window is gone: $1"
}

start_main
open_picture "$SAMPLE"

# ------------------------------------------- a zero difference, then the input again
view_click "$MAIN" 100 600 3
view_click "$MAIN" 900 600 3
view_click "$MAIN" 100 100 3
wait_window "$APP_TITLE" 20 "$MAIN" || fail "the calibration input dialog did not appear"
INPUT=$WINDOW
input_type "$INPUT" 26 0
input_type "$INPUT" 128 50
input_accept "$INPUT"
wait_window "$MESSAGE_TITLE" 20 || fail "a zero difference showed no message"
message_click_ok "$WINDOW"
wait_window "$APP_TITLE" 20 "$MAIN" || fail "the input dialog did not come back after the message"
INPUT=$WINDOW
input_type "$INPUT" 26 80
input_accept "$INPUT"
wait_window_gone "$INPUT" 20 || fail "the input dialog stayed open with usable differences"
only_windows "$MAIN"
log "a zero difference brought the input back"

# ------------------------------------------------- two points, one step back, save
view_click "$MAIN" 300 400 1
view_click "$MAIN" 500 300 1
click_toolbar "$MAIN" back
click_toolbar "$MAIN" save
wait_window 'Speichern als' 20 "$MAIN" || fail "the save dialog did not appear"
file_dialog_enter "$WINDOW" "$OUT/eins" nolist
acknowledge_message "saving"
CSV="$OUT/eins.csv"
[[ -f $CSV ]] || fail "no file $CSV"
rows=$(grep -c '^[0-9]' "$CSV")
((rows == 1)) || fail "the file holds $rows points after one step back from two, expected 1"
log "one step back from two points kept one"

# ------------------------------------------------ "Beenden", "Ja", save cancelled
view_click "$MAIN" 700 200 1
click_toolbar "$MAIN" close
wait_question "Beenden with an unsaved point"
message_click_answer "$QUESTION" Ja
wait_window 'Speichern als' 20 "$MAIN" || fail "\"Ja\" opened no save dialog"
activate "$WINDOW"
xdo key Escape || fail "could not cancel the save dialog"
wait_window_gone "$WINDOW" 20 || fail "the save dialog did not close with Escape"
still_running "\"Ja\" and a cancelled save"
log "a cancelled save kept the program and its points"

# ---------------------------------------------- the question closed with Alt+F4
activate "$MAIN"
xdo key alt+F4 || fail "could not press Alt+F4"
wait_question "closing through the frame"
activate "$QUESTION"
xdo key alt+F4 || fail "could not press Alt+F4 on the question"
wait_window_gone "$QUESTION" 20 || fail "the question did not close with Alt+F4"
still_running "the question closed without an answer"
log "a question closed without an answer kept the program"

# ------------------------------------- another picture with unsaved points asks first
click_toolbar "$MAIN" open
wait_window 'Grafik-Datei einlesen' 20 "$MAIN" || fail "the open dialog did not appear"
file_dialog_enter "$WINDOW" "$SAMPLE"
wait_question "opening another picture with unsaved points"
message_click_answer "$QUESTION" Nein
wait_window_gone "$QUESTION" 20 || fail "the question did not close with Nein"
only_windows "$MAIN"

# The new picture has no points: "Beenden" closes without a question.
click_toolbar "$MAIN" close
wait_exit "$KUVARO_PID" 20 || fail "the program did not end after the picture was opened anew"
((EXIT_CODE == 0)) || fail "the program ended with exit code $EXIT_CODE"
[[ $(ls -A "$OUT") == eins.csv ]] || fail "unexpected files: $(ls -A "$OUT")"
log "passed"
