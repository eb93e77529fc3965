#!/bin/bash
# The tray program on Xvfb, driven by xdotool. With trayer as the tray host: ViriRerer
# from the tray menu, Exit, and the single-instance rule. Then under a StatusNotifierItem
# host (as KDE Plasma, GNOME's AppIndicator, XFCE and waybar run one), a watcher of the
# tests' own on the private session bus: the item registers there, names its icon
# "tidorax" from the installed theme, exports the tray menu's seven commands in order with
# a separator between each two, and Activate(x, y) opens the menu at that point.
# A screenshot of a failure goes to ARTEFACTS. (The first run and the options window are
# checked offscreen, tests/desktop.)
# Usage: tray-desktop-test.sh TIDORAX TIDORAX_REG ARTEFACTS
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/e2e-helpers.sh"

if [ "${1:-}" != "--inside" ]; then
    tidorax=$(realpath "$1") reg=$(realpath "$2") artefacts=$(realpath -m "$3")
    mkdir -p "$artefacts"
    make_sandbox tidorax-desktop
    # An Xvfb display on a number nobody uses (Xvfb writes it once it is ready); no Wayland
    # session or desktop theme of the caller's.
    unset XDG_SESSION_TYPE WAYLAND_DISPLAY QT_QPA_PLATFORMTHEME SESSION_MANAGER || true
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$root/display" >"$root/xvfb.log" 2>&1 &
    at_exit "kill $!; wait $!"
    wait_for 100 test -s "$root/display" || fail "Xvfb did not start: $(cat "$root/xvfb.log")"
    export DISPLAY=":$(head -1 "$root/display")"
    xdotool getdisplaygeometry >/dev/null || fail "no display at $DISPLAY"
    # A private session bus: no StatusNotifierWatcher until the end, so Qt embeds its
    # icon in trayer.
    dbus-run-session -- bash "$0" --inside "$tidorax" "$reg" "$artefacts" "$root"
    exit 0
fi

tidorax=$2 reg=$3 artefacts=$4 root=$5
# The X11 platform. Under AddressSanitizer: libxkbcommon-x11 hands strndup a reply that is
# not terminated, which strict string checks report although strndup stops at the length.
export QT_QPA_PLATFORM=xcb
[ -z "${ASAN_OPTIONS:-}" ] || export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"

on_failure() {
    import -window root "$artefacts/failure.png" 2>/dev/null || true
    cp "$root"/*.log "$artefacts/" 2>/dev/null || true
    tail -n 20 "$root"/*.log >&2 || true
}

# True when the process has ended (a zombie of this shell counts as ended).
ended() { ! kill -0 "$1" 2>/dev/null || [ "$(ps -o stat= -p "$1" 2>/dev/null | cut -c1)" = "Z" ]; }

root_id=$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')
# The program's visible windows: "top" ones (children of the root) or the "tray" icon.
windows() {
    local w parent kind
    for w in $(xdotool search --onlyvisible --classname '^tidorax$' 2>/dev/null); do
        parent=$(xwininfo -children -id "$w" | sed -n 's/.*Parent window id: \(0x[0-9a-f]*\).*/\1/p')
        if [ "$parent" = "$root_id" ]; then kind=top; else kind=tray; fi
        if [ -n "$parent" ] && [ "$kind" = "$1" ]; then echo "$w"; fi
    done
}
has() { [ -n "$(windows "$1")" ]; }
window_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 | grep .; }
geometry_of() { xdotool getwindowgeometry --shell "$1"; }
menu_window() { windows top | head -1 | grep .; }
# True when a top window's geometry (X, Y, WIDTH, HEIGHT) makes the test given in $1 hold.
top_window_where() {
    for w in $(windows top); do
        eval "$(geometry_of "$w")" && eval "$1" && return 0
    done
    return 1
}
# The count window: a small top window of the program.
count_window() { top_window_where '[ "$WIDTH" -lt 200 ] && [ "$HEIGHT" -lt 120 ]'; }
# The menu is laid out once it is tall enough to hold its thirteen items.
menu_laid_out() { eval "$(geometry_of "$menu")" && [ "$HEIGHT" -gt 100 ]; }
# Opens the tray menu for $1 by the actions after it; its window and geometry in $menu, X, Y, WIDTH, HEIGHT.
open_menu() {
    xdotool mousemove --window "$(windows tray)" 8 8 "${@:2}"
    wait_for 50 menu_window || fail "the menu did not open for $1"
    menu=$(menu_window)
    wait_for 50 menu_laid_out || fail "the menu for $1 was not laid out"
}
first_run_over() { "$reg" query 'HKCU\Software\Quillon Software\Tidora\CleanPath' /v FirstRun 2>/dev/null | grep -q 'REG_SZ *No *$'; }

# The silent "A" mode leaves the first run to come.
timeout 20 "$tidorax" A >"$root/silent.log" 2>&1 || fail "tidorax A did not end cleanly"
not first_run_over || fail "the silent mode recorded the first run"
# The settings: ViriRerer allowed, the Temp folder selected, the first run over.
set_setting CleanPath AutoFunction Yes && set_setting CleanPath TempFiles Yes && set_setting CleanPath FirstRun No ||
    fail "the settings could not be stored"
seed_temp

