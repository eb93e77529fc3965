#!/bin/bash
# The tray program on a real X desktop: Xvfb with trayer as the tray host, driven by
# xdotool. First a first run with a fresh settings store: the help notice, the help
# window, the configuration notice, and the About window from the menu. Then it clicks the tray icon, chooses ViriRerer from the menu with the Temp
# folder selected in the hive, checks that the Temp folder was cleaned and that the
# count window appeared, opens "Configuration" from the menu, visits every tab of the
# options window and cleans Temp from its tab, and checks the single-instance rule: a second start ends and
# leaves one instance, a hung first instance gets the already-running window, and a
# socket left by a killed instance is taken over. Screenshots go to ARTEFACTS.
# Usage: tray-desktop-test.sh TIDORAX TIDORAX_REG ARTEFACTS
set -euo pipefail

if [ "${1:-}" != "--inside" ]; then
    tidorax=$(realpath "$1")
    reg=$(realpath "$2")
    artefacts=$(realpath -m "$3")
    mkdir -p "$artefacts"
    root=$(mktemp -d "${TMPDIR:-/tmp}/tidorax-desktop-XXXXXX")
    xvfb_pid=
    cleanup() {
        if [ -n "$xvfb_pid" ]; then
            kill "$xvfb_pid" 2>/dev/null || true
            wait "$xvfb_pid" 2>/dev/null || true
        fi
        rm -rf "$root"
    }
    trap cleanup EXIT
    mkdir -m 0700 "$root/home" "$root/config" "$root/cache" "$root/data" "$root/runtime" "$root/tmp" "$root/temp"
    export HOME="$root/home" XDG_CONFIG_HOME="$root/config" XDG_CACHE_HOME="$root/cache" XDG_DATA_HOME="$root/data"
    export XDG_RUNTIME_DIR="$root/runtime" TMPDIR="$root/tmp" Temp="$root/temp"
    unset XDG_SESSION_TYPE WAYLAND_DISPLAY QT_QPA_PLATFORMTHEME SESSION_MANAGER || true

    # Xvfb picks a display number that nobody uses and writes it once it is ready.
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$root/display" >"$root/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 100); do
        [ -s "$root/display" ] && break
        sleep 0.1
    done
    [ -s "$root/display" ] || { echo "Xvfb did not start" >&2; cat "$root/xvfb.log" >&2; exit 1; }
    export DISPLAY=":$(head -1 "$root/display")"
    xdotool getdisplaygeometry >/dev/null || { echo "no display at $DISPLAY" >&2; exit 1; }

    # A private session bus: no StatusNotifierWatcher, so Qt embeds its icon in trayer.
    dbus-run-session -- bash "$0" --inside "$tidorax" "$reg" "$artefacts" "$root"
    exit $?
fi

tidorax=$2
reg=$3
artefacts=$4
root=$5
export QT_QPA_PLATFORM=xcb
# Under AddressSanitizer: libxkbcommon-x11 hands strndup a reply that is not
# terminated, which strict string checks report although strndup stops at the length.
if [ -n "${ASAN_OPTIONS:-}" ]; then
    export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"
fi

pids=()
cleanup_inside() {
    for pid in "${pids[@]}"; do
        kill -CONT "$pid" 2>/dev/null || true
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
}
trap cleanup_inside EXIT

