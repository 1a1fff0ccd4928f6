# Shared helpers for the end-to-end tests: each test sources this file, calls
# e2e_setup with the path of the kuvaro executable and then drives the real
# program on a private Xvfb display under openbox with xdotool.
#
# Everything a test starts (Xvfb, openbox, kuvaro instances) is ended by the
# EXIT trap. On failure a screenshot of the whole screen is left in the test's
# temporary folder, which is then kept and named in the output.
#
# Tools: bash, coreutils, Xvfb, openbox, xdotool, xwininfo, xprop,
# ImageMagick (convert, import), od, cmp.

set -u -o pipefail

readonly APP_TITLE='  Kuvaro  26.01 '
# The message dialog puts two more blanks before the application title.
readonly MESSAGE_TITLE="  $APP_TITLE"
readonly SCREEN_W=1920 SCREEN_H=1080
# Image1 stands at 8,8 inside Panel1, which stands at 214,109 in the main window's client area.
readonly IMAGE1_X=$((214 + 8)) IMAGE1_Y=$((109 + 8))

E2E_TMP=''
# KUVARO_E2E_KEEP=1 keeps the temporary folder of a passing test too, to look at its files.
E2E_KEEP_TMP=${KUVARO_E2E_KEEP:-0}
E2E_XVFB_PID=''
E2E_OPENBOX_PID=''
E2E_PIDS=()
KUVARO=''

log() { printf '[%s] %s\n' "${E2E_NAME:-e2e}" "$*"; }

# Prints the message, leaves a screenshot and the program's output behind and ends the test.
fail()
{
    printf '[%s] FAIL: %s\n' "${E2E_NAME:-e2e}" "$*" >&2
    if [[ -n $E2E_TMP && -d $E2E_TMP ]]; then
        E2E_KEEP_TMP=1
        if [[ -n ${DISPLAY:-} && -n $E2E_XVFB_PID ]]; then
            local shot="$E2E_TMP/failure.png"
            if timeout 20 import -silent -window root "$shot" 2>/dev/null; then
                printf '[%s] screenshot: %s\n' "${E2E_NAME:-e2e}" "$shot" >&2
            fi
            printf '[%s] visible windows:\n' "${E2E_NAME:-e2e}" >&2
            local w
            for w in $(visible_windows); do
                printf '  %s "%s"\n' "$w" "$(window_name "$w")" >&2
            done
        fi
        local f
        for f in "$E2E_TMP"/kuvaro-*.log; do
            [[ -s $f ]] || continue
            printf '[%s] %s:\n' "${E2E_NAME:-e2e}" "$f" >&2
            head -n 40 "$f" >&2
        done
        printf '[%s] files kept in %s\n' "${E2E_NAME:-e2e}" "$E2E_TMP" >&2
    fi
    exit 1
}

# ----------------------------------------------------------------- processes

# True while the process runs; a child that has ended but was not yet reaped counts as ended.
process_running()
{
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [[ ${stat%% *} != [ZX] ]]
}

# A reaped child's pid may be reused by another process: it must never be signalled again.
forget_pid()
{
    local kept=() p
    for p in "${E2E_PIDS[@]}"; do
        [[ $p == "$1" ]] || kept+=("$p")
    done
    E2E_PIDS=("${kept[@]}")
}

# kill_hard PID: SIGKILL to a child of this shell, reaped at once.
kill_hard()
{
    kill -KILL "$1" 2>/dev/null
    # Reaped here, where the shell's report of the killed job can be silenced.
    { wait "$1"; } 2>/dev/null
    forget_pid "$1"
}

# wait_exit PID TIMEOUT: waits for a child of this shell to end and stores its exit code in EXIT_CODE.
wait_exit()
{
    local pid=$1 timeout=$2
    wait_until "$timeout" "process $pid to end" eval '! process_running '"$pid" || return 1
    wait "$pid"
    EXIT_CODE=$?
    forget_pid "$pid"
}

cleanup()
{
    local pid
    for pid in "${E2E_PIDS[@]}"; do
        kill_hard "$pid"
    done
    # Xvfb and openbox are asked to end, so that Xvfb removes its lock file and socket.
    for pid in $E2E_OPENBOX_PID $E2E_XVFB_PID; do
        kill -TERM "$pid" 2>/dev/null
        wait_until 10 "process $pid to end" eval '! process_running '"$pid" || kill -KILL "$pid" 2>/dev/null
        { wait "$pid"; } 2>/dev/null
    done
    if [[ -n $E2E_TMP && -d $E2E_TMP && $E2E_KEEP_TMP == 0 ]]; then
        rm -rf -- "$E2E_TMP"
    fi
}