start trayer trayer --edge bottom --align right --widthtype request --height 32 --expand false --SetDockType true
# The tray host is ready once it owns the tray selection of screen 0.
tray_selection_owned() {
    /usr/bin/python3 -c 'import ctypes as c, sys; x = c.CDLL("libX11.so.6")
x.XOpenDisplay.restype = c.c_void_p; x.XInternAtom.restype = x.XGetSelectionOwner.restype = c.c_ulong
d = c.c_void_p(x.XOpenDisplay(None)); atom = c.c_ulong(x.XInternAtom(d, b"_NET_SYSTEM_TRAY_S0", 0))
sys.exit(0 if x.XGetSelectionOwner(d, atom) else 1)'
}
wait_for 50 tray_selection_owned || fail "trayer did not take the tray"

start first "$tidorax"
first=$pid
wait_for 150 has tray || fail "no tray icon appeared"

# ViriRerer, the menu's last item, chosen with the mouse. The menu opens when the
# (right) button goes up, not while it is held down.
xdotool mousemove --window "$(windows tray)" 8 8 mousedown 3
not wait_for 5 has top || fail "the menu opened while the button was still down"
open_menu ViriRerer mouseup 3
target_x=$((X + WIDTH / 2)) target_y=$((Y + HEIGHT - 12))
xdotool mousemove "$target_x" "$target_y"
pointer_at_target() { [ "$(xdotool getmouselocation --shell | head -2 | tr '\n' ' ')" = "X=$target_x Y=$target_y " ]; }
wait_for 20 pointer_at_target || fail "the pointer did not reach the menu's last item"
xdotool click 1
wait_for 50 count_window || fail "the count window did not appear"
temp_cleaned || fail "ViriRerer did not clean Temp, or went beyond it"
# The count window closes itself after 1.2 seconds.
wait_for 50 not count_window || fail "the count window stayed"

# A second start hands over to the first and ends (one that stayed would not end in time).
timeout 20 "$tidorax" >"$root/second.log" 2>&1 || fail "the second start did not end cleanly"
kill -0 "$first" 2>/dev/null || fail "the first instance ended"

# A first instance that cannot answer: the second shows the already-running window
# and ends when its OK is pressed.
kill -STOP "$first"
start third "$tidorax"
wait_for 100 window_named '^Quillon Error Information$' || fail "the already-running window did not appear"
# OK sits at 1680,900 twips, 1095 x 375: its middle.
xdotool mousemove --window "$(window_named '^Quillon Error Information$')" 148 72 click 1
wait_for 100 ended "$pid" || fail "the already-running window did not end its program"
kill -CONT "$first"
kill -0 "$first" 2>/dev/null || fail "the first instance ended with the second"

# A killed first instance leaves its socket; the next start takes it over.
kill -KILL "$first"
wait "$first" 2>/dev/null || true
[ -e "$XDG_RUNTIME_DIR/tidorax.instance" ] || fail "the killed instance left no socket to recover"
wait_for 50 not has tray || fail "the killed instance's tray icon stayed"
start fourth "$tidorax"
wait_for 150 has tray || fail "no tray icon after a stale socket"

# Exit from the menu, by keyboard: About, Remove All Paths, Exit.
open_menu Exit click 3
xdotool key Down Down Down Return
wait_for 100 ended "$pid" || fail "Exit did not end the program"

# A StatusNotifierItem host comes up; the icon lies where the package installs it, in the
# theme's folders.
mkdir -p "$XDG_DATA_HOME/icons" && cp -r "$here/../../resources/icons/hicolor" "$XDG_DATA_HOME/icons/"
start watcher /usr/bin/python3 "$here/status-notifier-watcher.py" "$root/items"
wait_for 100 gdbus introspect --session -d org.kde.StatusNotifierWatcher -o /StatusNotifierWatcher ||
    fail "the watcher did not come up"
start item "$tidorax"
wait_for 150 test -s "$root/items" || fail "no item registered with the watcher"
read -r service item <"$root/items"
property() { gdbus call --session -d "$service" -o "$item" -m org.freedesktop.DBus.Properties.Get \
    org.kde.StatusNotifierItem "$1"; }
icon=$(property IconName)
[ "$icon" = "(<'tidorax'>,)" ] || fail "the icon is not named from the theme: $icon"
menu=$(property Menu | sed -n "s/^(<objectpath '\(.*\)'>,)$/\1/p")
# Each item's label, a separator as "-".
labels=$(gdbus call --session -d "$service" -o "$menu" -m com.canonical.dbusmenu.GetLayout 0 -- -1 '[]' |
    grep -o "'label': <'[^']*'>\|'type': <'separator'>" | sed "s/^'label': <'\(.*\)'>$/\1/; s/^'type'.*/-/" |
    paste -sd '|')
want="About---Version 3.0|-|Remove All Paths|-|Exit|-|Help|-|Clean And Shutdown|-|Configuration|-|ViriRerer"
[ "$labels" = "$want" ] || fail "the exported menu holds: $labels"
# Activate at a point of the host's, away from the pointer: the menu, tall enough for its
# thirteen items, opens there.
xdotool mousemove 5 5
gdbus call --session -d "$service" -o "$item" -m org.kde.StatusNotifierItem.Activate 300 200 >/dev/null
wait_for 50 top_window_where '[ "$X,$Y" = 300,200 ] && [ "$HEIGHT" -gt 100 ]' ||
    fail "Activate did not open the menu at 300,200"

echo "desktop test passed"