fail() {
    echo "FAIL: $*" >&2
    import -window root "$artefacts/failure.png" 2>/dev/null || true
    local log
    cp "$root"/*.log "$artefacts/" 2>/dev/null || true
    for log in "$root"/*.log; do
        echo "--- $(basename "$log")" >&2
        tail -20 "$log" >&2
    done
    exit 1
}

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
    local tenths=$1
    shift
    for _ in $(seq 1 "$tenths"); do
        if "$@" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

root_window() { xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p'; }
parent_of() { xwininfo -children -id "$1" | sed -n 's/.*Parent window id: \(0x[0-9a-f]*\).*/\1/p'; }

# Visible windows of the program that are top-level (their parent is the root).
top_windows() {
    local w root_id
    root_id=$(root_window)
    for w in $(xdotool search --onlyvisible --classname '^tidorax$' 2>/dev/null); do
        if [ "$(parent_of "$w")" = "$root_id" ]; then
            echo "$w"
        fi
    done
}

# The tray icon: the program's window embedded in the tray (its parent is not the root).
tray_icon() {
    local w parent root_id
    root_id=$(root_window)
    for w in $(xdotool search --onlyvisible --classname '^tidorax$' 2>/dev/null); do
        parent=$(parent_of "$w")
        if [ -n "$parent" ] && [ "$parent" != "$root_id" ]; then
            echo "$w"
        fi
    done
}

has_top_window() { [ -n "$(top_windows)" ]; }
has_tray_icon() { [ -n "$(tray_icon)" ]; }

geometry_of() { xdotool getwindowgeometry --shell "$1"; }
# True when the process has ended (a zombie of this shell counts as ended).
ended() { ! kill -0 "$1" 2>/dev/null || [ "$(ps -o stat= -p "$1" 2>/dev/null | cut -c1)" = "Z" ]; }

section='HKCU\Software\Quillon Software\Tidora\CleanPath'
# The menu is laid out once it is tall enough to hold its thirteen items.
menu_laid_out() {
    eval "$(geometry_of "$menu")"
    [ "$HEIGHT" -gt 100 ]
}

# A visible window whose title matches the pattern; fails when there is none.
window_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 | grep .; }
no_window_named() { ! window_named "$1"; }
first_run_over() {
    "$reg" query "$section" /v FirstRun 2>/dev/null | grep -q 'REG_SZ *No *$'
}

# A first run, in a settings store and runtime folder of its own: the help notice
# counts to five and opens the help window; closing that window brings the
# configuration notice, and the first run is recorded as over. The silent "A" mode
# before it shows nothing and leaves the first run to come.
first_run_scenario() (
    export XDG_CONFIG_HOME="$root/first-config" XDG_RUNTIME_DIR="$root/first-runtime"
    mkdir -m 0700 "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
    timeout 20 "$tidorax" A >"$root/first-run-silent.log" 2>&1 || fail "tidorax A did not end cleanly"
    no_window_named '^Help File Loading$' || fail "the silent mode showed the help notice"
    ! first_run_over || fail "the silent mode recorded the first run"

    "$tidorax" >"$root/first-run.log" 2>&1 &
    local program=$!
    trap 'kill "$program" 2>/dev/null || true; wait "$program" 2>/dev/null || true' EXIT
    wait_for 150 window_named '^Help File Loading$' || fail "no help notice on the first run"
    import -window root "$artefacts/first-run-help-notice.png"
    wait_for 100 window_named '^Quillon Tidorax Help$' || fail "the help window did not open"
    no_window_named '^Help File Loading$' || fail "the help notice stayed with the help window"
    local help
    help=$(window_named '^Quillon Tidorax Help$')
    import -window root "$artefacts/help-window.png"
    # The sequence waits while the help is open.
    ! window_named '^Configuration File Loading$' || fail "the configuration notice did not wait for the help"
    ! first_run_over || fail "the first run was recorded before the help was closed"

    # Close sits 8 pixels in from the bottom right corner, 90 x 28.
    eval "$(geometry_of "$help")"
    xdotool mousemove --window "$help" $((WIDTH - 53)) $((HEIGHT - 22)) click 1
    wait_for 50 window_named '^Configuration File Loading$' || fail "no configuration notice after the help"
    import -window root "$artefacts/first-run-config-notice.png"
    wait_for 20 first_run_over || fail "FirstRun is not No after the help"
    wait_for 100 no_window_named '^Configuration File Loading$' || fail "the configuration notice stayed"
    wait_for 50 window_named '^Quillon Tidora Program$' || fail "the first run did not open the options window"

    wait_for 50 has_tray_icon || fail "no tray icon on the first run"
    xdotool mousemove --window "$(tray_icon)" 8 8 click 1
    wait_for 50 menu_window || fail "the menu did not open for About"
    menu=$(menu_window)
    wait_for 50 menu_laid_out || fail "the menu for About was not laid out"
    xdotool key Down Return
    wait_for 50 window_named '^  Quillon Tidorax----About File$' || fail "the About window did not open"
    import -window root "$artefacts/about.png"

    # This program ends here; its icon leaves the tray before the next one starts.
    kill "$program"
    wait "$program" 2>/dev/null || true
    trap - EXIT
    wait_for 50 no_tray_icon_yet || fail "the first run's tray icon stayed"
)
no_tray_icon_yet() { ! has_tray_icon; }