# ------------------------------------------------------------------- waiting

now_ms() { local t=${EPOCHREALTIME/[.,]/}; echo $((t / 1000)); }

# wait_until TIMEOUT DESCRIPTION COMMAND...: polls COMMAND until it succeeds.
# Returns 1 with a message after TIMEOUT seconds; callers decide whether that fails the test.
wait_until()
{
    local timeout=$1 what=$2
    shift 2
    local deadline=$(($(now_ms) + timeout * 1000))
    while :; do
        "$@" && return 0
        if (($(now_ms) > deadline)); then
            printf '[%s] timed out after %ss waiting for %s\n' "${E2E_NAME:-e2e}" "$timeout" "$what" >&2
            return 1
        fi
        sleep 0.05
    done
}

# -------------------------------------------------------------------- setup

require_tools()
{
    local t missing=()
    for t in Xvfb openbox xdotool xwininfo xprop convert import od cmp timeout; do
        command -v "$t" >/dev/null 2>&1 || missing+=("$t")
    done
    ((${#missing[@]} == 0)) || fail "missing tools: ${missing[*]}"
}

# e2e_setup KUVARO_EXECUTABLE: private folders, Xvfb, openbox.
e2e_setup()
{
    E2E_NAME=$(basename "$0" .sh)
    [[ $# -ge 1 ]] || fail "usage: $0 <path-to-kuvaro-executable>"
    KUVARO=$(readlink -f -- "$1")
    [[ -x $KUVARO ]] || fail "no executable at $1"
    require_tools

    E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/kuvaro-e2e-$E2E_NAME.XXXXXX") || fail "mktemp failed"
    trap cleanup EXIT
    trap 'exit 130' INT TERM HUP

    # A private session: no collision with a developer's running instance, settings or desktop.
    mkdir -p -m 700 "$E2E_TMP/runtime" "$E2E_TMP/home" || fail "cannot create private folders"
    export HOME="$E2E_TMP/home"
    export XDG_RUNTIME_DIR="$E2E_TMP/runtime"
    export XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache" XDG_DATA_HOME="$HOME/.local/share"
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS XAUTHORITY SESSION_MANAGER \
        QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS \
        QT_AUTO_SCREEN_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI QT_DEBUG_PLUGINS

    start_display
    start_window_manager
}

start_display()
{
    local numfile="$E2E_TMP/display-number"
    : >"$numfile"
    # Xvfb picks a free display itself and writes its number once it accepts connections.
    Xvfb -displayfd 3 -screen 0 "${SCREEN_W}x${SCREEN_H}x24" -dpi 96 -nolisten tcp -noreset \
        3>"$numfile" >"$E2E_TMP/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    display_number_written() { [[ $(cat "$numfile"; echo .) == *$'\n.' ]] || ! process_running "$E2E_XVFB_PID"; }
    wait_until 20 "Xvfb to start" display_number_written || fail "Xvfb did not start"
    process_running "$E2E_XVFB_PID" || fail "Xvfb ended: $(cat "$E2E_TMP/xvfb.log")"
    local n
    n=$(cat "$numfile")
    export DISPLAY=":${n%$'\n'}"
    log "Xvfb on $DISPLAY"
}

start_window_manager()
{
    openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
    E2E_OPENBOX_PID=$!
    wm_ready() { [[ $(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null) == *'window id'* ]]; }
    wait_until 20 "openbox to manage the screen" wm_ready || fail "openbox did not start: $(cat "$E2E_TMP/openbox.log")"
}

# start_kuvaro NAME: starts the program in the test's folder; its pid is left in LAST_PID.
start_kuvaro()
{
    local name=$1
    (cd "$E2E_TMP" && exec "$KUVARO") >"$E2E_TMP/kuvaro-$name.log" 2>&1 &
    LAST_PID=$!
    E2E_PIDS+=("$LAST_PID")
    log "started kuvaro ($name) as pid $LAST_PID"
}

# ------------------------------------------------------------------- windows

xdo() { timeout 10 xdotool "$@"; }

# Ids of all mapped windows of programs (popups without a title included); with a pid only that
# process's windows.
visible_windows()
{
    local args=(--onlyvisible --class '.') out
    [[ $# -ge 1 ]] && args=(--all --onlyvisible --pid "$1" --class '.')
    # A window destroyed while xdotool walks the tree makes it stop with an X error and a
    # partial list (a program that just ended leaves its windows for a moment): ask again.
    local errors="$E2E_TMP/xdotool-search.err"
    for _ in 1 2 3 4 5; do
        out=$(xdo search "${args[@]}" 2>"$errors")
        [[ $(cat "$errors") == *"X Error"* ]] || break
    done
    [[ -n $out ]] && echo "$out"
    return 0
}

window_name() { xdo getwindowname "$1" 2>/dev/null; }

# find_windows NAME [PID]: ids of the visible windows named exactly NAME.
find_windows()
{
    local w
    for w in $(visible_windows "${@:2}"); do
        [[ $(window_name "$w") == "$1" ]] && echo "$w"
    done
}

# wait_window NAME [TIMEOUT] [EXCLUDED_ID...]: waits until a visible window named exactly
# NAME (other than the excluded ones) exists and stores its id in WINDOW.
wait_window()
{
    local name=$1 timeout=${2:-20}
    local excluded=" ${*:3} "
    WINDOW=''
    one_window()
    {
        local w
        for w in $(find_windows "$name"); do
            [[ $excluded == *" $w "* ]] && continue
            WINDOW=$w
            return 0
        done
        return 1
    }
    wait_until "$timeout" "window \"$name\"" one_window
}

# A window that no longer exists counts as gone as well.
window_gone() { [[ $(xwininfo -id "$1" 2>/dev/null) != *IsViewable* ]]; }

wait_window_gone() { wait_until "${2:-20}" "window $1 to close" window_gone "$1"; }

# client_geometry ID: the client area on the screen, in GEO_X GEO_Y GEO_W GEO_H.
client_geometry()
{
    local info
    info=$(xwininfo -id "$1" 2>/dev/null) || return 1
    GEO_X=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
    GEO_Y=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
    GEO_W=$(sed -n 's/^ *Width: *//p' <<<"$info")
    GEO_H=$(sed -n 's/^ *Height: *//p' <<<"$info")
    [[ -n $GEO_X && -n $GEO_Y && -n $GEO_W && -n $GEO_H ]]
}

# frame_extents ID: the window manager's frame around the client, in FRAME_L FRAME_R FRAME_T FRAME_B.
frame_extents()
{
    local line
    line=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null) || return 1
    [[ $line =~ =\ *([0-9]+),\ *([0-9]+),\ *([0-9]+),\ *([0-9]+) ]] || return 1
    FRAME_L=${BASH_REMATCH[1]} FRAME_R=${BASH_REMATCH[2]}
    FRAME_T=${BASH_REMATCH[3]} FRAME_B=${BASH_REMATCH[4]}
}

# net_wm_name ID: the UTF-8 window title as the window manager reads it.
net_wm_name()
{
    local line
    line=$(xprop -id "$1" -notype _NET_WM_NAME 2>/dev/null) || return 1
    [[ $line == *' = "'*'"' ]] || return 1
    line=${line#*= \"}
    printf '%s' "${line%\"}"
}

# click WINDOW X Y [BUTTON]: a click at client coordinates of the window.
click()
{
    xdo mousemove --window "$1" "$2" "$3" click "${4:-1}" || fail "xdotool could not click at $2,$3 in window $1"
}

# activate WINDOW: gives the window the keyboard focus through the window manager.
activate()
{
    xdo windowactivate --sync "$1" >/dev/null 2>&1 || fail "could not activate window $1"
    focused() { [[ $(xdo getwindowfocus 2>/dev/null) == "$1" ]]; }
    wait_until 5 "window $1 to get the focus" focused "$1" || fail "window $1 did not get the focus"
}

# only_windows ID...: fails when any other window of the program is visible (an error box,
# a message left open, a stray popup).
only_windows()
{
    local w extra=()
    for w in $(visible_windows); do
        [[ " $* " == *" $w "* ]] || extra+=("$w \"$(window_name "$w")\"")
    done
    ((${#extra[@]} == 0)) || fail "unexpected windows visible: ${extra[*]}"
}

# ------------------------------------------------------------------- pixels

# pixel_colour WINDOW X Y: the colour at client coordinates as #RRGGBB.
pixel_colour()
{
    local out
    out=$(import -silent -window "$1" -crop "1x1+$2+$3" +repage -depth 8 txt:- 2>/dev/null) || return 1
    [[ $out =~ \#([0-9A-Fa-f]{6}) ]] || return 1
    echo "#${BASH_REMATCH[1]^^}"
}

pixel_is() { [[ $(pixel_colour "$1" "$2" "$3") == "$4" ]]; }

# wait_pixel WINDOW X Y COLOUR [TIMEOUT]: waits until the client pixel shows the colour.
wait_pixel()
{
    wait_until "${5:-10}" "colour $4 at $2,$3" pixel_is "$1" "$2" "$3" "$4" ||
        fail "pixel $2,$3 shows $(pixel_colour "$1" "$2" "$3"), expected $4"
}

# ----------------------------------------------------------- program helpers

# The client position of a toolbar button's centre (Panel4 at 8,8; buttons at top 16, 40 high).
toolbar_button()
{
    local left width
    case $1 in
        open) left=64 width=136 ;;
        resetall) left=206 width=70 ;;
        resetpoints) left=282 width=126 ;;
        back) left=414 width=142 ;;
        area) left=562 width=120 ;;
        save) left=688 width=120 ;;
        info) left=831 width=43 ;;
        close) left=880 width=72 ;;
        *) fail "no toolbar button $1" ;;
    esac
    BUTTON_X=$((8 + left + width / 2))
    BUTTON_Y=$((8 + 16 + 20))
}

click_toolbar()
{
    toolbar_button "$2"
    click "$1" "$BUTTON_X" "$BUTTON_Y"
}

# Waits for the program's main window and stores its id in MAIN.
wait_main_window()
{
    wait_window "$APP_TITLE" "${1:-30}" || fail "the main window \"$APP_TITLE\" did not appear"
    MAIN=$WINDOW
}

# Starts the program and waits for its main window (MAIN) to stand in its final place: the window
# manager frames it and the program then centres it, outer top-left at 96,54. The pid is left in KUVARO_PID.
start_main()
{
    start_kuvaro main
    KUVARO_PID=$LAST_PID
    wait_main_window
    main_settled() { frame_extents "$MAIN" && client_geometry "$MAIN" && ((GEO_X - FRAME_L == 96 && GEO_Y - FRAME_T == 54)); }
    wait_until 10 "the main window to settle" main_settled || fail "the main window is not centred"
}

# caption_shows PATH: whether the main window's caption names the opened picture.
caption_shows() { [[ $(window_name "$MAIN") == "$APP_TITLE - $1" ]]; }

# open_picture PATH: opens the picture through "Datei öffnen (*.bmp)" and the program's own file
# dialog, and waits until the caption names it and the main window is the only window left.
open_picture()
{
    click_toolbar "$MAIN" open
    wait_window 'Grafik-Datei einlesen' 20 "$MAIN" || fail "the open dialog did not appear"
    file_dialog_enter "$WINDOW" "$1"
    wait_until 10 "the caption with the file path" caption_shows "$1" ||
        fail "caption \"$(window_name "$MAIN")\", expected \"$APP_TITLE - $1\""
    only_windows "$MAIN"
}

# acknowledge_message WHAT: the message dialog that WHAT shows comes up as the only window besides
# the main window, with the single button "OK", and closes with it.
acknowledge_message()
{
    wait_window "$MESSAGE_TITLE" 20 || fail "$1 showed no message"
    local message=$WINDOW
    only_windows "$MAIN" "$message"
    [[ $(message_buttons "$message") == 1 ]] || fail "the message after $1 has not the single button OK"
    message_click_ok "$message"
    wait_window_gone "$message" 20 || fail "the message after $1 did not close with OK"
    only_windows "$MAIN"
}

# file_dialog_enter DIALOG PATH [nolist]: the Qt file dialog has the focus in its file name field; the
# full path is typed there and accepted with Return. Once the dialog has read the folder, its
# completer lists the matching names below the field; Return is pressed only then, so that
# the list cannot pop up after the dialog has closed. A new name (nolist) matches nothing.
file_dialog_enter()
{
    local dialog=$1 path=$2
    local before
    before=" $(visible_windows | tr "\n" " ") "
    activate "$dialog"
    xdo type --delay 10 "$path" || fail "could not type into the file dialog"
    completer_shown()
    {
        local w
        for w in $(visible_windows); do
            [[ $before == *" $w "* ]] || return 0
        done
        return 1
    }
    if [[ ${3:-} != nolist ]]; then
        wait_until 10 "the file name completer" completer_shown || fail "the file dialog listed no name for $path"
    fi
    xdo key Return || fail "could not press Return in the file dialog"
    wait_window_gone "$dialog" 20 || fail "the file dialog did not close after Return"
}

# Clicks the only button of a message dialog in mode 0 ("OK", centred under the text).
# The button is 75 x 25 and stands 40 pixels above the bottom of the client area.
message_click_ok()
{
    client_geometry "$1" || fail "no geometry of message dialog $1"
    click "$1" $((GEO_W / 2)) $((GEO_H - 40 + 12))
}

# Clicks "Ja" or "Nein" of a question (mode 10): "Ja" left of the middle, "Nein" right of it.
message_click_answer()
{
    client_geometry "$1" || fail "no geometry of message dialog $1"
    local half=$((GEO_W / 2)) y=$((GEO_H - 40 + 12))
    case $2 in
        Ja) click "$1" $((half - 79 + 37)) "$y" ;;
        Nein) click "$1" $((half + 4 + 37)) "$y" ;;
        *) fail "no answer $2" ;;
    esac
}

# view_click MAIN X Y BUTTON: a click at view units of Image1.
view_click() { click "$1" $((IMAGE1_X + $2)) $((IMAGE1_Y + $3)) "$4"; }

# diagram_text DELTA FACTOR: stores in DIAGRAM_TEXT the program's read-out text for a distance
# of DELTA view units from the origin with an integral factor of FACTOR view units per diagram unit:
# DELTA / FACTOR with one decimal ("%6.1f") and a decimal comma. Computed with integers;
# a value exactly halfway between two tenths is refused, since it depends on binary rounding.
diagram_text()
{
    local delta=$1 factor=$2
    local n=$((10 * delta)) sign=''
    if ((n < 0)); then
        sign='-'
        n=$((-n))
    fi
    local q=$((n / factor)) r=$((n % factor))
    ((2 * r == factor)) && fail "test error: $delta / $factor lies halfway between two tenths"
    ((2 * r > factor)) && q=$((q + 1))
    printf -v DIAGRAM_TEXT "%6s" "$sign$((q / 10)),$((q % 10))"
}

colour_near()
{
    local pixels
    pixels=$(import -silent -window "$1" -crop "41x41+$(($2 - 20))+$(($3 - 20))" +repage -depth 8 txt:- 2>/dev/null) ||
        return 1
    [[ ${pixels^^} == *"${4^^}"* ]]
}