# The tray menu: a top window of the program other than the options window.
menu_window() {
    local w
    for w in $(top_windows); do
        if [ "$(xdotool getwindowname "$w" 2>/dev/null)" != "Quillon Tidora Program" ]; then
            echo "$w"
            return 0
        fi
    done
    return 1
}

# A picture of a window, and whether it differs from the last one taken.
shot_differs() {
    import -window "$1" "$root/shot.png" 2>/dev/null || return 1
    local sum
    sum=$(md5sum <"$root/shot.png")
    [ "$sum" != "${last_shot:-}" ] || return 1
    last_shot=$sum
}

# "Configuration" from the real tray menu (by keyboard: its sixth item) opens the
# options window; every tab is visited (a picture each), and Temp is cleaned from its
# tab with the question answered by keyboard.
options_scenario() {
    echo one >"$Temp/one.txt"
    echo two >"$Temp/two.txt"
    xdotool mousemove --window "$(tray_icon)" 8 8 click 1
    wait_for 50 menu_window || fail "the menu did not open for Configuration"
    menu=$(menu_window)
    wait_for 50 menu_laid_out || fail "the menu for Configuration was not laid out"
    xdotool key Down Down Down Down Down Down Return
    wait_for 50 window_named '^Quillon Tidora Program$' || fail "Configuration did not open the options window"
    local options tab
    options=$(window_named '^Quillon Tidora Program$')
    xdotool windowfocus --sync "$options" || true
    last_shot=
    wait_for 50 shot_differs "$options" || fail "no picture of the options window"
    cp "$root/shot.png" "$artefacts/options-options.png"
    for tab in internet temp cookies your-folder; do
        xdotool key ctrl+Tab
        wait_for 50 shot_differs "$options" || fail "the $tab tab did not show"
        cp "$root/shot.png" "$artefacts/options-$tab.png"
    done
    # Back to Temp, then its "Clean Temp" button: the first of the bottom row.
    xdotool key ctrl+shift+Tab ctrl+shift+Tab
    wait_for 50 shot_differs "$options" || fail "the Temp tab did not show again"
    eval "$(geometry_of "$options")"
    xdotool mousemove --window "$options" $((WIDTH / 6)) $((HEIGHT - 35)) click 1
    wait_for 50 window_named '^Quillon Info' || fail "Clean Temp asked nothing"
    import -window root "$artefacts/options-clean-temp-question.png"
    xdotool key alt+y
    wait_for 50 count_window || fail "no count window after Clean Temp"
    [ ! -e "$Temp/one.txt" ] && [ ! -e "$Temp/two.txt" ] || fail "Clean Temp left files in Temp"
    [ -e "$root/keep/kept.txt" ] || fail "Clean Temp deleted a file outside Temp"
    wait_for 50 no_count_window || fail "the count window stayed after Clean Temp"
    wait_for 50 window_named '^Quillon Tidora Program$' || fail "the options window did not come back"
}

# The settings: ViriRerer allowed, the Temp folder selected, the first run over.
"$reg" add "$section" /v AutoFunction /t REG_SZ /d Yes /f >/dev/null
"$reg" add "$section" /v TempFiles /t REG_SZ /d Yes /f >/dev/null
"$reg" add "$section" /v FirstRun /t REG_SZ /d No /f >/dev/null

mkdir -p "$Temp/sub" "$root/keep"
echo one >"$Temp/one.txt"
echo two >"$Temp/sub/two.log"
echo three >"$Temp/sub/three"
echo kept >"$root/keep/kept.txt"

trayer --edge bottom --align right --widthtype request --height 32 --expand false --SetDockType true \
    >"$root/trayer.log" 2>&1 &
pids+=($!)
# The tray host is ready once it owns the tray selection of screen 0.
tray_selection_owned() {
    /usr/bin/python3 -c 'import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.restype = ctypes.c_ulong
x.XGetSelectionOwner.restype = ctypes.c_ulong
d = ctypes.c_void_p(x.XOpenDisplay(None))
atom = x.XInternAtom(d, b"_NET_SYSTEM_TRAY_S0", 0)
sys.exit(0 if x.XGetSelectionOwner(d, ctypes.c_ulong(atom)) else 1)'
}
wait_for 50 tray_selection_owned || fail "trayer did not take the tray"

first_run_scenario

"$tidorax" >"$root/first.log" 2>&1 &
first=$!
pids+=($first)
wait_for 150 has_tray_icon || fail "no tray icon appeared"
icon=$(tray_icon)
[ -e "$XDG_RUNTIME_DIR/tidorax.instance" ] || fail "no instance socket in the runtime folder"