# wait_colour_near WINDOW X Y COLOUR: waits until the colour shows within 20 pixels of a client point,
# for marks whose exact pixels depend on the display scale.
wait_colour_near()
{
    wait_until "${5:-10}" "colour $4 near $2,$3" colour_near "$1" "$2" "$3" "$4" ||
        fail "no pixel of colour $4 near $2,$3"
}

# bmp_size FILE: the picture's width and height from its header, in BMP_W and BMP_H.
bmp_size()
{
    [[ $(od -An -c -N 2 "$1" 2>/dev/null | tr -d ' ') == BM ]] || return 1
    local header
    header=$(od -An -t u4 -j 14 -N 4 "$1") || return 1
    if ((header == 12)); then
        read -r BMP_W BMP_H < <(od -An -t d2 -j 18 -N 4 "$1")
    else
        read -r BMP_W BMP_H < <(od -An -t d4 -j 18 -N 8 "$1")
    fi
    # A negative height marks a picture stored top row first.
    ((BMP_H < 0)) && BMP_H=$((-BMP_H))
    ((BMP_W > 0 && BMP_H > 0))
}

# message_buttons WINDOW: 2 when the message dialog shows "Ja" and "Nein", 1 when it shows "OK"
# alone. Left of the middle, where only "Ja" stands, the silver background otherwise shows.
message_buttons()
{
    client_geometry "$1" || return 1
    local colour
    colour=$(pixel_colour "$1" $((GEO_W / 2 - 70)) $((GEO_H - 40 + 12))) || return 1
    if [[ $colour == '#C0C0C0' ]]; then echo 1; else echo 2; fi
}