# Open the menu with a click on the icon and choose its last item, ViriRerer. The menu
# opens when the button goes up, not while it is held down.
xdotool mousemove --window "$icon" 8 8 mousedown 1
! wait_for 5 has_top_window || fail "the menu opened while the button was still down"
xdotool mouseup 1
wait_for 50 has_top_window || fail "the menu did not open"
menu=$(top_windows | head -1)
wait_for 50 menu_laid_out || fail "the menu is too small to hold its items"
import -window root "$artefacts/tray-menu.png"
eval "$(geometry_of "$menu")"
target_x=$((X + WIDTH / 2)) target_y=$((Y + HEIGHT - 12))
xdotool mousemove "$target_x" "$target_y"
pointer_at_target() { [ "$(xdotool getmouselocation --shell | head -2 | tr '\n' ' ')" = "X=$target_x Y=$target_y " ]; }
wait_for 20 pointer_at_target || fail "the pointer did not reach the menu's last item"
xdotool click 1

count_window() {
    local w
    for w in $(top_windows); do
        eval "$(geometry_of "$w")"
        if [ "$WIDTH" -lt 200 ] && [ "$HEIGHT" -lt 120 ]; then
            echo "$w"
            return 0
        fi
    done
    return 1
}
wait_for 50 count_window || fail "the count window did not appear"
import -window root "$artefacts/count-window.png"
[ ! -e "$Temp/one.txt" ] || fail "Temp/one.txt was not cleaned"
[ ! -e "$Temp/sub/two.log" ] || fail "Temp/sub/two.log was not cleaned"
[ ! -e "$Temp/sub/three" ] || fail "Temp/sub/three was not cleaned"
[ -d "$Temp" ] || fail "the Temp folder itself was removed"
[ -e "$root/keep/kept.txt" ] || fail "a file outside the Temp folder was deleted"
# The count window closes itself after 1.2 seconds.
no_count_window() { ! count_window; }
wait_for 50 no_count_window || fail "the count window stayed"

options_scenario

# A second start hands over to the first and ends; one instance stays.
timeout 20 "$tidorax" >"$root/second.log" 2>&1 || fail "the second start did not end cleanly"
kill -0 "$first" 2>/dev/null || fail "the first instance ended"
[ "$(tray_icon | wc -l)" -eq 1 ] || fail "more than one tray icon"

# A first instance that cannot answer: the second shows the already-running window
# and ends when its OK is pressed.
kill -STOP "$first"
"$tidorax" >"$root/third.log" 2>&1 &
third=$!
pids+=($third)
wait_for 100 xdotool search --onlyvisible --name '^Quillon Error Information$' ||
    fail "the already-running window did not appear"
already=$(xdotool search --onlyvisible --name '^Quillon Error Information$' | head -1)
import -window root "$artefacts/already-running.png"
# OK sits at 1680,900 twips, 1095 x 375: its middle.
xdotool mousemove --window "$already" 148 72 click 1
wait_for 100 ended "$third" || fail "the already-running window did not end its program"
kill -CONT "$first"
kill -0 "$first" 2>/dev/null || fail "the first instance ended with the second"

# A killed first instance leaves its socket; the next start takes it over.
kill -KILL "$first"
wait "$first" 2>/dev/null || true
[ -e "$XDG_RUNTIME_DIR/tidorax.instance" ] || fail "the killed instance left no socket to recover"
no_tray_icon() { ! has_tray_icon; }
wait_for 50 no_tray_icon || true
"$tidorax" >"$root/fourth.log" 2>&1 &
fourth=$!
pids+=($fourth)
wait_for 150 has_tray_icon || fail "no tray icon after a stale socket"
kill -0 "$fourth" 2>/dev/null || fail "the start after a crash ended"

# Exit from the menu, by keyboard: About, Remove All Paths, Exit.
icon=$(tray_icon)
xdotool mousemove --window "$icon" 8 8 click 3
wait_for 50 has_top_window || fail "the menu did not open for Exit"
menu=$(top_windows | head -1)
wait_for 50 menu_laid_out || fail "the menu for Exit was not laid out"
xdotool key Down Down Down Return
wait_for 100 ended "$fourth" || fail "Exit did not end the program"

echo "desktop test passed; screenshots in $artefacts"
